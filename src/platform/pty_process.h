// A program on a pseudo-terminal of its own (a door): it leads a new session with the terminal's
// slave side as its controlling terminal and as its standard input, output and error, starts in
// the given directory with the default signal mask and dispositions, and inherits no other
// descriptor of the node. The node keeps the master side, which it relays to the caller, and a
// pidfd that becomes readable when the program ends.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace vx::platform {

struct PtyOptions {
  std::string directory;                 // the working directory; empty: the node's own
  std::vector<std::string> environment;  // "NAME=value" entries added to (or replacing) the node's
  int rows = 25;
  int columns = 80;
};

class PtyProcess {
 public:
  PtyProcess() = default;
  // Whatever is left of the program's session is hung up, killed when it does not go, and reaped.
  ~PtyProcess();
  PtyProcess(const PtyProcess&) = delete;
  PtyProcess& operator=(const PtyProcess&) = delete;

  // Starts argv[0] (looked up on the PATH when it names no directory). False with `error` set when
  // the terminal cannot be made or the program cannot be started.
  bool Start(const std::vector<std::string>& argv, const PtyOptions& options, std::string& error);

  pid_t pid() const { return pid_; }
  int master() const { return master_; }  // non-blocking
  int pidfd() const { return pidfd_; }    // -1 on a kernel without pidfds

  // Reaps the program if it has ended; true once it has.
  bool Check();
  bool ended() const { return reaped_; }
  int exit_code() const { return exit_code_; }  // 128 + N when ended by signal N
  // Waits for the program's end (after a SIGKILL, say).
  void Reap();

  // Sends `signal` to every process of the program's session: its own process group and the
  // groups its shell may have made for jobs.
  void SignalSession(int signal) const;
  // Whether a process of the session (the program or one it left behind) still runs.
  bool SessionAlive() const;

  void CloseMaster();

 private:
  pid_t pid_ = -1;
  int master_ = -1;
  int pidfd_ = -1;
  bool reaped_ = false;
  int exit_code_ = -1;
};

}  // namespace vx::platform
