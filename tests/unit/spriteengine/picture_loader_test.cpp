#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "core/image.h"
#include "core/picture_loader.h"

namespace spriteengine {
namespace {

std::shared_ptr<const TextureData> Checker() {
  return std::make_shared<const TextureData>(BuildTexture(MakeCheckerImage(), 1));
}

TEST(PictureLoader, EveryPictureIsDecodedOnceWhoeverAsksFirst) {
  PictureLoader loader;
  std::vector<std::atomic<int>> decodes(40);
  std::vector<std::shared_ptr<const PendingPicture>> pictures;
  for (auto& count : decodes)
    pictures.push_back(loader.Load([&count] {
      ++count;
      return Checker();
    }));
  // Two drawing threads want them too, from the back, while the loader works from the front.
  auto draw = [&] {
    for (auto it = pictures.rbegin(); it != pictures.rend(); ++it) EXPECT_EQ((*it)->Get().Level(0).width, 64);
  };
  std::thread a(draw), b(draw);
  a.join(), b.join();
  loader.Settle();
  for (auto& count : decodes) EXPECT_EQ(count, 1);
}

TEST(PictureLoader, APictureLetGoBeforeItsTurnIsNeverDecoded) {
  PictureLoader loader;
  std::mutex mutex;
  std::condition_variable cv;
  bool started = false, release = false;
  auto first = loader.Load([&] {
    std::unique_lock lock(mutex);
    started = true;
    cv.notify_all();
    cv.wait(lock, [&] { return release; });  // holds the loader on this picture
    return Checker();
  });
  std::atomic<int> secondDecodes{0};
  auto second = loader.Load([&] {
    ++secondDecodes;
    return Checker();
  });
  {
    std::unique_lock lock(mutex);
    cv.wait(lock, [&] { return started; });
  }
  second.reset();  // a texture destroyed before the loader came to it
  {
    std::lock_guard lock(mutex);
    release = true;
  }
  cv.notify_all();
  loader.Settle();
  EXPECT_EQ(secondDecodes, 0);
  EXPECT_EQ(first->Get().Level(0).width, 64);
}

}  // namespace
}  // namespace spriteengine
