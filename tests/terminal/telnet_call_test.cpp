// The terminal over the telnet line, with a telnet client and a terminal emulator (libtelnet and
// libvterm) on the caller's side of a real loopback connection: display files with 0xFF in them,
// the Enter keys of different clients, escapes split across packets, and a caller who hangs up.
#include <gtest/gtest.h>
#include <sys/socket.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <string>

#include "comm/telnet_line.h"
#include "platform/clock.h"
#include "platform/event_loop.h"
#include "platform/process_exit.h"
#include "support/loopback.h"
#include "terminal/terminal.h"
#include "terminal_fixture.h"
#include "vterm_caller.h"

namespace vx::terminal::testing {
namespace {

using namespace std::chrono_literals;

class TelnetCallTest : public ::testing::Test {
 protected:
  TelnetCallTest() {
    auto [node, caller_fd] = test::LoopbackTcpPair();
    line = std::make_unique<comm::TelnetLine>(loop, node);
    std::string error;
    EXPECT_TRUE(line->OpenPort(error)) << error;
    caller = std::make_unique<Caller>(loop, caller_fd, 25, Caller::Wire::kTelnet);
    dir = TestDirectory();
    config.system_path = dir.string() + "/";
    config.text_path = config.system_path;
    user.screen_length = 24;
    user.attribute = "01100000";
    colour_sets = {{{7, 0}, {14, 0}, {11, 1}, {10, 0}, {15, 4}}};
    config_snapshot.SetSystemPath(config.system_path);
    terminal = std::make_unique<Terminal>(TerminalContext{loop, *line, env, config, config_snapshot,
                                                          languages, language, user, colour_sets});
    terminal->input().hint = false;
    // As the session does: an input wait ends the call when the carrier is gone.
    terminal->SetPollHook([this] {
      if (!line->CarrierDetect()) platform::EndProcess(0);
    });
    Settle();  // the option negotiation
  }
  ~TelnetCallTest() override {
    terminal.reset();
    caller.reset();
  }

  void Settle() {
    for (int i = 0; i < 5; ++i) loop.RunOnce(true, 1ms);
  }
  // Sends raw bytes as one packet and lets the node read them before the next.
  void Packet(const std::string& bytes) {
    caller->Type(bytes);
    Settle();
  }

  platform::ManualClock clock;
  platform::EventLoop loop{clock};
  platform::Environment env;
  std::filesystem::path dir;
  core::Configuration config;
  core::ConfigSnapshot config_snapshot{env};
  core::LanguageList languages;
  core::LanguageTable language;
  core::UserRecord user;
  ColourSets colour_sets{};
  std::unique_ptr<comm::TelnetLine> line;
  std::unique_ptr<Caller> caller;
  std::unique_ptr<Terminal> terminal;
};

TEST_F(TelnetCallTest, FfInADisplayFileArrivesAsOneFf) {
  std::ofstream(dir / "SIGN.ANS", std::ios::binary) << "A\xff"
                                                       "B\xff\xff"
                                                       "C\r\n";
  terminal->ShowTextFile("SIGN");
  Settle();
  EXPECT_NE(caller->wire().find("A\xff\xff"
                                "B\xff\xff\xff\xff"
                                "C"),
            std::string::npos);
  EXPECT_NE(caller->received().find("A\xff"
                                    "B\xff\xff"
                                    "C"),
            std::string::npos);
  EXPECT_EQ(caller->received().find("\xff\xff\xff"), std::string::npos);
  // (The emulator takes 0xFF for a DEL with the high bit and draws nothing; a code page 437
  // terminal draws a blank.)
  EXPECT_EQ(caller->Row(1), "ABC");
}

TEST_F(TelnetCallTest, CrNulAndCrLfEachCountAsOneEnter) {
  caller->Type(std::string("first\r\0", 7));
  EXPECT_EQ(terminal->InputLine(20), "first");
  caller->Type("second\r\n");
  EXPECT_EQ(terminal->InputLine(20), "second");
  // A bare CR is an Enter too, and the LF or NUL of a split line end adds no empty line.
  Packet("third\r");
  EXPECT_EQ(terminal->InputLine(20), "third");
  Packet(std::string("\0fourth\r", 8));
  EXPECT_EQ(terminal->InputLine(20), "fourth");
  Settle();
  EXPECT_EQ(caller->Row(1), "firstsecondthirdfourth");  // echoed by the node, each once
}

TEST_F(TelnetCallTest, AnEscapeSplitAcrossTwoPacketsIsUnderstood) {
  Packet("x\xff");      // IAC ...
  Packet("\xfd\x18y");  // ... DO TERMINAL-TYPE, then a key
  Packet("\xff");       // half of a doubled 0xFF
  Packet(
      "\xff"
      "z\r");  // the other half
  EXPECT_EQ(terminal->InputLine(20), "xy\xffz");
  Settle();
  EXPECT_NE(caller->wire().find("\xff\xfc\x18"), std::string::npos);  // WONT TERMINAL-TYPE
}

TEST_F(TelnetCallTest, ACallerWhoHangsUpEndsTheInputWaitAtOnce) {
  platform::Timer hang_up(loop, 200ms, [&] { caller->Close(); });
  hang_up.SetEnabled(true);
  const auto start = std::chrono::steady_clock::now();
  try {
    terminal->InputLine(20);
    ADD_FAILURE() << "the input wait returned";
  } catch (const platform::ProcessExit&) {
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
}

}  // namespace
}  // namespace vx::terminal::testing
