#include "source_scan.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

namespace assetgen::test {
namespace {

// Extensions of files the generator makes; anything else a literal names
// (records, snapshots, executables) is the game's own business.
const char* const kGeneratedExtensions[] = {".png", ".jpg", ".jpeg", ".wav", ".ogg", ".wid",
                                            ".dds", ".x", ".ini", ".url", ".html"};

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

bool IsGenerated(const std::string& name) {
  const std::string lower = Lower(name);
  return std::any_of(std::begin(kGeneratedExtensions), std::end(kGeneratedExtensions), [&](const char* ext) {
    const std::string e = ext;
    return lower.size() > e.size() && lower.compare(lower.size() - e.size(), e.size(), e) == 0;
  });
}

// Source text "data\\x.png" (an escaped backslash) or "data/x.png" -> data/x.png.
std::string Normalise(const std::string& literal) {
  std::string out;
  for (size_t i = 0; i < literal.size(); ++i) {
    if (literal[i] == '\\' && i + 1 < literal.size() && literal[i + 1] == '\\') {
      out += '/';
      ++i;
    } else {
      out += literal[i];
    }
  }
  return out;
}

// printf pattern -> regular expression over whole names.
std::string PatternToRegex(const std::string& pattern) {
  static const std::regex conversion(R"(%[-+ #0]*[0-9]*(\.[0-9]+)?(hh|h|ll|l|z)?([diuxXsc%]))");
  std::string out;
  auto begin = pattern.cbegin();
  for (std::sregex_iterator it(pattern.begin(), pattern.end(), conversion), end; it != end; ++it) {
    for (auto c = begin; c != pattern.cbegin() + it->position(); ++c) {
      if (std::string("\\^$.|?*+()[]{}").find(*c) != std::string::npos) out += '\\';
      out += *c;
    }
    const char kind = (*it)[3].str()[0];
    if (kind == 's') {
      out += "[^/]*";
    } else if (kind == 'c') {
      out += "[^/]";
    } else if (kind == '%') {
      out += '%';
    } else {
      out += "[0-9a-fA-F]+";
    }
    begin = pattern.cbegin() + it->position() + it->length();
  }
  for (auto c = begin; c != pattern.cend(); ++c) {
    if (std::string("\\^$.|?*+()[]{}").find(*c) != std::string::npos) out += '\\';
    out += *c;
  }
  return out;
}

}  // namespace

std::vector<NamedFile> ScanSourceText(const std::string& text, const std::string& fileName) {
  static const std::regex dataLiteral(R"re("((?:data|sound|wdata)(?:\\\\|/)[^"\n]*)")re", std::regex::icase);
  static const std::regex shortcutLiteral(R"re("([A-Za-z0-9_]+\.url)")re");
  std::vector<NamedFile> found;
  std::istringstream lines(text);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    for (const std::regex* re : {&dataLiteral, &shortcutLiteral}) {
      for (std::sregex_iterator it(line.begin(), line.end(), *re), end; it != end; ++it) {
        NamedFile f;
        f.name = Normalise((*it)[1].str());
        if (!IsGenerated(f.name)) continue;
        f.where = fileName + ":" + std::to_string(number);
        f.isPattern = f.name.find('%') != std::string::npos;
        found.push_back(std::move(f));
      }
    }
  }
  return found;
}

std::vector<NamedFile> ScanSourceTree(const std::string& dir) {
  std::vector<NamedFile> all;
  std::error_code ec;
  std::vector<std::filesystem::path> files;
  for (auto it = std::filesystem::recursive_directory_iterator(dir, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    const std::string ext = it->path().extension().string();
    if (it->is_regular_file() && (ext == ".cpp" || ext == ".h" || ext == ".hpp" || ext == ".cc")) files.push_back(it->path());
  }
  std::sort(files.begin(), files.end());
  for (const auto& path : files) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    auto found = ScanSourceText(text.str(), path.lexically_relative(dir).string());
    all.insert(all.end(), found.begin(), found.end());
  }
  return all;
}

std::vector<std::string> Resolve(const NamedFile& named, const std::vector<std::string>& manifestPaths) {
  std::vector<std::string> matches;
  if (named.isPattern) {
    const std::regex re(PatternToRegex(named.name), std::regex::icase);
    for (const auto& p : manifestPaths) {
      if (std::regex_match(p, re)) matches.push_back(p);
    }
  } else {
    const std::string want = Lower(named.name);
    for (const auto& p : manifestPaths) {
      if (Lower(p) == want) matches.push_back(p);
    }
  }
  return matches;
}

}  // namespace assetgen::test
