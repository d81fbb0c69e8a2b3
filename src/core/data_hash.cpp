#include "core/data_hash.h"

#include <openssl/evp.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ascii.h"
#include "platform/file_io.h"

namespace core {
namespace {

constexpr const char* kDataFolders[] = {"data", "sound", "wdata"};
// The kinds of file the build makes; anything else there is the player's.
constexpr std::string_view kDataExtensions[] = {".png", ".jpg", ".dds", ".wid", ".x",   ".wav",
                                                ".ogg", ".ini", ".html"};
constexpr size_t kMaxDataFileBytes = 64u << 20;

bool IsDataFile(const std::string& name) {
  return std::any_of(std::begin(kDataExtensions), std::end(kDataExtensions),
                     [&](std::string_view ext) { return platform::EndsWithIgnoringAsciiCase(name, ext); });
}

struct DigestDeleter {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

class Sha256Builder {
 public:
  Sha256Builder() : context_(EVP_MD_CTX_new()) { EVP_DigestInit_ex(context_.get(), EVP_sha256(), nullptr); }
  void Add(std::span<const uint8_t> bytes) { EVP_DigestUpdate(context_.get(), bytes.data(), bytes.size()); }
  void Add(std::string_view text) { Add({reinterpret_cast<const uint8_t*>(text.data()), text.size() + 1}); }
  Sha256 Finish() {
    Sha256 digest{};
    unsigned int length = 0;
    EVP_DigestFinal_ex(context_.get(), digest.data(), &length);
    return digest;
  }

 private:
  std::unique_ptr<EVP_MD_CTX, DigestDeleter> context_;
};

}  // namespace

Sha256 Sha256Of(std::span<const uint8_t> bytes) {
  Sha256Builder builder;
  builder.Add(bytes);
  return builder.Finish();
}

Sha256 HashDataFiles() {
  namespace fs = std::filesystem;
  std::vector<std::string> paths;
  for (const char* folder : kDataFolders) {
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
      if (it->is_regular_file(error) && IsDataFile(it->path().filename().string())) paths.push_back(it->path().generic_string());
    }
  }
  // A folder lists its files in no fixed order.
  std::sort(paths.begin(), paths.end());
  Sha256Builder builder;
  for (const std::string& path : paths) {
    const auto bytes = platform::ReadWholeFile(path, kMaxDataFileBytes);
    builder.Add(path);
    builder.Add(std::to_string(bytes ? bytes->size() : 0));
    if (bytes) builder.Add(*bytes);
  }
  return builder.Finish();
}

}  // namespace core
