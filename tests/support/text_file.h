// A whole file as text and back, byte for byte: what tests read from logs and
// player files and what they lay out before a run.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace testing_support {

// A missing file reads as empty text.
inline std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Creates the folders on the way.
inline void WriteText(const std::filesystem::path& path, const std::string& text) {
  std::error_code ignored;
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ignored);
  std::ofstream(path, std::ios::binary) << text;
}

}  // namespace testing_support
