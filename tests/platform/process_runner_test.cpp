// Starting programs: the words of a command line, exit codes, a program that cannot start, what
// the child inherits (process group, signal mask) and a wait that keeps the node's timers running.
#include "platform/process_runner.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>

#include "platform/clock.h"
#include "platform/event_loop.h"
#include "platform/process_exit.h"
#include "support/temp_dir.h"

namespace vx::platform {
namespace {

using namespace std::chrono_literals;

TEST(SplitCommandLine, BlanksSeparateWordsAndQuotesKeepThem) {
  using Words = std::vector<std::string>;
  EXPECT_EQ(SplitCommandLine("FRONT.EXE /A  /B"), (Words{"FRONT.EXE", "/A", "/B"}));
  EXPECT_EQ(SplitCommandLine("  \"C:\\My Doors\\x.bat\" 1\t2 "),
            (Words{"C:\\My Doors\\x.bat", "1", "2"}));
  EXPECT_EQ(SplitCommandLine("a \"\" b"), (Words{"a", "", "b"}));
  EXPECT_EQ(SplitCommandLine(""), Words{});
  EXPECT_EQ(SplitCommandLine("x;rm -rf /"), (Words{"x;rm", "-rf", "/"}));  // no shell
}

class ProcessRunnerTest : public ::testing::Test {
 protected:
  SystemClock clock;
  EventLoop loop{clock};
  SpawnProcessRunner runner{loop};
  test::TempDir dir;
};

TEST_F(ProcessRunnerTest, ExitCodesAndSignalsComeBack) {
  ProcessOutcome out = runner.RunAndWait({"sh", "-c", "exit 7"});
  EXPECT_TRUE(out.started);
  EXPECT_EQ(out.exit_code, 7);
  EXPECT_EQ(runner.RunAndWait({"true"}).exit_code, 0);
  EXPECT_EQ(runner.RunAndWait({"sh", "-c", "exit 255"}).exit_code, 255);
  EXPECT_EQ(runner.RunAndWait({"sh", "-c", "kill -9 $$"}).exit_code, 128 + 9);
}

TEST_F(ProcessRunnerTest, AProgramThatCannotStartSaysWhy) {
  ProcessOutcome out = runner.RunAndWait({"/no/such/program"});
  EXPECT_FALSE(out.started);
  EXPECT_NE(out.error.find("/no/such/program"), std::string::npos);
  EXPECT_FALSE(runner.RunAndWait({}).started);
  test::WriteFile(dir / "plain", std::string("not a program"));
  EXPECT_FALSE(runner.RunAndWait({dir / "plain"}).started);
}

TEST_F(ProcessRunnerTest, TheChildHasItsOwnGroupAndTheDefaultSignalMask) {
  // The node blocks its termination signals; the child must not inherit that.
  sigset_t blocked, old;
  sigemptyset(&blocked);
  sigaddset(&blocked, SIGTERM);
  sigprocmask(SIG_BLOCK, &blocked, &old);
  const std::string out = dir / "out";
  ProcessOutcome run = runner.RunAndWait(
      {"sh", "-c", "grep SigBlk /proc/self/status > " + out + "; ps -o pgid= -p $$ >> " + out});
  sigprocmask(SIG_SETMASK, &old, nullptr);
  ASSERT_EQ(run.exit_code, 0);
  const std::string text = test::ReadFile(out);
  EXPECT_NE(text.find("SigBlk:\t0000000000000000"), std::string::npos) << text;
  EXPECT_EQ(text.find(std::to_string(::getpgrp())), std::string::npos) << text;
}

TEST_F(ProcessRunnerTest, TimersKeepRunningWhileTheProgramRuns) {
  int ticks = 0;
  Timer timer(loop, 20ms, [&] { ++ticks; });
  timer.SetEnabled(true);
  EXPECT_EQ(runner.RunAndWait({"sleep", "0.3"}).exit_code, 0);
  EXPECT_GE(ticks, 5);
}

TEST_F(ProcessRunnerTest, TheEndOfTheCallEndsTheProgramToo) {
  // A timer ends the call while the program runs: the wait unwinds and the program is stopped
  // and reaped, not left behind.
  const std::string pid_file = dir / "pid";
  Timer end(loop, 200ms, [] { EndProcess(3); });
  end.SetEnabled(true);
  try {
    runner.RunAndWait({"sh", "-c", "echo $$ > " + pid_file + "; exec sleep 30"});
    ADD_FAILURE() << "the wait returned";
  } catch (const ProcessExit& e) {
    EXPECT_EQ(e.code, 3);
  }
  const pid_t pid = std::stoi(test::ReadFile(pid_file));
  EXPECT_NE(::kill(pid, 0), 0);  // gone, and reaped
}

}  // namespace
}  // namespace vx::platform
