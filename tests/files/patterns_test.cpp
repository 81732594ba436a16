// The small rules of the file base: name patterns, short names, the listing codes and the
// description rows, the search options, dates typed by the caller, area numbers of FILES.VX.
#include <gtest/gtest.h>

#include "core/dos_date.h"
#include "files/file_access.h"
#include "files/file_listings.h"
#include "files/listing_line.h"
#include "files/name_match.h"
#include "files/short_name.h"
#include "terminal/user_date.h"

namespace vx::files {
namespace {

TEST(MatchFileName, Patterns) {
  struct Case {
    const char* pattern;
    const char* name;
    bool match;
  };
  const Case cases[] = {
      {"*.*", "README.TXT", true},
      {"*.*", "README", true},
      {"*", "README", true},
      {"*", "README.TXT", false},
      {"*.TXT", "TIDES.TXT", true},
      {"*.TXT", "TIDES.TX", true},
      {"*.TXT", "README", false},
      {"BEACON*.*", "BEACON~1.SH", true},
      {"BEACON*.*", "BEACO.SH", false},
      {"?????.TXT", "TIDES.TXT", true},
      {"????.TXT", "TIDES.TXT", false},
      {"TIDES?TXT", "TIDES.TXT", false},  // "?" never takes the dot
      {"T*.T?T", "TIDES.TXT", true},
      {"t*.txt", "TIDES.TXT", true},
      {"TIDES.TXT", "tides.txt", true},
      {"README.*", "README", true},
      {"README.?", "README", false},  // ".?" needs a dot in the name
      {".?", "README", false},
      {"A.", "A", true},
      {"A.", "A.TXT", false},
      {"**", "README", true},
      {"**", "README.TXT", false},
      {"", "README", false},
      {"*.*", "", true},
      {"ABCDEFGHIJKL", "ABC", true},
      {"A", "AB", false},
      {"AB", "A", true},  // pattern characters left over are not looked at (nor above)
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MatchFileName(c.pattern, c.name), c.match) << c.pattern << " against " << c.name;
  }
}

TEST(ShortNames, ValidNamesAndAliases) {
  EXPECT_TRUE(IsShortName("README.TXT"));
  EXPECT_TRUE(IsShortName("readme"));
  EXPECT_TRUE(IsShortName("A~1.B"));
  EXPECT_FALSE(IsShortName(""));
  EXPECT_FALSE(IsShortName(".TXT"));
  EXPECT_FALSE(IsShortName(".."));
  EXPECT_FALSE(IsShortName("NINECHARS.TXT"));
  EXPECT_FALSE(IsShortName("A.TEXT"));
  EXPECT_FALSE(IsShortName("A.B.C"));
  EXPECT_FALSE(IsShortName("..\\CONFIG.VX"));
  EXPECT_FALSE(IsShortName("A B.TXT"));
  EXPECT_FALSE(IsShortName("A\x1b.TXT"));
  EXPECT_EQ(ShortFileName("beacon-check.sh", {}), "BEACON~1.SH");
  EXPECT_EQ(ShortFileName("beacon-check.sh", {"BEACON~1.SH"}), "BEACON~2.SH");
  EXPECT_EQ(ShortFileName("readme.txt", {}), "README.TXT");
  EXPECT_EQ(ShortFileName("README.TXT", {"README.TXT"}), "README~1.TXT");
  EXPECT_EQ(ShortFileName("archive.tar.gz", {}), "ARCHIV~1.GZ");
  EXPECT_EQ(ShortFileName("+++.text", {}), "FILE~1.TEX");
  EXPECT_EQ(BareFileName("C:\\UP\\a.zip"), "a.zip");
  EXPECT_EQ(BareFileName("up/b.zip"), "b.zip");
  EXPECT_EQ(BareFileName("c.zip"), "c.zip");
}

FileHeaderRecord Tides() {
  FileHeaderRecord h;
  h.name = "TIDES.TXT";
  h.size = 1234567;
  h.uploader = "@UL^UL%UL";
  h.upload_date = core::PackDate("12-05-26");
  h.file_date = 0;  // no date: shown as 01-01-1980 is what the date reader gives
  h.last_download = core::PackDate("13-45-26");
  h.times_downloaded = 12345;
  return h;
}

TEST(ListingCodes, OnePassAndEveryCode) {
  ListingSettings s;
  s.date_format = 2;
  s.last_call = core::CalendarDate{2026, 12, 5};
  const FileHeaderRecord h = Tides();
  EXPECT_EQ(ExpandListingCodes("@NE|%NE|^NN|@SB|@SK|@TD|@NW", h, s),
            "TIDES.TXT   |tides.txt   |TIDES    |1234567|1205|12345|*");
  // A value is never read for codes again.
  EXPECT_EQ(ExpandListingCodes("@UL", h, s), "@UL^UL%UL" + std::string(26, ' '));
  EXPECT_EQ(ExpandListingCodes("%UL", h, s), "@ul^ul%ul" + std::string(26, ' '));
  // Dates, and packed values that are no dates.
  EXPECT_EQ(ExpandListingCodes("@UD @FD @LD", h, s), "12-05-26 01-01-1980 01-01-1980");
  // Unknown or lower-case letters, a code cut short, doubled prefixes, the empty format.
  EXPECT_EQ(ExpandListingCodes("@XX @ne @N", h, s), "@XX @ne @N");
  EXPECT_EQ(ExpandListingCodes("@@NE@", h, s), "@TIDES.TXT   @");
  EXPECT_EQ(ExpandListingCodes("", h, s), "");
  EXPECT_EQ(ExpandListingCodes("@", h, s), "@");
  // A long name is cut to its field; a day after the last call is not new, the same day is.
  FileHeaderRecord long_name = h;
  long_name.name = "ABCDEFGHIJKLMN";
  long_name.upload_date = core::PackDate("12-04-26");
  EXPECT_EQ(ExpandListingCodes("@NE|@NN|@NW", long_name, s), "ABCDEFGHIJKL|ABCDEFGHI| ");
  s.last_call.reset();
  EXPECT_EQ(ExpandListingCodes("@NW", h, s), " ");

  EXPECT_EQ(FormOf("@NE @DF"), DescriptionForm::kBeside);
  EXPECT_EQ(FormOf("@NE @df"), DescriptionForm::kBeside);
  EXPECT_EQ(FormOf("@@DF"), DescriptionForm::kBeside);
  EXPECT_EQ(FormOf("@NE @Du"), DescriptionForm::kBelow);
  EXPECT_EQ(FormOf("@NE %DF"), DescriptionForm::kNone);
  EXPECT_EQ(FormOf("@DF "), DescriptionForm::kNone);
  EXPECT_EQ(FormOf("DF"), DescriptionForm::kNone);
  EXPECT_EQ(FormOf(""), DescriptionForm::kNone);
}

TEST(ListingCodes, DescriptionRows) {
  using Rows = std::vector<std::string>;
  EXPECT_EQ(DescriptionRows("", 20), Rows{});
  EXPECT_EQ(DescriptionRows("\r\n\r\n", 20), Rows{});
  EXPECT_EQ(DescriptionRows("one two three four", 9), (Rows{"one two", "three", "four"}));
  EXPECT_EQ(DescriptionRows("one two three", 7), (Rows{"one two", "three"}));
  // A word longer than a row is cut; own line ends stay, in any form; an empty line stays.
  EXPECT_EQ(DescriptionRows("abcdefghijkl mn", 5), (Rows{"abcde", "fghij", "kl mn"}));
  EXPECT_EQ(DescriptionRows("a\rb\nc\r\n\r\nd\r\n", 5), (Rows{"a", "b", "c", "", "d"}));
  // Blanks where a line is broken go; control characters never reach a row.
  EXPECT_EQ(DescriptionRows("one   two\x1b[2J", 4), (Rows{"one", "two[", "2J"}));
  EXPECT_EQ(DescriptionRows("x", 0), (Rows{"x"}));
}

TEST(SearchOptions, AreaAndGroup) {
  SearchScope s = ParseSearchScope("", 4, 2);
  EXPECT_FALSE(s.tagging);
  EXPECT_FALSE(s.one_area);
  EXPECT_EQ(s.group, 0u);
  s = ParseSearchScope("/t /f", 4, 2);
  EXPECT_TRUE(s.tagging);
  EXPECT_TRUE(s.one_area);
  EXPECT_EQ(s.area, 4u);
  EXPECT_EQ(s.group, 0u);
  s = ParseSearchScope("/F=12 /FG", 4, 2);
  EXPECT_EQ(s.area, 12u);
  EXPECT_EQ(s.group, 2u);
  s = ParseSearchScope("/FG=7", 4, 2);
  EXPECT_FALSE(s.one_area);
  EXPECT_EQ(s.group, 7u);
  EXPECT_TRUE(s.problem.empty());
  for (const char* bad : {"/F=abc", "/F=", "/F=70000", "/FG=x1", "/F=-1"}) {
    EXPECT_FALSE(ParseSearchScope(bad, 4, 2).problem.empty()) << bad;
  }
}

TEST(TypedDates, InTheCallersFormat) {
  using core::CalendarDate;
  EXPECT_EQ(terminal::ParseUserDate("12-05-26", 2), (CalendarDate{2026, 12, 5}));
  EXPECT_EQ(terminal::ParseUserDate("12/05/26", 0), (CalendarDate{2026, 12, 5}));
  EXPECT_EQ(terminal::ParseUserDate("05-12-26", 1), (CalendarDate{2026, 12, 5}));
  EXPECT_EQ(terminal::ParseUserDate("26-12-05", 3), (CalendarDate{2026, 12, 5}));
  EXPECT_EQ(terminal::ParseUserDate("05-dec-26", 4), (CalendarDate{2026, 12, 5}));
  EXPECT_EQ(terminal::ParseUserDate(" 12-05-85 ", 2), (CalendarDate{1985, 12, 5}));
  EXPECT_EQ(terminal::ParseUserDate("02-29-28", 2), (CalendarDate{2028, 2, 29}));
  for (const char* bad : {"02-30-27", "02-29-27", "13-01-26", "00-10-26", "1-5-26", "12-05-2026",
                          "", "ab-cd-ef", "12-05-2"}) {
    EXPECT_FALSE(terminal::ParseUserDate(bad, 2)) << bad;
  }
  EXPECT_FALSE(terminal::ParseUserDate("05-Dez-26", 4));
  EXPECT_EQ(terminal::TypedDateFormat(0), 2);
  EXPECT_EQ(terminal::TypedDateFormat(9), 2);
  EXPECT_EQ(terminal::TypedDateFormat(4), 4);
  // Packed dates as calendar dates.
  EXPECT_EQ(core::UnpackCalendarDate(core::PackDate("12-05-26")), (CalendarDate{2026, 12, 5}));
  EXPECT_FALSE(core::UnpackCalendarDate(0));
  EXPECT_FALSE(core::UnpackCalendarDate(0x5DA00000));  // month 13
  EXPECT_FALSE(core::UnpackCalendarDate(0x5C5E0000));  // 30 February 2026
  EXPECT_LT((CalendarDate{2026, 11, 30}), (CalendarDate{2026, 12, 1}));
}

TEST(AreaNumbers, FromTheIndex) {
  // FILES.VDX: area 1 -> record 2, area 2 -> none, area 3 -> record 1, area 4 -> record 2 again,
  // area 5 -> record 9 (past the end).
  EXPECT_EQ(FileAreaNumbers({2, 0, 1, 2, 9}, 3), (std::vector<uint32_t>{3, 1, 0}));
  EXPECT_EQ(FileAreaNumbers({}, 2), (std::vector<uint32_t>{0, 0}));

  core::FileAreaRecord area;
  area.name = "Charts";
  area.group = 2;
  area.further_groups = {0, 0, 5, 0};
  EXPECT_TRUE(AreaInFileGroup(area, 0));
  EXPECT_TRUE(AreaInFileGroup(area, 2));
  EXPECT_TRUE(AreaInFileGroup(area, 5));
  EXPECT_FALSE(AreaInFileGroup(area, 3));
  area.all_groups = 1;
  EXPECT_TRUE(AreaInFileGroup(area, 3));

  core::UserRecord user;
  user.security = 10;
  user.flags[0] = "10000000";  // flag A1
  area.security = 10;
  area.flags = {0x01, 0, 0, 0};
  EXPECT_TRUE(MaySeeFileArea(area, user));
  area.not_flags = {0, 0x80, 0, 0};
  user.flags[1] = "00000001";  // flag B8 is forbidden
  EXPECT_FALSE(MaySeeFileArea(area, user));
  user.flags[1] = "00000000";
  area.security = 11;
  EXPECT_FALSE(MaySeeFileArea(area, user));
  area.security = 0;
  area.name = "  ";
  EXPECT_FALSE(MaySeeFileArea(area, user));
}

}  // namespace
}  // namespace vx::files
