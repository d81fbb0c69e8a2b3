#include "script.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace spriteengine {

namespace {

constexpr uint64_t kMaxFrame = 1ull << 40;
// A run phase draws a handful of pictures at most (a level build about ten).
constexpr uint64_t kMaxPicture = 1000;

std::vector<std::string> Words(std::string_view line) {
  std::vector<std::string> words;
  std::istringstream in{std::string(line)};
  std::string w;
  while (in >> w) words.push_back(w);
  return words;
}

std::optional<uint64_t> ParseFrame(const std::string& s) {
  if (s.empty() || s.size() > 15) return std::nullopt;
  uint64_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + static_cast<uint64_t>(c - '0');
  }
  if (v > kMaxFrame) return std::nullopt;
  return v;
}

// A shot's picture number 1..kMaxPicture; -1 when it is not one.
int ParsePicture(const std::string& s) {
  std::optional<uint64_t> n = ParseFrame(s);
  if (!n || *n < 1 || *n > kMaxPicture) return -1;
  return static_cast<int>(*n);
}

// A DirectInput code, decimal or 0x hex, 1..255.
std::optional<int> ParseCode(const std::string& s) {
  if (s.empty() || s.size() > 8) return std::nullopt;
  bool hex = s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X');
  const char* begin = s.c_str() + (hex ? 2 : 0);
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(begin, &end, hex ? 16 : 10);
  if (errno || end == begin || *end != '\0' || v < 1 || v > 255) return std::nullopt;
  if (!hex && (s[0] < '0' || s[0] > '9')) return std::nullopt;
  return static_cast<int>(v);
}

std::optional<float> ParseUnit(const std::string& s) {
  char* end = nullptr;
  float v = std::strtof(s.c_str(), &end);
  if (s.empty() || *end != '\0' || !std::isfinite(v)) return std::nullopt;
  return v;
}

constexpr int kMaxPad = 255;

// "pad N add|remove|down B|up B|tap B|axis A VALUE" from its words (w[1] is
// "pad"); the message of what is wrong, or empty with `c` filled in.
std::string ParsePadCommand(const std::vector<std::string>& w, ScriptCommand& c) {
  static const std::string kUsage = "pad needs N add|remove|down B|up B|tap B|axis A VALUE";
  if (w.size() < 4) return kUsage;
  std::optional<uint64_t> pad = ParseFrame(w[2]);
  if (!pad || *pad > kMaxPad) return "pad number must be 0.." + std::to_string(kMaxPad);
  c.pad = static_cast<int>(*pad);
  const std::string& what = w[3];
  const size_t args = w.size() - 4;
  if (what == "add" || what == "remove") {
    if (args) return "pad " + what + " takes no more arguments";
    c.op = what == "add" ? ScriptOp::kPadAdd : ScriptOp::kPadRemove;
    return "";
  }
  if (what == "down" || what == "up" || what == "tap") {
    std::optional<PadButton> button = args == 1 ? PadButtonNamed(w[4]) : std::nullopt;
    if (!button) return "pad " + what + " needs one button (a, b, x, y, back, start, dpup, leftshoulder, ...)";
    c.op = what == "down" ? ScriptOp::kPadDown : what == "up" ? ScriptOp::kPadUp : ScriptOp::kPadTap;
    c.button = *button;
    return "";
  }
  if (what == "axis") {
    std::optional<PadAxis> axis = args == 2 ? PadAxisNamed(w[4]) : std::nullopt;
    std::optional<float> value = args == 2 ? ParseUnit(w[5]) : std::nullopt;
    if (!axis || !value || *value < -1 || *value > 1)
      return "pad axis needs an axis (leftx, lefty, ...) and a value -1..1";
    c.op = ScriptOp::kPadAxis;
    c.axis = *axis;
    c.x = *value;
    return "";
  }
  return kUsage;
}

}  // namespace

Script ParseScript(std::string_view text) {
  static const std::map<std::string, ScriptOp> kWindowOps = {
      {"close", ScriptOp::kClose},     {"minimize", ScriptOp::kMinimize}, {"maximize", ScriptOp::kMaximize},
      {"restore", ScriptOp::kRestore}, {"activate", ScriptOp::kActivate}, {"quit", ScriptOp::kQuit},
  };
  Script script;
  int lineNumber = 0;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    ++lineNumber;
    if (size_t hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
    std::vector<std::string> w = Words(line);
    if (w.empty()) {
      if (end == text.size()) break;
      continue;
    }
    auto fail = [&](const std::string& message) { script.errors.push_back({lineNumber, message}); };
    std::optional<uint64_t> frame = ParseFrame(w[0]);
    if (!frame) {
      fail("bad frame number '" + w[0] + "'");
    } else if (w.size() < 2) {
      fail("missing command");
    } else {
      ScriptCommand c;
      c.frame = *frame;
      c.line = lineNumber;
      const std::string& op = w[1];
      size_t args = w.size() - 2;
      if (op == "down" || op == "up" || op == "tap") {
        std::optional<int> code = args == 1 ? ParseCode(w[2]) : std::nullopt;
        if (!code) {
          fail(op + " needs one scan code 1..255 (decimal or 0x hex)");
        } else {
          c.op = op == "down" ? ScriptOp::kDown : op == "up" ? ScriptOp::kUp : ScriptOp::kTap;
          c.code = *code;
          script.byFrame.emplace(c.frame, c);
        }
      } else if (op == "mouse") {
        std::optional<float> x = args == 2 ? ParseUnit(w[2]) : std::nullopt;
        std::optional<float> y = args == 2 ? ParseUnit(w[3]) : std::nullopt;
        if (!x || !y) {
          fail("mouse needs two numbers X Y");
        } else {
          c.op = ScriptOp::kMouse;
          c.x = *x, c.y = *y;
          script.byFrame.emplace(c.frame, c);
        }
      } else if (op == "click") {
        if (args) {
          fail("click takes no arguments");
        } else {
          c.op = ScriptOp::kClick;
          script.byFrame.emplace(c.frame, c);
        }
      } else if (op == "shot") {
        const int picture = args == 2 ? ParsePicture(w[3]) : 0;
        if (args < 1 || args > 2 || picture < 0) {
          fail("shot needs one file name and may take a picture number 1.." + std::to_string(kMaxPicture));
        } else {
          c.op = ScriptOp::kShot;
          c.file = w[2];
          c.picture = picture;
          script.byFrame.emplace(c.frame, c);
        }
      } else if (op == "pad") {
        if (std::string problem = ParsePadCommand(w, c); !problem.empty())
          fail(problem);
        else
          script.byFrame.emplace(c.frame, c);
      } else if (auto it = kWindowOps.find(op); it != kWindowOps.end()) {
        if (args) {
          fail(op + " takes no arguments");
        } else {
          c.op = it->second;
          script.byFrame.emplace(c.frame, c);
        }
      } else {
        fail("unknown command '" + op + "'");
      }
    }
    if (end == text.size()) break;
  }
  return script;
}

std::optional<std::string> TakeFirstScriptFile(std::string_view list, std::string* rest) {
  rest->clear();
  while (!list.empty()) {
    size_t colon = list.find(':');
    std::string_view first = list.substr(0, colon);
    list = colon == std::string_view::npos ? std::string_view() : list.substr(colon + 1);
    if (!first.empty()) {
      *rest = std::string(list);
      return std::string(first);
    }
  }
  return std::nullopt;
}

}  // namespace spriteengine
