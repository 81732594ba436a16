// The event loop: timers over a manual clock, descriptor watchers, nested waits and ending the
// process from inside a wait.
#include "platform/event_loop.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include "platform/process_exit.h"

namespace vx::platform {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

TEST(EventLoop, TimersFireOnTheManualClockWithoutRealWaiting) {
  ManualClock clock;
  EventLoop loop(clock);
  int minutes = 0;
  int seconds_ticks = 0;
  Timer minute(loop, milliseconds(60000), [&] { ++minutes; });
  Timer second(loop, milliseconds(1000), [&] { ++seconds_ticks; });
  minute.SetEnabled(true);
  second.SetEnabled(true);
  auto real_start = std::chrono::steady_clock::now();
  loop.WaitUntil([&] { return minutes == 2; });
  EXPECT_LT(std::chrono::steady_clock::now() - real_start, seconds(5));
  EXPECT_EQ(seconds_ticks, 120);
  EXPECT_EQ(clock.Monotonic() - MonoTime{}, seconds(120));
}

TEST(EventLoop, DisabledTimersDoNotFireAndIntervalsRestartWhenEnabled) {
  ManualClock clock;
  EventLoop loop(clock);
  int ticks = 0;
  Timer t(loop, milliseconds(1000), [&] { ++ticks; });
  loop.WaitFor(seconds(5));
  EXPECT_EQ(ticks, 0);
  t.SetEnabled(true);
  loop.WaitFor(milliseconds(2500));
  EXPECT_EQ(ticks, 2);
  t.SetEnabled(false);
  loop.WaitFor(seconds(10));
  EXPECT_EQ(ticks, 2);
}

TEST(EventLoop, AHandlerMayDestroyATimerDueInTheSameRound) {
  ManualClock clock;
  EventLoop loop(clock);
  std::unique_ptr<Timer> victim;
  int killed = 0;
  Timer killer(loop, milliseconds(1000), [&] {
    victim.reset();
    ++killed;
  });
  victim = std::make_unique<Timer>(loop, milliseconds(1000), [] { FAIL() << "destroyed timer fired"; });
  killer.SetEnabled(true);
  victim->SetEnabled(true);
  loop.WaitFor(milliseconds(1500));
  EXPECT_EQ(killed, 1);
  EXPECT_EQ(victim, nullptr);
}

TEST(EventLoop, ATickThatWaitsIsNotReenteredByItsOwnTimer) {
  ManualClock clock;
  EventLoop loop(clock);
  int ticks = 0;
  int running = 0;
  int deepest = 0;
  int max_running = 0;
  Timer t(loop, milliseconds(1000), [&] {
    ++ticks;
    ++running;
    max_running = std::max(max_running, running);
    deepest = std::max(deepest, loop.nesting_depth());
    Delay(loop, 2);  // longer than the interval
    --running;
  });
  t.SetEnabled(true);
  loop.WaitFor(seconds(60));
  EXPECT_EQ(max_running, 1);
  EXPECT_LE(deepest, 2);
  // Each tick takes two seconds and the next one is due a second after it began: one every 2 s.
  EXPECT_GE(ticks, 29);
  EXPECT_LE(ticks, 31);
}

TEST(EventLoop, TimersAndWatchersMayDestroyThemselvesInTheirCallbacks) {
  ManualClock clock;
  EventLoop loop(clock);
  std::unique_ptr<Timer> timer;
  int timer_ticks = 0;
  timer = std::make_unique<Timer>(loop, milliseconds(1000), [&] {
    ++timer_ticks;
    std::string keep_alive_check = "captured state is still usable";
    timer.reset();
    EXPECT_EQ(keep_alive_check.size(), 30u);
  });
  timer->SetEnabled(true);

  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  std::unique_ptr<FdWatcher> watcher;
  int calls = 0;
  watcher = std::make_unique<FdWatcher>(loop, fds[0], POLLIN, [&](short) {
    ++calls;
    watcher.reset();
  });
  ASSERT_EQ(::write(fds[1], "x", 1), 1);
  Timer keep(loop, milliseconds(500), [] {});
  keep.SetEnabled(true);
  loop.WaitFor(seconds(5));
  EXPECT_EQ(timer_ticks, 1);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(timer, nullptr);
  EXPECT_EQ(watcher, nullptr);
  ::close(fds[0]);
  ::close(fds[1]);
}

TEST(EventLoop, AWatcherMadeInADestroyedOnesPlaceGetsNoStaleEvent) {
  SystemClock clock;
  EventLoop loop(clock);
  int first[2], second[2];
  ASSERT_EQ(::pipe(first), 0);
  ASSERT_EQ(::pipe(second), 0);
  // Both descriptors are ready in the same round; the first callback replaces the second watcher
  // by a new one (very likely at the same address) on a descriptor with nothing to read.
  std::unique_ptr<FdWatcher> a, b;
  int fresh_calls = 0;
  a = std::make_unique<FdWatcher>(loop, first[0], POLLIN, [&](short) {
    char c;
    (void)::read(first[0], &c, 1);
    b.reset();
    b = std::make_unique<FdWatcher>(loop, second[0], POLLIN, [&](short) { ++fresh_calls; });
    a.reset();
  });
  b = std::make_unique<FdWatcher>(loop, second[0], POLLIN, [](short) {});
  ASSERT_EQ(::write(first[1], "a", 1), 1);
  ASSERT_EQ(::write(second[1], "b", 1), 1);
  loop.RunOnce(false, Duration::zero());
  EXPECT_EQ(fresh_calls, 0) << "the new watcher got the old one's event";
  loop.RunOnce(false, Duration::zero());
  EXPECT_EQ(fresh_calls, 1);  // its own event, in the next round
  for (int fd : {first[0], first[1], second[0], second[1]}) ::close(fd);
}

TEST(EventLoop, ADescriptorClosedBehindItsWatchersBackIsReportedOnce) {
  ManualClock clock;
  EventLoop loop(clock);
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  int calls = 0;
  short seen = 0;
  FdWatcher w(loop, fds[0], POLLIN, [&](short revents) {
    ++calls;
    seen = revents;
  });
  ::close(fds[0]);
  ::close(fds[1]);
  Timer t(loop, milliseconds(1000), [] {});
  t.SetEnabled(true);
  loop.WaitFor(seconds(3));
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(seen & POLLNVAL);
}

TEST(EventLoop, AThrowingTickLeavesItsTimerUsable) {
  ManualClock clock;
  EventLoop loop(clock);
  int ticks = 0;
  Timer t(loop, milliseconds(1000), [&] {
    if (++ticks == 1) throw std::runtime_error("tick failed");
  });
  t.SetEnabled(true);
  EXPECT_THROW(loop.WaitFor(seconds(2)), std::runtime_error);
  EXPECT_FALSE(t.running());
  loop.WaitFor(seconds(2));
  EXPECT_GE(ticks, 2);
  EXPECT_EQ(loop.nesting_depth(), 0);
}

TEST(EventLoop, WatchersSeeReadyDescriptors) {
  SystemClock clock;
  EventLoop loop(clock);
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  std::string got;
  FdWatcher w(loop, fds[0], POLLIN, [&](short) {
    char buf[16];
    ssize_t n = ::read(fds[0], buf, sizeof buf);
    if (n > 0) got.append(buf, static_cast<size_t>(n));
  });
  ASSERT_EQ(::write(fds[1], "ab", 2), 2);
  EXPECT_TRUE(loop.WaitUntil([&] { return got == "ab"; }, seconds(5)));
  ::close(fds[0]);
  ::close(fds[1]);
}

TEST(EventLoop, DelayAcrossMidnightEndsOnTime) {
  // 23:59:59.5 on 2026-12-06 (UTC in tests).
  ManualClock clock(WallTime(std::chrono::milliseconds(1796601599500LL)));
  EventLoop loop(clock);
  int ticks = 0;
  Timer t(loop, milliseconds(100), [&] { ++ticks; });
  t.SetEnabled(true);
  Delay(loop, 0.7);
  EXPECT_EQ(clock.Monotonic() - MonoTime{}, milliseconds(700));
  EXPECT_EQ(ticks, 7);  // events ran during the delay
  EXPECT_EQ(clock.LocalTime().tm_hour, 0);
}

TEST(EventLoop, WaitWithATimeoutGivesUp) {
  ManualClock clock;
  EventLoop loop(clock);
  EXPECT_FALSE(loop.WaitUntil([] { return false; }, seconds(30)));
  EXPECT_EQ(clock.Monotonic() - MonoTime{}, seconds(30));
}

TEST(EventLoop, ATimerCanEndTheProcessFromInsideNestedWaits) {
  ManualClock clock;
  EventLoop loop(clock);
  Timer end(loop, milliseconds(20000), [] { EndProcess(7); });
  end.SetEnabled(true);
  int code = -1;
  try {
    loop.WaitUntil([&] {
      loop.WaitFor(seconds(1));  // a wait inside a wait
      return false;
    });
  } catch (const ProcessExit& e) {
    code = e.code;
  }
  EXPECT_EQ(code, 7);
  EXPECT_EQ(loop.nesting_depth(), 0);
}

TEST(EventLoop, AManualClockStopsAWaitThatNothingEnds) {
  ManualClock clock;
  clock.SetHorizon(std::chrono::hours(1));
  EventLoop loop(clock);
  Timer idle(loop, milliseconds(1000), [] {});
  idle.SetEnabled(true);
  EXPECT_THROW(loop.WaitUntil([] { return false; }), std::logic_error);
}

TEST(EventLoop, ABlockingWaitWithNothingToEndItIsAnError) {
  ManualClock clock;
  EventLoop loop(clock);
  EXPECT_THROW(loop.WaitUntil([] { return false; }), std::logic_error);
}

}  // namespace
}  // namespace vx::platform
