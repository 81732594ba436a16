// The waiting window in a real terminal (tmux): a node on the demo system waits for a call on a
// fake modem, shows its status, labels and the modem's answers with the legend of its keys, and
// the sysop's F1 turns the wait into a local logon.
//
// The node runs in this same test program (the disabled test below, started by the other in a
// tmux pane), so that the fake modem shares its event loop.
#include "console/wait_window.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "comm/serial_line.h"
#include "console/curses_console.h"
#include "core/node_log.h"
#include "platform/clock.h"
#include "platform/environment.h"
#include "platform/event_loop.h"
#include "platform/process_exit.h"
#include "platform/process_runner.h"
#include "session/call_end.h"
#include "session/node_session.h"
#include "session/startup.h"
#include "support/shell.h"
#include "support/fake_modem.h"

namespace vx::console {
namespace {

namespace fs = std::filesystem;

// The node the tmux test starts. Not run on its own.
TEST(WaitWindowSession, DISABLED_WaitForACall) {
  platform::SystemClock clock;
  platform::EventLoop loop(clock);
  test::FakeModem modem(loop);
  platform::Environment env = platform::Environment::FromProcess();
  env.Set("VX_COM1", modem.device());
  core::NodeLog log(clock, env);
  comm::SerialLine line(loop, env);
  CursesConsole console(loop, line.terminal());
  WaitWindow wait_window(console);
  platform::SpawnProcessRunner runner(loop);
  session::NodeSession session(loop, console, log, line, env);
  session.window = &console;
  console.SetKeyHandler([&session](int code) { session.terminal.LocalKey(code); });
  console.SetStatusBarSource([&session] {
    return session.node.local_mode ? std::string("Local logon")
                                   : "Device: COM" + std::to_string(session.comm.port_number());
  });
  session::StartupServices services;
  services.runner = &runner;
  services.wait_view = &wait_window;
  try {
    session::RunStartup(session, "-N2", services);
    session.terminal.input().auto_accept = true;
    session.terminal.GetKey();
    session::EndNodeProgram(session);
  } catch (const platform::ProcessExit&) {
  }
}

using test::Shell;

class WaitWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (Shell("command -v tmux").empty()) GTEST_SKIP() << "tmux is not installed";
    char scratch[] = "/tmp/vxwwXXXXXX";
    ASSERT_NE(::mkdtemp(scratch), nullptr);
    scratch_ = scratch;
    system_ = scratch_ + "/s";
    const fs::path vxcfg = fs::path(VX_BINARY_DIR) / "tools" / "vxcfg";
    const std::string built =
        Shell(vxcfg.string() + " build " + VX_SOURCE_DIR + "/demo " + system_ + " 2>&1");
    ASSERT_TRUE(fs::exists(fs::path(system_) / "CONFIG.VX")) << built;
    socket_ = "vxww" + scratch_.substr(9);
  }
  void TearDown() override {
    if (!socket_.empty()) {
      Shell("tmux -L " + socket_ +
            " kill-server 2>/dev/null; rm -f \"${TMUX_TMPDIR:-/tmp}/tmux-$(id -u)/" + socket_ +
            "\"");
    }
    if (!scratch_.empty()) fs::remove_all(scratch_);
  }
  std::string Capture() { return Shell("tmux -L " + socket_ + " capture-pane -p -t 0"); }
  bool WaitFor(const std::string& text) {
    for (int i = 0; i < 200; ++i) {
      if (Capture().find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

  std::string scratch_, system_, socket_;
};

TEST_F(WaitWindowTest, ShowsTheWaitAndTakesTheLocalLogonKey) {
  const std::string self = fs::read_symlink("/proc/self/exe").string();
  Shell("tmux -L " + socket_ + " -f /dev/null new-session -d -x 120 -y 32 'cd " + system_ +
        " && env VX=" + system_ + " TERM=tmux-256color LANG=C.UTF-8 LC_ALL=C.UTF-8 " + self +
        " --gtest_also_run_disabled_tests --gtest_filter=WaitWindowSession.DISABLED_WaitForACall;"
        " echo EXITED $?; sleep 60'");
  ASSERT_TRUE(WaitFor("Waiting for activity.")) << Capture();
  const std::string shown = Capture();
  EXPECT_NE(shown.find("2 - ngVX32 0.982 beta2 (Public) build 1"), std::string::npos) << shown;
  EXPECT_NE(shown.find("Node:         2"), std::string::npos) << shown;
  EXPECT_NE(shown.find("Port:         1 (Modem)"), std::string::npos) << shown;
  EXPECT_NE(shown.find("Next Event:   <None>"), std::string::npos) << shown;
  EXPECT_NE(shown.find("All Nodes:    0 Calls"), std::string::npos) << shown;
  EXPECT_NE(shown.find("F1/L Local logon"), std::string::npos) << shown;
  EXPECT_NE(shown.find("F10/Q Quit"), std::string::npos) << shown;
  EXPECT_NE(shown.find("OK"), std::string::npos) << shown;  // the modem's answers

  Shell("tmux -L " + socket_ + " send-keys -t 0 F1");
  ASSERT_TRUE(WaitFor("T h e   L i g h t h o u s e")) << Capture();  // the local session
  EXPECT_TRUE(WaitFor("Local logon")) << Capture();
  Shell("tmux -L " + socket_ + " send-keys -t 0 x");
  EXPECT_TRUE(WaitFor("EXITED 0")) << Capture();
}

}  // namespace
}  // namespace vx::console
