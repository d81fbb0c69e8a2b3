#include "picture_loader.h"

#include <atomic>

namespace spriteengine {
namespace {

std::atomic<void (*)()> loaderThreadExit{nullptr};

}  // namespace

void SetLoaderThreadExit(void (*atExit)()) { loaderThreadExit = atExit; }

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
  Queue(picture);
  return picture;
}

void PictureLoader::Queue(std::shared_ptr<const LoaderJob> job) {
  {
    std::lock_guard lock(mutex_);
    queue_.push_back(job);
    if (!thread_.joinable()) thread_ = std::thread(&PictureLoader::Work, this);
  }
  wake_.notify_one();
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
    std::shared_ptr<const LoaderJob> job = queue_.front().lock();
    queue_.pop_front();
    working_ = true;
    lock.unlock();
    if (job) job->Run();
    job.reset();
    lock.lock();
    working_ = false;
    if (queue_.empty()) settled_.notify_all();
  }
  working_ = false;
  settled_.notify_all();
  lock.unlock();
  if (void (*atExit)() = loaderThreadExit.load()) atExit();
}

}  // namespace spriteengine
