// Pictures decoded after the call that asked for them: the game creates
// every texture of every menu and level piece in its init phase, most of
// which are not on screen for a while. A PendingPicture is decoded once, by
// whichever thread wants it first: the loader's own thread, which works
// through pictures in the order they were asked for, or a drawing thread
// that needs it for the frame it draws (which then waits only for that
// picture). So the first frame is not held back by pictures it does not
// show, and the rest are decoded on a processor the frame does not use.
// Sounds are decoded the same way (Later).
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "image.h"

namespace spriteengine {

// One piece of work the loader's thread runs in its turn.
class LoaderJob {
 public:
  virtual ~LoaderJob() = default;
  virtual void Run() const = 0;
};

// A value decoded on the first call of Value() (any thread); the others wait
// for it.
template <typename T>
class PendingDecode : public LoaderJob {
 public:
  using Decode = std::function<std::shared_ptr<const T>()>;
  explicit PendingDecode(Decode decode) : decode_(std::move(decode)) {}
  const std::shared_ptr<const T>& Value() const {
    std::call_once(once_, [this] {
      data_ = decode_();
      decode_ = nullptr;  // what it held (names, bytes) is no longer needed
    });
    return data_;
  }
  void Run() const override { Value(); }

 private:
  mutable std::once_flag once_;
  mutable Decode decode_;
  mutable std::shared_ptr<const T> data_;
};

class PendingPicture : public PendingDecode<TextureData> {
 public:
  using PendingDecode::PendingDecode;
  // Never null as long as the decoder never returns null.
  const TextureData& Get() const { return *Value(); }
};

// Runs on each loader thread as it ends. A decoding library may keep state
// per thread for threads it did not start (SDL keeps its error text so) and
// frees it only when told; the backend that decodes installs that call.
void SetLoaderThreadExit(void (*atExit)());

class PictureLoader {
 public:
  PictureLoader() = default;
  ~PictureLoader();
  PictureLoader(const PictureLoader&) = delete;
  PictureLoader& operator=(const PictureLoader&) = delete;

  // A picture that the loader's thread (started on the first call) decodes
  // in its turn, unless a caller of Get() gets there first. A picture whose
  // every holder let go before its turn is not decoded at all.
  std::shared_ptr<const PendingPicture> Load(PendingPicture::Decode decode);
  // Any other decode, in its turn after those asked for before it.
  template <typename T>
  std::shared_ptr<const PendingDecode<T>> Later(typename PendingDecode<T>::Decode decode) {
    auto pending = std::make_shared<const PendingDecode<T>>(std::move(decode));
    Queue(pending);
    return pending;
  }
  // Waits until every picture asked for so far has been decoded or dropped.
  void Settle();

 private:
  void Queue(std::shared_ptr<const LoaderJob> job);
  void Work();

  std::mutex mutex_;
  std::condition_variable wake_, settled_;
  std::deque<std::weak_ptr<const LoaderJob>> queue_;
  bool working_ = false;  // the thread is decoding one it took off the queue
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace spriteengine
