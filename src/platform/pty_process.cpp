// A program on a pseudo-terminal: posix_openpt for the terminal, posix_spawn for the program (a new
// session whose first terminal opened becomes its controlling terminal), /proc for its session.
#include "platform/pty_process.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/child_status.h"

extern char** environ;

namespace vx::platform {

namespace {

// The node's environment with the options' entries put in place of any of the same name.
std::vector<std::string> ProgramEnvironment(const std::vector<std::string>& extra) {
  std::vector<std::string> out;
  const auto name_of = [](const std::string& entry) { return entry.substr(0, entry.find('=')); };
  for (char** e = environ; e != nullptr && *e != nullptr; ++e) {
    const std::string entry = *e;
    bool replaced = false;
    for (const std::string& x : extra) replaced = replaced || name_of(x) == name_of(entry);
    if (!replaced) out.push_back(entry);
  }
  out.insert(out.end(), extra.begin(), extra.end());
  return out;
}

// Process group and session of a process from /proc/PID/stat; false for a zombie or one that is
// gone.
bool LiveProcessIds(pid_t pid, pid_t& group, pid_t& session) {
  // Read with plain calls: a process that ends between the directory scan and this read makes
  // the read fail (ESRCH), which must count as gone, not as an error.
  const int fd = ::open(("/proc/" + std::to_string(pid) + "/stat").c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char buffer[1024];
  const ssize_t n = ::read(fd, buffer, sizeof buffer - 1);
  ::close(fd);
  if (n <= 0) return false;
  const std::string stat(buffer, static_cast<size_t>(n));
  const size_t close = stat.rfind(')');
  if (close == std::string::npos || close + 2 >= stat.size()) return false;
  char state = 0;
  long parent = 0, grp = 0, sid = 0;
  if (std::sscanf(stat.c_str() + close + 2, "%c %ld %ld %ld", &state, &parent, &grp, &sid) != 4)
    return false;
  if (state == 'Z' || state == 'X') return false;
  group = static_cast<pid_t>(grp);
  session = static_cast<pid_t>(sid);
  return true;
}

// Calls `visit` with every live process of session `sid`.
template <typename Visit>
void ForEachInSession(pid_t sid, Visit visit) {
  DIR* proc = ::opendir("/proc");
  if (proc == nullptr) return;
  while (const dirent* entry = ::readdir(proc)) {
    char* end = nullptr;
    const long pid = std::strtol(entry->d_name, &end, 10);
    if (end == entry->d_name || *end != '\0' || pid <= 0) continue;
    pid_t group = 0, session = 0;
    if (LiveProcessIds(static_cast<pid_t>(pid), group, session) && session == sid)
      visit(static_cast<pid_t>(pid));
  }
  ::closedir(proc);
}

}  // namespace

PtyProcess::~PtyProcess() {
  if (pid_ > 0 && !reaped_) {
    SignalSession(SIGHUP);
    if (pidfd_ >= 0) {
      pollfd p{pidfd_, POLLIN, 0};
      ::poll(&p, 1, 2000);
    }
    if (!Check()) {
      SignalSession(SIGKILL);
      Reap();
    }
  }
  if (pid_ > 0 && SessionAlive()) SignalSession(SIGKILL);
  CloseMaster();
  if (pidfd_ >= 0) ::close(pidfd_);
}

bool PtyProcess::Start(const std::vector<std::string>& argv, const PtyOptions& options,
                       std::string& error) {
  if (argv.empty() || argv[0].empty()) {
    error = "no program named";
    return false;
  }
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  char slave[128] = {};
  if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
      ::ptsname_r(master_, slave, sizeof slave) != 0) {
    error = std::string("no pseudo-terminal: ") + std::strerror(errno);
    CloseMaster();
    return false;
  }
  winsize size{};
  size.ws_row = static_cast<unsigned short>(options.rows);
  size.ws_col = static_cast<unsigned short>(options.columns);
  ::ioctl(master_, TIOCSWINSZ, &size);
  ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);

  // The child: a new session first, then the terminal opened without O_NOCTTY (so that it becomes
  // the session's controlling terminal) as descriptors 0, 1 and 2, nothing else kept open.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &all);
  posix_spawnattr_setflags(&attributes,
                           POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, slave, O_RDWR, 0);
  posix_spawn_file_actions_adddup2(&actions, 0, 1);
  posix_spawn_file_actions_adddup2(&actions, 0, 2);
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);
  if (!options.directory.empty())
    posix_spawn_file_actions_addchdir_np(&actions, options.directory.c_str());

  std::vector<std::string> args = argv;
  std::vector<char*> arg_pointers;
  for (std::string& a : args) arg_pointers.push_back(a.data());
  arg_pointers.push_back(nullptr);
  std::vector<std::string> env = ProgramEnvironment(options.environment);
  std::vector<char*> env_pointers;
  for (std::string& e : env) env_pointers.push_back(e.data());
  env_pointers.push_back(nullptr);

  const int failed = ::posix_spawnp(&pid_, arg_pointers[0], &actions, &attributes,
                                    arg_pointers.data(), env_pointers.data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (failed != 0) {
    pid_ = -1;
    error = argv[0] + ": " + std::strerror(failed);
    CloseMaster();
    return false;
  }
  pidfd_ = PidFdOpen(pid_);
  return true;
}

bool PtyProcess::Check() {
  if (reaped_ || pid_ <= 0) return reaped_;
  int status = 0;
  const pid_t r = ::waitpid(pid_, &status, WNOHANG);
  if (r == pid_ || (r < 0 && errno == ECHILD)) {
    reaped_ = true;
    exit_code_ = r == pid_ ? ExitCodeOf(status) : -1;
  }
  return reaped_;
}

void PtyProcess::Reap() {
  if (reaped_ || pid_ <= 0) return;
  int status = 0;
  pid_t r;
  do {
    r = ::waitpid(pid_, &status, 0);
  } while (r < 0 && errno == EINTR);
  reaped_ = true;
  exit_code_ = r == pid_ ? ExitCodeOf(status) : -1;
}

void PtyProcess::SignalSession(int signal) const {
  if (pid_ <= 0) return;
  ::kill(-pid_, signal);  // the program's own group: the session's first, with the session's id
  ForEachInSession(pid_, [signal](pid_t pid) { ::kill(pid, signal); });
}

bool PtyProcess::SessionAlive() const {
  if (pid_ <= 0) return false;
  bool alive = false;
  ForEachInSession(pid_, [&alive](pid_t) { alive = true; });
  return alive;
}

void PtyProcess::CloseMaster() {
  if (master_ >= 0) ::close(master_);
  master_ = -1;
}

}  // namespace vx::platform
