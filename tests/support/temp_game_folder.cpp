#include "temp_game_folder.h"

#include <unistd.h>

#include <fstream>
#include <iterator>

namespace testing_support {

TempGameFolder::TempGameFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "varnok-test-XXXXXX").string();
  path_ = ::mkdtemp(pattern.data());
  std::filesystem::create_directories(path_ / "data");
  previous_ = std::filesystem::current_path();
  std::filesystem::current_path(path_);
}

TempGameFolder::~TempGameFolder() {
  std::error_code error;
  std::filesystem::current_path(previous_, error);
  std::filesystem::remove_all(path_, error);
}

void TempGameFolder::Write(const std::string& relative, const std::vector<uint8_t>& bytes) const {
  std::filesystem::create_directories((path_ / relative).parent_path());
  std::ofstream out(path_ / relative, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> TempGameFolder::Read(const std::string& relative) const {
  std::ifstream in(path_ / relative, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool TempGameFolder::Exists(const std::string& relative) const { return std::filesystem::exists(path_ / relative); }

}  // namespace testing_support
