// A program whose standard input and output are one end of a socket pair and whose standard error
// is a pipe (the transfer engine): the node keeps the other ends and relays them in its event
// loop. The program leads a process group of its own, starts with the default signal mask and
// dispositions in the given directory and inherits no other descriptor of the node. No terminal is
// involved, so nothing rewrites or holds back the program's bytes.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace vx::platform {

class PipedProcess {
 public:
  PipedProcess() = default;
  // A program still running is killed with its process group and reaped.
  ~PipedProcess();
  PipedProcess(const PipedProcess&) = delete;
  PipedProcess& operator=(const PipedProcess&) = delete;

  // Starts argv[0] (looked up on the PATH when it names no directory) in `directory`. False with
  // `error` set when it cannot be started.
  bool Start(const std::vector<std::string>& argv, const std::string& directory,
             std::string& error);

  pid_t pid() const { return pid_; }
  int data() const { return data_; }      // the program's input and output; non-blocking
  int status() const { return status_; }  // the program's standard error; non-blocking
  int pidfd() const { return pidfd_; }    // readable once the program ended; -1 without pidfds

  // Reaps the program if it has ended; true once it has.
  bool Check();
  bool ended() const { return reaped_; }
  int exit_code() const { return exit_code_; }  // 128 + N when ended by signal N
  // Sends `signal` to the program's process group.
  void Signal(int signal) const;
  void CloseData();
  void CloseStatus();

 private:
  pid_t pid_ = -1;
  int data_ = -1;
  int status_ = -1;
  int pidfd_ = -1;
  bool reaped_ = false;
  int exit_code_ = -1;
};

}  // namespace vx::platform
