#include "platform/message_box.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace platform {
namespace {

// Sets or clears an environment variable for one test, then restores it.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      ::setenv(name_, old_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(MessageBoxTest, PrintsTitleAndTextOnStandardError) {
  const ScopedEnv noDialogs("VARNOK_NO_DIALOGS", "1");
  const ScopedEnv display("DISPLAY", ":99");
  ::testing::internal::CaptureStderr();
  ShowMessageBox("Varnok", "The engine DLL was not loaded or could not be found.");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Varnok: The engine DLL was not loaded or could not be found.\n");
}

TEST(MessageBoxTest, PrintsWithoutADisplayEvenWhenDialogsAreAllowed) {
  const ScopedEnv dialogsAllowed("VARNOK_NO_DIALOGS", nullptr);
  const ScopedEnv noX("DISPLAY", nullptr);
  const ScopedEnv noWayland("WAYLAND_DISPLAY", nullptr);
  ::testing::internal::CaptureStderr();
  ShowMessageBox("Title", "Text with % and %s");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Title: Text with % and %s\n");
}

}  // namespace
}  // namespace platform
