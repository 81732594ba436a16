// The terminal over a real loopback connection, with an independent terminal emulator (libvterm)
// on the caller's side: what the caller's screen shows, and when, as the node pages text, pauses,
// waits for keys and colours its output. The caller answers prompts from the same event loop the
// node waits in, as a person at a terminal would: when a text appears, it types keys.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vterm.h>

#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "comm/raw_socket_line.h"
#include "core/config.h"
#include "core/language.h"
#include "core/user_record.h"
#include "platform/clock.h"
#include "platform/event_loop.h"
#include "terminal/terminal.h"
#include "terminal_fixture.h"
#include "vterm_caller.h"

namespace vx::terminal::testing {
namespace {

class WholeCallTest : public ::testing::Test {
 protected:
  WholeCallTest() {
    // A loopback TCP connection: the node's end becomes the line, the other end the caller's.
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    EXPECT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(::listen(listener, 1), 0);
    EXPECT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
    const int caller_fd = ::socket(AF_INET, SOCK_STREAM, 0);
    EXPECT_EQ(::connect(caller_fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const int node_fd = ::accept(listener, nullptr, nullptr);
    ::close(listener);
    line = std::make_unique<comm::RawSocketLine>(loop, node_fd);
    std::string error;
    EXPECT_TRUE(line->OpenPort(error)) << error;
    caller_fd_ = caller_fd;
    caller = std::make_unique<Caller>(loop, caller_fd);

    dir = TestDirectory();
    config.system_path = dir.string() + "/";
    config.text_path = config.system_path;
    config_snapshot.SetSystemPath(config.system_path);
    user.screen_length = 24;
    user.attribute = "01100000";
    colour_sets = {{{7, 0}, {14, 0}, {11, 1}, {10, 0}, {15, 4}}};
    language.Set(67, "YNC More? (Yes, No, Continuous)\xff", 0x0E);
    terminal = std::make_unique<Terminal>(TerminalContext{loop, *line, env, config, config_snapshot,
                                                          languages, language, user, colour_sets});
    terminal->input().hint = false;
  }
  ~WholeCallTest() override {
    terminal.reset();
    caller.reset();
  }

  // The caller's terminal has `rows` rows (and the caller says so in the screen length).
  void CallerWithRows(int rows) {
    const int fd = ::dup(caller_fd_);
    caller.reset();
    caller = std::make_unique<Caller>(loop, fd, rows);
    caller_fd_ = fd;
    user.screen_length = static_cast<uint16_t>(rows);
  }

  // Lets the caller's side take in everything sent so far.
  void Settle() {
    for (int i = 0; i < 5; ++i) loop.RunOnce(true, std::chrono::milliseconds(1));
  }
  // The caller's screen and the node's model of it agree, row by row and on the cursor.
  void ExpectScreensAgree() {
    Settle();
    for (int r = 1; r <= 25; ++r) {
      EXPECT_EQ(caller->Row(r), line->terminal().RowText(r)) << "row " << r;
    }
    EXPECT_EQ(caller->Cursor(), std::make_pair(line->cursor_row(), line->cursor_column()));
  }
  static std::string Lines(const std::string& word, int from, int to, const char* end = "\r\n") {
    std::string text;
    for (int i = from; i <= to; ++i) text += word + " " + std::to_string(i) + end;
    return text;
  }
  static size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
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
  std::unique_ptr<comm::RawSocketLine> line;
  int caller_fd_ = -1;
  std::unique_ptr<Caller> caller;
  std::unique_ptr<Terminal> terminal;
};

TEST_F(WholeCallTest, APagePausesBeforeTheLineThatFillsIt) {
  std::vector<std::string> at_prompt;
  std::pair<int, int> cursor_at_prompt;
  caller->When("More?", [&] {
    at_prompt = caller->Rows();
    cursor_at_prompt = caller->Cursor();
    caller->Type("Y");
  });
  terminal->Display(Lines("line", 1, 30));
  // At the prompt the caller saw 23 lines and the prompt below an empty row.
  ASSERT_EQ(at_prompt.size(), 25u);
  EXPECT_EQ(at_prompt[0], "line 1");
  EXPECT_EQ(at_prompt[22], "line 23");
  EXPECT_EQ(at_prompt[23], "");
  EXPECT_EQ(at_prompt[24], "More? (Yes, No, Continuous)");
  EXPECT_EQ(cursor_at_prompt.first, 25);
  // Then the rest, in order, with nothing lost or overwritten.
  Settle();
  for (int r = 1; r <= 24; ++r) EXPECT_EQ(caller->Row(r), "line " + std::to_string(r + 6));
  EXPECT_EQ(Count(caller->received(), "More?"), 1u);
  ExpectScreensAgree();
}

TEST_F(WholeCallTest, ThePauseWaitsUntilTheCursorHasReachedTheRow) {
  std::pair<int, int> cursor_at_prompt;
  std::string row23;
  caller->When("More?", [&] {
    cursor_at_prompt = caller->Cursor();
    row23 = caller->Row(23);
    caller->Type("Y");
  });
  terminal->Display(Lines("first", 1, 20));
  // Back to the top: the counter says the page is nearly full, but the cursor is far from it.
  terminal->Display("\x1b[H");
  terminal->Display(Lines("again", 1, 30));
  EXPECT_EQ(cursor_at_prompt.first, 25);
  EXPECT_EQ(row23, "again 23");
  EXPECT_EQ(Count(caller->received(), "More?"), 1u);
  ExpectScreensAgree();
}

TEST_F(WholeCallTest, NoStopsTheFileAtThatLine) {
  std::ofstream(dir / "BULLETIN.ANS", std::ios::binary) << Lines("item", 1, 40);
  caller->WhenType("More?", "N");
  terminal->ShowTextFile("BULLETIN");
  terminal->Display("after");
  Settle();
  const std::string& seen = caller->received();
  EXPECT_NE(seen.find("item 24"), std::string::npos);
  EXPECT_EQ(seen.find("item 25"), std::string::npos);
  EXPECT_EQ(caller->Row(24), "item 24");
  EXPECT_EQ(caller->Row(25), "after");  // the prompt was erased and later output goes on
  ExpectScreensAgree();
}

TEST_F(WholeCallTest, NonStopShowsEverythingWithoutAnotherPrompt) {
  caller->WhenType("More?", "c");
  terminal->Display(Lines("line", 1, 100));
  Settle();
  EXPECT_EQ(Count(caller->received(), "More?"), 1u);
  EXPECT_EQ(caller->Row(24), "line 100");
  ExpectScreensAgree();
}

TEST_F(WholeCallTest, CtrlAWaitsForAKeyWithoutEchoingIt) {
  terminal->input().auto_accept = true;
  bool typed = false;
  caller->When("Press a key", [&] {
    EXPECT_EQ(caller->received().find("then"), std::string::npos);  // nothing past the wait yet
    caller->Type("k");
    typed = true;
  });
  terminal->Display("Press a key\x01 then more");
  EXPECT_TRUE(typed);
  Settle();
  EXPECT_EQ(caller->Row(1), "Press a key then more");
  ExpectScreensAgree();
}

TEST_F(WholeCallTest, ColourCodeShowsYellowOnBlue) {
  terminal->Display("\x0b[1Ecolour\x0b[07 plain");
  Settle();
  const VTermScreenCell cell = caller->Cell(1, 0);
  ASSERT_TRUE(VTERM_COLOR_IS_INDEXED(&cell.fg));
  ASSERT_TRUE(VTERM_COLOR_IS_INDEXED(&cell.bg));
  EXPECT_EQ(cell.fg.indexed.idx % 8, 3);  // yellow...
  EXPECT_TRUE(cell.attrs.bold);           // ...bright
  EXPECT_EQ(cell.bg.indexed.idx, 4);      // on blue
  const VTermScreenCell plain = caller->Cell(1, 7);
  EXPECT_FALSE(plain.attrs.bold);
  EXPECT_EQ(plain.fg.indexed.idx, 7);
  ExpectScreensAgree();
}

TEST_F(WholeCallTest, PadToWidthFillsTheLine) {
  terminal->Display("\x1b[44mabc\x0b\\");
  Settle();
  EXPECT_EQ(caller->Cursor(), std::make_pair(1, 79));
  EXPECT_EQ(caller->Cell(1, 79).bg.indexed.idx, 4);  // the blanks carry the colour to the edge
  user.screen_width = 40;
  terminal->Display("\r\n\x0b\\x");
  Settle();
  EXPECT_EQ(caller->Cursor(), std::make_pair(2, 40));
  ExpectScreensAgree();
}

TEST_F(WholeCallTest, LineFeedOnlyTextGoesOutUncounted) {
  terminal->Display(Lines("lf", 1, 60, "\n"));
  Settle();
  EXPECT_EQ(Count(caller->received(), "More?"), 0u);
  EXPECT_EQ(terminal->output().line_counter, 0);
  ExpectScreensAgree();
}

TEST_F(WholeCallTest, AnInputLineOverTheLine) {
  caller->Type("Jane\x7f\x7fohn Doe\r\n");
  terminal->Display("Name: ");
  terminal->SetNameMode(true);
  EXPECT_EQ(terminal->InputLine(20), "Jaohn Doe");
  Settle();
  EXPECT_EQ(caller->Row(1), "Name: Jaohn Doe");
  ExpectScreensAgree();
}

TEST_F(WholeCallTest, ALongScreenPausesAfterItsLengthLessOne) {
  CallerWithRows(50);
  std::vector<std::string> at_prompt;
  caller->When("More?", [&] {
    at_prompt = caller->Rows();
    caller->Type("Y");
  });
  terminal->Display(Lines("line", 1, 70));
  ASSERT_EQ(at_prompt.size(), 50u);
  // 49 lines went out before the pause; the prompt's own line end scrolled the first one off.
  EXPECT_EQ(at_prompt[0], "line 2");
  EXPECT_EQ(at_prompt[47], "line 49");
  EXPECT_EQ(at_prompt[48], "");
  EXPECT_EQ(at_prompt[49], "More? (Yes, No, Continuous)");
  Settle();
  EXPECT_EQ(caller->Row(49), "line 70");
  EXPECT_EQ(Count(caller->received(), "More?"), 1u);
  for (int r = 1; r <= 50; ++r) {
    EXPECT_EQ(caller->Row(r), line->terminal().RowText(r)) << "row " << r;
  }
}

TEST_F(WholeCallTest, APromptInTheMiddleOfANameInputLeavesTheNameAsTyped) {
  language.Set(0, "Y Yes!", 0);
  language.Set(1, "N No!", 0);
  language.Set(300, "Still there Y", 0x0F);
  // A timer's question comes while the caller is half-way through the name.
  platform::Timer question(loop, std::chrono::milliseconds(1000), [&] {
    question.SetEnabled(false);
    terminal->Display("\r\n");
    terminal->AskPromptLn(300);
  });
  caller->WhenType("Name:", "jo");
  caller->When("Jo", [&] { question.SetEnabled(true); });
  caller->WhenType("Still there", "y");
  caller->WhenType("Yes", "hn doe\r");
  terminal->Display("Name: ");
  terminal->SetNameMode(true);
  EXPECT_EQ(terminal->InputLine(20), "John Doe");
  EXPECT_TRUE(terminal->input().capitalise) << "the name mode is the name input's, not the question's";
  EXPECT_FALSE(terminal->input().auto_accept);
  ExpectScreensAgree();
}

TEST_F(WholeCallTest, AHotKeyDoesNotMakeTheNextLineEndWithoutEnter) {
  bool enter_sent = false;
  platform::Timer later(loop, std::chrono::milliseconds(5000), [&] {
    later.SetEnabled(false);
    enter_sent = true;
    caller->Type("\r");
  });
  caller->WhenType("Choose", "x");
  caller->When("Code:", [&] {
    caller->Type("abc");
    later.SetEnabled(true);
  });
  terminal->Display("Choose: ");
  EXPECT_EQ(terminal->GetHotKey("XYZ"), 'X');
  terminal->Display("Code: ");
  EXPECT_EQ(terminal->InputLine(3), "abc");
  EXPECT_TRUE(enter_sent) << "the line ended before its Enter";
}

}  // namespace
}  // namespace vx::terminal::testing
