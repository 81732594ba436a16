// Starting programs (front-end programs now, doors later) and waiting for them inside the event
// loop. A command line is split into words and started directly, never through a shell unless the
// command names one; the program gets its own process group, the default signal mask and
// dispositions, and the node's environment. Abstract so that tests can stand in for programs.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/event_loop.h"

namespace vx::platform {

// Words separated by blanks; a word in double quotes keeps its blanks ("C:\My Doors\x.bat").
std::vector<std::string> SplitCommandLine(std::string_view command);

struct ProcessOutcome {
  bool started = false;
  int exit_code = -1;  // 128 + N when the program was killed by signal N
  std::string error;   // why it could not be started
};

class ProcessRunner {
 public:
  virtual ~ProcessRunner() = default;
  // Starts argv[0] (looked up on PATH when it names no directory) and waits until it ends.
  virtual ProcessOutcome RunAndWait(const std::vector<std::string>& argv) = 0;
};

class SpawnProcessRunner final : public ProcessRunner {
 public:
  explicit SpawnProcessRunner(EventLoop& loop) : loop_(loop) {}
  // Waits in the event loop (timers and the line keep running). When the wait is left by the end
  // of the call, the program's process group is asked to end (SIGTERM, SIGKILL after a grace
  // period) and reaped, so no program outlives the node unnoticed.
  ProcessOutcome RunAndWait(const std::vector<std::string>& argv) override;

 private:
  EventLoop& loop_;
};

class Child;

// A program that runs beside the node (the page sound's player) until it ends or is stopped. It
// reads from and writes to /dev/null, never the sysop's terminal. Stop (or the destructor) ends
// its process group and reaps it.
class BackgroundProcess {
 public:
  BackgroundProcess();
  ~BackgroundProcess();
  BackgroundProcess(const BackgroundProcess&) = delete;
  BackgroundProcess& operator=(const BackgroundProcess&) = delete;

  bool Start(const std::vector<std::string>& argv, std::string* error = nullptr);
  bool running();
  void Stop();

 private:
  std::unique_ptr<Child> child_;
};

}  // namespace vx::platform
