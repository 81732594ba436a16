// A caller with Debian's telnet client in a real terminal (tmux) reaches the demo system through
// vxspawn on a loopback port, served by systemd-socket-activate or by socat: the LOGO arrives in
// its colours and the node ends the call with its files written.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "listener.h"
#include "support/shell.h"
#include "support/temp_dir.h"

namespace vx::console {
namespace {

namespace fs = std::filesystem;

using test::Shell;

class TelnetClientTest : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    for (const char* program : {"tmux", "telnet", GetParam().c_str()}) {
      if (!Installed(program)) GTEST_SKIP() << program << " is not installed";
    }
    char scratch[] = "/tmp/vxtcXXXXXX";
    ASSERT_NE(::mkdtemp(scratch), nullptr);
    scratch_ = scratch;
    system_ = scratch_ + "/s";
    const fs::path vxcfg = fs::path(VX_BINARY_DIR) / "tools" / "vxcfg";
    test::ProgramResult built = test::RunProgram(
        {vxcfg.string(), "build", std::string(VX_SOURCE_DIR) + "/demo", system_}, {}, scratch_);
    ASSERT_EQ(built.exit_code, 0) << built.error_output;
    socket_ = "vxtc" + scratch_.substr(9);
    port_ = FreePort();
  }
  void TearDown() override {
    if (!socket_.empty()) {
      Shell("tmux -L " + socket_ +
            " kill-server 2>/dev/null; rm -f \"${TMUX_TMPDIR:-/tmp}/tmux-$(id -u)/" + socket_ +
            "\"");
    }
    listener_.reset();
    if (!scratch_.empty()) fs::remove_all(scratch_);
  }

  void Serve() {
    const std::string spawn = std::string(VX_BINARY_DIR) + "/src/vxspawn";
    const std::string log = scratch_ + "/listener.log";
    if (GetParam() == "socat") {
      ::setenv("VX", system_.c_str(), 1);
      listener_ = std::make_unique<Listener>(
          std::vector<std::string>{
              "socat", "TCP-LISTEN:" + std::to_string(port_) + ",bind=127.0.0.1,reuseaddr,fork",
              "EXEC:" + spawn + ",nofork"},
          log);
      ::unsetenv("VX");
    } else {
      listener_ = std::make_unique<Listener>(
          std::vector<std::string>{"systemd-socket-activate", "-l",
                                   "127.0.0.1:" + std::to_string(port_), "--inetd", "-a", "-E",
                                   "VX=" + system_, spawn},
          log);
    }
    // The listener is up once it takes a connection (which is then a call of its own).
    const int probe = Connect(port_);
    ASSERT_GE(probe, 0);
    Read(probe, 3s);
    ::close(probe);
  }
  std::string Capture(bool with_colours) {
    return Shell("tmux -L " + socket_ + " capture-pane -p " + (with_colours ? "-e " : "") + "-t 0");
  }
  bool WaitFor(const std::string& text) {
    for (int i = 0; i < 200; ++i) {
      if (Capture(false).find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(50ms);
    }
    return false;
  }

  std::string scratch_, system_, socket_;
  int port_ = 0;
  std::unique_ptr<Listener> listener_;
};

TEST_P(TelnetClientTest, TheCallerSeesTheLogoInColour) {
  Serve();
  Shell("tmux -L " + socket_ +
        " -f /dev/null new-session -d -x 100 -y 30 "
        "'env TERM=tmux-256color LANG=C.UTF-8 telnet 127.0.0.1 " +
        std::to_string(port_) + "; echo TELNET ENDED; sleep 60'");
  ASSERT_TRUE(WaitFor("full name:")) << Capture(false);
  EXPECT_NE(Capture(false).find("This is build"), std::string::npos) << Capture(false);
  // "The Lighthouse" in bright yellow, as the LOGO has it.
  const std::string coloured = Capture(true);
  const size_t title = coloured.find("T h e");
  ASSERT_NE(title, std::string::npos);
  const size_t sgr = coloured.rfind("\x1b[", title);
  ASSERT_NE(sgr, std::string::npos);
  const std::string colour = coloured.substr(sgr, title - sgr);
  EXPECT_TRUE(colour.find("93") != std::string::npos ||
              colour.find("38;5;11") != std::string::npos ||
              colour.find("1;33") != std::string::npos || colour.find("33") != std::string::npos)
      << colour;

  // The caller logs on as the sysop and logs off at the main menu; the node ends the call.
  const auto answer = [this](const std::string& prompt, const std::string& keys) {
    ASSERT_TRUE(WaitFor(prompt)) << Capture(false);
    Shell("tmux -L " + socket_ + " send-keys -t 0 " + keys);
  };
  answer("full name:", "'sam sysop' Enter");
  answer("Password:", "lighthouse Enter");
  answer("addressed to you?", "n");
  answer("last call?", "n");
  answer("minutes left):", "g");
  answer("log off?", "y");
  ASSERT_TRUE(WaitFor("TELNET ENDED")) << Capture(false);
  // The node's log shows the call on node 1 (the probe before it ended first); no semaphore.
  const std::string log_file = system_ + "/logs/node1.log";
  for (int i = 0; i < 200 && test::ReadFile(log_file).find("User off-line") == std::string::npos;
       ++i) {
    std::this_thread::sleep_for(10ms);
  }
  EXPECT_FALSE(test::Exists(system_ + "/VxBusy.1"));
  const std::string node_log = test::ReadFile(log_file);
  EXPECT_NE(node_log.find("Line #1"), std::string::npos);
  EXPECT_NE(node_log.find("Sam Sysop on-line at 38400 BPS"), std::string::npos) << node_log;
  EXPECT_NE(node_log.find("User requested to terminate the call"), std::string::npos) << node_log;
}

INSTANTIATE_TEST_SUITE_P(Engines, TelnetClientTest,
                         ::testing::Values("systemd-socket-activate", "socat"),
                         [](const auto& engine) {
                           return engine.param == "socat" ? std::string("Socat")
                                                          : std::string("SystemdSocketActivate");
                         });

}  // namespace
}  // namespace vx::console
