// posix_spawn and the wait for a child in the event loop.
#include "platform/process_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "platform/child_status.h"

extern char** environ;

namespace vx::platform {

std::vector<std::string> SplitCommandLine(std::string_view command) {
  std::vector<std::string> words;
  std::string word;
  bool in_word = false, quoted = false;
  for (char c : command) {
    if (c == '"') {
      quoted = !quoted;
      in_word = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (in_word) words.push_back(word);
      word.clear();
      in_word = false;
    } else {
      word += c;
      in_word = true;
    }
  }
  if (in_word) words.push_back(word);
  return words;
}

// The child for as long as it runs. Left by an exception (the end of the call), it ends the
// child's process group and reaps it.
class Child {
 public:
  explicit Child(pid_t pid) : pid_(pid), pidfd_(PidFdOpen(pid)) {}
  ~Child() {
    if (!reaped_) Stop();
    if (pidfd_ >= 0) ::close(pidfd_);
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  int pidfd() const { return pidfd_; }
  bool reaped() const { return reaped_; }
  int exit_code() const { return exit_code_; }

  // Reaps the child if it has ended.
  void Check() {
    int status = 0;
    const pid_t r = ::waitpid(pid_, &status, WNOHANG);
    if (r == pid_ || (r < 0 && errno == ECHILD)) {
      reaped_ = true;
      exit_code_ = r == pid_ ? ExitCodeOf(status) : -1;
    }
  }
  // Without a pidfd (an old kernel) the wait blocks; the node's timers pause meanwhile.
  void BlockingWait() {
    int status = 0;
    pid_t r;
    do {
      r = ::waitpid(pid_, &status, 0);
    } while (r < 0 && errno == EINTR);
    reaped_ = true;
    exit_code_ = r == pid_ ? ExitCodeOf(status) : -1;
  }

 private:
  void Stop() {
    ::kill(-pid_, SIGTERM);
    ::kill(pid_, SIGTERM);
    for (int i = 0; i < 20 && !reaped_; ++i) {
      if (pidfd_ >= 0) {
        pollfd p{pidfd_, POLLIN, 0};
        ::poll(&p, 1, 100);
      } else {
        ::usleep(100 * 1000);
      }
      Check();
    }
    if (reaped_) return;
    ::kill(-pid_, SIGKILL);
    ::kill(pid_, SIGKILL);
    BlockingWait();
  }

  pid_t pid_;
  int pidfd_;
  bool reaped_ = false;
  int exit_code_ = -1;
};

namespace {

// Starts argv in a process group of its own, with the default signal mask and dispositions;
// `quiet` gives it /dev/null for its standard input, output and error. Returns its pid, or -1 with
// `error` set.
pid_t SpawnInOwnGroup(const std::vector<std::string>& argv, bool quiet, std::string& error) {
  if (argv.empty() || argv[0].empty()) {
    error = "no program named";
    return -1;
  }
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &all);
  posix_spawnattr_setpgroup(&attributes, 0);
  posix_spawnattr_setflags(&attributes,
                           POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (quiet) {
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  }
  pid_t pid = -1;
  const int failed = ::posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (failed != 0) {
    error = argv[0] + ": " + std::strerror(failed);
    return -1;
  }
  return pid;
}

}  // namespace

ProcessOutcome SpawnProcessRunner::RunAndWait(const std::vector<std::string>& argv) {
  ProcessOutcome outcome;
  const pid_t pid = SpawnInOwnGroup(argv, false, outcome.error);
  if (pid < 0) return outcome;
  outcome.started = true;

  Child child(pid);
  if (child.pidfd() >= 0) {
    FdWatcher watcher(loop_, child.pidfd(), POLLIN, [&child](short) { child.Check(); });
    child.Check();
    loop_.WaitUntil([&child] { return child.reaped(); });
  } else {
    child.BlockingWait();
  }
  outcome.exit_code = child.exit_code();
  return outcome;
}

BackgroundProcess::BackgroundProcess() = default;
BackgroundProcess::~BackgroundProcess() { Stop(); }

bool BackgroundProcess::Start(const std::vector<std::string>& argv, std::string* error) {
  Stop();
  std::string why;
  const pid_t pid = SpawnInOwnGroup(argv, true, why);
  if (pid < 0) {
    if (error) *error = why;
    return false;
  }
  child_ = std::make_unique<Child>(pid);
  return true;
}

bool BackgroundProcess::running() {
  if (!child_) return false;
  child_->Check();
  return !child_->reaped();
}

void BackgroundProcess::Stop() { child_.reset(); }

}  // namespace vx::platform
