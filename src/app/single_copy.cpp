#include "app/single_copy.h"

#include <cstdio>
#include <cstring>

#include "core/restart_record.h"
#include "core/player_files.h"
#include "platform/file_io.h"
#include "platform/message_box.h"
#include "platform/player_path.h"
#include "world/world_snapshot.h"

namespace app {
namespace {

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

}  // namespace

std::vector<std::string> SavedFileNames() {
  std::vector<std::string> names;
  for (const char* file : {core::kSettingsFile, core::kRecordsFile, core::kRestartFile, world::kSnapshotHeaderFile,
                           world::kSnapshotBackgroundFile, world::kSnapshotForegroundTilesFile,
                           world::kSnapshotBuildingsFile, world::kSnapshotWagonsFile, world::kSnapshotThingsFile,
                           world::kSnapshotEnemiesFile, world::kSnapshotHeroFile}) {
    const char* backslash = std::strrchr(file, '\\');
    names.emplace_back(backslash ? backslash + 1 : file);
  }
  return names;
}

std::optional<platform::FolderLock> TakePlayerFiles() {
  const std::string lockPath = platform::PlayerFilePath(kPlayerFilesLock);
  platform::FolderLock lock = platform::FolderLock::Acquire(lockPath, kHandOverWait);
  switch (lock.outcome()) {
    case platform::FolderLock::Outcome::kHeldElsewhere:
      platform::ShowMessageBox("Varnok", kAlreadyRunningMessage);
      return std::nullopt;
    case platform::FolderLock::Outcome::kUnavailable:
      std::fprintf(stderr, "varnok: %s cannot be locked (%s); a second copy of the game would not be stopped\n",
                   lockPath.c_str(), std::strerror(lock.error()));
      return lock;
    case platform::FolderLock::Outcome::kLocked:
      break;
  }
  // Only the lock holder writes here, so a temporary file left now belongs to a dead writer.
  platform::RemoveStrayTempFiles(FolderOf(lockPath), SavedFileNames());
  return lock;
}

}  // namespace app
