#include "picture_loader.h"

namespace spriteengine {

const TextureData& PendingPicture::Get() const {
  std::call_once(once_, [this] {
    data_ = decode_();
    decode_ = nullptr;  // what it held (names, bytes) is no longer needed
  });
  return *data_;
}

PictureLoader::~PictureLoader() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

std::shared_ptr<const PendingPicture> PictureLoader::Load(PendingPicture::Decode decode) {
  auto picture = std::make_shared<const PendingPicture>(std::move(decode));
  {
    std::lock_guard lock(mutex_);
    queue_.push_back(picture);
    if (!thread_.joinable()) thread_ = std::thread(&PictureLoader::Work, this);
  }
  wake_.notify_one();
  return picture;
}

void PictureLoader::Settle() {
  std::unique_lock lock(mutex_);
  settled_.wait(lock, [this] { return queue_.empty() && !working_; });
}

void PictureLoader::Work() {
  std::unique_lock lock(mutex_);
  while (true) {
    wake_.wait(lock, [this] { return stop_ || !queue_.empty(); });
    if (stop_) break;
    std::shared_ptr<const PendingPicture> picture = queue_.front().lock();
    queue_.pop_front();
    working_ = true;
    lock.unlock();
    if (picture) picture->Get();
    picture.reset();
    lock.lock();
    working_ = false;
    if (queue_.empty()) settled_.notify_all();
  }
  working_ = false;
  settled_.notify_all();
}

}  // namespace spriteengine
