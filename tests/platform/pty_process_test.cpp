// A program on a pseudo-terminal of its own: what it inherits (its terminal as the controlling
// terminal of a new session, the directory, TERM, the signal mask, no other descriptor), what it
// writes just before it ends, and ending its whole session, including what it left behind.
#include "platform/pty_process.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "support/temp_dir.h"

namespace vx::platform {
namespace {

using namespace std::chrono_literals;

// Reads the master until `text` has come or the time is up; returns all that came.
std::string ReadUntil(const PtyProcess& p, const std::string& text,
                      std::chrono::milliseconds limit = 5000ms) {
  std::string got;
  const auto end = std::chrono::steady_clock::now() + limit;
  while (got.find(text) == std::string::npos && std::chrono::steady_clock::now() < end) {
    pollfd fd{p.master(), POLLIN, 0};
    if (::poll(&fd, 1, 50) <= 0) continue;
    char buffer[4096];
    const ssize_t n = ::read(p.master(), buffer, sizeof buffer);
    if (n <= 0) break;
    got.append(buffer, static_cast<size_t>(n));
  }
  return got;
}

bool WaitForEnd(PtyProcess& p, std::chrono::milliseconds limit = 5000ms) {
  pollfd fd{p.pidfd(), POLLIN, 0};
  ::poll(&fd, 1, static_cast<int>(limit.count()));
  return p.Check();
}

// A process that is there and not a zombie.
bool Running(pid_t pid) {
  const std::string stat = test::ReadFile("/proc/" + std::to_string(pid) + "/stat");
  const size_t close = stat.rfind(')');
  return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] != 'Z';
}

std::string Field(const std::string& status, const std::string& name) {
  std::istringstream in(status);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(name + ":", 0) == 0) {
      std::string value = line.substr(name.size() + 1);
      value.erase(0, value.find_first_not_of(" \t"));
      return value;
    }
  }
  return {};
}

TEST(PtyProcess, TheProgramLeadsASessionOnItsTerminalAndInheritsNothingElse) {
  test::TempDir dir;
  // A descriptor of the test without close-on-exec: the program must not get it.
  int leak[2];
  ASSERT_EQ(::pipe(leak), 0);
  PtyProcess p;
  std::string error;
  PtyOptions options;
  options.directory = dir.path();
  options.environment = {"TERM=ansi"};
  ASSERT_TRUE(p.Start({"sh", "-c", "stty size; echo \"T=$TERM\"; pwd; echo ready; read x"}, options,
                      error))
      << error;
  const std::string out = ReadUntil(p, "ready");
  EXPECT_NE(out.find("25 80"), std::string::npos) << out;
  EXPECT_NE(out.find("T=ansi"), std::string::npos) << out;
  EXPECT_NE(out.find(dir.path()), std::string::npos) << out;

  const std::string proc = "/proc/" + std::to_string(p.pid());
  std::vector<std::string> fds;
  for (const auto& e : std::filesystem::directory_iterator(proc + "/fd"))
    fds.push_back(e.path().filename().string());
  std::sort(fds.begin(), fds.end());
  EXPECT_EQ(fds, (std::vector<std::string>{"0", "1", "2"}));
  const std::string terminal = std::filesystem::read_symlink(proc + "/fd/0").string();
  EXPECT_EQ(terminal.rfind("/dev/pts/", 0), 0u) << terminal;
  EXPECT_EQ(std::filesystem::read_symlink(proc + "/fd/1").string(), terminal);
  EXPECT_EQ(std::filesystem::read_symlink(proc + "/fd/2").string(), terminal);

  // /proc/PID/stat after the command: state, ppid, pgrp, session, tty_nr, tpgid.
  const std::string stat = test::ReadFile(proc + "/stat");
  std::istringstream fields(stat.substr(stat.rfind(')') + 2));
  char state;
  long parent, group, session, tty, foreground;
  fields >> state >> parent >> group >> session >> tty >> foreground;
  EXPECT_EQ(session, p.pid());
  EXPECT_EQ(group, p.pid());
  EXPECT_NE(tty, 0) << "no controlling terminal";
  EXPECT_EQ(foreground, p.pid());

  ASSERT_EQ(::write(p.master(), "\n", 1), 1);
  EXPECT_TRUE(WaitForEnd(p));
  EXPECT_EQ(p.exit_code(), 0);
  ::close(leak[0]);
  ::close(leak[1]);
}

TEST(PtyProcess, TheProgramGetsTheDefaultSignalMaskAndDispositions) {
  // The node blocks its termination signals for the event loop; a program must not inherit that.
  sigset_t term, old_mask;
  sigemptyset(&term);
  sigaddset(&term, SIGTERM);
  ASSERT_EQ(::sigprocmask(SIG_BLOCK, &term, &old_mask), 0);
  struct sigaction ignore {}, old_action {};
  ignore.sa_handler = SIG_IGN;
  ASSERT_EQ(::sigaction(SIGINT, &ignore, &old_action), 0);
  PtyProcess p;
  std::string error;
  const bool started = p.Start({"cat"}, {}, error);
  ::sigprocmask(SIG_SETMASK, &old_mask, nullptr);
  ::sigaction(SIGINT, &old_action, nullptr);
  ASSERT_TRUE(started) << error;
  const std::string proc = "/proc/" + std::to_string(p.pid());
  std::string status;
  for (int i = 0; i < 100; ++i) {  // until cat has replaced the spawning child
    status = test::ReadFile(proc + "/status");
    if (Field(status, "Name") == "cat") break;
    std::this_thread::sleep_for(10ms);
  }
  EXPECT_EQ(Field(status, "SigBlk"), "0000000000000000");
  // Of the standard signals none is ignored (glibc's posix_spawn leaves its two internal
  // real-time signals, 32 and 33, ignored in every child it starts).
  EXPECT_EQ(std::stoull(Field(status, "SigIgn"), nullptr, 16) & 0x7fffffffULL, 0u) << status;
  ASSERT_EQ(::write(p.master(), "\x04", 1), 1);  // end of input at the start of a line
  EXPECT_TRUE(WaitForEnd(p));
  EXPECT_EQ(p.exit_code(), 0);
}

TEST(PtyProcess, WhatTheProgramWritesJustBeforeItEndsCanStillBeRead) {
  PtyProcess p;
  std::string error;
  ASSERT_TRUE(p.Start({"sh", "-c", "printf 'last words'; exit 7"}, {}, error)) << error;
  ASSERT_TRUE(WaitForEnd(p));
  EXPECT_EQ(p.exit_code(), 7);
  EXPECT_NE(ReadUntil(p, "last words", 1000ms).find("last words"), std::string::npos);
}

TEST(PtyProcess, AProgramThatCannotStartSaysWhy) {
  PtyProcess p;
  std::string error;
  EXPECT_FALSE(p.Start({"no-such-door-program"}, {}, error));
  EXPECT_NE(error.find("no-such-door-program"), std::string::npos) << error;
  EXPECT_FALSE(p.Start({}, {}, error));
  EXPECT_EQ(error, "no program named");
}

TEST(PtyProcess, TheWholeSessionEndsEvenWhatIgnoresHangUpsOrMadeAGroupOfItsOwn) {
  test::TempDir dir;
  PtyProcess p;
  std::string error;
  // A job in a process group of its own (as an interactive shell makes), ignoring SIGHUP.
  ASSERT_TRUE(p.Start({"sh", "-c",
                       "trap '' HUP; set -m; sleep 1000 & echo $! > " + dir / "job" +
                           "; echo ready; sleep 1000"},
                      {}, error))
      << error;
  ASSERT_NE(ReadUntil(p, "ready").find("ready"), std::string::npos);
  pid_t job = 0;
  std::ifstream(dir / "job") >> job;
  ASSERT_GT(job, 0);
  EXPECT_TRUE(p.SessionAlive());
  p.SignalSession(SIGHUP);
  std::this_thread::sleep_for(100ms);
  EXPECT_FALSE(p.Check()) << "the shell ignores SIGHUP";
  p.SignalSession(SIGKILL);
  EXPECT_TRUE(WaitForEnd(p));
  EXPECT_EQ(p.exit_code(), 128 + SIGKILL);
  for (int i = 0; i < 100 && p.SessionAlive(); ++i) std::this_thread::sleep_for(10ms);
  EXPECT_FALSE(p.SessionAlive());
  EXPECT_FALSE(Running(job)) << "the job survived";
}

TEST(PtyProcess, LeftRunningItsDestructorHangsUpAndReapsTheProgram) {
  pid_t pid = 0;
  {
    PtyProcess p;
    std::string error;
    ASSERT_TRUE(p.Start({"sleep", "1000"}, {}, error)) << error;
    pid = p.pid();
  }
  EXPECT_FALSE(Running(pid));
  EXPECT_NE(::kill(pid, 0), 0) << "not reaped";
}

}  // namespace
}  // namespace vx::platform
