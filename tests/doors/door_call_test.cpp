// Whole calls to the node program with doors: a telnet caller (a telnet client with a terminal
// emulator) on a loopback connection runs a door that shows its DOOR.SYS and reads a key, and a
// door that raises the caller's security through DORINFO1.DEF, which USERS.BBS shows after the
// call; a caller who hangs up, and a node told to stop, while a door that ignores SIGHUP runs.
// The files are checked byte for byte afterwards.
#include <gtest/gtest.h>
#include <signal.h>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <fstream>
#include <functional>
#include <memory>

#include "platform/clock.h"
#include "platform/event_loop.h"
#include "support/logon_system.h"
#include "support/loopback.h"
#include "terminal/vterm_caller.h"

namespace vx::doors {
namespace {

using namespace std::chrono_literals;
using terminal::testing::Caller;
using test::PutLong;
using test::PutText;
using test::PutWordAt;

const std::string kNode = std::string(VX_BINARY_DIR) + "/src/vxnode";

// One menu entry of a hand-made TOP.MNU record.
std::vector<uint8_t> MenuEntry(uint8_t type, const std::string& key, const std::string& data) {
  std::vector<uint8_t> e(464, 0);
  e[0] = type;
  PutText(e, 131, ";");
  PutText(e, 267, key);
  PutText(e, 276, data);
  return e;
}

std::string Today() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[48];
  std::snprintf(text, sizeof text, "%02d-%02d-%02d", local.tm_mon + 1, local.tm_mday,
                local.tm_year % 100);
  return text;
}

bool Running(pid_t pid) {
  const std::string stat = test::ReadFile("/proc/" + std::to_string(pid) + "/stat");
  const size_t close = stat.rfind(')');
  return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] != 'Z';
}

class DoorCallTest : public ::testing::Test {
 protected:
  DoorCallTest() {
    // TOP: D the DOOR.SYS door, S the security door, H a door that ignores hang-ups, G log off.
    std::vector<uint8_t> top(464, 0);
    PutText(top, 131, "Menu: ");
    for (const auto& entry :
         {MenuEntry(7, "D", "/bin/sh " + system.dir / "show.sh *N"),
          MenuEntry(7, "S", "/bin/sh " + system.dir / "secure.sh"),
          MenuEntry(7, "H", "/bin/sh " + system.dir / "stubborn.sh"), MenuEntry(9, "G", "")})
      top.insert(top.end(), entry.begin(), entry.end());
    test::WriteFile(system.dir / "TOP.MNU", top);
    test::WriteFile(system.dir / "show.sh",
                    "line() { sed -n \"${1}p\" DOOR.SYS | tr -d '\\r'; }\n"
                    "printf 'DOOR.SYS: node %s, %s, %s minutes (arg %s)\\n' \"$(line 4)\" "
                    "\"$(line 10)\" \"$(line 19)\" \"$1\"\n"
                    "printf 'Press a key: '\nread k\nprintf 'You pressed %s\\n' \"$k\"\n");
    test::WriteFile(system.dir / "secure.sh",
                    "awk 'NR == 11 { printf \"99\\r\\n\"; next } { print }' DORINFO1.DEF > new\n"
                    "mv new DORINFO1.DEF\necho secured\n");
    test::WriteFile(system.dir / "stubborn.sh",
                    "echo $$ > stubborn.pid; trap '' HUP\n"
                    "sleep 1000 & echo $! > child.pid\necho stubborn; wait\n");
  }
  ~DoorCallTest() override {
    caller.reset();
    if (pid_ > 0 && !ended_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (pidfd_ >= 0) ::close(pidfd_);
  }

  // vxnode -N1 -H3 on a loopback TCP connection, in a node directory of its own.
  void Start() {
    auto [node, caller_fd] = test::LoopbackTcpPair();
    caller = std::make_unique<Caller>(loop, caller_fd, 25, Caller::Wire::kTelnet);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const int copy = ::fcntl(node, F_DUPFD_CLOEXEC, 10);
    posix_spawn_file_actions_adddup2(&actions, copy, 3);
    posix_spawn_file_actions_addchdir_np(&actions, node_dir.path().c_str());
    std::vector<std::string> args = {kNode, "-N1", "-H3"};
    std::vector<std::string> env = {"VX=" + system.dir.path(), "VXCONSOLE=none",
                                    "PATH=/usr/bin:/bin"};
    std::vector<char*> argv, envp;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    ASSERT_EQ(::posix_spawn(&pid_, kNode.c_str(), &actions, nullptr, argv.data(), envp.data()), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(copy);
    ::close(node);
    pidfd_ = static_cast<int>(::syscall(SYS_pidfd_open, pid_, 0));
    ASSERT_GE(pidfd_, 0);
    end_watch_ = std::make_unique<platform::FdWatcher>(loop, pidfd_, POLLIN, [this](short) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        ended_ = true;
        exit_code_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        end_watch_->SetEvents(0);
      }
    });
    caller->WhenType("Name:", "jane doe\r");
  }
  // Runs the call until the node ends; its exit code, or -1 when it did not end in time.
  int WaitForEnd(std::chrono::seconds limit = 10s) {
    loop.WaitUntil([this] { return ended_; }, limit);
    return ended_ ? exit_code_ : -1;
  }
  // `act` runs as soon as `text` is on the caller's screen: at once when it is there already (a
  // reaction to one text may come with the next in the same packet).
  void WhenShown(const std::string& text, std::function<void()> act) {
    for (const std::string& row : caller->Rows()) {
      if (row.find(text) != std::string::npos) return act();
    }
    caller->When(text, std::move(act));
  }
  std::string Log() const { return test::ReadFile(system.dir / "NODE1.LOG"); }
  pid_t PidIn(const std::string& name) const {
    pid_t pid = 0;
    std::ifstream(node_dir / name) >> pid;
    return pid;
  }
  // Jane's record as a call today leaves it, with the security given.
  std::vector<uint8_t> JaneAfterACall(const std::vector<uint8_t>& written, unsigned security) {
    std::vector<uint8_t> users = system.users;
    std::copy(written.begin() + 1016 + 419, written.begin() + 1016 + 425, users.begin() + 1016 + 419);
    PutText(users, 1016 + 425, Today());
    PutWordAt(users, 1016 + 450, security);
    PutLong(users, 1016 + 456, 42);
    if (Today() != system.jane.last_date) {
      PutWordAt(users, 1016 + 480, 0);
      PutLong(users, 1016 + 476, 0);
    }
    return users;
  }

  test::LogonSystem system;
  test::TempDir node_dir;
  platform::SystemClock clock;
  platform::EventLoop loop{clock};
  std::unique_ptr<Caller> caller;

 private:
  pid_t pid_ = -1;
  int pidfd_ = -1;
  bool ended_ = false;
  int exit_code_ = -1;
  std::unique_ptr<platform::FdWatcher> end_watch_;

 protected:
  pid_t pid() const { return pid_; }
};

TEST_F(DoorCallTest, ATelnetCallerRunsADoorThatReadsAKeyAndOneThatRaisesTheSecurity) {
  Start();
  std::vector<std::string> door_screen;
  caller->WhenType("<59 password?>", "secret\r");
  // Each door clears the screen, so a menu prompt seen after a door's text is the next one.
  caller->When("Menu:", [&] {
    caller->Type("D");
    WhenShown("Press a key:", [&] {
      door_screen = caller->Rows();
      caller->Type("k\r");
      WhenShown("You pressed k", [&] {
        WhenShown("Menu:", [&] {
          caller->Type("S");
          WhenShown("secured", [&] { WhenShown("Menu:", [&] { caller->Type("G"); }); });
        });
      });
    });
  });
  ASSERT_EQ(WaitForEnd(), 0) << caller->received();
  bool shown = false;
  for (const std::string& row : door_screen)
    shown = shown || (row.rfind("DOOR.SYS: node 1, Jane Doe, ", 0) == 0 &&
                      row.find(" minutes (arg 1)") != std::string::npos);
  EXPECT_TRUE(shown) << ::testing::PrintToString(door_screen);

  const std::vector<uint8_t> users = system.Read("USERS.BBS");
  ASSERT_EQ(users.size(), system.users.size());
  EXPECT_EQ(users, JaneAfterACall(users, 99));
  const std::string log = Log();
  EXPECT_NE(log.find("DOS shell : /bin/sh " + system.dir / "show.sh *N"), std::string::npos) << log;
  EXPECT_NE(log.find("DOS shell : /bin/sh " + system.dir / "secure.sh"), std::string::npos);
  EXPECT_NE(log.find("User off-line"), std::string::npos);
  // The drop files of the last door are in the node directory.
  EXPECT_EQ(test::ReadFile(node_dir / "DORINFO1.DEF").substr(0, 6), "TEST B");
  EXPECT_EQ(test::ReadFile(node_dir / "EXITINFO.BBS").size(), 2382u);
}

TEST_F(DoorCallTest, ACallerWhoHangsUpDuringADoorThatIgnoresHangUpsEndsTheCall) {
  Start();
  caller->WhenType("<59 password?>", "secret\r");
  caller->When("Menu:", [&] {
    caller->Type("H");
    WhenShown("stubborn", [&] { caller->Close(); });
  });
  const auto started = std::chrono::steady_clock::now();
  ASSERT_EQ(WaitForEnd(), 0) << caller->received();
  EXPECT_LT(std::chrono::steady_clock::now() - started, 8s);
  EXPECT_FALSE(Running(PidIn("stubborn.pid")));
  EXPECT_FALSE(Running(PidIn("child.pid")));
  const std::vector<uint8_t> users = system.Read("USERS.BBS");
  ASSERT_EQ(users.size(), system.users.size());
  EXPECT_EQ(users, JaneAfterACall(users, 10));
  const std::string log = Log();
  EXPECT_NE(log.find("Carrier lost while the door ran: hanging it up"), std::string::npos) << log;
  EXPECT_NE(log.find("The door did not end when hung up: killed"), std::string::npos);
  EXPECT_NE(log.find("User off-line"), std::string::npos);
}

TEST_F(DoorCallTest, ANodeToldToStopDuringADoorEndsTheDoorAndTheCall) {
  Start();
  caller->WhenType("<59 password?>", "secret\r");
  caller->When("Menu:", [&] {
    caller->Type("H");
    WhenShown("stubborn", [&] { ::kill(pid(), SIGTERM); });
  });
  ASSERT_EQ(WaitForEnd(), 0) << caller->received();
  EXPECT_FALSE(Running(PidIn("stubborn.pid")));
  EXPECT_FALSE(Running(PidIn("child.pid")));
  const std::vector<uint8_t> users = system.Read("USERS.BBS");
  EXPECT_EQ(users, JaneAfterACall(users, 10));
  const std::string log = Log();
  EXPECT_NE(log.find("Ended by signal 15"), std::string::npos) << log;
  EXPECT_NE(log.find("The node is ending: hanging up the door"), std::string::npos) << log;
  EXPECT_NE(log.find("User off-line"), std::string::npos);
  std::vector<uint8_t> useron(214, 0);
  useron[102] = 16;
  EXPECT_EQ(system.Read("USERON.BBS"), useron);
}

}  // namespace
}  // namespace vx::doors
