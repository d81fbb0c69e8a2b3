// Pictures decoded after the call that asked for them: the game creates
// every texture of every menu and level piece in its init phase, most of
// which are not on screen for a while. A PendingPicture is decoded once, by
// whichever thread wants it first: the loader's own thread, which works
// through pictures in the order they were asked for, or a drawing thread
// that needs it for the frame it draws (which then waits only for that
// picture). So the first frame is not held back by pictures it does not
// show, and the rest are decoded on a processor the frame does not use.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "image.h"

namespace spriteengine {

class PendingPicture {
 public:
  using Decode = std::function<std::shared_ptr<const TextureData>()>;
  explicit PendingPicture(Decode decode) : decode_(std::move(decode)) {}
  // Decodes on the first call (any thread); the others wait for it. Never null
  // as long as the decoder never returns null.
  const TextureData& Get() const;

 private:
  mutable std::once_flag once_;
  mutable Decode decode_;
  mutable std::shared_ptr<const TextureData> data_;
};

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
  // Waits until every picture asked for so far has been decoded or dropped.
  void Settle();

 private:
  void Work();

  std::mutex mutex_;
  std::condition_variable wake_, settled_;
  std::deque<std::weak_ptr<const PendingPicture>> queue_;
  bool working_ = false;  // the thread is decoding one it took off the queue
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace spriteengine
