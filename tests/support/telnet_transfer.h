// Test support: a caller's transfer program (lrzsz) on a telnet connection. The program runs on
// a socket pair; the relay undoes telnet's escaping of what the node sends (a doubled 0xFF is one
// byte, option commands and subnegotiations go) and doubles 0xFF in what the program sends.
#pragma once

#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

extern char** environ;

namespace vx::test {

class TelnetUnescape {
 public:
  std::string Feed(std::string_view bytes) {
    std::string out;
    for (unsigned char c : bytes) {
      switch (state_) {
        case 0:
          if (c == 0xFF) state_ = 1; else out += static_cast<char>(c);
          break;
        case 1:  // after IAC
          if (c == 0xFF) { out += '\xff'; state_ = 0; }
          else if (c >= 251 && c <= 254) state_ = 2;  // WILL WONT DO DONT: one option byte
          else if (c == 250) state_ = 3;              // SB
          else state_ = 0;
          break;
        case 2:
          state_ = 0;
          break;
        case 3:  // inside SB
          if (c == 0xFF) state_ = 4;
          break;
        case 4:
          state_ = c == 240 ? 0 : 3;  // IAC SE ends it
          break;
      }
    }
    return out;
  }

 private:
  int state_ = 0;
};

struct TransferResult {
  int exit_code = -1;
  std::string error_output;
};

// Runs `argv` in `cwd` against the node on `fd` until it ends (at most `limit`). `pending` holds
// what the node sent before the program started.
inline TransferResult RunTelnetTransfer(int fd, const std::vector<std::string>& argv,
                                        const std::string& cwd, const std::string& pending,
                                        bool telnet = true,
                                        std::chrono::seconds limit = std::chrono::seconds(30)) {
  TransferResult result;
  int pair[2];
  int errors[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) return result;
  if (::pipe2(errors, O_CLOEXEC) != 0) return result;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pair[1], 0);
  posix_spawn_file_actions_adddup2(&actions, pair[1], 1);
  posix_spawn_file_actions_adddup2(&actions, errors[1], 2);
  posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
  std::vector<std::string> words = argv;
  std::vector<char*> args;
  for (std::string& w : words) args.push_back(w.data());
  args.push_back(nullptr);
  pid_t pid = -1;
  const int failed = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(pair[1]);
  ::close(errors[1]);
  if (failed != 0) return result;
  const int program = pair[0];
  TelnetUnescape unescape;
  std::string to_program = telnet ? unescape.Feed(pending) : pending;
  std::string to_node;
  const auto end = std::chrono::steady_clock::now() + limit;
  bool program_open = true;
  bool errors_open = true;
  while (std::chrono::steady_clock::now() < end && (program_open || errors_open)) {
    pollfd p[3] = {{fd, POLLIN, 0}, {program, POLLIN, 0}, {errors[0], POLLIN, 0}};
    if (!to_node.empty()) p[0].events |= POLLOUT;
    if (!to_program.empty()) p[1].events |= POLLOUT;
    if (!program_open) p[1].fd = -1;
    if (!errors_open) p[2].fd = -1;
    if (::poll(p, 3, 200) <= 0) continue;
    char buffer[16384];
    if (p[0].revents & POLLIN) {
      const ssize_t n = ::read(fd, buffer, sizeof buffer);
      if (n <= 0) break;
      const std::string_view got(buffer, static_cast<size_t>(n));
      to_program += telnet ? unescape.Feed(got) : std::string(got);
    }
    if ((p[0].revents & POLLOUT) && !to_node.empty()) {
      const ssize_t n = ::send(fd, to_node.data(), to_node.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
      if (n > 0) to_node.erase(0, static_cast<size_t>(n));
    }
    if ((p[1].revents & POLLOUT) && !to_program.empty()) {
      const ssize_t n =
          ::send(program, to_program.data(), to_program.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
      if (n > 0) to_program.erase(0, static_cast<size_t>(n));
      if (n < 0 && errno != EAGAIN) to_program.clear();
    }
    if (p[1].revents & (POLLIN | POLLHUP)) {
      const ssize_t n = ::read(program, buffer, sizeof buffer);
      if (n <= 0) {
        program_open = false;
      } else {
        for (ssize_t i = 0; i < n; ++i) {
          to_node += buffer[i];
          if (telnet && static_cast<unsigned char>(buffer[i]) == 0xFF) to_node += '\xff';
        }
      }
    }
    if (p[2].revents & (POLLIN | POLLHUP)) {
      const ssize_t n = ::read(errors[0], buffer, sizeof buffer);
      if (n <= 0) errors_open = false; else result.error_output.append(buffer, static_cast<size_t>(n));
    }
  }
  while (!to_node.empty()) {
    const ssize_t n = ::send(fd, to_node.data(), to_node.size(), MSG_NOSIGNAL);
    if (n <= 0) break;
    to_node.erase(0, static_cast<size_t>(n));
  }
  ::close(program);
  ::close(errors[0]);
  int status = 0;
  if (program_open || errors_open) ::kill(pid, SIGKILL);
  ::waitpid(pid, &status, 0);
  result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}

}  // namespace vx::test
