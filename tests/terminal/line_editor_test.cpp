// The line editor: entering lines with the word carried over, and each of its nine commands.
#include "terminal/line_editor.h"

#include <gtest/gtest.h>

#include "terminal_fixture.h"

namespace vx::terminal::testing {
namespace {

class LineEditorTest : public TerminalTest {
 protected:
  LineEditorTest() {
    language.Set(58, "Please enter a number in the range", 0x0C);
    language.Set(271, "There are no lines yet.", 0x0C);
    for (int entry : {272, 273, 274, 276, 277}) language.Set(entry, "Line", 0x0E);
    language.Set(278, "The line reads: ", 0x07);
    language.Set(279, "Find: ", 0x0E);
    language.Set(280, "Replace with: ", 0x0E);
    language.Set(283, "Enter up to ", 0x0C);
    language.Set(284, " lines", 0x0C);
    language.Set(285, " characters each.", 0x0C);
    const char* commands[] = {"(D)elete", "(R)etype", "(F)ind", "(I)nsert", "(H)elp",
                              "(C)ontinue", "(L)ist", "(S)ave", "(A)bort"};
    for (int i = 0; i < 9; ++i) language.Set(288 + i, commands[i], 0x0E);
    language.Set(297, "Your choice: ", 0x0F);
    language.Set(298, "Throw it away? N", 0x0E);
    user.attribute = "01000000";  // no page pauses: the keys below are the editor's
  }
  std::string Edit(int max_lines = 20) { return LineEditor(terminal).EditLines(max_lines); }
};

TEST_F(LineEditorTest, LinesKeepTheirEndsAndAnEmptyLineEndsTheEntry) {
  Type("Hello\rthere\r\rS");
  EXPECT_EQ(Edit(), "Hello\r\nthere\r\n");
  EXPECT_NE(line.sent().find("Enter up to 20 lines, 70 characters each."), std::string::npos);
  EXPECT_NE(line.sent().find("    (" + std::string(70, '-') + ") "), std::string::npos);
}

TEST_F(LineEditorTest, AWordTypedPastTheEndIsCarriedOnceToTheNextLine) {
  Type(std::string(66, 'a') + " wordy end\r\rS");
  const std::string text = Edit();
  EXPECT_EQ(text, std::string(66, 'a') + " wordy end\r\n");
  // A 75-character word with no blank fills its line and goes on in the next.
  Type(std::string(75, 'b') + "\r\rS");
  EXPECT_EQ(Edit(), std::string(75, 'b') + "\r\n");
}

TEST_F(LineEditorTest, TheLastLineTakesNoWordAlong) {
  Type(std::string(66, 'c') + " dddd" + "\rS");
  EXPECT_EQ(Edit(1), std::string(66, 'c') + " ddd\r\n") << "the line is full; the key past it is refused";
}

TEST_F(LineEditorTest, DeleteRetypeFindInsertListContinue) {
  Type("one\rtwo\rthree\rfour\r\r");
  Type("D2\r3\r");        // delete lines 2 to 3
  Type("R1\rONE\r");      // retype line 1
  Type("F2\rour\rive\r");  // line 2 "four" -> "five"
  Type("I2\rmiddle\r");   // insert before line 2
  Type("L");
  Type("Csix\r\r");       // continue after the last line
  Type("S");
  EXPECT_EQ(Edit(), "ONE\r\nmiddle\r\nfive\r\nsix\r\n");
  EXPECT_NE(line.sent().find("The line reads: four"), std::string::npos);
}

TEST_F(LineEditorTest, LineNumbersOutsideTheRangeAreAskedAgain) {
  Type("only\r\r");
  Type("Dabc\r0\r99999999999\r1\r1\r");
  Type("S");
  EXPECT_EQ(Edit(), "");
  size_t refusals = 0;
  for (size_t at = line.sent().find("range 1-1"); at != std::string::npos;
       at = line.sent().find("range 1-1", at + 1)) {
    ++refusals;
  }
  EXPECT_EQ(refusals, 3u);
}

TEST_F(LineEditorTest, CommandsWithoutLinesAndAFullTableAndAnEmptySearch) {
  Type("\rD");  // nothing entered
  Type("Ione\rtwo\r\r");
  Type("Cone\rtwo\r");
  Type("I");  // the table of two lines is full
  Type("F1\r\rX\r");
  Type("S");
  EXPECT_EQ(Edit(2), "one\r\ntwo\r\n");
  EXPECT_NE(line.sent().find("There are no lines yet."), std::string::npos);
}

TEST_F(LineEditorTest, AbandoningAsksFirst) {
  Type("keep me\r\rAnS");
  EXPECT_EQ(Edit(), "keep me\r\n");
  Type("drop me\r\rAy");
  EXPECT_EQ(Edit(), "");
}

TEST_F(LineEditorTest, WorksWithAutoAcceptLeftSetByTheMenu) {
  terminal.input().auto_accept = true;
  Type("x\ry\r\rS");
  EXPECT_EQ(Edit(), "x\r\ny\r\n");
  EXPECT_TRUE(terminal.input().auto_accept);
  EXPECT_FALSE(terminal.input().word_wrap);
  EXPECT_EQ(terminal.input().carried_text, "");
}

TEST(LineEditorKeys, TheMarkedCharacterIsTheKey) {
  EXPECT_EQ(LineEditor::CommandKey("(D)elete"), 'D');
  EXPECT_EQ(LineEditor::CommandKey("\x0b[0E(s)ave"), 'S');
  EXPECT_EQ(LineEditor::CommandKey("Q Quit\xff"), 'Q');
  EXPECT_EQ(LineEditor::CommandLabel("Q Quit\xff"), "Quit");
  EXPECT_EQ(LineEditor::CommandKey("list"), 'L');
  EXPECT_EQ(LineEditor::CommandKey(""), '\0');
}

}  // namespace
}  // namespace vx::terminal::testing
