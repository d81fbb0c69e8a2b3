#include "platform/memory_player_files.h"

#include <atomic>

namespace platform {
namespace {

std::atomic<MemoryPlayerFiles*> installed{nullptr};

}  // namespace

MemoryPlayerFiles::MemoryPlayerFiles() { installed.store(this, std::memory_order_release); }

MemoryPlayerFiles::~MemoryPlayerFiles() {
  MemoryPlayerFiles* self = this;
  installed.compare_exchange_strong(self, nullptr, std::memory_order_acq_rel);
}

MemoryPlayerFiles* MemoryPlayerFiles::Installed() { return installed.load(std::memory_order_acquire); }

MemoryPlayerFiles* MemoryPlayerFiles::Holding(const std::string& path) {
  MemoryPlayerFiles* store = Installed();
  return store && path.starts_with(kRoot) ? store : nullptr;
}

std::optional<std::vector<uint8_t>> MemoryPlayerFiles::Read(const std::string& path, size_t maxBytes) const {
  std::lock_guard lock(mutex_);
  const auto found = files_.find(path);
  if (found == files_.end() || found->second.size() > maxBytes) return std::nullopt;
  return found->second;
}

void MemoryPlayerFiles::Write(const std::string& path, std::span<const uint8_t> bytes) {
  std::lock_guard lock(mutex_);
  files_[path].assign(bytes.begin(), bytes.end());
}

bool MemoryPlayerFiles::Remove(const std::string& path) {
  std::lock_guard lock(mutex_);
  return files_.erase(path) > 0;
}

bool MemoryPlayerFiles::Rename(const std::string& from, const std::string& to) {
  std::lock_guard lock(mutex_);
  const auto found = files_.find(from);
  if (found == files_.end()) return false;
  std::vector<uint8_t> bytes = std::move(found->second);
  files_.erase(found);
  files_[to] = std::move(bytes);
  return true;
}

bool MemoryPlayerFiles::Exists(const std::string& path) const {
  std::lock_guard lock(mutex_);
  return files_.contains(path);
}

}  // namespace platform
