#include "platform/shell.h"

#include <sys/stat.h>

#include <array>
#include <filesystem>

#include "platform/ascii.h"
#include "platform/detached_spawn.h"
#include "platform/file_io.h"
#include "platform/game_path.h"

namespace platform::Shell {
namespace {

constexpr size_t kMaxUrlFileBytes = 64 * 1024;
constexpr size_t kMaxUrlFileLine = 4 * 1024;
constexpr std::string_view kUrlFileExtension = ".url";
constexpr std::string_view kUrlFileSection = "InternetShortcut";
constexpr std::string_view kUrlKey = "URL";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kOpener = "xdg-open";
constexpr mode_t kAnyExecuteBit = S_IXUSR | S_IXGRP | S_IXOTH;

constexpr std::array<std::string_view, 2> kWebSchemes = {"http://", "https://"};
constexpr std::array<std::string_view, 3> kUrlFileSchemes = {"http://", "https://", "file://"};

struct Command {
  std::vector<std::string> argv;  // empty: nothing to run
  std::string workingDir;         // empty: the current folder
};

std::string_view Trim(std::string_view text) {
  const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

// A URL with one of the schemes, something after it, and no blanks or control bytes
// (which no real link contains and which a browser might take for a second argument).
template <size_t N>
bool IsAcceptedUrl(std::string_view url, const std::array<std::string_view, N>& schemes) {
  bool schemeOk = false;
  for (const std::string_view scheme : schemes) {
    if (url.size() > scheme.size() && StartsWithIgnoringAsciiCase(url, scheme)) schemeOk = true;
  }
  if (!schemeOk) return false;
  for (const char c : url) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= ' ' || byte == 0x7F) return false;
  }
  return true;
}

// The target as it names something here: as given if that exists, else with the
// game's case-insensitive path rules (links in the game's files use backslashes).
std::optional<std::string> ExistingPath(const std::string& target, struct stat& info) {
  if (::stat(target.c_str(), &info) == 0) return target;
  std::string resolved = GamePath(target);
  if (::stat(resolved.c_str(), &info) == 0) return resolved;
  return std::nullopt;
}

// Absolute, so that no argument ever begins with '-' and a bare name is never
// looked up in PATH.
std::string AbsolutePath(const std::string& path) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  if (error) return {};
  return absolute.lexically_normal().string();
}

Command Resolve(const std::string& target) {
  if (target.empty() || target.find('\0') != std::string::npos) return {};
  if (IsAcceptedUrl(target, kWebSchemes)) return {{std::string(kOpener), target}, {}};

  struct stat info {};
  const std::optional<std::string> path = ExistingPath(target, info);
  if (!path) return {};
  const std::string absolute = AbsolutePath(*path);
  if (absolute.empty()) return {};

  if (S_ISREG(info.st_mode) && EndsWithIgnoringAsciiCase(absolute, kUrlFileExtension)) {
    const auto bytes = ReadWholeFile(absolute, kMaxUrlFileBytes);
    if (!bytes) return {};
    const std::string_view text(reinterpret_cast<const char*>(bytes->data()), bytes->size());
    const std::optional<std::string> url = ParseUrlFile(text);
    if (!url) return {};
    return {{std::string(kOpener), *url}, {}};
  }
  if (S_ISREG(info.st_mode) && (info.st_mode & kAnyExecuteBit) != 0) {
    return {{absolute}, std::filesystem::path(absolute).parent_path().string()};
  }
  return {{std::string(kOpener), absolute}, {}};
}

}  // namespace

std::optional<std::string> ParseUrlFile(std::string_view text) {
  if (text.size() > kMaxUrlFileBytes) return std::nullopt;
  if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom) text.remove_prefix(kUtf8Bom.size());

  // Lines before any section header are accepted too: hand-written shortcuts often omit it.
  bool inShortcutSection = true;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view rawLine = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (rawLine.size() > kMaxUrlFileLine) continue;

    const std::string_view line = Trim(rawLine);
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      inShortcutSection = EqualsIgnoringAsciiCase(Trim(line.substr(1, line.size() - 2)), kUrlFileSection);
      continue;
    }
    const size_t equals = line.find('=');
    if (!inShortcutSection || equals == std::string_view::npos) continue;
    if (!EqualsIgnoringAsciiCase(Trim(line.substr(0, equals)), kUrlKey)) continue;

    // The first URL= line decides, as it would for the other system's INI reader.
    const std::string_view url = Trim(line.substr(equals + 1));
    if (!IsAcceptedUrl(url, kUrlFileSchemes)) return std::nullopt;
    return std::string(url);
  }
  return std::nullopt;
}

std::vector<std::string> CommandFor(const std::string& target) { return Resolve(target).argv; }

bool Open(const std::string& target) {
  const Command command = Resolve(target);
  if (command.argv.empty()) return false;
  return RunSpawner(command.argv, command.workingDir);
}

void SetSpawner(Spawner spawner) { InstallSpawner(std::move(spawner)); }

}  // namespace platform::Shell
