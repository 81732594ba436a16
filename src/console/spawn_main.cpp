// vxspawn: one connection, one free node, one vxnode.
#include "console/spawn_main.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "core/config.h"
#include "core/text.h"
#include "platform/console.h"
#include "platform/dos_path.h"
#include "platform/environment.h"
#include "session/command_line.h"
#include "session/node_claim.h"
#include "session/startup.h"

extern char** environ;

namespace vx::console {

namespace {

constexpr const char* kUsage =
    "usage: vxspawn [--nodes FIRST-LAST] [--speed BPS] [-- VXNODE-OPTIONS...]\n"
    "Started once per connection by systemd (Accept=yes), xinetd or socat; the connection is\n"
    "standard input, or descriptor 3 when LISTEN_FDS=1. Gives it the first free node (default\n"
    "1-8) and becomes vxnode -N<node> -B<speed> -H<fd> beside it. VX names the system.";
constexpr char kBusyLine[] = "All nodes are busy. Please call again later.\r\n";
constexpr int kBusyDrainMs = 1000;

struct SpawnOptions {
  int first = 1, last = 8;
  long speed = session::kHandedOverSpeed;
  std::vector<std::string> node_options;
};

[[noreturn]] void Fail(const std::string& message, int code = 1) {
  platform::WriteStandardError("vxspawn: " + message);
  std::exit(code);
}

std::optional<long> Number(const std::string& text, long low, long high) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return {};
  if (text.size() > 9) return {};
  const long n = std::stol(text);
  if (n < low || n > high) return {};
  return n;
}

SpawnOptions ParseOptions(int argc, char** argv) {
  SpawnOptions options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--") {
      for (++i; i < argc; ++i) options.node_options.emplace_back(argv[i]);
      break;
    }
    if (arg == "--help" || arg == "-h") {
      platform::WriteStandardError(kUsage);
      std::exit(0);
    }
    if ((arg == "--nodes" || arg == "--speed") && i + 1 >= argc)
      Fail(arg + " needs a value\n" + kUsage, 2);
    if (arg == "--nodes") {
      const std::string range = argv[++i];
      const size_t dash = range.find('-');
      const auto first = Number(range.substr(0, dash), 1, 255);
      const auto last = dash == std::string::npos ? first : Number(range.substr(dash + 1), 1, 255);
      if (!first || !last) Fail("bad node range \"" + range + "\": FIRST-LAST, nodes 1 to 255", 2);
      if (*first > *last) {
        Fail("bad node range \"" + range + "\": the first node is above the last", 2);
      }
      options.first = static_cast<int>(*first);
      options.last = static_cast<int>(*last);
    } else if (arg == "--speed") {
      const auto speed = Number(argv[++i], 300, 38400);
      if (!speed || session::NormaliseSpeed(*speed) != *speed) {
        Fail("bad speed \"" + std::string(argv[i]) +
                 "\": one of 300, 1200, 4800, 9600, 19200, 38400 (the speeds the node keeps as "
                 "they are)",
             2);
      }
      options.speed = *speed;
    } else {
      Fail("unknown option \"" + arg + "\"\n" + kUsage, 2);
    }
  }
  return options;
}

// Where the connection is: descriptor 3 from systemd without StandardInput=socket, else
// standard input (xinetd, systemd-socket-activate --inetd, StandardInput=socket, socat).
int ConnectionDescriptor() {
  const char* fds = std::getenv("LISTEN_FDS");
  const char* pid = std::getenv("LISTEN_PID");
  const bool for_us = pid == nullptr || std::to_string(::getpid()) == pid;
  if (fds != nullptr && std::string(fds) == "1" && for_us) return 3;
  if (fds != nullptr && std::string(fds) != "1" && for_us) {
    Fail(std::string("LISTEN_FDS=") + fds + ": one connection per start is expected (Accept=yes)");
  }
  return STDIN_FILENO;
}

bool SameFile(int a, int b) {
  struct stat sa {
  }, sb{};
  return ::fstat(a, &sa) == 0 && ::fstat(b, &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

void PointAtDevNull(int fd) {
  const int quiet = ::open("/dev/null", O_RDWR);
  if (quiet < 0) return;
  if (quiet != fd) {
    ::dup2(quiet, fd);
    ::close(quiet);
  }
}

// Sends the busy line whole and closes the connection. What the caller sent meanwhile (telnet
// option requests) is read and dropped until the caller closes or a second passes: closing with
// unread input would reset the connection and could lose the line on its way.
void TurnAway(int fd) {
  size_t sent = 0;
  const size_t length = sizeof kBusyLine - 1;
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::milliseconds(kBusyDrainMs);
  while (sent < length) {
    const ssize_t n = ::send(fd, kBusyLine + sent, length - sent, MSG_NOSIGNAL);
    if (n > 0) {
      sent += static_cast<size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) &&
               std::chrono::steady_clock::now() < give_up) {
      pollfd p{fd, POLLOUT, 0};
      ::poll(&p, 1, 100);
    } else {
      break;
    }
  }
  ::shutdown(fd, SHUT_WR);
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        give_up - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
    char sink[512];
    const ssize_t n = ::recv(fd, sink, sizeof sink, 0);
    if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN)) break;
  }
  ::close(fd);
}

std::string ProgramDirectory() {
  char path[4096];
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return ".";
  std::string self(path, static_cast<size_t>(n));
  const size_t slash = self.rfind('/');
  return slash == std::string::npos ? "." : self.substr(0, slash);
}

}  // namespace

int SpawnMain(int argc, char** argv) {
  const SpawnOptions options = ParseOptions(argc, argv);

  int connection = ConnectionDescriptor();
  if (::fcntl(connection, F_GETFD) < 0) {
    Fail("no connection: descriptor " + std::to_string(connection) + " is not open");
  }
  struct stat st {};
  if (::fstat(connection, &st) != 0 || !S_ISSOCK(st.st_mode)) {
    Fail("no connection: descriptor " + std::to_string(connection) +
         " is not a socket (start vxspawn from systemd, xinetd or socat; see its README section)");
  }
  // xinetd makes standard error the caller's socket: messages must not reach the caller.
  if (connection != STDERR_FILENO && SameFile(connection, STDERR_FILENO))
    PointAtDevNull(STDERR_FILENO);

  const platform::Environment env = platform::Environment::FromProcess();
  if (env.Value("VX").empty()) Fail("VX is not set: it names the system directory");
  core::ConfigLoad load = core::ReadConfiguration(env);
  if (!load.ok) Fail(platform::HeadlessConsole::FormatBox(load.text, load.title));
  const std::string system_dir = load.config.system_path;
  const std::string create_dir =
      load.config.semaphore_setting.empty() ? system_dir : load.config.semaphore_path;

  const session::NodeClaim claim =
      session::ClaimFreeNode(options.first, options.last, create_dir, system_dir, env);
  if (!claim.error.empty()) Fail(claim.error);
  if (claim.node == 0) {
    const char* from = std::getenv("REMOTE_ADDR");
    if (from == nullptr) from = std::getenv("REMOTE_HOST");
    platform::WriteStandardError("vxspawn: every node of " + std::to_string(options.first) + "-" +
                                 std::to_string(options.last) + " is busy; the caller" +
                                 (from ? std::string(" from ") + from : std::string()) +
                                 " was told so");
    TurnAway(connection);
    return 0;
  }

  // The node gets the connection on a descriptor above 2 (-H0 would mean "none") and its own
  // standard input and output away from the caller.
  if (connection < 3) {
    const int moved = ::fcntl(connection, F_DUPFD, 3);
    if (moved < 0) Fail(std::string("cannot move the connection: ") + std::strerror(errno));
    connection = moved;
  }
  ::fcntl(connection, F_SETFD, 0);
  ::fcntl(claim.fd, F_SETFD, 0);
  for (int fd : {STDIN_FILENO, STDOUT_FILENO}) {
    if (SameFile(fd, connection)) PointAtDevNull(fd);
  }

  ::unsetenv("LISTEN_FDS");
  ::unsetenv("LISTEN_PID");
  ::unsetenv("LISTEN_FDNAMES");
  ::setenv(session::kSemaphoreFdVariable, std::to_string(claim.fd).c_str(), 1);

  const std::string node = ProgramDirectory() + "/vxnode";
  std::vector<std::string> args = {node, "-N" + std::to_string(claim.node),
                                   "-B" + std::to_string(options.speed),
                                   "-H" + std::to_string(connection)};
  args.insert(args.end(), options.node_options.begin(), options.node_options.end());
  std::vector<char*> argv_out;
  for (std::string& a : args) argv_out.push_back(a.data());
  argv_out.push_back(nullptr);
  ::execve(node.c_str(), argv_out.data(), environ);

  // Not started: the claim must not stay behind as a busy node.
  // Removed while still locked, so no other start's fresh claim can be taken away.
  const int error = errno;
  ::unlink(platform::HostPath(create_dir + "VxBusy." + std::to_string(claim.node), env).c_str());
  ::close(claim.fd);
  Fail("cannot start " + node + ": " + std::strerror(error));
}

}  // namespace vx::console
