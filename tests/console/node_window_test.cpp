// The node window in a real terminal: a local session started in tmux shows the caller's screen
// (the opening screens with the LOGO) with its colours and box characters, the status bar, takes
// the sysop's keys, and gives the terminal back as it was when the session ends.
//
// The session runs in this same test program (the disabled test below, started by the others in
// a tmux pane): the node's start-up on a demo system, then a wait for one key.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "comm/comm_control.h"
#include "console/cp437.h"
#include "console/curses_console.h"
#include "core/node_log.h"
#include "platform/clock.h"
#include "platform/environment.h"
#include "platform/event_loop.h"
#include "platform/process_exit.h"
#include "session/call_end.h"
#include "session/node_session.h"
#include "session/startup.h"

#include "support/shell.h"

namespace vx::console {
namespace {

namespace fs = std::filesystem;

TEST(Cp437, GlyphsOfTheDosScreen) {
  EXPECT_EQ(Cp437ToUnicode('A'), U'A');
  EXPECT_EQ(Cp437ToUnicode(0x01), U'\u263A');  // smiling face
  EXPECT_EQ(Cp437ToUnicode(0xC9), U'\u2554');  // double top-left corner
  EXPECT_EQ(Cp437ToUnicode(0xCD), U'\u2550');
  EXPECT_EQ(Cp437ToUnicode(0xB0), U'\u2591');  // light shade
  EXPECT_EQ(Cp437ToUnicode(0xDB), U'\u2588');  // full block
  EXPECT_EQ(Cp437ToUnicode(0xE1), U'\u00DF');
  EXPECT_EQ(Cp437ToUnicode(0x7F), U'\u2302');
  for (int byte = 32; byte < 256; ++byte) {
    if (byte == 127) continue;
    EXPECT_EQ(UnicodeToCp437(Cp437ToUnicode(static_cast<uint8_t>(byte))), byte);
  }
  EXPECT_EQ(UnicodeToCp437(U'\u20AC'), std::nullopt);  // the euro sign is not in the set
}

// The local session that the tmux tests start. Not run on its own.
TEST(NodeWindowSession, DISABLED_LocalSession) {
  platform::SystemClock clock;
  platform::EventLoop loop(clock);
  const platform::Environment env = platform::Environment::FromProcess();
  core::NodeLog log(clock, env);
  comm::LocalCommControl comm;
  CursesConsole console(loop, comm.terminal());
  session::NodeSession session(loop, console, log, comm, env);
  session.window = &console;
  console.SetKeyHandler([&session](int code) { session.terminal.LocalKey(code); });
  console.SetStatusBarSource(
      [&session] { return std::string(session.node.local_mode ? "Local logon" : "?"); });
  try {
    session::RunStartup(session, "-N1 -L");
    session.terminal.input().auto_accept = true;
    const char key = session.terminal.GetKey();
    session.terminal.Display(std::string("\r\nKey: ") + key);
    session::EndNodeProgram(session);
  } catch (const platform::ProcessExit&) {
  }
}

using test::Shell;

class NodeWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (Shell("command -v tmux").empty()) GTEST_SKIP() << "tmux is not installed";
    const fs::path vxcfg = fs::path(VX_BINARY_DIR) / "tools" / "vxcfg";
    ASSERT_TRUE(fs::exists(vxcfg)) << "vxcfg is built with the tests";
    // The demo's paths must fit its 60-character fields: a short directory of our own.
    char scratch[] = "/tmp/vxnwXXXXXX";
    ASSERT_NE(::mkdtemp(scratch), nullptr);
    scratch_ = scratch;
    system_ = scratch_ + "/s";
    const std::string built =
        Shell(vxcfg.string() + " build " + VX_SOURCE_DIR + "/demo " + system_ + " 2>&1");
    ASSERT_TRUE(fs::exists(fs::path(system_) / "CONFIG.VX")) << built;
    socket_ = "vxnw" + scratch_.substr(9);
  }
  void TearDown() override {
    if (!socket_.empty()) {
      Shell("tmux -L " + socket_ +
            " kill-server 2>/dev/null; rm -f \"${TMUX_TMPDIR:-/tmp}/tmux-$(id -u)/" + socket_ +
            "\"");
    }
    if (!scratch_.empty()) fs::remove_all(scratch_);
  }

  // Starts the local session in a 120 x 30 tmux pane. Afterwards the pane says whether the
  // terminal settings were the same as before.
  void StartSession() {
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    const std::string session_command =
        "cd " + system_ + " && before=$(stty -g) && env VX=" + system_ +
        " TERM=tmux-256color LANG=C.UTF-8 LC_ALL=C.UTF-8 " + self +
        " --gtest_also_run_disabled_tests --gtest_filter=NodeWindowSession.DISABLED_LocalSession"
        "; echo EXITED $?; [ \"$(stty -g)\" = \"$before\" ] && echo RESTORED;"
        " sleep 60";
    Shell("tmux -L " + socket_ + " -f /dev/null new-session -d -x 120 -y 30 '" + session_command +
          "'");
  }
  std::string Capture(bool with_colours) {
    return Shell("tmux -L " + socket_ + " capture-pane -p " + (with_colours ? "-e " : "") + "-t 0");
  }
  // Waits (in real time: this is another program) until the pane shows `text`.
  bool WaitFor(const std::string& text) {
    for (int i = 0; i < 200; ++i) {
      if (Capture(false).find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

  std::string scratch_;
  std::string system_;
  std::string socket_;
};

TEST_F(NodeWindowTest, ShowsTheDemoLogoInItsColours) {
  StartSession();
  ASSERT_TRUE(WaitFor("T h e   L i g h t h o u s e")) << Capture(false);
  const std::string plain = Capture(false);
  EXPECT_NE(plain.find("/_\\"), std::string::npos);
  EXPECT_NE(plain.find("This is build"), std::string::npos);
  EXPECT_NE(plain.find("Local logon"), std::string::npos);
  EXPECT_NE(plain.find("Node 1"), std::string::npos);  // the window title
  // The LOGO's frame is drawn with code page 437 double lines.
  EXPECT_NE(plain.find("\u2554\u2550\u2550\u2550"), std::string::npos) << plain;
  EXPECT_NE(plain.find("\u2551                 .  "), std::string::npos) << plain;
  EXPECT_NE(plain.find("\u255a\u2550\u2550\u2550"), std::string::npos) << plain;
  // "The Lighthouse BBS" is yellow (colour 14: bright yellow) in the LOGO.
  const std::string coloured = Capture(true);
  const size_t title = coloured.find("T h e");
  ASSERT_NE(title, std::string::npos);
  const size_t sgr = coloured.rfind("\x1b[", title);
  ASSERT_NE(sgr, std::string::npos);
  const std::string colour = coloured.substr(sgr, title - sgr);
  EXPECT_TRUE(colour.find("93") != std::string::npos ||
              colour.find("38;5;11") != std::string::npos ||
              colour.find("1;33") != std::string::npos)
      << colour;

  // A local key reaches the waiting input; the session ends and the terminal is as it was.
  Shell("tmux -L " + socket_ + " send-keys -t 0 x");
  ASSERT_TRUE(WaitFor("EXITED 0")) << Capture(false);
  EXPECT_TRUE(WaitFor("RESTORED")) << Capture(false);
}

TEST_F(NodeWindowTest, DrawsBoxCharactersOfTheLogo) {
  // Shades and blocks, and a frame in colours of its own.
  std::string logo = "\x1b[0;36m\x1b[44m\xc9" + std::string(10, '\xcd') + "\xbb\r\n";
  logo += "\xba\x1b[1;33m Box \xdb\xb2\xb1\xb0 \x1b[0;36m\x1b[44m\xba\r\n";
  logo += "\xc8" + std::string(10, '\xcd') + "\xbc\x1b[0m\r\n";
  std::ofstream(fs::path(system_) / "text" / "LOGO.ANS", std::ios::binary | std::ios::trunc)
      << logo;
  fs::remove(fs::path(system_) / "LOGO.ANS");
  StartSession();
  ASSERT_TRUE(WaitFor("Box")) << Capture(false);
  const std::string plain = Capture(false);
  EXPECT_NE(plain.find("\u2554\u2550\u2550\u2550\u2550\u2550\u2550\u2550\u2550\u2550\u2550\u2557"),
            std::string::npos)
      << plain;
  EXPECT_NE(plain.find("\u2551 Box \u2588\u2593\u2592\u2591 \u2551"), std::string::npos) << plain;
  EXPECT_NE(plain.find("\u255a\u2550"), std::string::npos);
  Shell("tmux -L " + socket_ + " send-keys -t 0 x");
  ASSERT_TRUE(WaitFor("EXITED 0")) << Capture(false);
  EXPECT_TRUE(WaitFor("RESTORED")) << Capture(false);
}

TEST_F(NodeWindowTest, SigtermEndsANodeWaitingAtTheStaleSemaphoreQuestion) {
  // A semaphore left behind by a crash: present, and nobody holds its lock.
  std::ofstream(fs::path(system_) / "VxBusy.1").close();
  const std::string vxnode = (fs::path(VX_BINARY_DIR) / "src" / "vxnode").string();
  ASSERT_TRUE(fs::exists(vxnode));
  const std::string pid_file = scratch_ + "/pid";
  const std::string script = scratch_ + "/run.sh";
  std::ofstream(script) << "cd " << system_ << "\nbefore=$(stty -g)\n"
                        << "sh -c 'echo $$ > " << pid_file << "; exec env VX=" << system_
                        << " TERM=tmux-256color LANG=C.UTF-8 LC_ALL=C.UTF-8 " << vxnode
                        << " -N1 -L'\necho EXITED $?\n"
                        << "[ \"$(stty -g)\" = \"$before\" ] && echo RESTORED\nsleep 60\n";
  Shell("tmux -L " + socket_ + " -f /dev/null new-session -d -x 120 -y 30 'sh " + script + "'");
  ASSERT_TRUE(WaitFor("already in use by another session")) << Capture(false);
  std::ifstream in(pid_file);
  int pid = 0;
  in >> pid;
  ASSERT_GT(pid, 0);
  const auto sent = std::chrono::steady_clock::now();
  ::kill(pid, SIGTERM);
  ASSERT_TRUE(WaitFor("EXITED")) << Capture(false);
  EXPECT_LT(std::chrono::steady_clock::now() - sent, std::chrono::seconds(1));
  EXPECT_TRUE(WaitFor("RESTORED")) << Capture(false);
  // The question was not answered: the stale semaphore is still there for the next start.
  EXPECT_TRUE(fs::exists(fs::path(system_) / "VxBusy.1"));
}

TEST_F(NodeWindowTest, TheDemoDoorRunsInTheLocalSessionAndTakesTheSysopsKeys) {
  const std::string vxnode = (fs::path(VX_BINARY_DIR) / "src" / "vxnode").string();
  ASSERT_TRUE(fs::exists(vxnode));
  Shell("tmux -L " + socket_ + " -f /dev/null new-session -d -x 120 -y 30 'cd " + system_ +
        " && env VX=" + system_ + " TERM=tmux-256color LANG=C.UTF-8 LC_ALL=C.UTF-8 " + vxnode +
        " -N1 -L; echo EXITED $?; sleep 60'");
  const auto keys = [this](const std::string& k) { Shell("tmux -L " + socket_ + " send-keys -t 0 " + k); };
  ASSERT_TRUE(WaitFor("full name")) << Capture(false);
  keys("'Sam Sysop' Enter");
  ASSERT_TRUE(WaitFor("Password")) << Capture(false);
  keys("lighthouse Enter");
  ASSERT_TRUE(WaitFor("mail addressed to you")) << Capture(false);
  keys("n");
  ASSERT_TRUE(WaitFor("new since your last call")) << Capture(false);
  keys("n");
  ASSERT_TRUE(WaitFor("Main menu")) << Capture(false);
  keys("d");
  ASSERT_TRUE(WaitFor("What the drop files say")) << Capture(false);
  keys("1");
  ASSERT_TRUE(WaitFor("Press Enter to go back to the board.")) << Capture(false);
  const std::string door = Capture(false);
  EXPECT_NE(door.find("DORINFO1.DEF: system THE LIGHTHOUSE BBS, sysop SAM SYSOP, caller SAM SYSOP"),
            std::string::npos)
      << door;
  EXPECT_NE(door.find("user Sam Sysop"), std::string::npos) << door;
  EXPECT_NE(door.find("EXITINFO.BBS: 2382 bytes"), std::string::npos) << door;
  keys("Enter");  // the sysop's key reaches the door, which ends
  ASSERT_TRUE(WaitFor("Doors (")) << Capture(false);
  keys("q");
  ASSERT_TRUE(WaitFor("Main menu")) << Capture(false);
  keys("g");
  ASSERT_TRUE(WaitFor("Really log off")) << Capture(false);
  keys("y");
  ASSERT_TRUE(WaitFor("EXITED 0")) << Capture(false);
  std::ifstream in(system_ + "/logs/node1.log");
  const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(log.find("DOS shell : /bin/sh " + system_ + "/doors/showdrop.sh *N"), std::string::npos)
      << log;
}

}  // namespace
}  // namespace vx::console
