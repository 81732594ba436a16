// Test support: vxnode run as a listener runs it, on a connection of its own. The node gets its
// end of a socket pair as descriptor 3 (-H3); the test keeps the caller's end, reads what the
// node sends and types keys. Waits are bounded and block in poll(), on the socket or on the
// process (a pidfd).
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <string>
#include <vector>

#include "support/loopback.h"

namespace vx::test {

class NodeProcess {
 public:
  // Starts `program` with `args` (add "-H3"), the environment `env`, in `cwd`.
  // With `tcp` the connection is a loopback TCP connection, on which the node speaks telnet.
  NodeProcess(const std::string& program, const std::vector<std::string>& args,
              const std::vector<std::string>& env, const std::string& cwd, bool tcp = false) {
    int fds[2];
    if (tcp) {
      const std::pair<int, int> pair = LoopbackTcpPair();
      fds[0] = pair.second;
      fds[1] = pair.first;
    } else if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) {
      return;
    }
    caller_ = fds[0];
    // Descriptor 3 in the node; the node's end is moved above it first so dup2 always copies.
    const int node_end = ::fcntl(fds[1], F_DUPFD_CLOEXEC, 10);
    ::close(fds[1]);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, node_end, 3);
    posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
    std::vector<std::string> all = {program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> environment = env;
    std::vector<char*> envp;
    for (std::string& e : environment) envp.push_back(e.data());
    envp.push_back(nullptr);
    if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0)
      pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(node_end);
    if (pid_ > 0) pidfd_ = static_cast<int>(::syscall(SYS_pidfd_open, pid_, 0));
  }
  ~NodeProcess() {
    HangUp();
    if (pid_ > 0 && exit_code_ < 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (pidfd_ >= 0) ::close(pidfd_);
  }
  NodeProcess(const NodeProcess&) = delete;
  NodeProcess& operator=(const NodeProcess&) = delete;

  bool started() const { return pid_ > 0 && caller_ >= 0 && pidfd_ >= 0; }
  pid_t pid() const { return pid_; }

  // Reads what the node sends until `text` has come (true) or `timeout` passed (false).
  bool WaitFor(const std::string& text,
               std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (received_.find(text, seen_) == std::string::npos) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          end - std::chrono::steady_clock::now());
      if (left.count() <= 0 || caller_ < 0) return false;
      pollfd p{caller_, POLLIN, 0};
      if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
      char buffer[4096];
      const ssize_t n = ::read(caller_, buffer, sizeof buffer);
      if (n <= 0) return false;  // the node hung up
      received_.append(buffer, static_cast<size_t>(n));
    }
    seen_ = received_.find(text, seen_) + text.size();
    return true;
  }
  void Type(const std::string& keys) {
    if (caller_ >= 0) (void)::write(caller_, keys.data(), keys.size());
  }
  // The caller hangs up.
  void HangUp() {
    if (caller_ >= 0) ::close(caller_);
    caller_ = -1;
  }
  // The exit code once the node has ended within `timeout`; -1 otherwise.
  int Wait(std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    if (exit_code_ >= 0) return exit_code_;
    pollfd p{pidfd_, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(timeout.count())) != 1) return -1;
    int status = 0;
    if (::waitpid(pid_, &status, 0) != pid_) return -1;
    exit_code_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return exit_code_;
  }
  const std::string& received() const { return received_; }
  // The caller's end of the connection, and what came after the last text waited for.
  int caller_fd() const { return caller_; }
  std::string TakeUnseen() {
    std::string rest = received_.substr(seen_);
    seen_ = received_.size();
    return rest;
  }

 private:
  pid_t pid_ = -1;
  int pidfd_ = -1;
  int caller_ = -1;
  int exit_code_ = -1;
  std::string received_;
  size_t seen_ = 0;
};

}  // namespace vx::test
