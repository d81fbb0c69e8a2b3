#include "menus/share_config.h"

#include <charconv>
#include <cmath>
#include <optional>

#include "platform/file_io.h"
#include "platform/game_path.h"

namespace menus {
namespace {

constexpr std::string_view kCustomSizeMarker = "TRUE";
constexpr double kSizeFromHeight = 0.4;  // digits' size without a size line: this much of the exit button

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Hands out the lines of the text one by one.
class LineReader {
 public:
  explicit LineReader(std::string_view text) : text_(text) {}

  std::optional<std::string_view> Next() {
    if (pos_ >= text_.size()) return std::nullopt;
    const size_t end = text_.find('\n', pos_);
    std::string_view line = text_.substr(pos_, end == std::string_view::npos ? std::string_view::npos : end - pos_);
    pos_ = end == std::string_view::npos ? text_.size() : end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
  }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

std::string_view SkipBlanks(std::string_view line) {
  size_t i = 0;
  while (i < line.size() && IsBlank(line[i])) ++i;
  return line.substr(i);
}

// A whole token as a signed decimal integer.
std::optional<int32_t> ToInt(std::string_view token) {
  if (!token.empty() && token.front() == '+') token.remove_prefix(1);
  if (token.empty()) return std::nullopt;
  int32_t value = 0;
  const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value);
  if (error != std::errc() || end != token.data() + token.size()) return std::nullopt;
  return value;
}

class ConfigReader {
 public:
  ConfigReader(std::string_view text, const FileExists& exists) : lines_(text), exists_(exists) {}

  bool ok() const { return ok_; }

  // k integers of one number line; false (and the reader stops) when the line is bad.
  bool Numbers(std::initializer_list<int32_t*> out) {
    if (!ok_) return false;
    const auto line = lines_.Next();
    if (!line) return Fail();
    std::string_view rest = SkipBlanks(*line);
    if (rest.empty()) return Fail();
    for (int32_t* target : out) {
      const size_t blank = rest.find(' ');
      const std::string_view token = rest.substr(0, blank);
      rest = blank == std::string_view::npos ? std::string_view() : rest.substr(blank + 1);
      const auto value = ToInt(token);
      if (!value) return Fail();
      *target = *value;
    }
    return true;
  }

  bool Rect(menus::ScreenRect& rect) { return Numbers({&rect.left, &rect.top, &rect.width, &rect.height}); }

  bool Text(std::string& out) {
    if (!ok_) return false;
    const auto line = lines_.Next();
    if (!line) return Fail();
    out = std::string(SkipBlanks(*line));
    return true;
  }

  // A text line naming a file that must exist.
  bool File(std::string& out) {
    if (!Text(out)) return false;
    if (out.empty() || !exists_(out)) return Fail();
    return true;
  }

 private:
  bool Fail() {
    ok_ = false;
    return false;
  }

  LineReader lines_;
  const FileExists& exists_;
  bool ok_ = true;
};

}  // namespace

ShareConfig ParseShareConfig(std::string_view text, const FileExists& exists) {
  ShareConfig config;
  ConfigReader in(text, exists);
  if (!in.Numbers({&config.buttonCount}) || config.buttonCount < 1 || config.buttonCount > kMaxShareButtons) {
    return config;
  }
  if (!in.File(config.background)) return config;

  for (int32_t i = 1; i < config.buttonCount; ++i) {
    ShareButtonSpec button;
    if (!in.Rect(button.hoverRect) || !in.Rect(button.normalRect) || !in.File(button.normalImage) ||
        !in.File(button.hoverImage) || !in.File(button.action)) {
      return config;
    }
    // An ordinary button shows its normal image while disabled.
    button.disabledRect = button.normalRect;
    button.disabledImage = button.normalImage;
    config.buttons.push_back(std::move(button));
  }

  ShareButtonSpec exit;
  if (!in.Rect(exit.hoverRect) || !in.Rect(exit.normalRect) || !in.Rect(exit.disabledRect) ||
      !in.File(exit.normalImage) || !in.File(exit.hoverImage) || !in.File(exit.disabledImage)) {
    return config;
  }
  exit.action = menus::kExitAction;
  config.buttons.push_back(std::move(exit));

  std::string sizeMarker;
  if (!in.Numbers({&config.countdownX, &config.countdownY}) || !in.Numbers({&config.countdownStart}) ||
      !in.Numbers({&config.red, &config.green, &config.blue}) || !in.Text(sizeMarker)) {
    return config;
  }
  config.customSize = sizeMarker == kCustomSizeMarker;
  if (config.customSize) {
    if (!in.Numbers({&config.countdownSize})) return config;
  } else {
    config.countdownSize = static_cast<int32_t>(std::lround(config.buttons.back().normalRect.height * kSizeFromHeight));
  }
  config.valid = true;
  return config;
}

ShareConfig LoadShareConfig() {
  const auto bytes = platform::ReadWholeFile(platform::GamePath(kShareConfigFile), kMaxShareConfigBytes);
  if (!bytes) return ShareConfig{};
  const std::string_view text(reinterpret_cast<const char*>(bytes->data()), bytes->size());
  return ParseShareConfig(text, [](const std::string& file) { return platform::GameFileExists(file); });
}

}  // namespace menus
