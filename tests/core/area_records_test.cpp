// The area, group, limits, modem, status and exit-information layouts against bytes written out by
// hand from their tables.
#include <gtest/gtest.h>

#include "core/area_records.h"
#include "core/exit_info.h"
#include "core/limits_record.h"
#include "core/modem_settings.h"
#include "core/record_stream.h"
#include "core/status_records.h"

namespace vx::core {
namespace {

using Bytes = std::vector<uint8_t>;

uint16_t WordAt(const Bytes& b, size_t off) { return static_cast<uint16_t>(b[off] | (b[off + 1] << 8)); }
std::string StringAt(const Bytes& b, size_t off) {
  return std::string(b.begin() + static_cast<long>(off) + 1,
                     b.begin() + static_cast<long>(off) + 1 + b[off]);
}

TEST(AreaRecords, MessageAreaFieldsSitAtTheirOffsets) {
  MessageAreaRecord r;
  r.area_number = 0x0102;
  r.name = "Harbour";
  r.area_type = 2;
  r.message_kinds = 3;
  r.attribute = 0x81;
  r.read_security = 10;
  r.read_flags = {0x81, 0, 0, 0x02};
  r.write_security = 20;
  r.sysop_security = 255;
  r.origin_line = "A light";
  r.address_index = 4;
  r.jam_base_path = "/bbs/msg/keepers";
  r.group = 7;
  r.further_groups = {8, 9, 10};
  r.attribute2 = 0x55;
  MemoryStream m;
  WriteMessageAreaRecord(r, m);
  const Bytes& b = m.bytes();
  ASSERT_EQ(b.size(), 224u);
  EXPECT_EQ(WordAt(b, 0), 0x0102);
  EXPECT_EQ(b[4], 7);
  EXPECT_EQ(StringAt(b, 4), "Harbour");
  EXPECT_EQ(b[5 + 7], 0);  // NUL padding behind the name
  EXPECT_EQ(b[45], 2);
  EXPECT_EQ(b[46], 3);
  EXPECT_EQ(b[47], 0x81);
  EXPECT_EQ(WordAt(b, 52), 10);
  EXPECT_EQ(b[54], 0x81);
  EXPECT_EQ(b[57], 0x02);
  EXPECT_EQ(WordAt(b, 62), 20);
  EXPECT_EQ(WordAt(b, 72), 255);
  EXPECT_EQ(StringAt(b, 82), "A light");
  EXPECT_EQ(b[143], 4);
  EXPECT_EQ(StringAt(b, 145), "/bbs/msg/keepers");
  EXPECT_EQ(WordAt(b, 206), 7);
  EXPECT_EQ(WordAt(b, 208), 8);
  EXPECT_EQ(WordAt(b, 212), 10);
  EXPECT_EQ(b[214], 0x55);
  MemoryStream in(b);
  MessageAreaRecord back = ReadMessageAreaRecord(in);
  EXPECT_TRUE(back.IsJam());
  EXPECT_EQ(back.jam_base_path, "/bbs/msg/keepers");
}

TEST(AreaRecords, FileAreaAndGroupFieldsSitAtTheirOffsets) {
  FileAreaRecord f;
  f.name = "Utilities";
  f.attribute = 2;
  f.path = "/bbs/files/utils/";
  f.group = 3;
  f.all_groups = 1;
  f.upload_area = 5;
  f.security = 12;
  f.flags = {1, 2, 4, 8};
  f.not_flags = {0x80, 0, 0, 0};
  f.further_groups = {11, 12, 13, 14};
  MemoryStream m;
  WriteFileAreaRecord(f, m);
  const Bytes& b = m.bytes();
  ASSERT_EQ(b.size(), 168u);
  EXPECT_EQ(StringAt(b, 4), "Utilities");
  EXPECT_EQ(b[45], 2);
  EXPECT_EQ(StringAt(b, 46), "/bbs/files/utils/");
  EXPECT_EQ(WordAt(b, 111), 3);
  EXPECT_EQ(b[113], 1);
  EXPECT_EQ(WordAt(b, 116), 5);
  EXPECT_EQ(WordAt(b, 138), 12);
  EXPECT_EQ((Bytes{b[140], b[141], b[142], b[143]}), (Bytes{1, 2, 4, 8}));
  EXPECT_EQ(b[144], 0x80);
  EXPECT_EQ(WordAt(b, 148), 11);
  EXPECT_EQ(WordAt(b, 154), 14);

  GroupRecord g{9, "Downloads", 30, {0x01, 0, 0, 0}, {0, 0, 0, 0x80}, {}};
  MemoryStream mg;
  WriteGroupRecord(g, mg);
  const Bytes& gb = mg.bytes();
  ASSERT_EQ(gb.size(), 153u);
  EXPECT_EQ(WordAt(gb, 0), 9);
  EXPECT_EQ(StringAt(gb, 2), "Downloads");
  EXPECT_EQ(WordAt(gb, 43), 30);
  EXPECT_EQ(gb[45], 0x01);
  EXPECT_EQ(gb[52], 0x80);
}

TEST(AreaRecords, IndexMapsNumbersToRecordPositions) {
  // Records in file order hold areas 3, 1 and 5: the index has five words.
  std::vector<uint16_t> index = BuildAreaIndex({3, 1, 5});
  EXPECT_EQ(index, (std::vector<uint16_t>{2, 0, 1, 0, 3}));
  MemoryStream m;
  WriteAreaIndex(index, m);
  EXPECT_EQ(m.bytes(), (Bytes{2, 0, 0, 0, 1, 0, 0, 0, 3, 0}));
  // A number given twice keeps its first record.
  EXPECT_EQ(BuildAreaIndex({2, 2}), (std::vector<uint16_t>{0, 1}));
  // An odd trailing byte of a damaged index is not an entry.
  MemoryStream odd(Bytes{1, 0, 7});
  EXPECT_EQ(ReadAreaIndex(odd), (std::vector<uint16_t>{1}));
}

TEST(LimitsRecord, SpeedsMapToTheirOffsets) {
  LimitsRecord r;
  r.security = 10;
  r.daily_time = 60;
  for (size_t i = 0; i < 12; ++i) r.download_k_low[i] = static_cast<uint16_t>(100 + i);
  for (size_t i = 0; i < 6; ++i) r.download_k_high[i] = static_cast<uint16_t>(200 + i);
  r.download_k_31200 = 300;
  r.download_k_33600 = 301;
  MemoryStream m;
  WriteLimitsRecord(r, m);
  const Bytes& b = m.bytes();
  ASSERT_EQ(b.size(), 80u);
  EXPECT_EQ(WordAt(b, 0), 10);
  EXPECT_EQ(WordAt(b, 2), 60);
  EXPECT_EQ(WordAt(b, 4), 100);   // 300 bps
  EXPECT_EQ(WordAt(b, 26), 111);  // local
  EXPECT_EQ(WordAt(b, 38), 200);  // 21600
  EXPECT_EQ(WordAt(b, 48), 205);  // 64000
  EXPECT_EQ(WordAt(b, 63), 300);
  EXPECT_EQ(WordAt(b, 65), 301);
  EXPECT_EQ(*r.DownloadK(0), 111);
  EXPECT_EQ(*r.DownloadK(33600), 301);
  EXPECT_FALSE(r.DownloadK(2400 + 1).has_value());
}

TEST(ModemSettings, StringsAtFourteenAndEightyFive) {
  ModemSettings s;
  s.port = 2;
  s.init_tries = 3;
  s.init1 = "ATZ|";
  s.init2 = "ATM0|";
  MemoryStream m;
  WriteModemSettings(s, m);
  const Bytes& b = m.bytes();
  ASSERT_EQ(b.size(), static_cast<size_t>(kModemRecordSize));
  EXPECT_EQ(b[0], 2);
  EXPECT_EQ(b[1], 3);
  EXPECT_EQ(StringAt(b, 14), "ATZ|");
  EXPECT_EQ(StringAt(b, 85), "ATM0|");
  EXPECT_EQ(ModemCommandText("AT|Z|"), "ATZ");
}

TEST(StatusRecords, UserOnLastCallAndSysInfoLayouts) {
  UserOnRecord u;
  u.name = "Sam";
  u.line = 3;
  u.speed = UserOnSpeed(115200);
  u.city = "Port";
  u.status = 7;
  u.attribute = 16;
  u.calls = 42;
  MemoryStream m;
  WriteUserOnRecord(u, m);
  const Bytes& b = m.bytes();
  ASSERT_EQ(b.size(), 214u);
  EXPECT_EQ(b[72], 3);
  EXPECT_EQ(WordAt(b, 73), 11520);
  EXPECT_EQ(StringAt(b, 75), "Port");
  EXPECT_EQ(b[101], 7);
  EXPECT_EQ(b[102], 16);
  EXPECT_EQ(WordAt(b, 212), 42);
  EXPECT_EQ(UserOnSpeed(65535), 6553);
  EXPECT_EQ(LastCallSpeed(65535), 65535);
  EXPECT_EQ(LastCallSpeed(115200), 11520);

  LastCallRecord c;
  c.line = 2;
  c.name = "Sam";
  c.speed = 57600;
  c.calls = 5;
  c.logon_time = "10:00";
  c.logoff_time = "10:30";
  c.flag = 1;
  MemoryStream mc;
  WriteLastCallRecord(c, mc);
  const Bytes& cb = mc.bytes();
  ASSERT_EQ(cb.size(), 118u);
  EXPECT_EQ(cb[0], 2);
  EXPECT_EQ(StringAt(cb, 1), "Sam");
  EXPECT_EQ(WordAt(cb, 99), 57600);
  EXPECT_EQ(cb[101], 5);
  EXPECT_EQ(StringAt(cb, 105), "10:00");
  EXPECT_EQ(StringAt(cb, 111), "10:30");
  EXPECT_EQ(cb[117], 1);

  MemoryStream ms;
  WriteSysInfoRecord({1234, "Sam", "Sys"}, ms);
  ASSERT_EQ(ms.bytes().size(), 76u);
  EXPECT_EQ(WordAt(ms.bytes(), 0), 1234);
  EXPECT_EQ(StringAt(ms.bytes(), 40), "Sys");
}

TEST(ExitInfo, FieldsAfterTheUserRecord) {
  ExitInfo e;
  e.speed = 19200;
  e.sysinfo = Bytes(200, 0xAA);  // longer than its field: cut to 168
  e.user.name = "Sam";
  e.user.text969 = "dropped";
  e.netmail_entered = true;
  e.logon_time = "09:15";
  e.logon_date = "01-02-27";
  e.time_limit = 60;
  e.security = 255;
  MemoryStream m;
  WriteExitInfo(e, m);
  const Bytes& b = m.bytes();
  ASSERT_EQ(b.size(), 2382u);
  EXPECT_EQ(WordAt(b, 0), 19200);
  EXPECT_EQ(b[169], 0xAA);
  EXPECT_EQ(b[170], 0);
  EXPECT_EQ(StringAt(b, 241), "Sam");
  EXPECT_EQ(b[241 + 969], 0);  // the text field after the third attribute byte is empty
  EXPECT_EQ(b[1276], 0);
  EXPECT_EQ(b[1277], 1);
  EXPECT_EQ(StringAt(b, 1278), "09:15");
  EXPECT_EQ(StringAt(b, 1284), "01-02-27");
  EXPECT_EQ(WordAt(b, 1293), 60);
  EXPECT_EQ(WordAt(b, 1295), 255);
  // A truncated file reads what is there and zeros after it.
  MemoryStream cut(Bytes(b.begin(), b.begin() + 300));
  ExitInfo back = ReadExitInfo(cut);
  EXPECT_EQ(back.speed, 19200);
  EXPECT_EQ(back.security, 0);
}

}  // namespace
}  // namespace vx::core
