// The ^K and ^F display codes, their fields, and the text helpers behind them.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "terminal/user_date.h"
#include "terminal_fixture.h"

namespace vx::terminal::testing {
namespace {

class Figures : public CodeValues {
 public:
  long TotalCalls() const override { return total_calls; }
  std::string LastCallerName() const override { return "Ann\x0b!secret|Lee"; }
  long MinutesLeft() const override { return 45; }
  long DailyDownloadLimit() const override { return 500; }
  long NodeNumber() const override { return 3; }
  long total_calls = 12345;
};

class ControlCodesTest : public TerminalTest {
 protected:
  ControlCodesTest() { terminal.SetCodeValues(&figures); }
  std::string Expand(std::string_view text) { return terminal.ExpandControlCodes(text); }
  Figures figures;
};

TEST_F(ControlCodesTest, FieldsCutAndPadTheirValues) {
  EXPECT_EQ(Expand("\x0b...A"), "123");
  figures.total_calls = 7;
  EXPECT_EQ(Expand("\x0b...A"), "  7");
  EXPECT_EQ(Expand("[\x0b"
                   "A]"),
            "[7]");
  user.name = "Frederick Smith";
  EXPECT_EQ(Expand("<\x06....A>"), "<Fred>");
  user.name = "Al";
  EXPECT_EQ(Expand("<\x06....A>"), "<Al  >");
}

TEST_F(ControlCodesTest, LowerCaseLettersAreTheirUpperCaseCodes) {
  EXPECT_EQ(Expand("\x0b"
                   "a/\x0b"
                   "w/\x06"
                   "o"),
            "12345/3/0");
  user.security = 20;
  EXPECT_EQ(Expand("\x06"
                   "o \x06..o"),
            "20 20");
}

TEST_F(ControlCodesTest, UnknownCodesAndDotsWithoutALetterStay) {
  EXPECT_EQ(Expand("\x0b!FILE|"), "\x0b!FILE|");
  EXPECT_EQ(Expand("\x0b[1E"), "\x0b[1E");
  EXPECT_EQ(Expand("x\x0b..."), "x\x0b...");
  EXPECT_EQ(Expand("\x06~\x0b"
                   "A"),
            "\x06~12345");
  EXPECT_EQ(Expand("\x0bX\x0bL\x0bN\x0bP"), "000");
}

TEST_F(ControlCodesTest, CallerTextsCarryNoControlCharacters) {
  EXPECT_EQ(Expand("\x0b"
                   "B"),
            "Ann!secret|Lee");
  user.location =
      "\x06"
      "A\x0b"
      "A";
  EXPECT_EQ(Expand("\x06"
                   "B"),
            "AA");
}

TEST_F(ControlCodesTest, ValuesAreNeverExpandedAgain) {
  // A language text that names its own code would make a naive expansion run for ever; the codes
  // in an inserted value go, and never reach the caller as raw control characters.
  language.Set(117,
               "\x06"
               "Z\x06"
               "Z",
               0);
  user.attribute = "00000000";
  const std::string once = Expand(
      "\x06"
      "Z\x06"
      "Z");
  EXPECT_EQ(once, "ZZZZ");
  // A ^K value may hold ^F codes; those are expanded, as the ^F pass comes second.
  language.Set(250,
               "\x06"
               "O",
               0);
  clock.SetWall(std::chrono::system_clock::from_time_t(0) + std::chrono::hours(24 * 3));  // Sunday
  user.security = 5;
  EXPECT_EQ(Expand("\x0bG"), "5");
}

TEST_F(ControlCodesTest, FlagsAndOnOffTexts) {
  language.Set(116, "On", 0x0A);
  language.Set(117, "Off", 0);
  user.attribute = "00110001";
  user.flags[1] = "10000001";
  EXPECT_EQ(Expand("\x06"
                   "X|\x06"
                   "Y|\x06"
                   "Z|\x06"
                   "1"),
            "\x0b[0AOn|\x0b[0AOn|Off|\x0b[0AOn");
  EXPECT_EQ(Expand("\x06I"), "X------X");
  EXPECT_EQ(terminal.FlagText("01", 2), "\x0b[0AOn");
  EXPECT_EQ(terminal.FlagText("01", 9), "Off");
  user.forward_to = "  ";
  language.Set(488, "nobody", 0x07);
  EXPECT_EQ(Expand("\x06=\x06>"), "Off\x0b[07nobody");
}

TEST_F(ControlCodesTest, DatesFollowTheCallersFormat) {
  user.last_date = "12-06-26";
  user.date_format = 1;
  EXPECT_EQ(Expand("\x06"
                   "F"),
            "06-12-26");
  user.date_format = 2;
  EXPECT_EQ(Expand("\x06"
                   "F"),
            "12-06-26");
  user.date_format = 3;
  EXPECT_EQ(Expand("\x06"
                   "F"),
            "26-12-06");
  user.date_format = 4;
  EXPECT_EQ(Expand("\x06"
                   "F"),
            "06-Dec-26");
  EXPECT_EQ(FormatUserDate("12-06-2026", 0), "12-06-26");
  EXPECT_EQ(FormatUserDate("13-45-99", 1), "01-01-1980");
  EXPECT_EQ(FormatUserDate("", 1), "01-01-1980");
  clock.SetWall(std::chrono::system_clock::from_time_t(1780000000));  // 2026-05-28 20:26:40 UTC
  user.date_format = 1;
  EXPECT_EQ(Expand("\x0bJ \x0bI"), "28-05-26 20:26");
}

TEST_F(ControlCodesTest, FiguresReadFromFiles) {
  config.msgbase_path = dir.string() + "/";
  std::ofstream(dir / "USERS.BBS", std::ios::binary) << std::string(3 * 1016 + 10, '\0');
  std::ofstream(dir / "LASTCALL.BBS", std::ios::binary) << std::string(2 * 118, '\0');
  EXPECT_EQ(Expand("\x0bH/\x0b$"), "3/2");
  config.msgbase_path = dir.string() + "/missing/";
  EXPECT_EQ(Expand("\x0bH"), "0");
}

TEST_F(ControlCodesTest, RemainingKilobytesAndRatios) {
  user.today_k = 120;
  EXPECT_EQ(Expand("\x06["), "380");
  user.uploads_k = 0;
  EXPECT_EQ(Expand("(\x06@)"), "()");
  user.uploads_k = 4;
  user.downloads_k = 10;
  EXPECT_EQ(Expand("\x06@"), "2.5");
  user.downloads_k = 8;
  EXPECT_EQ(Expand("\x06@"), "2");
}

TEST_F(ControlCodesTest, PositionedDisplayDropsTheReturnSequence) {
  EXPECT_EQ(Expand("a\x1b[255Db"), "a\x1b[255Db");
  terminal.output().positioned_display = true;
  EXPECT_EQ(Expand("a\x1b[255Db"), "ab");
}

TEST(TextHelpers, ReplaceTextFitsTheField) {
  EXPECT_EQ(ReplaceText("Hi @NAME@!", "@name@", "Bob", 1), "Hi Bob!");
  EXPECT_EQ(ReplaceText("[@..N][@..n]", "@..N", "Bobby", 1), "[Bo][Bo]");
  EXPECT_EQ(ReplaceText("[@....N]", "@....N", "7", 2), "[   7]");
  EXPECT_EQ(ReplaceText("[@....N]", "@....N", "7", 3), "[7]");
  EXPECT_EQ(ReplaceText("aaa", "a", "aa", 0), "aaaaaa");
  EXPECT_EQ(ReplaceText("abc", "", "x", 0), "abc");
  EXPECT_EQ(PadText("abcdef", 3, 0), "abc");
  EXPECT_EQ(PadText("ab", 4, 0), "ab  ");
  EXPECT_EQ(PadText("ab", 4, 1), "  ab");
  EXPECT_EQ(PadText("ab", 0, 1), "");
}

TEST(TextHelpers, PromptColorCodeIsTwoUpperCaseHexDigits) {
  core::LanguageTable table;
  table.Set(5, "x", 0xAB);
  table.Set(6, "y", 0);
  EXPECT_EQ(PromptColorCode(table, 5), "\x0b[AB");
  EXPECT_EQ(PromptColorCode(table, 6), "");
}

}  // namespace
}  // namespace vx::terminal::testing
