// A USERS.BBS record and its index entry against bytes placed by hand.
#include "core/user_record.h"

#include <gtest/gtest.h>

#include "core/crc32.h"
#include "support/temp_dir.h"

namespace vx::core {
namespace {

TEST(UserRecord, FieldsLandAtTheirOffsets) {
  UserRecord u;
  u.name = "Ann Caller";
  u.handle = "Annie";
  u.password_crc = 0x11223344;
  u.last_date = "12-06-26";
  u.attribute = "01100000";  // clear screen and more prompt
  u.flags[3] = "00000001";
  u.security = 100;
  u.no_calls = 7;
  u.elapsed = -1;
  u.screen_length = 24;
  u.first_date = "01-02-03";
  u.language = 2;
  u.msg_area = 0x0102;
  u.default_protocol = 'Z';
  u.reserved[30] = 0x5A;
  MemoryStream out;
  WriteUserRecord(u, out);
  const std::vector<uint8_t>& b = out.bytes();
  ASSERT_EQ(b.size(), 1016u);
  EXPECT_EQ(b[0], 10);
  EXPECT_EQ(b[1], 'A');
  EXPECT_EQ(b[10], 'r');
  EXPECT_EQ(b[11], 0);
  EXPECT_EQ(b[266], 5);
  EXPECT_EQ(b[267], 'A');
  EXPECT_EQ((std::vector<uint8_t>(b.begin() + 383, b.begin() + 387)),
            (std::vector<uint8_t>{0x44, 0x33, 0x22, 0x11}));
  EXPECT_EQ(b[425], 8);
  EXPECT_EQ(b[426], '1');
  EXPECT_EQ(b[434], 0x06);
  EXPECT_EQ(b[439], 0x80);
  EXPECT_EQ(b[450], 100);
  EXPECT_EQ(b[451], 0);
  EXPECT_EQ(b[456], 7);
  EXPECT_EQ(b[480], 0xFF);
  EXPECT_EQ(b[481], 0xFF);
  EXPECT_EQ(b[482], 24);
  EXPECT_EQ(b[887], 8);
  EXPECT_EQ(b[915], 2);
  EXPECT_EQ(b[953], 0x02);
  EXPECT_EQ(b[954], 0x01);
  EXPECT_EQ(b[957], 'Z');
  EXPECT_EQ(b[1015], 0x5A);

  MemoryStream in(b);
  UserRecord back = ReadUserRecord(in);
  EXPECT_EQ(back.name, "Ann Caller");
  EXPECT_EQ(back.attribute, "01100000");
  EXPECT_EQ(back.elapsed, -1);
  EXPECT_EQ(back.reserved[30], 0x5A);
}

TEST(UserRecord, LanguageByteIsLeftAloneUnlessChanged) {
  std::vector<uint8_t> stored(1016, 0);
  stored[915] = 3;
  MemoryStream m(stored);
  UserRecord u;
  u.language = 9;
  WriteUserRecord(u, m, /*write_language=*/false);
  EXPECT_EQ(m.bytes()[915], 3);
  EXPECT_EQ(m.bytes().size(), 1016u);
}

TEST(UserRecord, IndexEntryIsCrcOfUpperCasedNameAndHandle) {
  UserRecord u;
  u.name = "Ann Caller";
  u.handle = "";
  UserIndexEntry e = IndexEntryFor(u);
  EXPECT_EQ(e.name_crc, Crc32("ANN CALLER"));
  EXPECT_EQ(e.handle_crc, 0xFFFFFFFFu);
}

TEST(UserRecord, ShortRecordReadsAsFarAsItGoes) {
  MemoryStream in(std::vector<uint8_t>{4, 'J', 'o', 'h', 'n'});
  UserRecord u = ReadUserRecord(in);
  EXPECT_EQ(u.name, std::string("John"));
  EXPECT_EQ(u.security, 0);
  EXPECT_TRUE(in.short_read());
}

}  // namespace
}  // namespace vx::core
