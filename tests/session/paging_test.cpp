// Paging the sysop and the chat, over a real connection with a console that answers: the page's
// outcomes, chat text that is echoed but never acted on, and nothing of it left for the menu.
#include "session/paging.h"

#include <gtest/gtest.h>
#include <sys/socket.h>

#include "comm/raw_socket_line.h"
#include "session/session_clock.h"
#include "support/mini_system.h"
#include "support/recording_console.h"
#include "support/socket_call.h"
#include "support/test_caller.h"

namespace vx::session {
namespace {

// A sysop at the console: answers the page as told, types in the chat and closes it.
struct SysopWindow : NodeWindow {
  platform::EventLoop* loop = nullptr;
  enum { kAccept, kDecline, kNobody } page_answer = kAccept;
  int progress = 0, bells = 0;
  bool page_open = false;
  std::string label;
  std::function<void(int)> key;
  std::function<void()> close;
  std::string caller_box, subject;
  bool OpenPage(std::string_view text, int, std::function<void(bool)> answer) override {
    if (page_answer == kNobody) return false;
    label = text;
    page_open = true;
    if (page_answer == kAccept) answer(true);
    if (page_answer == kDecline) answer(false);
    return true;
  }
  void PageProgress(int elapsed) override { progress = elapsed; }
  void RingBell() override { ++bells; }
  void ClosePage() override { page_open = false; }
  bool OpenChat(std::string_view, std::string_view, std::string_view s, std::function<void(int)> k,
                std::function<void()> c) override {
    subject = s;
    key = std::move(k);
    close = std::move(c);
    return true;
  }
  void ChatCallerText(std::string_view box) override { caller_box = box; }
};

class PagingTest : public ::testing::Test {
 protected:
  PagingTest()
      : clock(platform::WallTime(std::chrono::seconds(1796558709))),
        loop(clock),
        env({"VX=" + system.dir.path()}),
        log(clock, env) {
    test::ConnectCaller(loop, line, caller);
    log.SetFileName(system.dir / "NODE1.LOG");
    session = std::make_unique<NodeSession>(loop, console, log, *line, env);
    test::UseSystemDirectory(*session, system.dir.path() + "/");
    session->config_snapshot.SetSystemPath(session->config.system_path);
    session->caller.user.name = "Ann Caller";
    session->caller.user.screen_length = 24;
    session->language.Set(70, "Back to the system.", 0x0A);
    session->language.Set(109, "Why? ", 0x0E);
    session->language.Set(110, "The sysop does not answer.", 0x0C);
    window.loop = &loop;
    session->window = &window;
  }
  ~PagingTest() override {
    session.reset();
    caller.reset();
  }
  void SetConfig(int position, uint8_t value) {
    system.config.at(static_cast<size_t>(position - 1)) = value;
    system.WriteConfig();
  }
  void Settle() {
    for (int i = 0; i < 5; ++i) loop.RunOnce(true, std::chrono::milliseconds(1));
  }

  test::MiniSystem system;
  platform::ManualClock clock;
  platform::EventLoop loop;
  platform::Environment env;
  core::NodeLog log;
  test::RecordingConsole console;
  SysopWindow window;
  std::unique_ptr<comm::RawSocketLine> line;
  std::unique_ptr<test::TestCaller> caller;
  std::unique_ptr<NodeSession> session;
};

TEST(ChatText, OnlyPrintableTextAndTheEditingKeys) {
  std::string box, echo;
  ApplyChatText(box, "hi\bo\x01\x0c\x1b[2J\x0b!/etc/passwd|\r\x82", &echo);
  EXPECT_EQ(box, "ho[2J!/etc/passwd|\r\n\x82");
  EXPECT_EQ(echo, "hi\b \bo[2J!/etc/passwd|\r\n\x82");
  box.clear();
  ApplyChatText(box, "\b\b", &echo);  // backspace on an empty box
  EXPECT_EQ(box, "");
  std::string many(1100, 'x');
  many.replace(0, 76, std::string(76, 'a'));
  ApplyChatText(box, many, nullptr);
  EXPECT_EQ(box, std::string(1024, 'x')) << "the newest 1024 characters stay";
}

TEST_F(PagingTest, AShortReasonPagesNobodyAndAnUnansweredPageSaysSo) {
  SetConfig(2163, 1);  // ask for a reason
  SetConfig(1488, 30);
  caller->WhenType("Why?", "abc\r");
  window.page_answer = SysopWindow::kNobody;
  PageSysop(*session);
  EXPECT_EQ(window.label, "");
  Settle();
  EXPECT_EQ(caller->received().find("The sysop does not answer."), std::string::npos);

  caller->WhenType("Why?", "help me\r");
  PageSysop(*session);
  Settle();
  EXPECT_NE(caller->received().find("The sysop does not answer."), std::string::npos);
  EXPECT_NE(caller->received().find("Back to the system."), std::string::npos);
  EXPECT_NE(test::ReadFile(system.dir / "NODE1.LOG").find("Page: Ann Caller (help me)"), std::string::npos);
}

TEST_F(PagingTest, ThePageRingsAndTimesOutAtItsLength) {
  SetConfig(1488, 5);
  window.page_answer = SysopWindow::kNobody;
  struct Waiting : SysopWindow {
    bool OpenPage(std::string_view text, int, std::function<void(bool)>) override {
      label = text;
      return true;  // the sysop is there but does not answer
    }
  } waiting;
  session->window = &waiting;
  caller->Type("g");  // typed during the page: not a menu key afterwards
  PageSysop(*session);
  EXPECT_EQ(waiting.progress, 5);
  EXPECT_GE(waiting.bells, 4) << "no PAGE.VX: the bell rings once a second";
  EXPECT_EQ(waiting.label, "User: Ann Caller\r\nwants to chat with the sysop...");
  EXPECT_EQ(session->terminal.pending_keys(), 0u);
  // A page length of 0 ends at once.
  SetConfig(1488, 0);
  PageSysop(*session);
}

TEST_F(PagingTest, AnAcceptedPageChatsBothWays) {
  SetConfig(1488, 30);
  // The caller types in the chat, among them codes that must not act and "g" that must not log off.
  bool typed = false;
  platform::Timer type(loop, std::chrono::milliseconds(1000), [&] {
    if (typed) {
      if (!window.key) return;
      window.key('o');
      window.key('k');
      window.key('\r');
      window.close();
      return;
    }
    typed = true;
    caller->Type("g\x01\x0c\x0b!/etc/passwd|hi\b!\r");
  });
  type.SetEnabled(true);
  PageSysop(*session);
  Settle();
  EXPECT_EQ(window.subject, "Forced chat, started by sysop.");
  EXPECT_EQ(window.caller_box, "g!/etc/passwd|h!\r\n");
  const std::string& seen = caller->received();
  EXPECT_NE(seen.find("\x1b[0;36mg"), std::string::npos) << "the caller's text in cyan";
  EXPECT_NE(seen.find("\x1b[1;33mo"), std::string::npos) << "the sysop's in yellow";
  EXPECT_EQ(seen.find('\x01'), std::string::npos);
  EXPECT_EQ(seen.find('\x0c'), std::string::npos);
  EXPECT_EQ(seen.find('\x0b'), std::string::npos);
  EXPECT_NE(seen.find("Back to the system."), std::string::npos);
  EXPECT_EQ(session->terminal.pending_keys(), 0u) << "nothing typed in the chat is left for the menu";
  EXPECT_EQ(session->activity, SessionActivity::kNone);
}

TEST_F(PagingTest, ALongChatIsNotEndedForInactivity) {
  session->language.Set(66, "Are you still there?", 0x0C);
  session->clock.inactivity_timeout = 60;
  SessionTimers timers(*session);
  timers.StartTimeOut();
  // Three minutes of chat in which nobody types.
  platform::Timer end(loop, std::chrono::milliseconds(180000), [&] {
    end.SetEnabled(false);
    if (window.close) window.close();
  });
  end.SetEnabled(true);
  EXPECT_NO_THROW(Chat(*session, "a long talk"));
  Settle();
  EXPECT_EQ(caller->received().find("Are you still there?"), std::string::npos);
  EXPECT_EQ(window.subject, "Subject: a long talk");
}

}  // namespace
}  // namespace vx::session
