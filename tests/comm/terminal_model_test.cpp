// The caller's screen model: cursor rules, colours, wrapping, scrolling and hostile input.
#include "comm/terminal_model.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace vx::comm {
namespace {

TEST(TerminalModel, CursorRowIsOneBasedAndColumnZeroBased) {
  TerminalModel model;
  EXPECT_EQ(model.cursor_row(), 1);
  EXPECT_EQ(model.cursor_column(), 0);
  model.Feed("abc\r\ndef");
  EXPECT_EQ(model.cursor_row(), 2);
  EXPECT_EQ(model.cursor_column(), 3);
  EXPECT_EQ(model.RowText(1), "abc");
  EXPECT_EQ(model.RowText(2), "def");
  // ESC[row;colH counts both from 1: column 5 is four cells from the left.
  model.Feed("\x1b[10;5H");
  EXPECT_EQ(model.cursor_row(), 10);
  EXPECT_EQ(model.cursor_column(), 4);
  model.Feed("\x1b[H");
  EXPECT_EQ(model.cursor_row(), 1);
  EXPECT_EQ(model.cursor_column(), 0);
}

TEST(TerminalModel, WrapsAtColumn80WithPendingWrap) {
  TerminalModel model;
  model.Feed(std::string(80, 'x'));
  // The 80th character leaves the cursor on the last column until the next character.
  EXPECT_EQ(model.cursor_row(), 1);
  EXPECT_EQ(model.cursor_column(), 79);
  model.Feed("\r\n");
  EXPECT_EQ(model.cursor_row(), 2);  // no empty line after an exactly full one
  model.Feed(std::string(81, 'y'));
  EXPECT_EQ(model.cursor_row(), 3);
  EXPECT_EQ(model.cursor_column(), 1);
  EXPECT_EQ(model.RowText(3), "y");
}

TEST(TerminalModel, ScrollsAtRow25) {
  TerminalModel model;
  for (int i = 1; i <= 30; ++i) model.Feed("line " + std::to_string(i) + "\r\n");
  EXPECT_EQ(model.cursor_row(), 25);
  EXPECT_EQ(model.RowText(1), "line 7");
  EXPECT_EQ(model.RowText(24), "line 30");
  EXPECT_EQ(model.RowText(25), "");
}

TEST(TerminalModel, ClearScreenHomesAndEraseLineKeepsTheCursor) {
  TerminalModel model;
  model.Feed("\x1b[44mhello world\x1b[6D\x1b[K");
  EXPECT_EQ(model.RowText(1), "hello");
  EXPECT_EQ(model.cursor_column(), 5);
  EXPECT_EQ(model.CellAt(0, 7).attribute >> 4, 1);  // erased in the current background
  model.Feed("\r\n\r\nx\x1b[2J");
  EXPECT_EQ(model.RowText(1), "");
  EXPECT_EQ(model.RowText(3), "");
  EXPECT_EQ(model.cursor_row(), 1);
  EXPECT_EQ(model.cursor_column(), 0);
}

TEST(TerminalModel, ColoursFollowTheIbmOrderWithBoldAsBright) {
  TerminalModel model;
  EXPECT_EQ(model.foreground(), 7);
  EXPECT_EQ(model.background(), 0);
  model.Feed("\x1b[1;33m\x1b[44mX");
  EXPECT_EQ(model.foreground(), 14);  // yellow
  EXPECT_EQ(model.background(), 1);   // blue
  EXPECT_EQ(model.CellAt(0, 0).attribute, 0x1E);
  model.Feed("\x1b[0;31m");
  EXPECT_EQ(model.foreground(), 4);  // red, bold gone
  EXPECT_EQ(model.background(), 0);  // SGR 0 resets the background as well
  model.Feed("\x1b[46m\x1b[1;32m");
  EXPECT_EQ(model.foreground(), 10);
  EXPECT_EQ(model.background(), 3);  // SGR 1 alone leaves the background
  model.Feed("\x1b[m");
  EXPECT_EQ(model.foreground(), 7);
  model.Feed("\x1b[5;35;42mZ");
  EXPECT_TRUE(model.blink());
  EXPECT_EQ(model.CellAt(0, 1).attribute, 0x80 | 0x20 | 5);
}

TEST(TerminalModel, SavesAndRestoresTheCursor) {
  TerminalModel model;
  model.Feed("\x1b[5;10H\x1b[s\x1b[20;1Habc\x1b[u");
  EXPECT_EQ(model.cursor_row(), 5);
  EXPECT_EQ(model.cursor_column(), 9);
  model.Feed(
      "\x1b[1;1H\x1b"
      "7\x1b[3;3H\x1b"
      "8");
  EXPECT_EQ(model.cursor_row(), 1);
  EXPECT_EQ(model.cursor_column(), 0);
}

TEST(TerminalModel, MovesAreClampedToTheScreen) {
  TerminalModel model;
  model.Feed("\x1b[99999999999999999999A\x1b[999;999H");
  EXPECT_EQ(model.cursor_row(), 25);
  EXPECT_EQ(model.cursor_column(), 79);
  model.Feed("\x1b[255D");
  EXPECT_EQ(model.cursor_column(), 0);
  model.Feed("\x1b[0;0H");
  EXPECT_EQ(model.cursor_row(), 1);
  model.Feed("\x1b[3B\x1b[4C");
  EXPECT_EQ(model.cursor_row(), 4);
  EXPECT_EQ(model.cursor_column(), 4);
}

TEST(TerminalModel, ControlCharactersWithoutMeaningShowAsGlyphs) {
  TerminalModel model;
  model.Feed(std::string("\x01\x02\x7f\xdb", 4));
  EXPECT_EQ(model.RowText(1), std::string("\x01\x02\x7f\xdb", 4));
  model.Feed(std::string("\0\a", 2));
  EXPECT_EQ(model.cursor_column(), 4);
  EXPECT_EQ(model.bells(), 1u);
}

TEST(TerminalModel, UnknownAndMalformedSequencesAreSwallowed) {
  TerminalModel model;
  model.Feed("\x1b[?25l\x1b[6n\x1b(B\x1b[1;2;3;4;5;6;7;8;9;10;11;12;13;14;15;16;17;18mok");
  EXPECT_EQ(model.RowText(1), "ok");
  // A control character inside a sequence ends it and takes effect.
  model.Feed("\x1b[12\rX");
  EXPECT_EQ(model.RowText(1), "Xk");
}

TEST(TerminalModel, SurvivesRandomBytes) {
  TerminalModel model;
  std::mt19937 random(42);
  std::string junk(1 << 20, '\0');
  for (char& c : junk) c = static_cast<char>(random() & 0xFF);
  // Sequences with absurd parameters, sprinkled in.
  for (size_t i = 0; i + 8 < junk.size(); i += 4096) junk.replace(i, 8, "\x1b[99999;");
  model.Feed(junk);
  EXPECT_GE(model.cursor_row(), 1);
  EXPECT_LE(model.cursor_row(), 25);
  EXPECT_GE(model.cursor_column(), 0);
  EXPECT_LE(model.cursor_column(), 79);
  EXPECT_LE(model.foreground(), 15);
  EXPECT_LE(model.background(), 7);
}

TEST(TerminalModel, InsertAndDeleteKeepTheRowWidth) {
  TerminalModel model;
  model.Feed("abcdef\x1b[1;2H\x1b[2P");
  EXPECT_EQ(model.RowText(1), "adef");
  model.Feed("\x1b[3@");
  EXPECT_EQ(model.RowText(1), "a   def");
  model.Feed("\x1b[999@");
  EXPECT_EQ(model.RowText(1), "a");
  model.Feed("\r\n2\r\n3\x1b[1;1H\x1b[M");
  EXPECT_EQ(model.RowText(1), "2");
  model.Feed("\x1b[L");
  EXPECT_EQ(model.RowText(1), "");
  EXPECT_EQ(model.RowText(2), "2");
}

TEST(TerminalModel, ReportsChanges) {
  TerminalModel model;
  int changes = 0;
  model.SetChangeHandler([&] { ++changes; });
  const uint64_t before = model.version();
  model.Feed("x");
  model.Feed("");
  EXPECT_EQ(changes, 1);
  EXPECT_GT(model.version(), before);
}

}  // namespace
}  // namespace vx::comm
