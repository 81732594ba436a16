// The sysop's keys on the call: minutes given and taken within their bounds, line noise, and the
// actions that wait for a caller on line and nothing else running.
#include "console/sysop_controls.h"

#include <gtest/gtest.h>

#include "console/curses_console.h"
#include "support/recording_console.h"

namespace vx::console {
namespace {

class SysopControlsTest : public ::testing::Test {
 protected:
  SysopControlsTest() : loop(clock), log(clock, env), session(loop, console, log, line, env) {}
  platform::ManualClock clock;
  platform::EventLoop loop;
  platform::Environment env;
  core::NodeLog log;
  test::RecordingConsole console;
  comm::LocalCommControl line;
  session::NodeSession session;
};

TEST_F(SysopControlsTest, MinutesStayWithinTheirBounds) {
  SysopControls controls(session, nullptr, [] { return 0.5; });
  session.clock.time_left = 1;
  controls.CommandKey(CursesConsole::kDown);
  EXPECT_EQ(session.clock.time_left, 0);
  controls.CommandKey(CursesConsole::kDown);
  EXPECT_EQ(session.clock.time_left, 0) << "never below 0";
  controls.CommandKey(CursesConsole::kUp);
  controls.CommandKey(CursesConsole::kFunction1 + 1);  // F2
  EXPECT_EQ(session.clock.time_left, 2);
  controls.CommandKey(CursesConsole::kFunction1 + 2);  // F3
  EXPECT_EQ(session.clock.time_left, 1);
  session.clock.time_left = SysopControls::kMaxMinutes;
  controls.AddMinute(1);
  EXPECT_EQ(session.clock.time_left, SysopControls::kMaxMinutes);
}

TEST_F(SysopControlsTest, LineNoiseIsFiveToNineteenBytesFrom127To253) {
  double next = 0.0;
  SysopControls lowest(session, nullptr, [&] { return next; });
  EXPECT_EQ(lowest.LineNoise(), std::string(5, '\x7f'));
  next = 0.999999;
  const std::string highest = lowest.LineNoise();
  EXPECT_EQ(highest.size(), 19u);
  for (char c : highest) EXPECT_EQ(static_cast<uint8_t>(c), 253);
}

TEST_F(SysopControlsTest, ActionsOnTheCallWaitForACallerAndForQuiet) {
  SysopControls controls(session, nullptr, [] { return 0.0; });
  const uint64_t before = line.terminal().version();
  controls.CommandKey(CursesConsole::kFunction1 + 10);  // F11 with nobody on line
  EXPECT_EQ(line.terminal().version(), before);
  session.caller.user_on_line = true;
  session.activity = session::SessionActivity::kTransfer;
  controls.CommandKey(CursesConsole::kFunction1 + 10);  // in the middle of a transfer
  EXPECT_EQ(line.terminal().version(), before);
  session.activity = session::SessionActivity::kNone;
  controls.CommandKey(CursesConsole::kFunction1 + 10);
  EXPECT_NE(line.terminal().version(), before);
}

}  // namespace
}  // namespace vx::console
