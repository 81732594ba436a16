// The sysop's console in a real terminal (tmux) with a caller on a TCP connection: the status
// panel before and after the logon, the time keys, and F9 ending the call through the normal end.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "support/shell.h"
#include "support/temp_dir.h"

namespace vx::console {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

using test::Shell;

class SysopConsoleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (Shell("command -v tmux").empty()) GTEST_SKIP() << "tmux is not installed";
    char scratch[] = "/tmp/vxscXXXXXX";
    ASSERT_NE(::mkdtemp(scratch), nullptr);
    scratch_ = scratch;
    system_ = scratch_ + "/s";
    Shell(std::string(VX_BINARY_DIR) + "/tools/vxcfg build " + VX_SOURCE_DIR + "/demo " + system_ +
          " >/dev/null 2>&1");
    ASSERT_TRUE(fs::exists(system_ + "/CONFIG.VX"));
    socket_ = "vxsc" + scratch_.substr(9);
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener_, 1), 0);
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
  }
  void TearDown() override {
    if (caller_ >= 0) ::close(caller_);
    if (listener_ >= 0) ::close(listener_);
    if (!socket_.empty()) {
      Shell("tmux -L " + socket_ + " kill-server 2>/dev/null; rm -f \"${TMUX_TMPDIR:-/tmp}/tmux-$(id -u)/" +
            socket_ + "\"");
    }
    if (!scratch_.empty()) fs::remove_all(scratch_);
  }

  // The node at a 130 x 32 terminal, its caller on descriptor 3 (a TCP connection to us).
  void StartNode() {
    const std::string script = scratch_ + "/run.sh";
    // The connection is opened for the node alone, so it closes when the node closes it.
    std::ofstream(script) << "#!/bin/bash\ncd " << system_ << "\nenv VX=" << system_
                          << " TERM=tmux-256color LANG=C.UTF-8 LC_ALL=C.UTF-8 " << VX_BINARY_DIR
                          << "/src/vxnode -N1 -B38400 -H3 3<>/dev/tcp/127.0.0.1/" << port_
                          << "\necho EXITED $?\nsleep 60\n";
    Shell("tmux -L " + socket_ + " -f /dev/null new-session -d -x 130 -y 32 'bash " + script + "'");
    pollfd p{listener_, POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 10000), 1);
    caller_ = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    ASSERT_GE(caller_, 0);
  }
  std::string Capture() { return Shell("tmux -L " + socket_ + " capture-pane -p -t 0"); }
  bool PaneShows(const std::string& text) {
    for (int i = 0; i < 200; ++i) {
      if (Capture().find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(50ms);
    }
    return false;
  }
  // The caller waits for `text` from the node, then types `keys`.
  bool Answer(const std::string& text, const std::string& keys) {
    const auto end = std::chrono::steady_clock::now() + 10s;
    while (received_.find(text, seen_) == std::string::npos) {
      if (std::chrono::steady_clock::now() > end) return false;
      pollfd p{caller_, POLLIN, 0};
      if (::poll(&p, 1, 100) != 1) continue;
      char buffer[4096];
      const ssize_t n = ::read(caller_, buffer, sizeof buffer);
      if (n <= 0) return false;
      received_.append(buffer, static_cast<size_t>(n));
    }
    seen_ = received_.find(text, seen_) + text.size();
    if (!keys.empty()) (void)!::write(caller_, keys.data(), keys.size());
    return true;
  }
  void SendKeys(const std::string& keys) { Shell("tmux -L " + socket_ + " send-keys -t 0 " + keys); }

  std::string scratch_, system_, socket_, received_;
  size_t seen_ = 0;
  int listener_ = -1, caller_ = -1, port_ = 0;
};

TEST_F(SysopConsoleTest, ThePanelTheTimeKeysAndF9) {
  StartNode();
  ASSERT_TRUE(PaneShows("Name: Waiting For Call")) << Capture();
  EXPECT_NE(Capture().find("Device: COM"), std::string::npos) << Capture();
  ASSERT_TRUE(Answer("full name:", "sam sysop\r"));
  ASSERT_TRUE(Answer("Password:", "lighthouse\r"));
  ASSERT_TRUE(Answer("addressed to you?", "n"));
  ASSERT_TRUE(Answer("last call?", "n"));
  ASSERT_TRUE(Answer("minutes left): ", ""));
  ASSERT_TRUE(PaneShows("Name: Sam Sysop")) << Capture();
  const std::string panel = Capture();
  for (const char* line : {"Handle:", "Location:", "Voice Phone:", "Data Phone:", "Birthdate:",
                           "Security: 255", "Speed: 38400", "Time Online:", "Time Left:",
                           "Daily Timelimit:", "Files Tagged:", "Bytes Tagged:", "Downld Today:"}) {
    EXPECT_NE(panel.find(line), std::string::npos) << line << "\n" << panel;
  }
  // The time keys change "Time Left" at once.
  const size_t at = panel.find("Time Left: ");
  ASSERT_NE(at, std::string::npos);
  const int before = std::stoi(panel.substr(at + 11));
  SendKeys("Up");
  SendKeys("Up");
  ASSERT_TRUE(PaneShows("Time Left: " + std::to_string(before + 2) + " min.")) << Capture();
  SendKeys("Down");
  ASSERT_TRUE(PaneShows("Time Left: " + std::to_string(before + 1) + " min.")) << Capture();

  // F9 asks on the tool-bar row, and Y ends the call through the normal end.
  SendKeys("F9");
  ASSERT_TRUE(PaneShows("End this call?")) << Capture();
  SendKeys("y");
  ASSERT_TRUE(PaneShows("EXITED 0")) << Capture();
  EXPECT_FALSE(fs::exists(system_ + "/VxBusy.1"));
  const std::string log = test::ReadFile(system_ + "/logs/node1.log");
  size_t offline = 0;
  for (size_t p = log.find("User off-line"); p != std::string::npos; p = log.find("User off-line", p + 1)) ++offline;
  EXPECT_EQ(offline, 1u) << log;
  EXPECT_NE(log.find("Call ended by the sysop"), std::string::npos);
  // The connection was closed.
  char byte;
  ssize_t n;
  while ((n = ::read(caller_, &byte, 1)) > 0) {
  }
  EXPECT_EQ(n, 0);
}

}  // namespace
}  // namespace vx::console
