// A temporary game folder that becomes the current folder for a test and is
// removed afterwards, with the data/ folder the player files live in.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace testing_support {

class TempGameFolder {
 public:
  TempGameFolder();
  ~TempGameFolder();
  TempGameFolder(const TempGameFolder&) = delete;
  TempGameFolder& operator=(const TempGameFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  void Write(const std::string& relative, const std::vector<uint8_t>& bytes) const;
  std::vector<uint8_t> Read(const std::string& relative) const;
  bool Exists(const std::string& relative) const;

 private:
  std::filesystem::path path_;
  std::filesystem::path previous_;
};

}  // namespace testing_support
