// Display and Emit: colours, output modes, embedded codes and the line counting that decides the
// page pause.
#include <gtest/gtest.h>

#include <string>

#include "terminal/ansi.h"
#include "terminal_fixture.h"

namespace vx::terminal::testing {
namespace {

std::string Lines(int from, int to) {
  std::string text;
  for (int i = from; i <= to; ++i) text += "line " + std::to_string(i) + "\r\n";
  return text;
}

using OutputTest = TerminalTest;

TEST_F(OutputTest, ColoursAreTheExactAnsiSequences) {
  terminal.SetColor(0x1E);
  EXPECT_EQ(line.TakeSent(), "\x1b[1;33m\x1b[44m");
  terminal.SetColor(0x40);
  EXPECT_EQ(line.TakeSent(), "\x1b[0;30m\x1b[41m");
  terminal.SetForeground(16);
  terminal.SetForeground(-1);
  terminal.SetBackground(8);
  terminal.SetColor(0x87);  // background 8: only the foreground goes out
  EXPECT_EQ(line.TakeSent(), "\x1b[0;37m");
  terminal.SetColorPreset(4);
  EXPECT_EQ(line.TakeSent(), "\x1b[1;37m\x1b[41m");
  terminal.SetColorPreset(5);
  EXPECT_EQ(line.TakeSent(), "");
}

TEST_F(OutputTest, ColourCodeSetsYellowOnBlue) {
  terminal.Display("\x0b[1Ehello");
  EXPECT_EQ(line.sent(), "\x1b[1;33m\x1b[44mhello");
  EXPECT_EQ(screen().foreground(), 14);
  EXPECT_EQ(screen().background(), 1);
  EXPECT_EQ(screen().CellAt(0, 0).attribute, 0x1E);
}

TEST_F(OutputTest, MalformedCodesNeitherHangNorRepeat) {
  terminal.Display("a\x0b[1Gb\x0b[");
  EXPECT_EQ(line.TakeSent(), "a\x0b[1Gb\x0b[");
  // ^K! without "|": the rest of the line names the file (which does not exist); the line end
  // is still sent.
  terminal.Display("x\x0b!NOSUCHFILE\r\ny");
  EXPECT_EQ(line.TakeSent(), "x\r\ny");
  terminal.Display("\x0b!");
  EXPECT_EQ(line.TakeSent(), "");
}

// A local session: the port is closed, so output reaches only the node's own screen and keys come
// from the node's keyboard.
TEST_F(OutputTest, ALocalSessionShowsOutputLocallyOnly) {
  line.ClosePort();
  terminal.DisplayLn("local \x0b[1Etext");
  EXPECT_EQ(line.sent(), "");
  EXPECT_EQ(Row(1), "local text");
  EXPECT_EQ(screen().cursor_row(), 2);
  for (char key : std::string("abc\r")) terminal.LocalKey(key);
  EXPECT_EQ(terminal.InputLine(10), "abc");
  EXPECT_EQ(line.sent(), "");
  EXPECT_EQ(Row(2), "abc");
}

TEST_F(OutputTest, OutputModesCaptureAndDiscard) {
  terminal.output().mode = 1;
  terminal.Display("first");
  terminal.Display("second\x0b[0E");
  EXPECT_EQ(terminal.output().capture, "\x1b[40m");  // each Emit replaces the capture
  terminal.Emit("whole text");
  EXPECT_EQ(terminal.output().capture, "whole text");
  terminal.output().mode = 2;
  terminal.Display("gone\r\n");
  terminal.output().mode = 0;
  EXPECT_EQ(line.sent(), "");
  EXPECT_EQ(Row(1), "");
}

TEST_F(OutputTest, ClearScreenFollowsTheCallersSetting) {
  terminal.output().line_counter = 9;
  terminal.ClearScreen();
  EXPECT_EQ(line.TakeSent(), "\x1b[2J");
  EXPECT_EQ(terminal.output().line_counter, 0);
  user.attribute = "00100000";
  terminal.ClearScreen();
  EXPECT_EQ(line.TakeSent(), "\x1b[0;37m\x1b[40m\r\n");
  EXPECT_EQ(terminal.output().line_counter, 0);
  terminal.output().line_counter = 5;
  terminal.Display("\x1b[2Jx");
  EXPECT_EQ(terminal.output().line_counter, 0);
}

TEST_F(OutputTest, OnlyLinesWithBothCrAndLfAheadAreCounted) {
  terminal.Display("a\nb\nc\n");
  EXPECT_EQ(terminal.output().line_counter, 0);
  terminal.Display("a\rb\r");
  EXPECT_EQ(terminal.output().line_counter, 0);
  // "one\r\n" and "two\n" are lines; "\rthree\r" has no LF ahead and goes out uncounted.
  terminal.Display("one\r\ntwo\n\rthree\r");
  EXPECT_EQ(terminal.output().line_counter, 2);
  terminal.output().counting_suspended = true;
  terminal.Display("x\r\n");
  EXPECT_EQ(terminal.output().line_counter, 2);
}

TEST_F(OutputTest, RestoreCursorLowersTheCounterOncePerPass) {
  terminal.output().line_counter = 10;
  terminal.Display("\x1b[u");
  EXPECT_EQ(terminal.output().line_counter, 9);
  terminal.Display("\x0b[0Ea\x0b[0Fb\x1b[u");  // two colour passes and the last pass
  EXPECT_EQ(terminal.output().line_counter, 6);
}

TEST_F(OutputTest, PadToScreenWidthIsOneUncountedPiece) {
  terminal.Display("abc\x0b\\def\x0b\\\r\n");
  EXPECT_EQ(line.TakeSent(), "abcdef\r\n" + std::string(74, ' '));
  // Colour sequences take no room on the screen and are not counted.
  terminal.Display("\x1b[1;33m\x1b[44mab\x0b\\");
  EXPECT_EQ(line.TakeSent(), "\x1b[1;33m\x1b[44mab" + std::string(78, ' '));
  EXPECT_EQ(terminal.output().line_counter, 0);
  user.screen_width = 40;
  terminal.Display("\x0b\\x");
  EXPECT_EQ(line.TakeSent(), "x" + std::string(39, ' '));
  terminal.Display(std::string(50, 'y') + "\x0b\\");
  EXPECT_EQ(line.TakeSent(), std::string(50, 'y'));
  // Never a pause, even on a full page.
  terminal.output().line_counter = 100;
  terminal.Display(Lines(1, 30) + "\x0b\\");
  EXPECT_EQ(line.sent().size(), Lines(1, 30).size());
}

TEST_F(OutputTest, CtrlAWaitsForAKeyWithoutEchoingIt) {
  terminal.input().auto_accept = true;
  Type("x");
  terminal.output().line_counter = 5;
  terminal.Display(
      "before\x01"
      "after");
  EXPECT_EQ(line.sent(), "beforeafter");
  EXPECT_EQ(terminal.output().line_counter, 4);
  EXPECT_EQ(terminal.pending_keys(), 0u);
}

TEST_F(OutputTest, CtrlLClearsAndCtrlWWaitsASecond) {
  const auto start = clock.Monotonic();
  terminal.Display(
      "a\x17"
      "b\x0c"
      "c");
  EXPECT_GE(clock.Monotonic() - start, std::chrono::seconds(1));
  EXPECT_EQ(line.sent(), "ab\x1b[2Jc");
}

TEST_F(OutputTest, CursorMovesUseTheModelsPosition) {
  terminal.Display("\x1b[7;1Habc");
  line.TakeSent();
  terminal.MoveToColumn(10);
  EXPECT_EQ(line.TakeSent(), "\x1b[7;11H");
  EXPECT_EQ(screen().cursor_column(), 10);
  terminal.MoveToRow(3);
  EXPECT_EQ(line.TakeSent(), "\x1b[3H");
  terminal.Display("12345");
  line.TakeSent();
  terminal.output().line_counter = 4;
  terminal.ReturnToLineStart();
  EXPECT_EQ(line.TakeSent(), std::string(6, '\b'));
  EXPECT_EQ(screen().cursor_column(), 0);
  EXPECT_EQ(terminal.output().line_counter, 3);
}

TEST_F(OutputTest, NoPauseWithoutScreenLengthOrMoreBit) {
  user.screen_length = 0;
  terminal.Display(Lines(1, 60));
  user.screen_length = 24;
  user.attribute = "01000000";
  terminal.Display(Lines(61, 120));
  EXPECT_EQ(Row(24), "line 120");
}

TEST_F(OutputTest, PauseWaitsForTheCursorToReachTheRow) {
  // The counter says a page is full, but the cursor is high on the screen: no pause yet.
  terminal.output().line_counter = 40;
  terminal.Display(Lines(1, 22));
  EXPECT_EQ(screen().cursor_row(), 23);
  EXPECT_EQ(line.sent().find("More"), std::string::npos);
  Type("Y");
  terminal.Display(Lines(23, 24));
  // Line 23 went out on row 23; the pause came before line 24, which then went on row 24.
  EXPECT_NE(line.sent().find("line 23\r\n\x1b[0;37m\x1b[40m\r\n[y/n/c]? More"), std::string::npos);
  EXPECT_EQ(Row(23), "line 23");
  EXPECT_EQ(Row(24), "line 24");
  EXPECT_EQ(Row(25), "");  // the prompt was erased
}

TEST_F(OutputTest, NonStopSkipsEveryFurtherPause) {
  Type("C");
  terminal.Display(Lines(1, 100));
  EXPECT_TRUE(terminal.output().non_stop);
  EXPECT_EQ(terminal.pending_keys(), 0u);
  EXPECT_EQ(Row(24), "line 100");
  EXPECT_EQ(terminal.output().line_counter, 0);
}

TEST_F(OutputTest, NoStopsTheTextAndSetsTheStopAnswer) {
  terminal.SetColor(0x1E);
  Type("n");
  terminal.Display(Lines(1, 30));
  EXPECT_EQ(terminal.output().stop_answer, "N");
  EXPECT_EQ(Row(23), "line 23");
  EXPECT_EQ(line.sent().find("line 24"), std::string::npos);
  EXPECT_EQ(screen().foreground(), 14);  // the colours from before the prompt
  EXPECT_EQ(screen().background(), 1);
  // Later output is not suppressed.
  terminal.Display("more");
  EXPECT_NE(line.sent().find("more"), std::string::npos);
}

class CountingTagger : public PauseTagging {
 public:
  bool LimitReached() const override { return limit; }
  long TaggedCount() const override { return static_cast<long>(tagged.size()); }
  long TaggedKilobytes() const override { return 10 * TaggedCount(); }
  std::string TagListingLine(int n) override {
    if (n == 13) return "refused";
    tagged.push_back(n);
    return {};
  }
  bool limit = false;
  std::vector<int> tagged;
};

TEST_F(OutputTest, FileListingPauseTagsAndAsksAgain) {
  CountingTagger tagger;
  terminal.SetPauseTagging(&tagger);
  language.Set(603, " Lines: ", 0);
  language.Set(604, "Tagged ", 0);
  terminal.output().listing_mode = 1010;
  terminal.input().auto_accept = false;
  Type("T3, 5 13 200 x\rY");
  terminal.Display(Lines(1, 30));
  EXPECT_EQ(tagger.tagged, (std::vector<int>{3, 5}));
  EXPECT_NE(line.sent().find("Tagged 0, 0; "), std::string::npos);
  EXPECT_NE(line.sent().find("refused"), std::string::npos);
  EXPECT_EQ(terminal.output().stop_answer, "");
  EXPECT_EQ(Row(24), "line 30");
}

// Tagging moves about on the prompt line only: a tagging round and its refusals take no line
// off the next page, only the prompt shown again does (as every prompt does).
TEST_F(OutputTest, TaggingAtThePauseLeavesThePageCountAlone) {
  CountingTagger tagger;
  terminal.SetPauseTagging(&tagger);
  terminal.output().listing_mode = 1010;
  terminal.input().auto_accept = false;
  Type("\r");
  terminal.Display(Lines(1, 30));
  const int plain = terminal.output().line_counter;
  line.TakeSent();
  terminal.ClearScreen();
  terminal.output().listing_mode = 1010;
  Type("T13 13 13\r\r");
  terminal.Display(Lines(1, 30));
  size_t refusals = 0;
  for (size_t at = line.sent().find("refused"); at != std::string::npos;
       at = line.sent().find("refused", at + 1)) {
    ++refusals;
  }
  EXPECT_EQ(refusals, 3u);
  EXPECT_EQ(terminal.output().line_counter, plain - 1);
}

TEST_F(OutputTest, FullTagListIsReportedWithoutLosingTheLine) {
  CountingTagger tagger;
  tagger.limit = true;
  terminal.SetPauseTagging(&tagger);
  language.Set(193, "Tag list full", 0);
  terminal.output().listing_mode = 1020;
  Type("TN");
  terminal.Display(Lines(1, 30));
  EXPECT_NE(line.sent().find("Tag list full"), std::string::npos);
  EXPECT_EQ(terminal.output().stop_answer, "N");
  EXPECT_EQ(line.sent().find("line 24"), std::string::npos);
}

TEST_F(OutputTest, PromptHelpersUseTheEntryColour) {
  language.Set(100, "Hello", 0x0C);
  language.Set(101, "Plain", 0);
  terminal.ShowPromptLn(100);
  terminal.ShowPrompt(101);
  EXPECT_EQ(line.sent(), "\x1b[1;31m\x1b[40mHello\x1b[0;37m\x1b[40m\r\nPlain");
}

}  // namespace
}  // namespace vx::terminal::testing
