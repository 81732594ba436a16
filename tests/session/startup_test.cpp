// The start-up sequence run in-process on a hand-made system, with a manual clock and a console
// that records its message boxes.
#include "session/startup.h"

#include <gtest/gtest.h>

#include "platform/process_exit.h"
#include "support/mini_system.h"
#include "support/recording_console.h"

namespace vx::session {
namespace {

using test::RecordingConsole;

// A line that opens and stays connected.
struct OpenLine : comm::CommControl {
  bool open = false;
  bool carrier = true;
  bool OpenPort(std::string&) override { return open = true; }
  void ClosePort() override { open = false; }
  bool port_open() const override { return open; }
  void SendText(std::string_view) override {}
  size_t input_count() const override { return 0; }
  void DiscardInput() override {}
  size_t output_count() const override { return 0; }
  void DiscardOutput() override {}
  std::string ReadReceived() override { return {}; }
  bool CarrierDetect() const override { return open && carrier; }
  void SendBreak() override {}
};

// Notes at the end of start-up whether the semaphore was there.
struct WatchingWindow : NodeWindow {
  std::function<void()> on_refresh;
  void RefreshStatusPanel() override {
    if (on_refresh) on_refresh();
  }
};

class StartupTest : public ::testing::Test {
 protected:
  StartupTest()
      : clock(platform::WallTime(std::chrono::seconds(1796558709))),  // 2026-12-06 12:05:09 UTC
        loop(clock),
        env({"VX=" + system.dir.path()}),
        log(clock, env),
        cd(system.dir.path()) {}

  // Runs the node; returns its exit code.
  int Run(const std::string& command_line, comm::CommControl* line = nullptr) {
    session = std::make_unique<NodeSession>(loop, console, log, line ? *line : local, env);
    session->window = &window;
    try {
      RunNode(*session, command_line);
    } catch (const platform::ProcessExit& e) {
      return e.code;
    }
    return -1;
  }

  // A caller already connected on a line that stays up: start-up runs through to the call.
  int RunCall(const std::string& command_line) {
    return Run(command_line + " -B9600 -C1", &call_line);
  }

  std::string Log(int node) { return test::ReadFile(system.dir / ("NODE" + std::to_string(node) + ".LOG")); }

  test::MiniSystem system;
  platform::ManualClock clock;
  platform::EventLoop loop;
  platform::Environment env;
  core::NodeLog log;
  RecordingConsole console;
  comm::LocalCommControl local;
  OpenLine call_line;
  WatchingWindow window;
  std::unique_ptr<NodeSession> session;
  test::ScopedChdir cd;
};

TEST_F(StartupTest, DebugStartWritesTheStagesAndTheHeaderAndReleasesTheNode) {
  bool busy_during_call = false;
  window.on_refresh = [&] { busy_during_call = test::Exists(system.dir / "VxBusy.3"); };
  EXPECT_EQ(RunCall("-N3 -X"), 0);
  EXPECT_TRUE(busy_during_call);
  EXPECT_FALSE(test::Exists(system.dir / "VxBusy.3"));
  EXPECT_EQ(
      Log(3),
      "> 12:05:09  \r\n"
      "> 12:05:09  ===== DEBUG MODE =====\r\n"
      "> 12:05:09  Debug Mode Activated!\r\n"
      "> 12:05:09  Trying to set modem settings: 9600,N,8,1\r\n"
      "> 12:05:09  Read Errorlevel Info\r\n"
      "> 12:05:09  Update Screen Info\r\n"
      "> 12:05:09  Check Existence Language Defenitions\r\n"
      "> 12:05:09  Loading language.vx\r\n"
      "> 12:05:09  Loading default language\r\n"
      "> 12:05:09  Retrieve Color Sets\r\n"
      "> 12:05:09  Launch Main Window\r\n"
      "> 12:05:09  Check Semaphores\r\n"
      "> 12:05:09  Retrieve SystemInfo\r\n"
      "> 12:05:09  Retrieve Hudson Info\r\n"
      "> 12:05:09  Retrieve New User Defaults\r\n"
      "\r\n"  // the log existed already: an empty plain line before the header
      "----------  Sunday, December 06, 2026, ngVX32 0.982 beta2 (Public) build 1, Line #3\r\n"
      "> 12:05:09  Start up Call-Waiting procedure\r\n"
      "> 12:05:09  Front-End mode\r\n"
      "> 12:05:09  Open port 1 and start BBS\r\n"
      "> 12:05:09  Line: port 1, settings 9600,N,8,1, handle 0, speed 9600\r\n"
      // The caller gives no name: the inactivity limit ends the call.
      "> 12:05:29  No key for 20 seconds: inactivity time-out\r\n"
      "> 12:05:29  Terminating call...\r\n"
      "> 12:05:29  User off-line\r\n");
  EXPECT_EQ(session->node.window_title, "Test BBS Node 3 - ngFarlink32 0.982 beta2 (Public)");
  EXPECT_EQ(session->language.Text(1), "Hi");
  EXPECT_EQ(session->clock.time_left, 10);
  EXPECT_EQ(session->clock.inactivity_timeout, 20);
  EXPECT_TRUE(console.boxes.empty());
}

TEST_F(StartupTest, ReadsTheSystemInformation) {
  std::vector<uint8_t> info(76, 0);
  info[0] = 0x39;  // 12345 calls
  info[1] = 0x30;
  test::PutString(info, 5, "Bob Last");
  test::WriteFile(system.dir / "SYSINFO.BBS", info);
  EXPECT_EQ(RunCall(""), 0);
  EXPECT_EQ(session->system_info.total_calls, 12345);
  EXPECT_EQ(session->system_info.last_caller_name, "Bob Last");

  test::WriteFile(system.dir / "SYSINFO.BBS", std::vector<uint8_t>{0x01});  // damaged
  EXPECT_EQ(RunCall(""), 0);
  EXPECT_EQ(session->system_info.total_calls, 1);
  EXPECT_NE(Log(1).find("SYSINFO.BBS is shorter"), std::string::npos);
}

TEST_F(StartupTest, DisplayCodesShowTheSessionsValues) {
  std::vector<uint8_t> info(76, 0);
  info[0] = 42;
  test::PutString(info, 5, "Bob Last");
  test::WriteFile(system.dir / "SYSINFO.BBS", info);
  OpenLine line;
  EXPECT_EQ(Run("-N7 -B9600 -C1", &line), 0);
  EXPECT_EQ(session->terminal.ExpandControlCodes("\vW \vR \vA \vB \vO"),
            "7 9600 42 Bob Last 10");
}

TEST_F(StartupTest, LostCarrierEndsTheCallFromAnInputWait) {
  OpenLine line;
  window.on_refresh = [&] {
    if (session->clock.time_left == 0) return;  // only once start-up is through
    line.open = true;
    platform::Timer hang_up(loop, std::chrono::milliseconds(3000), [&] { line.carrier = false; });
    hang_up.SetEnabled(true);
    session->terminal.InputLine(10);  // never returns: the call ends
    ADD_FAILURE() << "the input wait returned";
  };
  EXPECT_EQ(Run("-B9600 -C1 -X", &line), 0);
  EXPECT_NE(Log(1).find("Carrier Detect line is LOW (no carrier)"), std::string::npos);
  EXPECT_NE(Log(1).find("User off-line"), std::string::npos);
}

TEST_F(StartupTest, SystemDirectoryWithoutConfigurationIsReported) {
  // CONFIG.VX names another existing directory as the system's; it holds the languages but no
  // CONFIG.VX, so the new-user defaults cannot be read there.
  test::TempDir other;
  std::filesystem::copy(system.dir / "LANGUAGE.VX", other / "LANGUAGE.VX");
  std::filesystem::copy(system.dir / "ENGLISH.VXL", other / "ENGLISH.VXL");
  test::PutString(system.config, 1057, other.path());
  test::PutString(system.config, 1411, system.dir.path() + "/NODE*N.LOG");
  system.WriteConfig();
  EXPECT_EQ(RunCall(""), 0);
  EXPECT_NE(Log(1).find("! 12:05:09  '" + other.path() + "/CONFIG.VX' not found!"), std::string::npos)
      << Log(1);
}

TEST_F(StartupTest, PlainStartWritesOnlyTheHeaderLines) {
  EXPECT_EQ(RunCall("-E7"), 7);
  std::string text = Log(1);
  EXPECT_EQ(text.rfind("----------  Sunday, December 06, 2026", 0), 0u) << text;
  EXPECT_EQ(text.find("Check Semaphores"), std::string::npos);
}

TEST_F(StartupTest, ExitCodeOptionOutsideItsRangeIsZero) {
  EXPECT_EQ(RunCall("-E0"), 0);
  EXPECT_EQ(RunCall("-E256"), 0);
}

TEST_F(StartupTest, NodeNumberOutOfRangeIsRefusedBeforeAnythingIsWritten) {
  EXPECT_EQ(Run("-N 2"), kExitBadNodeNumber);
  EXPECT_EQ(Run("-N256"), kExitBadNodeNumber);
  ASSERT_EQ(console.boxes.size(), 2u);
  EXPECT_EQ(console.boxes[0],
            "Error!|Node number (0) out of range!\rGive the node number directly after -N, from 1 to "
            "255 (for example -N2).");
  EXPECT_FALSE(test::Exists(system.dir / "NODE0.LOG"));
  EXPECT_FALSE(test::Exists(system.dir / "VxBusy.0"));
}

TEST_F(StartupTest, MissingStartupDirectoryEndsTheStartWithoutASemaphore) {
  EXPECT_EQ(Run("-N2 -D/no/such/dir"), kExitStartupFailed);
  ASSERT_EQ(console.boxes.size(), 1u);
  EXPECT_EQ(console.boxes[0],
            "Error!|Startup Path (/NO/SUCH/DIR) not found! \r\rChange -D startup parameter. ");
  EXPECT_FALSE(test::Exists(system.dir / "VxBusy.2"));
}

TEST_F(StartupTest, StartupDirectoryIsFoundWhateverItsCase) {
  test::WriteFile(system.dir / "Node4/x", std::string("x"));
  EXPECT_EQ(RunCall("-n4 -d" + system.dir.path() + "/node4"), 0);
  EXPECT_EQ(session->node.startup_path, system.dir.path() + "/Node4/");
}

TEST_F(StartupTest, MissingLanguageFilesEndTheStart) {
  std::filesystem::remove(system.dir / "LANGUAGE.VX");
  EXPECT_EQ(RunCall(""), kExitStartupFailed);
  ASSERT_EQ(console.boxes.size(), 1u);
  EXPECT_EQ(console.boxes[0],
            "Configuration Error|(7997) \rNo valid language configuration file (LANGUAGE.VX) found in "
            "nodepath or systempath.\rPlease create a language configuration file using the "
            "configuration utility.");
  EXPECT_FALSE(test::Exists(system.dir / "VxBusy.1"));

  system.WriteLanguage("MISSING");
  std::filesystem::remove(system.dir / "MISSING.VXL");
  EXPECT_EQ(RunCall(""), kExitStartupFailed);
  EXPECT_NE(Log(1).find("! 12:05:09  Unable to load default language file!, Check the path to the VXL file"),
            std::string::npos);
  EXPECT_FALSE(test::Exists(system.dir / "VxBusy.1"));
}

TEST_F(StartupTest, EmptyLogFileNameLogsToANodeFileInTheSystemDirectory) {
  test::PutString(system.config, 1411, "");
  system.WriteConfig();
  EXPECT_EQ(RunCall("-N5"), 0);
  EXPECT_NE(Log(5).find("User off-line"), std::string::npos);
}

TEST_F(StartupTest, SemaphoreGoesToItsOwnDirectoryWhenOneIsSet) {
  std::filesystem::create_directories(system.dir / "sem");
  test::PutString(system.config, 3028, system.dir.path() + "/sem");
  system.WriteConfig();
  bool busy = false;
  window.on_refresh = [&] { busy = test::Exists(system.dir / "sem/VxBusy.1"); };
  EXPECT_EQ(RunCall(""), 0);
  EXPECT_TRUE(busy);
  EXPECT_FALSE(test::Exists(system.dir / "sem/VxBusy.1"));
}

TEST_F(StartupTest, StaleSemaphoreIsReclaimedHeadless) {
  test::WriteFile(system.dir / "VxBusy.1", std::string());
  EXPECT_EQ(RunCall(""), 0);
  EXPECT_NE(Log(1).find("Semaphore VxBusy.1 was left behind by an abnormal end"), std::string::npos);
  EXPECT_FALSE(test::Exists(system.dir / "VxBusy.1"));
}

TEST_F(StartupTest, StaleSemaphoreAsksTheSysopAtATerminal) {
  console.is_interactive = true;
  test::WriteFile(system.dir / "VxBusy.1", std::string());
  console.answer = platform::box::kNo;
  EXPECT_EQ(RunCall(""), 0);
  ASSERT_EQ(console.boxes.size(), 1u);
  EXPECT_EQ(console.boxes[0].substr(0, 60), "ngFarlink32|It was found that Node 1 is already in use by an");
  EXPECT_TRUE(test::Exists(system.dir / "VxBusy.1"));  // No: left as it is
  EXPECT_EQ(Log(1).find("User off-line"), std::string::npos);

  console.answer = platform::box::kYes;
  EXPECT_EQ(RunCall(""), 0);
  EXPECT_NE(Log(1).find("User off-line"), std::string::npos);
  EXPECT_FALSE(test::Exists(system.dir / "VxBusy.1"));
}

TEST_F(StartupTest, LocalModeWinsOverAConnectedSpeedAndNeedsATerminal) {
  EXPECT_EQ(Run("-B19200 -L"), kExitStartupFailed);  // headless
  console.is_interactive = true;
  // The local session shows its opening screens until the sysop presses a key.
  bool pressed = false;
  platform::Timer sysop(loop, std::chrono::milliseconds(5000), [&] {
    pressed = true;
    session->terminal.LocalKey('x');
  });
  sysop.SetEnabled(true);
  EXPECT_EQ(Run("-B19200 -L"), 0);
  EXPECT_TRUE(pressed);
  EXPECT_TRUE(session->node.local_mode);
  EXPECT_FALSE(session->node.connected_start);
  EXPECT_EQ(session->node.connect_speed, 0);
  EXPECT_EQ(local.settings(), "115200,N,8,1");
  EXPECT_EQ(local.port_number(), 1);
}

TEST_F(StartupTest, ConnectedStartNormalisesTheSpeed) {
  OpenLine line;
  EXPECT_EQ(Run("-B14400 -C2", &line), 0);
  EXPECT_EQ(line.settings(), "19200,N,8,1");
  EXPECT_EQ(session->node.connect_speed, 19200);
  EXPECT_EQ(line.port_number(), 2);

  OpenLine fast;
  EXPECT_EQ(Run("-B115200 -C1 -H5", &fast), 0);
  EXPECT_EQ(fast.settings(), "115200,N,8,1");
  EXPECT_EQ(session->node.connect_speed, 28800);  // a port rate, not a line rate
  EXPECT_EQ(fast.handle(), 5);
}

TEST_F(StartupTest, ConnectedStartWithoutModemSettingsOrPortEnds) {
  OpenLine line;
  EXPECT_EQ(Run("-B2400", &line), kExitStartupFailed);
  ASSERT_EQ(console.boxes.size(), 1u);
  EXPECT_EQ(console.boxes[0].substr(0, 28), "Configuration Error|(7999) \r");
  EXPECT_FALSE(test::Exists(system.dir / "MODEM.VX"));  // no empty file left behind

  std::vector<uint8_t> modem(156, 0);
  modem[0] = 4;
  test::WriteFile(system.dir / "MODEM.VX", modem);
  EXPECT_EQ(Run("-B2400"), kExitStartupFailed);  // the local control opens no port
  EXPECT_EQ(session->node.com_port, 4);
  EXPECT_NE(Log(1).find("! 12:05:09  a local session has no port : Unable to open port! (Port: 4)"),
            std::string::npos);
  EXPECT_FALSE(test::Exists(system.dir / "VxBusy.1"));
}

}  // namespace
}  // namespace vx::session
