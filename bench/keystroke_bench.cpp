// Keystroke round trip over loopback telnet: a caller types a key and waits for its echo. The node
// side is the node's own path for a key (the telnet line, the event loop, the terminal's input
// field echoing it) running in a thread of its own; the baseline is a minimal echo server (one
// blocking read, one write) over the same loopback in the same run. Printed: p50 and p99 of both
// in microseconds, and the node's p99 as a multiple of the baseline's (the goal: at most 1.5).
//
//   build/bench/keystroke_bench [ROUNDS]
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "comm/telnet_line.h"
#include "core/config.h"
#include "core/language.h"
#include "core/user_record.h"
#include "platform/clock.h"
#include "platform/environment.h"
#include "platform/event_loop.h"
#include "platform/process_exit.h"
#include "terminal/terminal.h"

namespace {

using namespace vx;
using Clock = std::chrono::steady_clock;

// The server's end gets TCP_NODELAY only when asked: the node's telnet line sets it itself.
std::pair<int, int> TcpPair(bool server_nodelay) {
  const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::listen(listener, 1);
  ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
  const int caller = ::socket(AF_INET, SOCK_STREAM, 0);
  ::connect(caller, reinterpret_cast<sockaddr*>(&address), sizeof address);
  const int server = ::accept(listener, nullptr, nullptr);
  ::close(listener);
  const int one = 1;
  ::setsockopt(caller, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  if (server_nodelay) ::setsockopt(server, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  return {server, caller};
}

// Reads at least `count` bytes (what a key's echo is).
bool ReadBytes(int fd, size_t count) {
  char buffer[256];
  size_t got = 0;
  while (got < count) {
    const ssize_t n = ::recv(fd, buffer, std::min(sizeof buffer, count - got), 0);
    if (n <= 0) return false;
    got += static_cast<size_t>(n);
  }
  return true;
}

// Reads whatever arrives within `quiet` of silence.
void Drain(int fd, int quiet_ms) {
  char buffer[4096];
  pollfd p{fd, POLLIN, 0};
  while (::poll(&p, 1, quiet_ms) > 0 && ::recv(fd, buffer, sizeof buffer, 0) > 0) {
  }
}

// Keys alternate between a letter (echoed as itself) and a backspace (echoed as "\b \b"), so the
// input field never fills.
std::vector<double> RoundTrips(int caller, int rounds, size_t backspace_echo) {
  std::vector<double> micros;
  micros.reserve(static_cast<size_t>(rounds));
  for (int i = 0; i < rounds; ++i) {
    const bool letter = i % 2 == 0;
    const char key = letter ? 'a' : '\b';
    const auto sent = Clock::now();
    if (::send(caller, &key, 1, 0) != 1) break;
    if (!ReadBytes(caller, letter ? 1 : backspace_echo)) break;
    micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - sent).count());
  }
  return micros;
}

double Percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t at = std::min(values.size() - 1, static_cast<size_t>(p * values.size()));
  return values[at];
}

// The baseline: the least a server can do for a key.
std::vector<double> EchoServerRun(int rounds) {
  auto [server, caller] = TcpPair(true);
  std::thread echo([fd = server] {
    char buffer[64];
    for (;;) {
      const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      const std::string reply = buffer[0] == '\b' ? std::string("\b \b") : std::string(buffer, 1);
      if (::send(fd, reply.data(), reply.size(), MSG_NOSIGNAL) <= 0) break;
    }
    ::close(fd);
  });
  std::vector<double> micros = RoundTrips(caller, rounds, 3);
  ::close(caller);
  echo.join();
  return micros;
}

// The node: a telnet line and the terminal waiting in an input field, in a thread of its own.
std::vector<double> NodeRun(int rounds) {
  auto [server, caller] = TcpPair(false);
  std::thread node([fd = server] {
    platform::SystemClock clock;
    platform::EventLoop loop(clock);
    platform::Environment env;
    core::Configuration config;
    core::ConfigSnapshot config_snapshot{env};
    core::LanguageList languages;
    core::LanguageTable language;
    core::UserRecord user;
    user.attribute = "01100000";
    terminal::ColourSets colours{{{7, 0}, {14, 0}, {11, 1}, {10, 0}, {15, 4}}};
    comm::TelnetLine line(loop, fd);
    std::string error;
    if (!line.OpenPort(error)) return;
    terminal::Terminal terminal(terminal::TerminalContext{loop, line, env, config, config_snapshot,
                                                          languages, language, user, colours});
    terminal.input().hint = false;
    terminal.SetPollHook([&line] {
      if (!line.CarrierDetect()) platform::EndProcess(0);
    });
    try {
      for (;;) terminal.InputLine(70);
    } catch (const platform::ProcessExit&) {
    }
  });
  Drain(caller, 100);  // the telnet offers
  std::vector<double> micros = RoundTrips(caller, rounds, 3);
  ::close(caller);
  node.join();
  return micros;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(100, std::atoi(argv[1])) : 20000;
  // Warm both up, then measure them one after the other in the same run.
  EchoServerRun(500);
  NodeRun(500);
  const std::vector<double> base = EchoServerRun(rounds);
  const std::vector<double> node = NodeRun(rounds);
  const double base50 = Percentile(base, 0.50), base99 = Percentile(base, 0.99);
  const double node50 = Percentile(node, 0.50), node99 = Percentile(node, 0.99);
  std::printf("keystroke round trip over loopback telnet, %d keys each\n", rounds);
  std::printf("  %-26s p50 %8.1f us   p99 %8.1f us\n", "echo server (baseline)", base50, base99);
  std::printf("  %-26s p50 %8.1f us   p99 %8.1f us\n", "node (telnet, input field)", node50,
              node99);
  std::printf("  ratio node/baseline        p50 %8.2f      p99 %8.2f   (goal: p99 <= 1.5)\n",
              base50 > 0 ? node50 / base50 : 0.0, base99 > 0 ? node99 / base99 : 0.0);
  return node.size() == static_cast<size_t>(rounds) ? 0 : 1;
}
