// The session clocks with a manual clock: the minutes of the day running out, the inactivity
// watch, the carrier, and how every end of a call passes through TerminateCall once with the
// right exit code.
#include "session/session_clock.h"

#include <gtest/gtest.h>

#include "call_fixture.h"
#include "session/call_end.h"

namespace vx::session::testing {
namespace {

using test::PutLong;
using test::PutText;
using test::PutWordAt;

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

class SessionClockTest : public CallTest {
 protected:
  void SetInactivity(unsigned seconds) {
    test::PutWord(system.config, 1480, seconds);
    system.WriteConfig();
  }
  void SetJane(int elapsed) {
    system.jane.elapsed = static_cast<int16_t>(elapsed);
    system.WriteUsers({system.sam, system.jane, system.old_timer},
                      {test::IndexEntry(test::crc::kSamSysop, test::crc::kSysop),
                       test::IndexEntry(test::crc::kJaneDoe, test::crc::kJaney),
                       test::IndexEntry(test::crc::kOldTimer, test::crc::kEmpty)});
  }
  // Jane logs on and the menus wait for a key that never comes.
  int CallAndWait(const std::string& options = "", std::function<void(NodeSession&)> more = {}) {
    line.Type("jane doe\rsecret\r");
    return Call(options, [&](NodeSession& s) {
      s.hooks.run_menus = [&s] {
        s.terminal.output().line_counter = 5;
        s.terminal.InputLine(10);
        ADD_FAILURE() << "the wait for a key ended";
      };
      if (more) more(s);
    });
  }
};

TEST_F(SessionClockTest, TheLastThreeMinutesAreAnnouncedAndTheEndOfTheTimeEndsTheCall) {
  SetInactivity(0);  // no inactivity limit
  SetJane(56);       // 60 minutes a day: 4 left
  EXPECT_EQ(CallAndWait(), 0);
  const std::string sent = line.sent();
  const size_t three = sent.find("<64 time left> 3 minutes");
  const size_t two = sent.find("<64 time left> 2 minutes");
  const size_t one = sent.find("<64 time left> 1 minutes");
  const size_t up = sent.find("<63 time is up>");
  ASSERT_NE(three, std::string::npos) << sent;
  EXPECT_LT(three, two);
  EXPECT_LT(two, one);
  EXPECT_LT(one, up);
  EXPECT_EQ(up, sent.rfind("<63 time is up>"));
  EXPECT_EQ(Count(sent, "<64 time left>"), 3u);
  EXPECT_TRUE(Logged("Daily timelimit exceeded"));
  EXPECT_EQ(session->clock.session_minutes, 4);
  EXPECT_EQ(session->clock.time_left, 0);
  // The warnings came inside the caller's page without counting as its lines.
  EXPECT_EQ(session->terminal.output().line_counter, 5);
  EXPECT_FALSE(session->terminal.output().counting_suspended);
  // Four minutes more used today.
  std::vector<uint8_t> users = system.users;
  PutText(users, 1016 + 419, "12:05");
  PutLong(users, 1016 + 456, 42);
  PutWordAt(users, 1016 + 480, 60);
  EXPECT_EQ(system.Read("USERS.BBS"), users);
}

TEST_F(SessionClockTest, InactivityWarnsFifteenTenAndFiveSecondsBeforeItEndsTheCall) {
  SetInactivity(20);
  std::vector<int> warned_at;
  line.on_sent = [&](std::string_view bytes) {
    if (bytes.find("<66 still there?>") != std::string_view::npos) {
      warned_at.push_back(session->terminal.input().idle_seconds);
    }
  };
  EXPECT_EQ(CallAndWait("-E6"), 6);
  EXPECT_EQ(warned_at, (std::vector<int>{5, 10, 15}));
  EXPECT_EQ(session->terminal.input().idle_seconds, 20);
  EXPECT_EQ(session->terminal.output().line_counter, 5);
  EXPECT_EQ(system.Read("LASTCALL.BBS").size(), 118u);  // the call was counted as any other
}

TEST_F(SessionClockTest, ASixtySecondTransferOutlastsTheInactivityLimitAndItsWarningsWait) {
  SetInactivity(20);
  SetJane(57);  // 3 minutes left: a minute into the transfer, 2 would be announced
  line.Type("jane doe\rsecret\r");
  std::string during;
  const int code = Call("", [&](NodeSession& s) {
    s.hooks.run_menus = [&] {
      const size_t before = line.sent().size();
      s.activity = SessionActivity::kTransfer;
      platform::Delay(s.loop, 60);
      during = line.sent().substr(before);
      s.activity = SessionActivity::kNone;
      s.timers.AfterTransfer();
      s.terminal.InputLine(10);
      ADD_FAILURE() << "the wait for a key ended";
    };
  });
  EXPECT_EQ(code, 0);
  EXPECT_EQ(during.find("<66 still there?>"), std::string::npos) << during;
  EXPECT_EQ(during.find("<64 time left>"), std::string::npos) << "a warning inside the data";
  const std::string sent = line.sent();
  const size_t held = sent.find("<64 time left> 2 minutes");
  ASSERT_NE(held, std::string::npos) << "the warning held during the transfer comes after it";
  EXPECT_LT(held, sent.find("<66 still there?>"));
  EXPECT_EQ(session->clock.session_minutes, 1);
  EXPECT_EQ(session->terminal.input().idle_seconds, 20);  // counted from the end of the transfer
}

TEST_F(SessionClockTest, AnInactivityLimitBelowFiveNeverWarns) {
  SetInactivity(4);
  EXPECT_EQ(CallAndWait(), 0);
  EXPECT_EQ(line.sent().find("<66 still there?>"), std::string::npos);
  EXPECT_EQ(session->terminal.input().idle_seconds, 4);
}

TEST_F(SessionClockTest, ALocalSessionHasNoCarrierOrInactivityWatchButItsTimeRunsOut) {
  SetInactivity(20);
  SetJane(58);
  console.is_interactive = true;
  EXPECT_EQ(Call("-L",
                 [](NodeSession& s) {
                   for (char c : std::string("jane doe\rsecret\r")) s.terminal.LocalKey(c);
                   s.hooks.run_menus = [&s] { s.terminal.InputLine(10); };
                 }),
            0);
  EXPECT_TRUE(Logged("Daily timelimit exceeded"));
  EXPECT_EQ(session->clock.session_minutes, 2);
  EXPECT_EQ(session->terminal.input().idle_seconds, 0);
}

TEST_F(SessionClockTest, TheEnteredMailDecidesTheExitCode) {
  struct Case {
    bool echomail, netmail;
    int code;
  };
  for (const Case c :
       {Case{true, false, 3}, Case{false, true, 4}, Case{true, true, 5}, Case{false, false, 7}}) {
    line.Type("jane doe\rsecret\r");
    EXPECT_EQ(Call("-E7",
                   [c](NodeSession& s) {
                     s.hooks.run_menus = [&s, c] {
                       s.call.echomail_entered = c.echomail;
                       s.call.netmail_entered = c.netmail;
                     };
                   }),
              c.code);
  }
}

TEST_F(SessionClockTest, ALostCarrierEndsTheCallAtOnceWithoutHangingUp) {
  system.SetConfigByte(1493, 2);  // the personal-mail scan is offered
  line.Type("jane doe\rsecret\r");
  platform::MonoTime dropped{};
  line.on_sent = [&](std::string_view bytes) {
    if (bytes.find("<40 mail?>") != std::string_view::npos) {
      line.carrier = false;
      dropped = clock.Monotonic();
    }
  };
  EXPECT_EQ(Call(), 0);
  EXPECT_LE(clock.Monotonic() - dropped, std::chrono::seconds(1));
  EXPECT_FALSE(Logged("Terminating call..."));
  EXPECT_TRUE(Logged("User off-line"));
  std::vector<uint8_t> useron(428, 0);
  useron[214 + 102] = 16;
  EXPECT_EQ(system.Read("USERON.BBS"), useron);
  EXPECT_EQ(system.Read("LASTCALL.BBS").size(), 118u);
  std::vector<uint8_t> users = system.users;
  PutText(users, 1016 + 419, "12:05");
  PutLong(users, 1016 + 456, 42);
  EXPECT_EQ(system.Read("USERS.BBS"), users);
}

TEST_F(SessionClockTest, AModemIsHungUpByItsCommandsAndTheEndRunsOnce) {
  line.modem = true;
  struct Notices : NodeWindow {
    std::vector<std::string> shown;
    void ShowNotice(std::string_view text) override { shown.emplace_back(text); }
    void CloseNotice() override { shown.emplace_back("closed"); }
  } window;
  line.Type("jane doe\rsecret\r");
  platform::MonoTime ended{};
  EXPECT_EQ(Call("",
                 [&](NodeSession& s) {
                   s.window = &window;
                   s.hooks.run_menus = [&s, &ended, this] {
                     ended = clock.Monotonic();
                     TerminateCall(s);  // as a menu function might, before the end of the program
                     TerminateCall(s);
                     EndNodeProgram(s);
                   };
                 }),
            0);
  const std::string sent = line.sent();
  EXPECT_EQ(sent.substr(sent.size() - 8), "+++ATH0\r");
  // The escape's pauses (3 x 0.7 s) and the 3 s before ATH0; the carrier dropped at once then.
  EXPECT_EQ(clock.Monotonic() - ended, std::chrono::milliseconds(5100));
  EXPECT_EQ(window.shown, (std::vector<std::string>{"Terminating call...", "closed"}));
  int off_line = 0;
  for (const std::string& t : LogTexts()) off_line += t == "User off-line";
  EXPECT_EQ(off_line, 1);
  EXPECT_EQ(system.Read("LASTCALL.BBS").size(), 118u);
}

TEST_F(SessionClockTest, ACallerWhoNeverGivesANameChangesNoFile) {
  EXPECT_EQ(Call(), 0);  // nothing typed: the inactivity limit ends the call at the name prompt
  EXPECT_TRUE(Logged("User off-line"));
  EXPECT_FALSE(test::Exists(system.dir / "USERON.BBS"));
  EXPECT_FALSE(test::Exists(system.dir / "LASTCALL.BBS"));
  EXPECT_FALSE(test::Exists(system.dir / "SYSINFO.BBS"));
  EXPECT_EQ(system.Read("USERS.BBS"), system.users);
}

}  // namespace
}  // namespace vx::session::testing
