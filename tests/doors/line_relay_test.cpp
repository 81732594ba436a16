// Real programs on the caller's line, relayed in the node's event loop: the caller's and the
// sysop's keys reach the program and its output reaches the caller and the node window; the
// session clocks stand still; a caller who hangs up or an end asked for by a signal stops even a
// program that ignores SIGHUP; what a program leaves running is ended; a program that floods its
// terminal is read only as fast as the line takes it.
#include "doors/line_relay.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <fstream>

#include "door_fixture.h"
#include "session/call_end.h"

namespace vx::doors::testing {
namespace {

using namespace std::chrono_literals;

class LineRelayTest : public DoorTest {
 protected:
  session::LineProgramOutcome Run(const std::string& script) {
    LineRelayRunner runner(*session);
    return runner.RunOnLine({"/bin/sh", "-c", script});
  }
  pid_t PidIn(const std::string& name) {
    pid_t pid = 0;
    std::ifstream(NodeFile(name)) >> pid;
    return pid;
  }
  static bool Running(pid_t pid) {
    const std::string stat = test::ReadFile("/proc/" + std::to_string(pid) + "/stat");
    const size_t close = stat.rfind(')');
    return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] != 'Z';
  }
};

TEST_F(LineRelayTest, TheCallerTypesToTheProgramAndSeesWhatItWrites) {
  caller->WhenType("Key? ", "x\r");
  const session::LineProgramOutcome outcome =
      Run("printf 'Key? '; read k; echo \"got [$k] on $TERM in $(pwd)\"; exit 4");
  EXPECT_TRUE(outcome.started);
  EXPECT_EQ(outcome.exit_code, 4);
  EXPECT_FALSE(outcome.end_call);
  Settle();
  const std::string expected = "got [x] on ansi in " + node_dir.path();
  EXPECT_NE(caller->received().find(expected + "\r\n"), std::string::npos) << caller->received();
  // The node window's screen shows it too.
  bool shown = false;
  for (int row = 0; row < 25; ++row) shown = shown || line->terminal().RowText(row).find(expected) != std::string::npos;
  EXPECT_TRUE(shown);
}

TEST_F(LineRelayTest, BackspaceAndDeleteBothEraseInALineAndTheSysopsKeysArriveToo) {
  caller->WhenType("Line? ", "ab\bcd\x7f" "e\r");
  caller->When("Again? ", [this] {
    for (char c : std::string("sysop\r")) session->terminal.LocalKey(c);
  });
  Run("printf 'Line? '; read a; printf 'Again? '; read b; echo \"[$a] [$b]\"");
  Settle();
  EXPECT_NE(caller->received().find("[ace] [sysop]"), std::string::npos) << caller->received();
  // Nothing typed for the program is left for the menu afterwards.
  EXPECT_EQ(session->terminal.pending_keys(), 0u);
}

TEST_F(LineRelayTest, TheSessionClocksStandStillWhileTheProgramRuns) {
  session->clock.inactivity_timeout = 0;
  session->timers.StartTimeLeft();
  session->timers.StartTimeOut();
  clock.Advance(30s);  // half a minute of the call before the door
  // Ten minutes pass on the clock while the program runs.
  platform::Timer later(loop, 10min, [] {});
  later.SetEnabled(true);
  Run("sleep 0.3");
  later.SetEnabled(false);
  EXPECT_EQ(session->clock.time_left, 30);
  EXPECT_TRUE(session->timers.time_left_running());
  EXPECT_TRUE(session->timers.time_out_running());
  EXPECT_EQ(session->activity, session::SessionActivity::kNone);
  // The minute that had begun goes on where it stopped: 30 more seconds, not 60.
  loop.WaitFor(31s);
  EXPECT_EQ(session->clock.time_left, 29);
}

TEST_F(LineRelayTest, ACallerWhoHangsUpEndsEvenAProgramThatIgnoresHangUps) {
  caller->When("ready", [this] { caller->Hangup(); });
  const auto started = std::chrono::steady_clock::now();
  const session::LineProgramOutcome outcome =
      Run("echo $$ > door.pid; trap '' HUP; sleep 1000 & echo $! > child.pid; echo ready; wait");
  EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
  EXPECT_TRUE(outcome.started);
  EXPECT_TRUE(outcome.end_call);
  EXPECT_EQ(outcome.exit_code, 128 + SIGKILL);
  EXPECT_FALSE(Running(PidIn("door.pid")));
  EXPECT_FALSE(Running(PidIn("child.pid")));
  EXPECT_NE(Log().find("Carrier lost while the door ran: hanging it up"), std::string::npos);
  EXPECT_NE(Log().find("The door did not end when hung up: killed"), std::string::npos);
}

TEST_F(LineRelayTest, AnEndAskedForBySignalWaitsForTheProgramToBeStopped) {
  caller->When("ready", [this] {
    session::RequestEndOfCall(*session);  // what the node does on SIGTERM
  });
  const session::LineProgramOutcome outcome = Run("echo $$ > door.pid; echo ready; sleep 1000");
  EXPECT_TRUE(outcome.end_call);
  EXPECT_EQ(outcome.exit_code, 128 + SIGHUP);
  EXPECT_FALSE(Running(PidIn("door.pid")));
  EXPECT_FALSE(session->call.terminating);  // the caller of the runner ends the call
  EXPECT_TRUE(session->call.end_requested);
  EXPECT_FALSE(session->call.end_deferred);
  EXPECT_NE(Log().find("The node is ending: hanging up the door"), std::string::npos);
}

TEST_F(LineRelayTest, WhatTheProgramLeavesRunningIsEnded) {
  const session::LineProgramOutcome outcome =
      Run("mkfifo up; (trap '' HUP; echo > up; exec sleep 1000) & echo $! > child.pid; read x < up");
  EXPECT_FALSE(outcome.end_call);
  EXPECT_EQ(outcome.exit_code, 0);
  EXPECT_FALSE(Running(PidIn("child.pid")));
  EXPECT_NE(Log().find("The door left programs running: hanging them up"), std::string::npos);
}

TEST_F(LineRelayTest, AFloodIsReadOnlyAsFastAsTheLineTakesIt) {
  constexpr size_t kFlood = 2'000'000;
  caller->PauseReading(true);
  size_t most_waiting = 0;
  platform::Timer sample(loop, 1s, [&] { most_waiting = std::max(most_waiting, line->output_count()); });
  sample.SetEnabled(true);
  platform::Timer resume(loop, 5s, [&] { caller->PauseReading(false); });
  resume.SetEnabled(true);
  const session::LineProgramOutcome outcome =
      Run("head -c " + std::to_string(kFlood) + " /dev/zero | tr '\\000' x");
  EXPECT_EQ(outcome.exit_code, 0);
  EXPECT_GT(most_waiting, 0u);
  EXPECT_LE(most_waiting, LineRelayRunner::kLineBacklog + 4096);
  loop.WaitUntil([&] { return line->output_count() == 0; }, 10s);
  for (int i = 0; i < 50 && caller->received().size() < kFlood; ++i) Settle();
  EXPECT_EQ(caller->received().size(), kFlood);
  EXPECT_EQ(caller->received().find_first_not_of('x'), std::string::npos);
}

}  // namespace
}  // namespace vx::doors::testing
