// Values inserted into texts (language entries, area and language names) bring no control
// characters to the caller: their colour codes become colour sequences, are never cut in half by
// a field or the three-letter weekday, and everything else of theirs below 32 goes.
#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "terminal_fixture.h"

namespace vx::terminal::testing {
namespace {

class AreaNames : public CodeValues {
 public:
  std::string MessageAreaName() const override { return "Harbour\x0c\x1b[2J talk\x01\x07"; }
  std::string FileAreaName() const override { return "\x0b[0EFiles\x0b!X|"; }
};

class InsertedValuesTest : public TerminalTest {
 protected:
  InsertedValuesTest() { terminal.SetCodeValues(&areas); }
  std::string Expand(std::string_view text) { return terminal.ExpandControlCodes(text); }
  // Noon of a day in the first week of 1970, `weekday` 0 being Sunday (4 January).
  void SetWeekday(int weekday) {
    clock.SetWall(std::chrono::system_clock::from_time_t(0) +
                  std::chrono::hours(24 * (3 + weekday) + 12));
  }
  AreaNames areas;
};

TEST(ValueText, CleanSliceAndFit) {
  EXPECT_EQ(CleanValue("a\x01"
                       "b\x1b[1;31mc\x0b[0Ed\x0b[0Gxe\x0b"),
            "abc\x0b[0Ed[0Gxe");
  EXPECT_EQ(CleanValue("\x0b\x0b[1e"), "\x0b[1e");  // a stray ^K before a code goes alone
  const std::string weekday = "\x0b[0BWed\x0b[0Cnesday";
  EXPECT_EQ(ValueLength(weekday), 9u);
  EXPECT_EQ(SliceValue(weekday, 0, 3), "\x0b[0BWed");         // the code after the cut goes
  EXPECT_EQ(SliceValue(weekday, 2, 3), "\x0b[0Bd\x0b[0Cne");  // codes before the slice stay
  EXPECT_EQ(FitValue(weekday, 4, 0), "\x0b[0BWed\x0b[0Cn");
  EXPECT_EQ(FitValue("\x0b[0BAb", 4, 0), "\x0b[0BAb  ");
  EXPECT_EQ(FitValue("\x0b[0BAb", 4, 1), "  \x0b[0BAb");
  EXPECT_EQ(FitValue("Ab", 0, 0), "");
}

TEST_F(InsertedValuesTest, WeekdaysWithAColourCodeInTheirTextKeepItWhole) {
  // As an older vxcfg wrote them: colour 0 and the colour as a code in front of the name.
  language.Set(253, "\x0b[0BWednesday", 0);
  language.Set(255, "Friday", 0x0E);
  SetWeekday(3);
  EXPECT_EQ(Expand("\x0bS"), "\x0b[0BWed");
  EXPECT_EQ(Expand("\x0b..S|"), "\x0b[0BWe|");
  EXPECT_EQ(Expand("\x0b"
                   "............G|"),
            "\x0b[0BWednesday   |");
  EXPECT_EQ(Expand("\x0b.G|"), "\x0b[0BW|");
  SetWeekday(5);
  EXPECT_EQ(Expand("\x0bS|\x0bG"), "\x0b[0EFri|\x0b[0EFriday");
  EXPECT_EQ(Expand("\x0b"
                   "..G|"),
            "\x0b[0EFr|");
}

TEST_F(InsertedValuesTest, OtherControlCharactersOfValuesGo) {
  language.Set(116, "\x0b[0AOn\x07", 0);
  language.Set(488, "no\x0b!FILE|body", 0x07);
  language.Set(478, "YY\x01-MM-DD", 0x0B);
  user.attribute = "00010000";
  user.date_format = 3;
  EXPECT_EQ(Expand("\x06X"), "\x0b[0AOn");
  EXPECT_EQ(Expand("\x06>"), "\x0b[07no!FILE|body");
  EXPECT_EQ(Expand("\x06<"), "\x0b[0BYY-MM-DD");
  EXPECT_EQ(Expand("\x0bY|\x0bZ"), "Harbour talk|\x0b[0EFiles!X|");
  EXPECT_EQ(Expand("\x0b"
                   "....Z"),
            "\x0b[0EFile");
  EXPECT_EQ(terminal.FlagText("0001", 4), "\x0b[0AOn");
}

TEST_F(InsertedValuesTest, YesAndNoWordsWithColourCodesAnswerAndShowCleanly) {
  // The key is the first letter of the word, a colour code in front of it notwithstanding.
  language.Set(0, "\x0b[0FY Yes\xff", 0);
  language.Set(1, "N \x0b[0CNo\x07\xff", 0);
  language.Set(471, "\x01/", 0);
  language.Set(40, "Look for mail? Y", 0x0E);
  Type("n");
  EXPECT_EQ(terminal.AskChoice(40), 2);
  const std::string sent = line.TakeSent();
  EXPECT_NE(sent.find("[Y/n]? "), std::string::npos) << sent;
  EXPECT_EQ(sent.find('\x01'), std::string::npos);
  EXPECT_EQ(sent.find('\x07'), std::string::npos);
  EXPECT_EQ(sent.find('\x0b'), std::string::npos);
  EXPECT_NE(sent.find("\x1b[1;31m\x1b[40mNo"), std::string::npos) << sent;
}

TEST_F(InsertedValuesTest, DisplayFileWithWeekdaysSendsOnlyColourSequencesBelow32) {
  std::ofstream(dir / "DAY.ANS", std::ios::binary)
      << "\x1b[1;36m\x0bG \x0bS \x0b..........G|\x0b..S|\x06<";
  static const char* const kNames[7] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                        "Thursday", "Friday", "Saturday"};
  for (int day = 0; day < 7; ++day) {
    // Some names carry their colour as a code, the way older compiled files do.
    const std::string name = kNames[day];
    language.Set(250 + day, day % 2 ? "\x0b[0E" + name : name, day % 2 ? 0 : 0x1B);
  }
  language.Set(478, "\x0b[0AYY-MM-DD", 0);
  user.date_format = 3;
  for (int day = 0; day < 7; ++day) {
    SetWeekday(day);
    line.TakeSent();
    terminal.ShowFile((dir / "DAY").string());
    const std::string sent = line.TakeSent();
    std::string visible;
    for (size_t i = 0; i < sent.size(); ++i) {
      const auto c = static_cast<unsigned char>(sent[i]);
      if (c == 0x1b) {
        // Only colour sequences: ESC "[" digits and semicolons, "m".
        size_t end = i + 1;
        ASSERT_LT(end, sent.size());
        ASSERT_EQ(sent[end], '[') << "day " << day;
        ++end;
        while (end < sent.size() &&
               (std::isdigit(static_cast<unsigned char>(sent[end])) || sent[end] == ';')) {
          ++end;
        }
        ASSERT_LT(end, sent.size());
        ASSERT_EQ(sent[end], 'm') << "day " << day;
        i = end;
      } else {
        ASSERT_GE(c, 32) << "day " << day << ": byte " << static_cast<int>(c) << " in " << sent;
        visible += sent[i];
      }
    }
    const std::string name = kNames[day];
    char field[16];
    std::snprintf(field, sizeof field, "%-10.10s", name.c_str());
    EXPECT_EQ(visible,
              name + " " + name.substr(0, 3) + " " + field + "|" + name.substr(0, 2) + "|YY-MM-DD")
        << "day " << day;
  }
}

}  // namespace
}  // namespace vx::terminal::testing
