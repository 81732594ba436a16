// Waiting for a call, run in-process from the start of the node on a hand-made system: the serial
// port is a fake modem on a pseudo-terminal, the clock is manual (sixty-second re-initialisations
// and ten-second answer waits pass in microseconds), the waiting window records what it shows.
#include "session/wait_call.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>

#include "comm/serial_line.h"
#include "platform/process_exit.h"
#include "session/startup.h"
#include "support/fake_modem.h"
#include "support/mini_system.h"
#include "support/recording_console.h"

namespace vx::session {
namespace {

using namespace std::chrono_literals;

struct RecordingWaitView : WaitView {
  bool open = false;
  int beeps = 0;
  Keys keys;
  std::string title, modem_log, traffic, clock;
  std::vector<std::string> statuses;
  WaitLabels labels;

  void Open(Keys k) override {
    keys = std::move(k);
    open = true;
  }
  void Close() override { open = false; }
  void SetTitle(std::string_view t) override { title = t; }
  void SetStatus(std::string_view s) override { statuses.emplace_back(s); }
  void SetLabels(const WaitLabels& l) override { labels = l; }
  void SetClock(std::string_view c) override { clock = c; }
  void SetModemLog(std::string_view t) override { modem_log = t; }
  void SetTraffic(std::string_view t) override { traffic = t; }
  void Beep() override { ++beeps; }

  bool Saw(const std::string& status) const {
    return std::find(statuses.begin(), statuses.end(), status) != statuses.end();
  }
};

// A front-end program that ends with the code it is given.
struct ScriptedRunner : platform::ProcessRunner {
  int exit_code = 0;
  bool starts = true;
  std::function<void()> while_running;  // what the program does meanwhile
  std::vector<std::vector<std::string>> calls;
  platform::ProcessOutcome RunAndWait(const std::vector<std::string>& argv) override {
    calls.push_back(argv);
    if (while_running) while_running();
    platform::ProcessOutcome out;
    out.started = starts;
    out.exit_code = starts ? exit_code : -1;
    if (!starts) out.error = argv.empty() ? "nothing" : argv[0] + ": No such file or directory";
    return out;
  }
};

// Something to do at a moment of the manual clock.
class Later {
 public:
  Later(platform::EventLoop& loop, std::chrono::milliseconds after, std::function<void()> what)
      : timer_(loop, after, [this, what] {
          timer_.SetEnabled(false);
          what();
        }) {
    timer_.SetEnabled(true);
  }

 private:
  platform::Timer timer_;
};

class WaitCallTest : public ::testing::Test {
 protected:
  WaitCallTest()
      : clock(platform::WallTime(std::chrono::seconds(1796558709))),  // 2026-12-06 12:05:09 UTC
        loop(clock),
        modem(loop),
        env({"VX=" + system.dir.path(), "VX_COM1=" + modem.device()}),
        log(clock, env),
        cd(system.dir.path()) {
    WriteModemFile(1, 2, "ATZ|", "AT|S0=0");
  }

  // MODEM.VX by hand: port (offset 0), tries (1), String[70] at 14 and at 85.
  void WriteModemFile(uint8_t port, uint8_t tries, const std::string& init1,
                      const std::string& init2) {
    std::vector<uint8_t> bytes(156, 0);
    bytes[0] = port;
    bytes[1] = tries;
    test::PutString(bytes, 15, init1);
    test::PutString(bytes, 86, init2);
    test::WriteFile(system.dir / "MODEM.VX", bytes);
  }
  void SetErrorlevel(size_t position, uint8_t value) {
    system.config.at(position - 1) = value;
    system.WriteConfig();
  }

  // Runs the node; returns its exit code.
  int Run(const std::string& command_line, bool headless_view = false) {
    line = std::make_unique<comm::SerialLine>(loop, env);
    session = std::make_unique<NodeSession>(loop, console, log, *line, env);
    StartupServices services;
    services.runner = &runner;
    services.wait_view = headless_view ? nullptr : &view;
    try {
      RunNode(*session, command_line, services);
    } catch (const platform::ProcessExit& e) {
      return e.code;
    }
    return -1;
  }
  // A local session waits for the sysop's key after its opening screens.
  void PressAKeyLater() {
    press = std::make_unique<Later>(loop, 100ms, [this] { session->terminal.LocalKey('x'); });
  }
  std::string Log(int node = 1) {
    return test::ReadFile(system.dir / ("NODE" + std::to_string(node) + ".LOG"));
  }

  test::MiniSystem system;
  platform::ManualClock clock;
  platform::EventLoop loop;
  test::FakeModem modem;
  platform::Environment env;
  core::NodeLog log;
  test::RecordingConsole console;
  RecordingWaitView view;
  ScriptedRunner runner;
  std::unique_ptr<comm::SerialLine> line;
  std::unique_ptr<NodeSession> session;
  std::unique_ptr<Later> press;
  test::ScopedChdir cd;
};

TEST(ConnectSpeed, IsTheNumberAfterConnectAndOneCharacter) {
  EXPECT_EQ(ConnectSpeedOf("\r\nCONNECT 28800/ARQ\r\n"), 28800);
  EXPECT_EQ(ConnectSpeedOf("CONNECT\r\n"), 0);
  EXPECT_EQ(ConnectSpeedOf("RING\r\nCONNECT 14400/V42\r\n"), 14400);
  EXPECT_EQ(ConnectSpeedOf("CONNECT"), 0);
  EXPECT_EQ(ConnectSpeedOf("CONNECT 99999999999999999999"), 1000000000);
}

TEST_F(WaitCallTest, InitialisesAnswersTheRingAndStartsTheCallAtTheConnectSpeed) {
  // After the initialisation the phone rings; ATA is answered with a CONNECT result that
  // arrives in two pieces, the speed cut in the middle.
  std::unique_ptr<Later> ring, rest;
  modem.SetAnswer([&](const std::string& command) -> std::string {
    if (command != "ATA") return "OK";
    rest = std::make_unique<Later>(loop, 300ms, [&] { modem.Send("00/ARQ\r\n"); });
    modem.Send("\r\nCONNECT 288");
    return "";
  });
  ring = std::make_unique<Later>(loop, 5s, [&] { modem.Ring(); });
  EXPECT_EQ(Run("-N1 -X"), 0);

  EXPECT_EQ(session->node.connect_speed, 28800);
  EXPECT_FALSE(session->node.local_mode);
  // The "|" of the stored strings is never sent.
  // The caller then says nothing at the name prompt: the call ends and the modem is hung up.
  EXPECT_EQ(modem.commands(), (std::vector<std::string>{"ATZ", "ATS0=0", "ATA", "ATH0"}));
  EXPECT_EQ(view.title, "1 - ngVX32 0.982 beta2 (Public) build 1");
  const std::vector<std::string> first = {"Sending break.", "Initializing communication service.",
                                          "Waiting for activity.", "Waiting for activity."};
  ASSERT_GE(view.statuses.size(), first.size());
  EXPECT_EQ(std::vector<std::string>(view.statuses.begin(), view.statuses.begin() + 4), first);
  EXPECT_TRUE(view.Saw("Device activity detected."));
  EXPECT_TRUE(view.Saw("Settings determined."));
  EXPECT_EQ(view.statuses.back(), "Connection established.");
  EXPECT_EQ(view.modem_log, "CONNECT 28800\r\nRING\r\nOK\r\nOK\r\n");
  EXPECT_NE(view.traffic.find("CONNECT 288"), std::string::npos);
  EXPECT_EQ(view.beeps, 1);
  EXPECT_FALSE(view.open);
  // The call itself went over the modem line: the opening screens.
  EXPECT_NE(modem.received().find("This is build 1"), std::string::npos);
  const std::string text = Log();
  EXPECT_NE(text.find("Now sending string 1: ATZ"), std::string::npos);
  EXPECT_NE(text.find("Now sending string 2: ATS0=0"), std::string::npos);
  EXPECT_NE(text.find("No forced comport, using MODEM.VX"), std::string::npos);
  EXPECT_FALSE(test::Exists(system.dir / "VxBusy.1"));
}

TEST_F(WaitCallTest, RingAndConnectInOneReadAnswerAndStartTogether) {
  std::unique_ptr<Later> call =
      std::make_unique<Later>(loop, 5s, [&] { modem.Send("\r\nRING\r\n\r\nCONNECT 9600\r\n"); });
  EXPECT_EQ(Run(""), 0);
  for (int i = 0; i < 3; ++i) loop.ProcessEvents();  // the modem reads what the node sent last
  EXPECT_NE(modem.received().find("ATA\r"), std::string::npos);
  EXPECT_EQ(session->node.connect_speed, 9600);
  EXPECT_EQ(view.modem_log.substr(0, 20), "CONNECT 9600\r\nRING\r\n");
}

TEST_F(WaitCallTest, NoCarrierGoesBackToWaitingAndForgetsTheSpeed) {
  std::unique_ptr<Later> ring, drop, quit;
  modem.SetAnswer([](const std::string& command) { return command == "ATA" ? "" : "OK"; });
  ring = std::make_unique<Later>(loop, 5s, [&] { modem.Ring(); });
  drop = std::make_unique<Later>(loop, 8s, [&] { modem.Result("NO CARRIER"); });
  quit = std::make_unique<Later>(loop, 20s, [&] {
    EXPECT_TRUE(view.open);
    view.keys.quit();
  });
  EXPECT_EQ(Run("-E9"), 9);  // the quit key ends the node as any end of a call does
  EXPECT_EQ(session->node.connect_speed, 0);
  EXPECT_EQ(view.modem_log.substr(0, 16), "NO CARRIER\r\nRING");
  EXPECT_EQ(view.statuses.back(), "Determining settings.");  // a tty's carrier is "open"
  EXPECT_TRUE(view.Saw("Device activity detected."));
}

TEST_F(WaitCallTest, TheModemIsInitialisedAgainEverySixtySecondsAndOkCountsInLowerCase) {
  modem.AnswerAll("ok");
  std::unique_ptr<Later> quit = std::make_unique<Later>(loop, 150s, [&] { view.keys.quit(); });
  EXPECT_EQ(Run(""), 0);
  // At 0, 60 and 120 seconds.
  EXPECT_EQ(modem.commands(),
            (std::vector<std::string>{"ATZ", "ATS0=0", "ATZ", "ATS0=0", "ATZ", "ATS0=0"}));
  EXPECT_TRUE(console.boxes.empty());
}

TEST_F(WaitCallTest, ErrorFromTheModemIsADeviceFailure) {
  modem.AnswerAll("ERROR");
  EXPECT_EQ(Run(""), 1);
  ASSERT_EQ(console.boxes.size(), 1u);
  EXPECT_EQ(console.boxes[0], "Device failure|Unable to initialize device!");
  EXPECT_TRUE(view.Saw("Device refused initialization."));
  EXPECT_EQ(modem.commands(), std::vector<std::string>{"ATZ"});
  EXPECT_FALSE(test::Exists(system.dir / "VxBusy.1"));
}

TEST_F(WaitCallTest, SilenceUsesEveryTryThenIsADeviceFailure) {
  modem.AnswerAll("");
  console.is_interactive = true;  // the box is shown; the log also says it
  EXPECT_EQ(Run(""), 1);
  EXPECT_EQ(modem.commands(),
            (std::vector<std::string>{"ATZ", "ATZ"}));  // two tries, ten seconds each
  EXPECT_EQ(console.boxes, std::vector<std::string>{"Device failure|Unable to initialize device!"});
  EXPECT_NE(Log().find("! 12:05:"), std::string::npos);
  EXPECT_GE(clock.Monotonic() - platform::MonoTime{}, 20s);
}

TEST_F(WaitCallTest, AnAnswerInPiecesAndGarbageAroundIt) {
  modem.SetAnswer([&](const std::string&) {
    modem.Send("\x01\xff garbage O");
    return "";
  });
  std::unique_ptr<Later> k = std::make_unique<Later>(loop, 1500ms, [&] { modem.Send("K\r\n"); });
  std::unique_ptr<Later> quit = std::make_unique<Later>(loop, 30s, [&] { view.keys.quit(); });
  WriteModemFile(1, 1, "ATZ", "");
  EXPECT_EQ(Run(""), 0);
  EXPECT_EQ(modem.commands(), std::vector<std::string>{"ATZ"});
  EXPECT_EQ(view.modem_log, "OK\r\n");
}

TEST_F(WaitCallTest, ALocalLogonTakesOverFromTheWaitingWindow) {
  console.is_interactive = true;
  std::unique_ptr<Later> logon = std::make_unique<Later>(loop, 5s, [&] {
    view.keys.local_logon();
    PressAKeyLater();
  });
  EXPECT_EQ(Run(""), 0);
  EXPECT_TRUE(session->node.local_mode);
  EXPECT_EQ(session->node.connect_speed, 0);
  EXPECT_EQ(session->node.com_port, 0);
  EXPECT_FALSE(line->port_open());
  EXPECT_EQ(modem.received().find("This is build"), std::string::npos);  // nothing to the modem
}

TEST_F(WaitCallTest, TheLabelsShowTheNodeAndFollowCallsOnOtherNodes) {
  std::vector<uint8_t> info(76, 0);
  info[0] = 42;
  test::PutString(info, 5, "Bob Last");
  test::WriteFile(system.dir / "SYSINFO.BBS", info);
  WaitLabels before, after;
  std::unique_ptr<Later> other_node = std::make_unique<Later>(loop, 3s, [&] {
    before = view.labels;
    std::vector<uint8_t> changed(76, 0);
    changed[0] = 43;
    test::PutString(changed, 5, "Carol Next");
    test::WriteFile(system.dir / "SYSINFO.BBS", changed);
  });
  std::unique_ptr<Later> look = std::make_unique<Later>(loop, 10500ms, [&] {
    after = view.labels;
    view.keys.quit();
  });
  EXPECT_EQ(Run("-N3"), 0);
  EXPECT_EQ(before.node, "3");
  EXPECT_EQ(before.port, "1 (Modem)");
  EXPECT_EQ(before.next_event, "<None>");
  EXPECT_EQ(before.last_caller, "Bob Last");
  EXPECT_EQ(before.all_nodes, "42 Calls");
  EXPECT_EQ(after.last_caller, "Carol Next");  // read again at the tenth second
  EXPECT_EQ(after.all_nodes, "43 Calls");
  EXPECT_EQ(view.clock.substr(0, 28), "Sunday, December 06, 2026 - ");
}

TEST_F(WaitCallTest, HeadlessTheStatusLinesGoToTheLog) {
  modem.AnswerAll("ERROR");
  EXPECT_EQ(Run("", true), 1);
  const std::string text = Log();
  EXPECT_NE(text.find("Sending break.\r\n"), std::string::npos);
  EXPECT_NE(text.find("Initializing communication service.\r\n"), std::string::npos);
  EXPECT_NE(text.find("Device refused initialization.\r\n"), std::string::npos);
  EXPECT_EQ(console.boxes, std::vector<std::string>{"Device failure|Unable to initialize device!"});
}

TEST_F(WaitCallTest, WithoutModemSettingsTheNodeSaysSoAndEnds) {
  std::filesystem::remove(system.dir / "MODEM.VX");
  test::WriteFile(system.dir / "modem.vx", std::string());  // empty: does not count
  EXPECT_EQ(Run(""), 1);
  ASSERT_EQ(console.boxes.size(), 1u);
  EXPECT_EQ(console.boxes[0],
            "Configuration Error|(7999) \rNo valid modem configuration file (MODEM.VX) found in "
            "nodepath or systempath.\rPlease create a modem configuration file using the "
            "configuration utility.");
  EXPECT_TRUE(modem.commands().empty());
  EXPECT_FALSE(test::Exists(system.dir / "VxBusy.1"));
}

TEST_F(WaitCallTest, PortErrorsAreToldApartAndEndTheNodeWithStatusOne) {
  env = platform::Environment({"VX=" + system.dir.path(), "VX_COM1=/dev/no-such-port"});
  EXPECT_EQ(Run(""), 1);
  ASSERT_EQ(console.boxes.size(), 1u);
  EXPECT_EQ(console.boxes[0],
            "Configuration Error|(8002) \rInvalid communication port specified!\rCurrent setting: "
            "1\r\rCheck command-line parameter (-Cn) or modem setup.");
  EXPECT_NE(Log().find("Port COM1: /dev/no-such-port: No such file or directory"),
            std::string::npos);

  // Another program has the port.
  env = platform::Environment({"VX=" + system.dir.path(), "VX_COM1=" + modem.device()});
  comm::SerialLine other(loop, env);
  other.SetPortNumber(1);
  std::string error;
  ASSERT_TRUE(other.OpenPort(error)) << error;
  console.boxes.clear();
  EXPECT_EQ(Run(""), 1);
  ASSERT_EQ(console.boxes.size(), 1u);
  EXPECT_EQ(console.boxes[0],
            "Configuration Error|(8005) \rPort already open!\rCurrent setting: 1\r\rCheck if any "
            "other program is currently using this port.");
}

TEST_F(WaitCallTest, APortForcedOnTheCommandLineWinsOverModemVx) {
  env = platform::Environment({"VX=" + system.dir.path(), "VX_COM3=" + modem.device()});
  modem.AnswerAll("ERROR");
  EXPECT_EQ(Run("-C3 -X"), 1);
  EXPECT_EQ(line->port_number(), 3);
  EXPECT_EQ(modem.commands(), std::vector<std::string>{"ATZ"});
  EXPECT_EQ(Log().find("No forced comport"), std::string::npos);
}

// Front-end mode: the errorlevel table of CONFIG.VX (slot 0 at position 1531, slot 5 at 2820,
// slot 49 at 5331); the other slots hold 255, which no program here returns.
class FrontEndTest : public WaitCallTest {
 protected:
  FrontEndTest() {
    for (size_t position : {1532, 1533, 1534, 1535, 1536, 1537, 1538, 2821, 2822, 3257, 5745, 5746,
                            5747, 5748, 5749, 5750, 5816, 5817}) {
      SetErrorlevel(position, 255);
    }
    SetErrorlevel(1531, 10);  // slot 0: local
    SetErrorlevel(2820, 55);  // slot 5: 7200
    SetErrorlevel(5331, 99);  // slot 49: not the node's
  }
};

TEST_F(FrontEndTest, Slot0StartsALocalSession) {
  console.is_interactive = true;
  runner.exit_code = 10;
  PressAKeyLater();
  EXPECT_EQ(Run("-MMailer*M.sh"), 0);
  EXPECT_EQ(runner.calls, std::vector<std::vector<std::string>>{{"Mailer.sh"}});  // case kept
  EXPECT_TRUE(session->node.local_mode);
  EXPECT_EQ(session->node.connect_speed, 0);
  EXPECT_EQ(session->node.com_port, 0);
  EXPECT_NE(Log().find("MAILER.SH returned with errorlevel10\r\n"), std::string::npos);
  EXPECT_TRUE(modem.commands().empty());  // the node never drives the modem itself
  EXPECT_FALSE(view.open);
}

TEST_F(FrontEndTest, Slot5IsACallerAt7200OnTheReopenedPort) {
  runner.exit_code = 55;
  runner.while_running = [this] { modem.GoOnline(); };  // the mailer answered the call
  EXPECT_EQ(Run("-M/opt/front/mailer"), 0);
  EXPECT_EQ(session->node.connect_speed, 7200);
  EXPECT_FALSE(session->node.local_mode);
  EXPECT_NE(modem.received().find("This is build 1"), std::string::npos);
  EXPECT_NE(Log().find("/OPT/FRONT/MAILER returned with errorlevel55"), std::string::npos);
}

TEST_F(FrontEndTest, AnErrorlevelTheNodeDoesNotHandleBecomesItsExitCode) {
  runner.exit_code = 77;
  EXPECT_EQ(Run("-Mmailer"), 77);
  EXPECT_NE(Log().find("Errorlevel 77 not to be handled by ngVX32"), std::string::npos);
  runner.exit_code = 99;  // slot 49
  EXPECT_EQ(Run("-Mmailer"), 99);
  EXPECT_NE(Log().find("Errorlevel 99 not to be handled by ngVX32"), std::string::npos);
  runner.exit_code = 0;  // matches no slot of a table without zeros
  EXPECT_EQ(Run("-Mmailer -E5"), 0);
  EXPECT_FALSE(test::Exists(system.dir / "VxBusy.1"));
}

TEST_F(FrontEndTest, AProgramThatCannotStartEndsTheNodeWithStatusOne) {
  runner.starts = false;
  runner.exit_code = 10;
  EXPECT_EQ(Run("-Mmissing"), 1);
  EXPECT_NE(Log().find("Front-end program MISSING could not be started: missing: No such file"),
            std::string::npos);
  EXPECT_EQ(Log().find("returned with errorlevel"), std::string::npos);
}

TEST_F(FrontEndTest, ALocalSessionAskedForHeadlessIsRefused) {
  runner.exit_code = 10;
  EXPECT_EQ(Run("-Mmailer"), 1);
  ASSERT_EQ(console.boxes.size(), 1u);
  EXPECT_EQ(console.boxes[0].substr(0, 41), "Error!|A local session needs a terminal.\r");
}

}  // namespace
}  // namespace vx::session
