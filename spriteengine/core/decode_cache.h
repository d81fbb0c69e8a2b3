// Decode-once caches: every file (or in-memory resource) is decoded at most
// once per process and shared by every handle made from it. A failure is
// remembered too, so its warning is printed once.
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace spriteengine {

template <typename T>
class DecodeOnceCache {
 public:
  // Returns the cached value for key, or runs decode once and caches its
  // result (nullptr included). Callers of one key wait for its one decode;
  // different keys decode at the same time on different threads.
  std::shared_ptr<const T> Get(const std::string& key, const std::function<std::shared_ptr<const T>()>& decode) {
    std::shared_ptr<Entry> entry;
    {
      std::lock_guard lock(mutex_);
      std::shared_ptr<Entry>& slot = entries_[key];
      if (!slot) slot = std::make_shared<Entry>();
      entry = slot;
    }
    std::call_once(entry->once, [&] {
      ++decodeCount_;
      entry->value = decode();
    });
    return entry->value;
  }

  int DecodeCount() const { return decodeCount_; }

  void Clear() {
    std::lock_guard lock(mutex_);
    entries_.clear();
  }

 private:
  struct Entry {
    std::once_flag once;
    std::shared_ptr<const T> value;
  };
  std::mutex mutex_;
  std::map<std::string, std::shared_ptr<Entry>> entries_;
  std::atomic<int> decodeCount_{0};  // decodes run (cache misses)
};

}  // namespace spriteengine
