// The three drop files for one fully described caller, compared with files written out by hand
// from their layouts; names without a blank, blank subscription dates, control characters in a
// caller's texts, and status files longer than their place in EXITINFO.BBS.
#include "doors/drop_files.h"

#include <gtest/gtest.h>

#include "support/logon_system.h"

namespace vx::doors {
namespace {

using test::PutLong;
using test::PutText;
using test::PutWordAt;

DropFileValues Anna() {
  DropFileValues v;
  v.port = 2;
  v.speed = 19200;
  v.node = 2;
  v.minutes_left = 45;
  v.display_mode = 1;
  v.system_name = "The Lighthouse";
  v.sysop_name = "Sam Sysop";
  v.default_colour = 7;
  v.download_limit = 900;
  v.message_base_path = "C:\\Bbs\\Msg\\";
  v.logon_time = "10:15";
  v.logon_date = "12-07-26";
  v.echomail_entered = true;
  v.netmail_entered = false;
  v.time_limit = 60;
  for (int i = 0; i < 76; ++i) v.system_info.push_back(static_cast<uint8_t>(i + 1));
  v.time_log = {9, 8, 7, 6, 5};
  core::UserRecord& u = v.user;
  u.name = "Anna Maria Berg";
  u.location = "Harbour Town";
  u.organisation = "Tides Inc";
  u.address1 = "1 Quay";
  u.address2 = "Lower Pier";
  u.address3 = "Westport";
  u.handle = "Berg";
  u.comment = "Likes tides";
  u.password_crc = 0x12345678;
  u.data_phone = "555-0102";
  u.voice_phone = "555-0101";
  u.last_time = "09:30";
  u.last_date = "12-06-26";
  u.attribute = "01101000";   // bits 1, 2, 4: 0x16
  u.attribute2 = "10000001";  // 0x81
  u.flags = {"10000000", "01000000", "00000001", "11111111"};
  u.long440 = 440;
  u.long444 = -444;
  u.msgs_posted = 9;
  u.security = 30;
  u.long452 = 452;
  u.no_calls = 42;
  u.uploads = 3;
  u.downloads = 11;
  u.uploads_k = 120;
  u.downloads_k = 4567;
  u.today_k = 55;
  u.elapsed = 15;
  u.screen_length = 24;
  u.byte484 = 0x84;
  u.word485 = 0x0485;
  u.word_table487[0] = 0x0102;
  u.word_table487[199] = 0xBEEF;
  u.first_date = "01-02-25";
  u.birth_date = "04-15-80";
  u.date905 = "01-31-27";
  u.screen_width = 80;
  u.language = 1;
  u.date_format = 2;
  u.forward_to = "Sam Sysop";
  u.msg_area = 12;
  u.file_area = 4;
  u.default_protocol = 'Z';
  u.file_group = 2;
  u.byte960 = 0x60;
  u.sex = 2;
  u.long962 = 7;
  u.msg_group = 3;
  u.attribute3 = "10000000";
  u.text969 = "kept elsewhere";
  for (size_t i = 0; i < u.reserved.size(); ++i) u.reserved[i] = static_cast<uint8_t>(0xA0 + i);
  return v;
}

TEST(DropFiles, DorinfoOfAFullyDescribedCaller) {
  EXPECT_EQ(DorinfoText(Anna()),
            "THE LIGHTHOUSE\r\n"
            "SAM\r\n"
            "SYSOP\r\n"
            "COM2\r\n"
            "19200 BAUD,N,8,1\r\n"
            "0\r\n"
            "ANNA\r\n"
            "MARIA BERG\r\n"
            "HARBOUR TOWN\r\n"
            "1\r\n"
            "30\r\n"
            "45\r\n");
}

TEST(DropFiles, DoorSysOfAFullyDescribedCaller) {
  const std::string lines[52] = {
      "COM2:", "19200", "8", "2", "", "Y", "N", "N", "Y",                        // 1-9
      "Anna Maria Berg", "Harbour Town", "555-0101", "555-0102", "", "30",       // 10-15
      "42", "12-06-26", "2700", "45", "GR", "24", "N", "", "",                   // 16-24
      "01-31-27", "7", "Z", "3", "11", "", "900", "04-15-80",                    // 25-32
      "C:\\BBS\\MSG\\", "C:\\BBS\\MSG\\", "Sam Sysop", "Berg", "", "Y", "N", "Y",  // 33-40
      "7", "0", "12-06-26", "10:15", "09:30", "32768", "",                       // 41-47
      "120", "4567", "Likes tides", "0", "9"};                                   // 48-52
  std::string expected;
  for (const std::string& line : lines) expected += line + "\r\n";
  EXPECT_EQ(DoorSysText(Anna()), expected);
}

TEST(DropFiles, ExitInfoOfAFullyDescribedCaller) {
  std::vector<uint8_t> b(2382, 0);
  PutWordAt(b, 0, 19200);
  for (int i = 0; i < 76; ++i) b[2 + static_cast<size_t>(i)] = static_cast<uint8_t>(i + 1);
  b[170] = 9;
  b[171] = 8;
  b[172] = 7;
  b[173] = 6;
  b[174] = 5;
  const size_t u = 241;  // the user record, in the USERS.BBS layout
  PutText(b, u + 0, "Anna Maria Berg");
  PutText(b, u + 36, "Harbour Town");
  PutText(b, u + 62, "Tides Inc");
  PutText(b, u + 113, "1 Quay");
  PutText(b, u + 164, "Lower Pier");
  PutText(b, u + 215, "Westport");
  PutText(b, u + 266, "Berg");
  PutText(b, u + 302, "Likes tides");
  PutLong(b, u + 383, 0x12345678);
  PutText(b, u + 387, "555-0102");
  PutText(b, u + 403, "555-0101");
  PutText(b, u + 419, "09:30");
  PutText(b, u + 425, "12-06-26");
  b[u + 434] = 0x16;
  b[u + 435] = 0x81;
  b[u + 436] = 0x01;
  b[u + 437] = 0x02;
  b[u + 438] = 0x80;
  b[u + 439] = 0xFF;
  PutLong(b, u + 440, 440);
  PutLong(b, u + 444, static_cast<uint32_t>(-444));
  PutWordAt(b, u + 448, 9);
  PutWordAt(b, u + 450, 30);
  PutLong(b, u + 452, 452);
  PutLong(b, u + 456, 42);
  PutLong(b, u + 460, 3);
  PutLong(b, u + 464, 11);
  PutLong(b, u + 468, 120);
  PutLong(b, u + 472, 4567);
  PutLong(b, u + 476, 55);
  PutWordAt(b, u + 480, 15);
  PutWordAt(b, u + 482, 24);
  b[u + 484] = 0x84;
  PutWordAt(b, u + 485, 0x0485);
  PutWordAt(b, u + 487, 0x0102);
  PutWordAt(b, u + 487 + 398, 0xBEEF);
  PutText(b, u + 887, "01-02-25");
  PutText(b, u + 896, "04-15-80");
  PutText(b, u + 905, "01-31-27");
  b[u + 914] = 80;
  b[u + 915] = 1;
  b[u + 916] = 2;
  PutText(b, u + 917, "Sam Sysop");
  PutWordAt(b, u + 953, 12);
  PutWordAt(b, u + 955, 4);
  b[u + 957] = 'Z';
  PutWordAt(b, u + 958, 2);
  b[u + 960] = 0x60;
  b[u + 961] = 2;
  PutLong(b, u + 962, 7);
  PutWordAt(b, u + 966, 3);
  b[u + 968] = 0x01;
  // 969: Text969 written empty (length 0, 15 zero bytes).
  for (size_t i = 0; i < 31; ++i) b[u + 985 + i] = static_cast<uint8_t>(0xA0 + i);
  // 1257: 19 zero bytes.
  b[1276] = 1;  // echomail entered
  b[1277] = 0;  // netmail not
  PutText(b, 1278, "10:15");
  PutText(b, 1284, "12-07-26");
  PutWordAt(b, 1293, 60);
  PutLong(b, 1295, 30);
  EXPECT_EQ(ExitInfoBytes(Anna()), b);
}

TEST(DropFiles, ANameWithoutABlankHasAnEmptyLastName) {
  DropFileValues v = Anna();
  v.user.name = "Cher";
  v.sysop_name = "Sysop";
  const std::string dorinfo = DorinfoText(v);
  EXPECT_NE(dorinfo.find("\r\nSYSOP\r\n\r\nCOM2\r\n"), std::string::npos) << dorinfo;
  EXPECT_NE(dorinfo.find("\r\n0\r\nCHER\r\n\r\nHARBOUR TOWN\r\n"), std::string::npos) << dorinfo;
}

TEST(DropFiles, ABlankSubscriptionDateIsWrittenAsZeros) {
  EXPECT_EQ(SubscriptionDate("  -  -  "), "00-00-00");
  EXPECT_EQ(SubscriptionDate(""), "00-00-00");
  EXPECT_EQ(SubscriptionDate("   "), "00-00-00");
  EXPECT_EQ(SubscriptionDate("02-28-27"), "02-28-27");
  DropFileValues v = Anna();
  v.user.date905 = "  -  -  ";
  EXPECT_NE(DoorSysText(v).find("\r\n\r\n00-00-00\r\n7\r\n"), std::string::npos);
}

TEST(DropFiles, ControlCharactersInTextsAreWrittenAsBlanks) {
  DropFileValues v = Anna();
  v.user.location = "Har\rbour\nTown";
  v.user.name = "Anna\x1b[2J Berg";
  v.user.comment = "a\x07" "b";
  v.system_name = "The\x0bLight";
  const std::string dorinfo = DorinfoText(v);
  EXPECT_EQ(std::count(dorinfo.begin(), dorinfo.end(), '\n'), 12);
  EXPECT_NE(dorinfo.find("\r\nHAR BOUR TOWN\r\n"), std::string::npos) << dorinfo;
  EXPECT_NE(dorinfo.find("THE LIGHT\r\n"), std::string::npos) << dorinfo;
  EXPECT_NE(dorinfo.find("\r\nANNA [2J\r\nBERG\r\n"), std::string::npos) << dorinfo;
  const std::string door_sys = DoorSysText(v);
  EXPECT_EQ(std::count(door_sys.begin(), door_sys.end(), '\n'), 52);
  EXPECT_EQ(std::count(door_sys.begin(), door_sys.end(), '\r'), 52);
  EXPECT_NE(door_sys.find("\r\nHar bour Town\r\n"), std::string::npos);
  EXPECT_NE(door_sys.find("\r\na b\r\n"), std::string::npos);
  EXPECT_EQ(door_sys.find('\x1b'), std::string::npos);
}

TEST(DropFiles, AProtocolNeverChosenIsABlank) {
  DropFileValues v = Anna();
  v.user.default_protocol = '\0';
  EXPECT_NE(DoorSysText(v).find("\r\n7\r\n \r\n3\r\n"), std::string::npos);
}

TEST(DropFiles, StatusFilesAreCutToTheirFieldsAndALocalCallHasSpeedZero) {
  DropFileValues v = Anna();
  v.system_info.assign(300, 0x55);
  v.time_log.assign(100, 0x66);
  v.speed = 0;
  const std::vector<uint8_t> b = ExitInfoBytes(v);
  ASSERT_EQ(b.size(), 2382u);
  EXPECT_EQ(b[0], 0);
  EXPECT_EQ(b[1], 0);
  EXPECT_EQ(std::count(b.begin() + 2, b.begin() + 170, 0x55), 168);
  EXPECT_EQ(std::count(b.begin() + 170, b.begin() + 241, 0x66), 71);
  EXPECT_EQ(b[241], 15);  // the record's name follows at once
  v.system_info.clear();
  v.time_log.clear();
  const std::vector<uint8_t> empty = ExitInfoBytes(v);
  EXPECT_EQ(std::count(empty.begin() + 2, empty.begin() + 241, 0), 239);
  EXPECT_NE(DorinfoText(v).find("\r\n0 BAUD,N,8,1\r\n"), std::string::npos);
}

}  // namespace
}  // namespace vx::doors
