#include "core/save_notices.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace core {
namespace {

struct Notice {
  const char* what;    // what could not be saved
  const char* result;  // what the game does instead
};

constexpr Notice kNotices[kSavedFileKinds] = {
    {"the settings could not be saved", "the file keeps the old ones"},
    {"the high-score table could not be saved", "the file keeps the old table"},
    {"the restart record could not be written", "the game goes on without restarting"},
    {"the game could not be saved for its restart", "it goes on without restarting"},
    {"a replay could not be saved", "the game goes on without it"},
    {"the controls could not be saved", "the file keeps the old ones"},
};

}  // namespace

bool SaveNotices::Tell(SavedFile kind, const std::string& path, int error) {
  const auto index = static_cast<size_t>(kind);
  if (index >= kSavedFileKinds || told_[index].exchange(true)) return false;
  std::fprintf(stderr, "varnok: %s (%s: %s); %s\n", kNotices[index].what, path.c_str(),
               std::strerror(error != 0 ? error : EIO), kNotices[index].result);
  std::fflush(stderr);
  return true;
}

}  // namespace core
