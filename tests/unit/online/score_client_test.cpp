// The score client's sequence of two requests, and its thread.
#include "online/score_client.h"

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <mutex>

#include "fake_http_client.h"
#include "online/score_protocol.h"
#include "wait_for.h"

namespace online {
namespace {

using testing_support::FakeHttpClient;

const ScoreEntry kEntry{"NOVA", "CITY", 4200};
constexpr const char* kServer = "127.0.0.1:9";

TEST(ScoreSequence, AnAcceptedVersionReplySendsTheEncodedEntryWithItsP) {
  FakeHttpClient http({"OK|Quellix3|1|0|ab12|", "OK"});
  EXPECT_EQ(RunScoreSequence(http, kServer, kEntry), SubmissionOutcome::kSent);
  const auto urls = http.urls();
  ASSERT_EQ(urls.size(), 2u);
  EXPECT_EQ(urls[0], "http://127.0.0.1:9/cgi/version.pl?version&prg=Quellix3");
  EXPECT_EQ(urls[1], std::string("http://127.0.0.1:9/cgi/version.pl?hs&prg=Quellix3&inf=") +
                         EncodePayload(BuildPayload("NOVA", 4200, "ab12", "CITY")));
}

TEST(ScoreSequence, ARefusedOrFailedVersionQueryMakesNoSecondRequest) {
  for (std::optional<std::string> reply : {std::optional<std::string>("ok|a|b|c|d|e"), std::optional<std::string>("NO"),
                                           std::optional<std::string>(""), std::optional<std::string>()}) {
    FakeHttpClient http({reply, "OK"});
    EXPECT_EQ(RunScoreSequence(http, kServer, kEntry), SubmissionOutcome::kRefused) << reply.value_or("(failed)");
    EXPECT_EQ(http.urls().size(), 1u);
  }
}

TEST(ScoreSequence, AFailedSubmissionStillCountsAsSent) {
  FakeHttpClient http({"OK|a|b|c|d|e", std::nullopt});
  EXPECT_EQ(RunScoreSequence(http, kServer, kEntry), SubmissionOutcome::kSent);
}

// Collects what the client posts for the frame thread.
class PostedTasks {
 public:
  void Post(std::function<void()> task) {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
  }
  // Runs what has been posted once the first task arrives.
  int RunAll() {
    std::deque<std::function<void()>> tasks;
    testing_support::WaitFor([&] {
      std::lock_guard lock(mutex_);
      tasks.swap(tasks_);
      return !tasks.empty();
    });
    for (auto& task : tasks) task();
    return static_cast<int>(tasks.size());
  }

 private:
  std::mutex mutex_;
  std::deque<std::function<void()>> tasks_;
};

TEST(ConnThrd, EachConfirmationRunsTheSequenceOnceAndPostsItsOutcome) {
  PostedTasks posted;
  int refused = 0, sent = 0;
  TConnThrd client([&](std::function<void()> task) { posted.Post(std::move(task)); }, [&] { ++refused; },
                   [&] { ++sent; });
  auto http = std::make_shared<FakeHttpClient>(std::vector<std::optional<std::string>>{"NO", "OK|a|b|c|d|e", "OK"});
  ASSERT_TRUE(client.Resume(http, kServer, kEntry));
  EXPECT_EQ(posted.RunAll(), 1);
  EXPECT_EQ(refused, 1);
  ASSERT_TRUE(client.Resume(http, kServer, kEntry));
  EXPECT_EQ(posted.RunAll(), 1);
  EXPECT_EQ(sent, 1);
  EXPECT_EQ(refused, 1);
  EXPECT_EQ(http->urls().size(), 3u);
  EXPECT_FALSE(client.Resume(nullptr, kServer, kEntry));
}

TEST(ConnThrd, ClosingTheGameGivesUpARequestInFlightWithoutPosting) {
  bool posted = false;
  auto http = std::make_shared<FakeHttpClient>(std::vector<std::optional<std::string>>{}, /*hang=*/true);
  {
    TConnThrd client([&](std::function<void()>) { posted = true; }, [] {}, [] {});
    ASSERT_TRUE(client.Resume(http, kServer, kEntry));
    ASSERT_TRUE(http->WaitForRequests(1));
  }
  EXPECT_FALSE(posted);
}

}  // namespace
}  // namespace online
