// Decode-once caches: every file (or in-memory resource) is decoded at most
// once per process and shared by every handle made from it. A failure is
// remembered too, so its warning is printed once.
#pragma once

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
  // result (nullptr included). decode runs under the cache's lock.
  std::shared_ptr<const T> Get(const std::string& key, const std::function<std::shared_ptr<const T>()>& decode) {
    std::lock_guard lock(mutex_);
    auto it = entries_.find(key);
    if (it != entries_.end()) return it->second;
    ++decodeCount_;
    std::shared_ptr<const T> value = decode();
    entries_.emplace(key, value);
    return value;
  }

  int DecodeCount() const {
    std::lock_guard lock(mutex_);
    return decodeCount_;
  }

  void Clear() {
    std::lock_guard lock(mutex_);
    entries_.clear();
  }

 private:
  mutable std::mutex mutex_;
  std::map<std::string, std::shared_ptr<const T>> entries_;
  int decodeCount_ = 0;  // decodes run (cache misses)
};

}  // namespace spriteengine
