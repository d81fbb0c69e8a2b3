// The menu screens as the game composes them: the game runs on the recording
// fake engine, each screen's pictures are taken from the generated game
// folder and set where the game's menus put them, and what they show is
// checked against the frame, the logo on the menu background and each other.
// The records screen's printed lines are laid out with the engine's own text
// layout and the generated font, and checked against the table's header.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "asset_readers.h"
#include "canvas.h"
#include "art.h"
#include "core/font.h"
#include "engine_link/scan_codes.h"
#include "game_harness.h"
#include "menu_layout.h"
#include "menus/front_end.h"
#include "core/player_files.h"

namespace assetgen::test {
namespace {

using testing_support::GameHarness;

constexpr int kFrameW = 800, kFrameH = 600;
constexpr float kPixelsPerUnit = 25;
constexpr float kPixelsPerScale = 40;
// A pixel counts as shown from a quarter opacity on: faint glow edges may
// touch, anything a player reads as drawn may not.
constexpr uint32_t kShown = 64;

std::string GameFile(const std::string& gamePath) {
  std::string relative = gamePath;
  std::replace(relative.begin(), relative.end(), '\\', '/');
  return std::string(VARNOK_GAME_DIR) + "/" + relative;
}

uint32_t AlphaOf(uint32_t argb) { return argb >> 24; }

// A picture as the game sets it: its rectangle in frame pixels.
struct Placed {
  std::string file;
  const Image* image = nullptr;
  double left = 0, top = 0, width = 0, height = 0;

  uint32_t AlphaAtFrame(int x, int y) const {
    const int u = static_cast<int>((x + 0.5 - left) / width * image->width);
    const int v = static_cast<int>((y + 0.5 - top) / height * image->height);
    if (u < 0 || v < 0 || u >= image->width || v >= image->height) return 0;
    return AlphaOf(image->pixels[static_cast<size_t>(v) * image->width + u]);
  }
};

// Coverage of a group of pictures over the frame: the highest alpha at each pixel.
using Coverage = std::vector<uint8_t>;

class Pictures {
 public:
  const Image& Get(const std::string& gamePath) {
    auto it = cache_.find(gamePath);
    if (it != cache_.end()) return it->second;
    Image img;
    std::string why;
    EXPECT_TRUE(DecodePng(GameFile(gamePath), img, why)) << gamePath << ": " << why;
    return cache_.emplace(gamePath, std::move(img)).first->second;
  }

 private:
  std::map<std::string, Image> cache_;
};

Pictures& SharedPictures() {
  static Pictures pictures;
  return pictures;
}

// The logo's own pixels, drawn where the menu background has it.
const Coverage& LogoCoverage() {
  static const Coverage logo = [] {
    Canvas canvas(kFrameW, kFrameH);
    DrawMenuLogo(canvas);
    cairo_surface_flush(canvas.surface());
    const unsigned char* data = cairo_image_surface_get_data(canvas.surface());
    const int stride = cairo_image_surface_get_stride(canvas.surface());
    Coverage c(static_cast<size_t>(kFrameW) * kFrameH);
    for (int y = 0; y < kFrameH; ++y) {
      for (int x = 0; x < kFrameW; ++x) {
        uint32_t argb;
        std::memcpy(&argb, data + static_cast<size_t>(y) * stride + x * 4, 4);
        c[static_cast<size_t>(y) * kFrameW + x] = static_cast<uint8_t>(AlphaOf(argb));
      }
    }
    return c;
  }();
  return logo;
}

bool IsMainMenuItem(const std::string& file) {
  return file.rfind("data\\PMM", 0) == 0 || file.rfind("data\\AMM", 0) == 0;
}
bool IsTitle(const std::string& file) {
  return file == "data\\HelpLabel.png" || file == "data\\OptionsLabel.png" || file == "data\\HighScore.png";
}

// The pictures a screen shows, in three groups.
struct Screen {
  std::string name;
  bool logoShown = false;  // the menu background is up
  std::vector<Placed> mainMenu, titles, panel;  // panel: the screen's own pictures but its title
};

class MenuLayout : public ::testing::Test {
 protected:
  void SetUp() override {
    game.Start();
    game.Frame();
  }

  // The shown sprites with a picture (the full-screen background and the
  // pointer aside), as they are set now.
  Screen Capture(const std::string& name) {
    Screen s{name, false, {}, {}, {}};
    const core::GameContext& ctx = game.context();
    s.logoShown = game.engine().sprites[ctx.res.menuBackground].shown;
    for (const auto& [handle, sprite] : game.engine().sprites) {
      if (!sprite.shown || sprite.destroyed || handle == ctx.res.menuBackground || handle == ctx.res.cursorSprite) {
        continue;
      }
      const std::string file = game.engine().TextureFile(sprite.texture);
      if (file.empty() || file.find(".png") == std::string::npos) continue;
      Placed p;
      p.file = file;
      p.image = &SharedPictures().Get(file);
      p.width = sprite.scale.x * kPixelsPerScale;
      p.height = sprite.scale.y * kPixelsPerScale;
      p.left = (sprite.location.x + 16) * kPixelsPerUnit - p.width / 2;
      p.top = (12 - sprite.location.y) * kPixelsPerUnit - p.height / 2;
      (IsMainMenuItem(file) ? s.mainMenu : IsTitle(file) ? s.titles : s.panel).push_back(p);
    }
    return s;
  }

  GameHarness game;
};

// Shown pixels of `p` that fall outside the frame.
int PixelsOutsideTheFrame(const Placed& p) {
  int outside = 0;
  const Image& img = *p.image;
  for (int v = 0; v < img.height; ++v) {
    for (int u = 0; u < img.width; ++u) {
      if (AlphaOf(img.pixels[static_cast<size_t>(v) * img.width + u]) < kShown) continue;
      const double x = p.left + (u + 0.5) * p.width / img.width;
      const double y = p.top + (v + 0.5) * p.height / img.height;
      if (x < 0 || y < 0 || x >= kFrameW || y >= kFrameH) ++outside;
    }
  }
  return outside;
}

Coverage CoverageOf(const std::vector<Placed>& group) {
  Coverage c(static_cast<size_t>(kFrameW) * kFrameH, 0);
  for (const Placed& p : group) {
    const int x0 = std::max(0, static_cast<int>(p.left)), x1 = std::min(kFrameW, static_cast<int>(p.left + p.width) + 1);
    const int y0 = std::max(0, static_cast<int>(p.top)), y1 = std::min(kFrameH, static_cast<int>(p.top + p.height) + 1);
    for (int y = y0; y < y1; ++y) {
      for (int x = x0; x < x1; ++x) {
        uint8_t& cell = c[static_cast<size_t>(y) * kFrameW + x];
        cell = std::max<uint8_t>(cell, static_cast<uint8_t>(p.AlphaAtFrame(x, y)));
      }
    }
  }
  return c;
}

// Pixels where both coverages are shown; the first such pixel in `where`.
int Overlap(const Coverage& a, const Coverage& b, std::string* where) {
  int count = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] >= kShown && b[i] >= kShown) {
      if (count++ == 0 && where) *where = "first at (" + std::to_string(i % kFrameW) + ", " + std::to_string(i / kFrameW) + ")";
    }
  }
  return count;
}

// Every picture in the frame; titles and the screen's pictures clear of the
// logo and of each other, and (beside the main menu) clear of its column.
void ExpectComposed(const Screen& s, bool besideMainMenu) {
  for (const auto* group : {&s.mainMenu, &s.titles, &s.panel}) {
    for (const Placed& p : *group) EXPECT_EQ(PixelsOutsideTheFrame(p), 0) << s.name << ": " << p.file << " leaves the frame";
  }
  const Coverage titles = CoverageOf(s.titles), panel = CoverageOf(s.panel), column = CoverageOf(s.mainMenu);
  std::string where;
  if (s.logoShown) {
    EXPECT_EQ(Overlap(titles, LogoCoverage(), &where), 0) << s.name << ": the title meets the logo, " << where;
    EXPECT_EQ(Overlap(panel, LogoCoverage(), &where), 0) << s.name << ": the panel meets the logo, " << where;
  }
  EXPECT_EQ(Overlap(titles, panel, &where), 0) << s.name << ": the title meets the panel, " << where;
  EXPECT_EQ(Overlap(titles, column, &where), 0) << s.name << ": the title meets the main menu, " << where;
  if (besideMainMenu) {
    EXPECT_EQ(Overlap(panel, column, &where), 0) << s.name << ": the panel meets the main menu, " << where;
  }
}

TEST_F(MenuLayout, MainMenuColumnStaysInTheFrameAndClearOfTheLogo) {
  const Screen s = Capture("main menu");
  ASSERT_EQ(s.mainMenu.size(), 12u);
  EXPECT_TRUE(s.logoShown);
  ExpectComposed(s, true);
}

TEST_F(MenuLayout, EveryHelpPageSitsInItsFrameBesideTheMainMenu) {
  menus::Menus().mainMenu.Help();
  game.Frame();
  for (int page = 1; page <= kHelpPages; ++page) {
    const Screen s = Capture("help page " + std::to_string(page));
    ASSERT_EQ(s.titles.size(), 1u);
    ExpectComposed(s, true);
    game.Tap(keys::kEnter);
    game.Frame();
  }
}

TEST_F(MenuLayout, OptionsPanelAndTitleStayClearOfTheLogoAndTheMainMenu) {
  menus::Menus().mainMenu.Options();
  game.Frame();
  const Screen s = Capture("options");
  ASSERT_EQ(s.titles.size(), 1u);
  ExpectComposed(s, true);
}

TEST_F(MenuLayout, OptionValuePlatesStayClearOfTheSelectionUnderline) {
  menus::Menus().mainMenu.Options();
  game.Frame();
  // Rows 1 to 3 hold the value plates; the underline moves under each.
  for (int row = 1; row <= 3; ++row) {
    const Screen s = Capture("options row " + std::to_string(row));
    std::vector<Placed> underline, values;
    for (const Placed& p : s.panel) {
      if (p.file == "data\\Underline.png") underline.push_back(p);
      else if (p.file != "data\\Options.png") values.push_back(p);
    }
    ASSERT_EQ(underline.size(), 1u);
    std::string where;
    EXPECT_EQ(Overlap(CoverageOf(underline), CoverageOf(values), &where), 0) << "row " << row << ", " << where;
    game.Tap(keys::kDown);
    game.Frame();
  }
}

TEST_F(MenuLayout, HighScoreTableAndTitleStayClearOfTheLogoAndTheMainMenu) {
  menus::Menus().mainMenu.HighScores();
  game.Frame();
  const Screen s = Capture("high scores");
  ASSERT_EQ(s.titles.size(), 1u);
  ExpectComposed(s, true);
}

TEST_F(MenuLayout, DialogAndNameEntryStayInTheFrame) {
  menus::Menus().mainMenu.Exit();
  game.Frame();
  const Screen dialog = Capture("quit dialog");
  EXPECT_FALSE(dialog.panel.empty());
  ExpectComposed(dialog, false);
  menus::Menus().exitMenu.No();
  game.Frame();
  // The entry opens over the play screen, where the menu background is down.
  menus::Menus().mainMenu.Hide();
  iSpriteHide(game.context().res.menuBackground);
  menus::Menus().recordInput.Open();
  game.Frame();
  const Screen entry = Capture("name entry");
  ASSERT_EQ(entry.panel.size(), 1u);
  ExpectComposed(entry, false);
}

// --- The records screen's printed columns -----------------------------------

constexpr int kNameChars = 10, kGapChars = 7, kScoreChars = 6;

spriteengine::Font MainFont() {
  const std::vector<uint8_t> bytes = ReadAll(GameFile("data\\_font\\Haettenschweiler.wid"));
  std::string why;
  std::optional<spriteengine::Font> font = spriteengine::ParseWid(bytes, 0, &why);
  EXPECT_TRUE(font.has_value()) << why;
  return font ? std::move(*font) : spriteengine::Font{};
}

std::vector<uint8_t> RecordsFile(const std::vector<std::pair<std::string, int32_t>>& entries) {
  std::vector<uint8_t> bytes;
  for (const auto& [name, score] : entries) {
    core::TRecordEntry e{};
    e.NameLength = static_cast<uint8_t>(name.size());
    std::memcpy(e.Name, name.data(), std::min<size_t>(name.size(), core::kMaxTextLength));
    e.Score = score;
    const auto* p = reinterpret_cast<const uint8_t*>(&e);
    bytes.insert(bytes.end(), p, p + sizeof e);
  }
  return bytes;
}

// Frame x ranges of the ink of a line's name and score characters.
struct Columns {
  double nameLeft = 1e9, nameRight = -1e9, scoreLeft = 1e9, scoreRight = -1e9;
};

class RecordsColumns : public ::testing::Test {
 protected:
  // Opens the records screen on a table read from `entries`' file and lays
  // out every printed line as the engine draws it.
  std::vector<Columns> PrintedColumns(const std::vector<std::pair<std::string, int32_t>>& entries) {
    game.folder().Write("data/records.dat", RecordsFile(entries));
    game.Start();
    game.Frame();
    menus::Menus().mainMenu.HighScores();
    game.Frame();
    const spriteengine::Font font = MainFont();
    std::vector<Columns> lines;
    for (const fake::Print& print : game.engine().prints) {
      const spriteengine::TextLayout layout = spriteengine::LayoutText(
          font, print.text, {print.location.x, print.location.y}, {print.scale.x, print.scale.y}, print.spacing,
          print.centered);
      // The layout holds a glyph for every byte but a space.
      Columns c;
      size_t glyph = 0;
      for (size_t i = 0; i < print.text.size() && glyph < layout.glyphs.size(); ++i) {
        if (print.text[i] == ' ') continue;
        const spriteengine::GlyphPlacement& g = layout.glyphs[glyph++];
        const double left = (g.left + 16) * kPixelsPerUnit, right = (g.right + 16) * kPixelsPerUnit;
        if (i < kNameChars) {
          c.nameLeft = std::min(c.nameLeft, left);
          c.nameRight = std::max(c.nameRight, right);
        } else if (i >= kNameChars + kGapChars) {
          c.scoreLeft = std::min(c.scoreLeft, left);
          c.scoreRight = std::max(c.scoreRight, right);
        }
      }
      EXPECT_EQ(glyph, layout.glyphs.size()) << print.text;
      lines.push_back(c);
    }
    return lines;
  }

  // The table's header cell in frame pixels, where the game sets Table.png.
  std::pair<double, double> HeaderInFrame(const ScoreColumn& column) {
    for (const auto& [handle, sprite] : game.engine().sprites) {
      if (game.engine().TextureFile(sprite.texture) != "data\\Table.png") continue;
      const Image& table = SharedPictures().Get("data\\Table.png");
      const double width = sprite.scale.x * kPixelsPerScale;
      const double left = (sprite.location.x + 16) * kPixelsPerUnit - width / 2;
      const double perPixel = width / table.width;
      return {left + column.left * perPixel, left + column.right * perPixel};
    }
    ADD_FAILURE() << "no table on the records screen";
    return {0, 0};
  }

  GameHarness game;
};

// The header cells are drawn where the layout says: the middle of each cell's
// row holds shown pixels across its whole width.
TEST(ScoreTableArt, HeaderCellsAreDrawnWhereTheLayoutPutsThem) {
  const Image& table = SharedPictures().Get("data\\Table.png");
  for (const ScoreColumn& column : {kScoreNameColumn, kScoreValueColumn}) {
    int gaps = 0;
    for (int x = static_cast<int>(column.left) + 2; x < static_cast<int>(column.right) - 2; ++x) {
      // The cell's rule under its label.
      bool ruled = false;
      for (int y = 40; y < 56; ++y) ruled |= AlphaOf(table.pixels[static_cast<size_t>(y) * table.width + x]) >= 200;
      gaps += !ruled;
    }
    EXPECT_EQ(gaps, 0) << column.label;
  }
}

TEST_F(RecordsColumns, HeaderCellsCoverTheNameAndScoreColumnsOfFullLines) {
  std::vector<std::pair<std::string, int32_t>> entries;
  const char* names[] = {"WWWWWWWWWW", "MMMMMMMMMM", "IIIIIIIIII", "A", "", "w", "ZZZZZ", "iiiiiiiiii", "..........", "QUINTUS"};
  for (int i = 0; i < core::kRecordCount; ++i) entries.push_back({names[i], i % 2 ? 999999 : 7 - i});
  const std::vector<Columns> lines = PrintedColumns(entries);
  ASSERT_EQ(lines.size(), 10u);
  const auto name = HeaderInFrame(kScoreNameColumn), score = HeaderInFrame(kScoreValueColumn);
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].nameRight > lines[i].nameLeft) {
      EXPECT_GE(lines[i].nameLeft, name.first) << "line " << i + 1;
      EXPECT_LE(lines[i].nameRight, name.second) << "line " << i + 1;
    }
    EXPECT_GE(lines[i].scoreLeft, score.first) << "line " << i + 1;
    EXPECT_LE(lines[i].scoreRight, score.second) << "line " << i + 1;
  }
}

TEST_F(RecordsColumns, NamesOfBytesOutsideTheFontKeepTheirScoresInTheScoreColumn) {
  std::vector<std::pair<std::string, int32_t>> entries;
  const std::string odd[] = {std::string("\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a", 10), "\xff\xfe\xfd\xfc\xfb\xfa\xf9\xf8\xf7\xf6",
                             "J\xc9R\xd4ME", std::string("\x00\x00\x00", 3), "\x7f\x80\x81"};
  for (int i = 0; i < core::kRecordCount; ++i) entries.push_back({odd[i % 5], 900000 - i * 1000});
  const std::vector<Columns> lines = PrintedColumns(entries);
  ASSERT_EQ(lines.size(), 10u);
  const auto score = HeaderInFrame(kScoreValueColumn);
  for (size_t i = 0; i < lines.size(); ++i) {
    EXPECT_GE(lines[i].scoreLeft, score.first) << "line " << i + 1;
    EXPECT_LE(lines[i].scoreRight, score.second) << "line " << i + 1;
  }
}

}  // namespace
}  // namespace assetgen::test
