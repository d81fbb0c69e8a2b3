// The online table page in a real browser: headless chromium loads it from a
// running scored whose store holds hostile names, shows each as plain text,
// runs nothing, applies the page's own style, and takes a desktop and a
// phone screenshot (left in the build's screenshot folder).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "headless_chromium.h"
#include "score_store.h"
#include "scored_process.h"
#include "online/score_protocol.h"

namespace {

namespace fs = std::filesystem;
using testing_support::HeadlessChromium;
using testing_support::ScoredProcess;

constexpr const char* kPageTitle = "<title>Varnok - online high scores</title>";

struct Planted {
  std::string name, addText;
  int32_t score;
};

// Best first, as the page lists them. Longer than the game sends: a store is
// not trusted to hold only what this server's checks let in.
std::vector<Planted> PlantedRows() {
  return {
      {"VARGAS", "CITY", 12850},
      {"<script>document.title='owned'</script>", "<script>", 9400},
      {"<img src=x onerror=\"document.title='owned'\">", "", 7725},
      {"\"'&amp;<>", "'\"", 6010},
      {std::string("\x80\x8F\x9F\xA0\xA9\xC0", 6), std::string("\xE9t\xE9\xFF", 4), 4420},
      {"", "", 3105},
      {"</td></tr></table><b>", "<!--", 2500},
      {std::string("NUL\0TAB\t", 8), "\x7F", 1830},
      {"K.ROSS", "TRAIN", 950},
      {"NOVA", "", 100},
  };
}

// The text a reader sees for stored bytes: printable ASCII as it is, bytes
// 160..255 the Latin-1 letters, anything else the replacement character;
// written as chromium serialises a text node.
std::string SerialisedText(const std::string& bytes) {
  std::string out;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '&') {
      out += "&amp;";
    } else if (c == '<') {
      out += "&lt;";
    } else if (c == '>') {
      out += "&gt;";
    } else if (byte == 0xA0) {
      out += "&nbsp;";
    } else if (byte >= 0x20 && byte < 0x7F) {
      out += c;
    } else if (byte > 0xA0) {
      out += static_cast<char>(0xC0 | (byte >> 6));
      out += static_cast<char>(0x80 | (byte & 0x3F));
    } else {
      out += "\xEF\xBF\xBD";
    }
  }
  return out;
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

class TablePageBrowserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HeadlessChromium::Installed()) {
      GTEST_SKIP() << HeadlessChromium::kBinary << " is missing: scripts/setup.sh --test installs chromium";
    }
    std::string pattern = (fs::temp_directory_path() / "scored-browser-XXXXXX").string();
    dir_ = ::mkdtemp(pattern.data());
    {
      auto store = scored::OpenStore((dir_ / "scores.db").string());
      int planted = 0;
      for (const Planted& row : PlantedRows()) {
        const scored::Entry entry{{row.name, row.addText, row.score, "planted" + std::to_string(++planted)}, 0, 0};
        ASSERT_EQ(store->Submit({entry}), std::vector<bool>{true});
      }
    }
    server_ = std::make_unique<ScoredProcess>(VARNOK_SCORED, dir_ / "scores.db");
    ASSERT_TRUE(server_->Start()) << server_->ErrorOutput();
    browser_ = std::make_unique<HeadlessChromium>(dir_);
  }
  void TearDown() override {
    server_.reset();
    if (!dir_.empty()) fs::remove_all(dir_);
  }
  std::string PageUrl() const { return server_->Url(online::kOnlineTableQuery); }

  fs::path dir_;
  std::unique_ptr<ScoredProcess> server_;
  std::unique_ptr<HeadlessChromium> browser_;
};

TEST_F(TablePageBrowserTest, HostileNamesShowAsTextAndNoScriptRuns) {
  const auto run = browser_->DumpDom(PageUrl());
  ASSERT_TRUE(run.finished) << run.log;
  const std::string& dom = run.output;
  // A planted script or handler that ran would have renamed the page.
  EXPECT_NE(dom.find(kPageTitle), std::string::npos) << dom;
  EXPECT_EQ(dom.find("owned</title>"), std::string::npos);
  for (const char* injected : {"<script", "<img", "<b>", "<!--"}) {
    EXPECT_EQ(dom.find(injected), std::string::npos) << injected << " in\n" << dom;
  }
  const auto rows = PlantedRows();
  EXPECT_EQ(Count(dom, "<td class=\"score\">"), rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    const std::string row = "<tr><td>" + std::to_string(i + 1) + "</td><td>" + SerialisedText(rows[i].name) +
                            "</td><td class=\"score\">" + std::to_string(rows[i].score) + "</td><td>" +
                            SerialisedText(rows[i].addText) + "</td></tr>";
    EXPECT_NE(dom.find(row), std::string::npos) << row << "\nnot in\n" << dom;
  }
  // Nothing was blocked: the page's style met its policy, and it asked for
  // nothing else.
  EXPECT_EQ(run.log.find("Content Security Policy"), std::string::npos) << run.log;
}

TEST_F(TablePageBrowserTest, DesktopAndPhoneScreenshots) {
  fs::create_directories(VARNOK_SCREENSHOT_DIR);
  struct Shot {
    const char* file;
    int width, height;
  };
  for (const Shot& shot : {Shot{"scores-page-desktop.png", 1280, 900}, Shot{"scores-page-phone.png", 390, 844}}) {
    const fs::path png = fs::path(VARNOK_SCREENSHOT_DIR) / shot.file;
    std::error_code ignored;
    fs::remove(png, ignored);
    const auto run = browser_->Screenshot(PageUrl(), png, shot.width, shot.height);
    ASSERT_TRUE(run.finished) << run.log;
    EXPECT_EQ(testing_support::ReadText(png).substr(0, 8), "\x89PNG\r\n\x1A\n") << png;
  }
}

}  // namespace
