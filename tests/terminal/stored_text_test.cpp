// Text stored by other callers and systems: shown with no display codes and no embedded actions,
// kludge lines hidden, every kind of line end honoured, long lines wrapped, and the page pause
// working on it as on any other text.
#include "terminal/stored_text.h"

#include <gtest/gtest.h>

#include <string>

#include "terminal_fixture.h"

namespace vx::terminal::testing {
namespace {

TEST(StoredText, LineEndsAndKludgeLines) {
  EXPECT_EQ(PrepareStoredText("one\rtwo\r\nthree\nfour", 80), "one\r\ntwo\r\nthree\r\nfour\r\n");
  EXPECT_EQ(PrepareStoredText("a\r\rb\n\n", 80), "a\r\n\r\nb\r\n\r\n");
  EXPECT_EQ(PrepareStoredText("\x01MSGID: 2:280/1 1\r\x01PID: x\rHello\r\x01NOTE: end", 80),
            "Hello\r\n");
  EXPECT_EQ(PrepareStoredText("", 80), "");
}

TEST(StoredText, OnlyColourSequencesPass) {
  // Display codes lose their control characters, so nothing of them can act.
  EXPECT_EQ(PrepareStoredText("see \x0b!SECRET| and \x0bW \x06"
                              "A\x0c\x17\x01",
                              80),
            "see !SECRET| and W A\r\n");
  // Colour sequences pass; clearing the screen, moving the cursor or restoring it do not.
  EXPECT_EQ(PrepareStoredText("\x1b[2J\x1b[1;33mYellow\x1b[0m\x1b[10;5H\x1b[u\x1b"
                              "c!",
                              80),
            "\x1b[1;33mYellow\x1b[0m!\r\n");
  EXPECT_EQ(PrepareStoredText("cut\x1b[", 80), "cut\r\n");
  EXPECT_EQ(PrepareStoredText("bell\x07 del\x7f tab\tx", 80), "bell del tab    x\r\n");
  // Code page 437 characters are text.
  EXPECT_EQ(PrepareStoredText("\xc4\xc4 \xb0", 80), "\xc4\xc4 \xb0\r\n");
}

TEST(StoredText, LongLinesWrapAtABlank) {
  const std::string words = "aaaa bbbb cccc dddd";
  EXPECT_EQ(PrepareStoredText(words, 11), "aaaa bbbb\r\ncccc dddd\r\n");
  // Full just before a blank: the blank goes with the line end.
  EXPECT_EQ(PrepareStoredText("0123456789 next", 11), "0123456789\r\nnext\r\n");
  // A word longer than the line is cut.
  EXPECT_EQ(
      PrepareStoredText(std::string(25, 'x'), 11),
      std::string(10, 'x') + "\r\n" + std::string(10, 'x') + "\r\n" + std::string(5, 'x') + "\r\n");
  // Colour sequences take no room.
  EXPECT_EQ(PrepareStoredText("\x1b[1;31m0123456789\x1b[0m", 11),
            "\x1b[1;31m0123456789\x1b[0m\r\n");
  // Every screen line of an 80-column caller stays within 79 columns.
  const std::string prepared = PrepareStoredText(std::string(500, 'w') + " " + words, 80);
  size_t start = 0;
  for (size_t end; (end = prepared.find("\r\n", start)) != std::string::npos; start = end + 2) {
    EXPECT_LE(end - start, 79u);
  }
}

TEST(StoredText, PlainFieldsHaveNoControlCharacters) {
  EXPECT_EQ(PlainField("Sam\x0b!X|\x1b[2J Sysop\x06"
                       "A"),
            "Sam!X|[2J SysopA");
}

using StoredTextShown = TerminalTest;

TEST_F(StoredTextShown, NothingInAMessageActs) {
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "SECRET.ANS") << "the sysop's secrets";
  terminal.ShowStoredText(
      "Hi\x0b!SECRET|\r\x01"
      "PID: x\rwait\x01here\rend");
  const std::string sent = line.TakeSent();
  EXPECT_EQ(sent.find("secrets"), std::string::npos);
  EXPECT_EQ(sent, "Hi!SECRET|\r\nwaithere\r\nend\r\n");
  EXPECT_EQ(terminal.pending_keys(), 0u);  // no key was waited for
  EXPECT_EQ(Row(1), "Hi!SECRET|");
  EXPECT_EQ(Row(3), "end");
}

TEST_F(StoredTextShown, CrOnlyTextPausesPageByPage) {
  std::string text;
  for (int i = 1; i <= 30; ++i) text += "line " + std::to_string(i) + "\r";
  Type("n");
  terminal.ShowStoredText(text);
  EXPECT_EQ(terminal.output().stop_answer, "N");
  EXPECT_EQ(Row(23), "line 23");
  EXPECT_EQ(line.sent().find("line 24"), std::string::npos);
  EXPECT_NE(line.sent().find("More"), std::string::npos);
}

TEST_F(StoredTextShown, WrappedLinesCountForThePause) {
  // Twelve lines of 150 characters take 24 rows of the screen: the pause comes before the row
  // that would fill the page.
  std::string text;
  for (int i = 0; i < 12; ++i) text += std::string(70, 'a') + " " + std::string(79, 'b') + "\r";
  Type("y");
  terminal.ShowStoredText(text);
  EXPECT_NE(line.sent().find("More"), std::string::npos);
  EXPECT_EQ(terminal.pending_keys(), 0u);
}

}  // namespace
}  // namespace vx::terminal::testing
