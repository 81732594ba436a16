// LANGUAGE.VX records and the compiled language file's reading rule, on hand-made bytes.
#include "core/language.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace vx::core {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(LanguageTable, ReadsEachEntryFromBBytesBeforeItsPosition) {
  // N = 3: P(1) = 11, whose byte 3 starts entry 1 at 8; P(2) = 14, the final byte (3), starts
  // entry 2 at 11. The final byte belongs to no entry.
  Bytes vxl = {0x03, 0x00, 0x00, 0x00, 0x0B, 0x00, 0x0E, 0x00,
               0x0E, 'H', 'i', 0x03, 'Y', 'o', 0x03};
  LanguageTable table;
  LanguageTable::LoadResult result = table.Load(vxl);
  EXPECT_EQ(result.entries_loaded, 2);
  EXPECT_EQ(result.problem, "");
  EXPECT_EQ(table.Text(1), "Hi");
  EXPECT_EQ(table.Colour(1), 0x0E);
  EXPECT_EQ(table.Text(2), "Yo");
  EXPECT_EQ(table.Colour(2), 0x03);
  EXPECT_EQ(table.Text(0), "");  // P(0) = 0 would start before the file
}

TEST(LanguageTable, NEqualsOneLoadsNothing) {
  LanguageTable table;
  table.Set(1, "old", 7);
  EXPECT_EQ(table.Load(Bytes{0x01, 0x00, 0x02, 0x00, 0x00}).entries_loaded, 0);
  EXPECT_EQ(table.Text(1), "old");
}

TEST(LanguageTable, OneByteEntrySetsColourAndEmptyText) {
  // N = 2, P(1) = 7: the final byte, 1, starts entry 1 at 6; the entry is the byte 0x1E alone.
  LanguageTable table;
  table.Set(1, "old", 7);
  table.Load(Bytes{0x02, 0x00, 0x00, 0x00, 0x07, 0x00, 0x1E, 0x01});
  EXPECT_EQ(table.Text(1), "");
  EXPECT_EQ(table.Colour(1), 0x1E);
}

TEST(LanguageTable, EmptyEntryKeepsItsPreviousText) {
  // N = 3: entries 1 and 2 both start at 8 (P = 8 holds 0), so entry 1 is empty.
  LanguageTable table;
  table.Set(1, "kept", 9);
  table.Load(Bytes{0x03, 0x00, 0x00, 0x00, 0x08, 0x00, 0x08, 0x00, 0x00, 'A', 0xFF});
  EXPECT_EQ(table.Text(1), "kept");
  EXPECT_EQ(table.Colour(1), 9);
  EXPECT_EQ(table.Text(2), "A");
}

TEST(LanguageTable, SecondLanguageReplacesOnlyItsOwnEntries) {
  LanguageTable table;
  table.Load(Bytes{0x03, 0x00, 0x00, 0x00, 0x0B, 0x00, 0x0E, 0x00,
                   0x0E, 'H', 'i', 0x03, 'Y', 'o', 0x03});
  // N = 2: only entry 1, "Da" in colour 0 (P(1) = 6 holds 0).
  table.Load(Bytes{0x02, 0x00, 0x00, 0x00, 0x06, 0x00, 0x00, 'D', 'a', 0x00});
  EXPECT_EQ(table.Text(1), "Da");
  EXPECT_EQ(table.Colour(1), 0);
  EXPECT_EQ(table.Text(2), "Yo");
}

TEST(LanguageTable, EntryZeroIsReadWhenItsSpanLiesBehindTheTable) {
  // N = 2: P(0) = 6 holding 0 -> entry 0 = [0x0A 'J'] up to S(1) = 8; entry 1 = [0x00 'N'].
  LanguageTable table;
  table.Load(Bytes{0x02, 0x00, 0x06, 0x00, 0x08, 0x00, 0x00, 'J', 0x00, 'N', 0x00});
  EXPECT_EQ(table.Text(0), "J");
  EXPECT_EQ(table.Text(1), "N");
}

TEST(LanguageTable, SurvivesDamagedFiles) {
  LanguageTable table;
  EXPECT_NE(table.Load(Bytes{}).problem, "");
  EXPECT_NE(table.Load(Bytes{0x05}).problem, "");
  // Positions beyond the end and N far larger than the table.
  EXPECT_NE(table.Load(Bytes{0xFF, 0xFF, 0x10, 0x27, 0xFF, 0x7F}).problem, "");
  // Entries above 700 are ignored, the rest loaded.
  Bytes big(2 + 2 * 800 + 3, 0);
  big[0] = 0x20;  // N = 800
  big[1] = 0x03;
  for (int k = 1; k < 800; ++k) {
    big[2 + 2 * k] = static_cast<uint8_t>((2 + 2 * 800) & 0xFF);
    big[3 + 2 * k] = static_cast<uint8_t>((2 + 2 * 800) >> 8);
  }
  big[2 + 2 * 800] = 0;
  big[2 + 2 * 800 + 1] = 'Z';
  LanguageTable::LoadResult r = table.Load(big);
  EXPECT_NE(r.problem.find("above 700"), std::string::npos);
  EXPECT_EQ(table.Text(701), "");
}

TEST(LanguageList, ParsesRecordsAndSkipsEmptyNames) {
  Bytes file(466 * 2 + 100, 0);  // a remainder of 100 bytes is ignored
  test::PutString(file, 1, "English");
  file[21] = 1;
  test::PutString(file, 23, "ENGLISH");
  test::PutString(file, 84, "C:\\BBS\\MENUS");
  test::PutString(file, 145, "/srv/text");
  file[266] = 0x0A;
  file[268] = 0x01;
  test::PutString(file, 466 + 1, "   ");  // record 2: blank name
  LanguageList list = LanguageList::Parse(file);
  EXPECT_EQ(list.record_count(), 2);
  const LanguageRecord* english = list.Find(1);
  ASSERT_NE(english, nullptr);
  EXPECT_EQ(english->name, "English");
  EXPECT_TRUE(english->available);
  EXPECT_EQ(english->definition_file, "ENGLISH");
  EXPECT_EQ(english->menu_path, "C:\\BBS\\MENUS\\");
  EXPECT_EQ(english->text_path, "/srv/text/");
  EXPECT_EQ(english->question_path, "");
  EXPECT_EQ(english->security, 10);
  EXPECT_EQ(english->flags1, "10000000");
  EXPECT_EQ(list.Find(2), nullptr);
  EXPECT_EQ(list.Find(0), nullptr);
  EXPECT_EQ(list.Find(300), nullptr);
}

TEST(LanguageFileName, IsCompletedAsTheLoaderDoesIt) {
  EXPECT_EQ(CompleteLanguageFileName("ENGLISH", "C:\\VX\\"), "C:\\VX\\ENGLISH.VXL");
  EXPECT_EQ(CompleteLanguageFileName("D:\\LANG\\DUTCH.TXT", "C:\\VX\\"), "D:\\LANG\\DUTCH.TXT");
  EXPECT_EQ(CompleteLanguageFileName("/srv/lang/english", "C:\\VX\\"), "/srv/lang/english.VXL");
}

TEST(Language, HotKeyOfAChoiceEntry) {
  EXPECT_EQ(EntryHotKey("(N)ext"), 'N');
  EXPECT_EQ(EntryHotKey("Read (a)gain"), 'A');
  EXPECT_EQ(EntryHotKey("\x0b[0E  quit"), 'Q');
  EXPECT_EQ(EntryHotKey("() (x"), '(');
  EXPECT_EQ(EntryHotKey(""), '\0');
  EXPECT_EQ(EntryHotKey("   "), '\0');
}

}  // namespace
}  // namespace vx::core
