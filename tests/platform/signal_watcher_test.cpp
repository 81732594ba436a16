// Termination signals arrive as events of the loop, not as asynchronous handlers.
#include "platform/signal_watcher.h"

#include <gtest/gtest.h>

namespace vx::platform {
namespace {

TEST(SignalWatcher, DeliversATerminationSignalInsideAWait) {
  SystemClock clock;
  EventLoop loop(clock);
  int got = 0;
  {
    SignalWatcher watcher(loop, [&](int signal) { got = signal; });
    ASSERT_TRUE(watcher.ok());
    ::raise(SIGTERM);  // blocked: nothing happens until the loop runs
    EXPECT_EQ(got, 0);
    EXPECT_TRUE(loop.WaitUntil([&] { return got != 0; }, std::chrono::seconds(5)));
  }
  EXPECT_EQ(got, SIGTERM);
  sigset_t now;
  sigprocmask(SIG_SETMASK, nullptr, &now);
  EXPECT_FALSE(sigismember(&now, SIGTERM));  // the mask is restored
}

}  // namespace
}  // namespace vx::platform
