// Starting a program on a socket pair and a pipe.
#include "platform/piped_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/child_status.h"

extern char** environ;

namespace vx::platform {

namespace {

void CloseIf(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

void NonBlocking(int fd) { ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK); }

}  // namespace

PipedProcess::~PipedProcess() {
  if (pid_ > 0 && !reaped_) {
    Signal(SIGKILL);
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
  }
  CloseIf(data_);
  CloseIf(status_);
  CloseIf(pidfd_);
}

bool PipedProcess::Start(const std::vector<std::string>& argv, const std::string& directory,
                         std::string& error) {
  if (argv.empty()) {
    error = "no program to start";
    return false;
  }
  int pair[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
    error = std::string("cannot make a socket pair: ") + std::strerror(errno);
    return false;
  }
  int errors[2];
  if (::pipe2(errors, O_CLOEXEC) != 0) {
    error = std::string("cannot make a pipe: ") + std::strerror(errno);
    ::close(pair[0]);
    ::close(pair[1]);
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pair[1], 0);
  posix_spawn_file_actions_adddup2(&actions, pair[1], 1);
  posix_spawn_file_actions_adddup2(&actions, errors[1], 2);
  if (!directory.empty()) posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &all);
  posix_spawnattr_setpgroup(&attributes, 0);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF |
                                            POSIX_SPAWN_SETPGROUP);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  const int failed = ::posix_spawnp(&pid_, args[0], &actions, &attributes, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  ::close(pair[1]);
  ::close(errors[1]);
  if (failed != 0) {
    error = "cannot start " + argv[0] + ": " + std::strerror(failed);
    pid_ = -1;
    ::close(pair[0]);
    ::close(errors[0]);
    return false;
  }
  data_ = pair[0];
  status_ = errors[0];
  NonBlocking(data_);
  NonBlocking(status_);
  pidfd_ = PidFdOpen(pid_);
  return true;
}

bool PipedProcess::Check() {
  if (reaped_ || pid_ <= 0) return reaped_;
  int status = 0;
  const pid_t got = ::waitpid(pid_, &status, WNOHANG);
  if (got != pid_) return false;
  reaped_ = true;
  exit_code_ = ExitCodeOf(status);
  CloseIf(pidfd_);
  return true;
}

void PipedProcess::Signal(int signal) const {
  // The group is the program's own; once it is reaped its number may belong to someone else.
  if (pid_ > 0 && !reaped_) ::kill(-pid_, signal);
}

void PipedProcess::CloseData() { CloseIf(data_); }
void PipedProcess::CloseStatus() { CloseIf(status_); }

}  // namespace vx::platform
