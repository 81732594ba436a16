// Taking back what a door wrote: every field DOOR.SYS and DORINFO1.DEF give back, numbers that are
// not numbers or lie outside their field, short files, texts too long or holding control
// characters, line ends of Linux programs, and EXITINFO.BBS of the right and the wrong length.
#include "doors/read_back.h"

#include <gtest/gtest.h>

#include "doors/drop_files.h"
#include "support/logon_system.h"

namespace vx::doors {
namespace {

DoorState Berg() {
  DoorState s;
  s.user.name = "Anna Berg";
  s.user.location = "Harbour";
  s.user.voice_phone = "555-0101";
  s.user.data_phone = "555-0102";
  s.user.security = 30;
  s.user.screen_length = 24;
  s.user.date905 = "01-31-27";
  s.user.default_protocol = 'Z';
  s.user.uploads = 3;
  s.user.downloads = 11;
  s.user.handle = "Berg";
  s.user.uploads_k = 120;
  s.user.downloads_k = 4567;
  s.user.comment = "Likes tides";
  s.user.msgs_posted = 9;
  s.user.text969 = "session's own";
  s.minutes_left = 45;
  s.logon_time = "10:15";
  s.logon_date = "12-07-26";
  return s;
}

// DOOR.SYS as a door would write it: 52 lines, line n given by `at`, the others empty.
std::string DoorSys(const std::map<int, std::string>& at, const std::string& end = "\r\n") {
  std::string text;
  for (int n = 1; n <= 52; ++n) {
    auto it = at.find(n);
    text += (it == at.end() ? "" : it->second) + end;
  }
  return text;
}

TEST(ReadBack, DoorSysGivesBackItsFifteenFields) {
  DoorState s = Berg();
  ReadBackDoorSys(DoorSys({{11, "Lighthouse"},
                           {12, "555-0201"},
                           {13, "555-0202"},
                           {15, "50"},
                           {19, "20"},
                           {21, "40"},
                           {25, "12-31-27"},
                           {27, "Y"},
                           {28, "4"},
                           {29, "12"},
                           {36, "Anna"},
                           {48, "130"},
                           {49, "5000"},
                           {50, "Plays chess"},
                           {52, "10"},
                           // Lines the node does not take back.
                           {10, "Somebody Else"},
                           {16, "999"},
                           {32, "01-01-01"}}),
                  s);
  EXPECT_EQ(s.user.location, "Lighthouse");
  EXPECT_EQ(s.user.voice_phone, "555-0201");
  EXPECT_EQ(s.user.data_phone, "555-0202");
  EXPECT_EQ(s.user.security, 50);
  EXPECT_EQ(s.minutes_left, 20);
  EXPECT_EQ(s.user.screen_length, 40);
  EXPECT_EQ(s.user.date905, "12-31-27");
  EXPECT_EQ(s.user.default_protocol, 'Y');
  EXPECT_EQ(s.user.uploads, 4);
  EXPECT_EQ(s.user.downloads, 12);
  EXPECT_EQ(s.user.handle, "Anna");
  EXPECT_EQ(s.user.uploads_k, 130);
  EXPECT_EQ(s.user.downloads_k, 5000);
  EXPECT_EQ(s.user.comment, "Plays chess");
  EXPECT_EQ(s.user.msgs_posted, 10);
  EXPECT_EQ(s.user.name, "Anna Berg");
  EXPECT_EQ(s.user.no_calls, 0);
}

TEST(ReadBack, ANumberThatIsNoneOrOutOfRangeKeepsTheCallsValue) {
  for (const std::string bad : {"abc", "-5", "", " ", "70000", "+", "99999999999999999999"}) {
    DoorState s = Berg();
    ReadBackDoorSys(DoorSys({{15, bad}, {19, bad}, {21, bad}, {28, bad}, {52, bad}}), s);
    EXPECT_EQ(s.user.security, 30) << bad;
    EXPECT_EQ(s.minutes_left, 45) << bad;
    EXPECT_EQ(s.user.screen_length, 24) << bad;
    EXPECT_EQ(s.user.uploads, bad == "70000" ? 70000 : 3) << bad;  // a 32-bit count
    EXPECT_EQ(s.user.msgs_posted, 9) << bad;
    ReadBackDorinfo("a\r\nb\r\nc\r\nd\r\ne\r\nf\r\ng\r\nh\r\ni\r\nj\r\n" + bad + "\r\n" + bad + "\r\n",
                    s);
    EXPECT_EQ(s.user.security, 30) << bad;
    EXPECT_EQ(s.minutes_left, 45) << bad;
  }
  DoorState s = Berg();
  // The leading number of a line, blanks around it allowed.
  ReadBackDoorSys(DoorSys({{15, " 12abc"}, {21, "9"}, {52, "65535"}}), s);
  EXPECT_EQ(s.user.security, 12);
  EXPECT_EQ(s.user.screen_length, 24);  // 10 to 66 lines
  EXPECT_EQ(s.user.msgs_posted, 65535);
}

TEST(ReadBack, AShortDoorSysChangesOnlyTheLinesItHas) {
  DoorState s = Berg();
  std::string ten;
  for (int n = 1; n <= 10; ++n) ten += "99\r\n";
  ReadBackDoorSys(ten, s);
  EXPECT_EQ(s.user.location, "Harbour");
  EXPECT_EQ(s.user.security, 30);
  ReadBackDoorSys("", s);
  ReadBackDoorSys(DoorSys({{15, "31"}}).substr(0, 60), s);  // cut inside the file
  EXPECT_EQ(s.user.comment, "Likes tides");
  EXPECT_EQ(s.user.security, 31);
}

TEST(ReadBack, TextsAreCutToTheirFieldsAndControlCharactersBecomeBlanks) {
  DoorState s = Berg();
  ReadBackDoorSys(DoorSys({{11, std::string(40, 'L')},
                           {12, "12345678901234567890"},
                           {36, std::string(50, 'H')},
                           {50, std::string(100, 'C')},
                           {25, "12-31-2027"},
                           {27, "\x01"}}),
                  s);
  EXPECT_EQ(s.user.location, std::string(25, 'L'));
  EXPECT_EQ(s.user.voice_phone, "123456789012345");
  EXPECT_EQ(s.user.handle, std::string(35, 'H'));
  EXPECT_EQ(s.user.comment, std::string(80, 'C'));
  EXPECT_EQ(s.user.date905, "12-31-20");
  EXPECT_EQ(s.user.default_protocol, 'Z');  // a control character is no protocol
  ReadBackDoorSys(DoorSys({{11, "Ha\x1b[2Jrbour\x07"}}), s);
  EXPECT_EQ(s.user.location, "Ha [2Jrbour ");
}

TEST(ReadBack, LinesEndedTheLinuxWayCountTheSame) {
  DoorState s = Berg();
  ReadBackDoorSys(DoorSys({{11, "Lighthouse"}, {15, "60"}}, "\n"), s);
  EXPECT_EQ(s.user.location, "Lighthouse");
  EXPECT_EQ(s.user.security, 60);
  EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitLines("a\r\n\r\nb\r\n"), (std::vector<std::string>{"a", "", "b"}));
}

TEST(ReadBack, DorinfoGivesBackSecurityAndMinutes) {
  DoorState s = Berg();
  DropFileValues v;
  v.user = s.user;
  v.user.security = 99;
  v.minutes_left = 7;
  ReadBackDorinfo(DorinfoText(v), s);
  EXPECT_EQ(s.user.security, 99);
  EXPECT_EQ(s.minutes_left, 7);
  EXPECT_EQ(s.user.location, "Harbour");
}

TEST(ReadBack, ExitInfoGivesBackTheRecordTheMailFlagsAndTheLogon) {
  DoorState s = Berg();
  DropFileValues v;
  v.user = s.user;
  v.user.location = "Changed";
  v.user.elapsed = 33;
  v.user.flags[1] = "00000011";
  v.user.text969 = "";  // the file carries it empty
  v.user.reserved.fill(0xEE);
  v.echomail_entered = false;
  v.netmail_entered = true;
  v.logon_time = "11:00";
  v.logon_date = "12-08-26";
  std::string problem;
  ASSERT_TRUE(ReadBackExitInfo(ExitInfoBytes(v), s, problem)) << problem;
  EXPECT_EQ(s.user.location, "Changed");
  EXPECT_EQ(s.user.elapsed, 33);
  EXPECT_EQ(s.user.flags[1], "00000011");
  EXPECT_EQ(s.user.text969, "session's own");
  EXPECT_EQ(s.user.reserved, Berg().user.reserved);
  EXPECT_FALSE(s.echomail_entered);
  EXPECT_TRUE(s.netmail_entered);
  EXPECT_EQ(s.logon_time, "11:00");
  EXPECT_EQ(s.logon_date, "12-08-26");
  EXPECT_EQ(s.minutes_left, 45);  // not in the file's record
}

TEST(ReadBack, AnExitInfoOfTheWrongLengthIsNotTakenBack) {
  DropFileValues v;
  v.user.location = "Elsewhere";
  std::vector<uint8_t> bytes = ExitInfoBytes(v);
  for (size_t size : {size_t{0}, size_t{100}, size_t{2381}, size_t{2383}, size_t{3000}}) {
    bytes.resize(size, 0);
    DoorState s = Berg();
    std::string problem;
    EXPECT_FALSE(ReadBackExitInfo(bytes, s, problem));
    EXPECT_EQ(problem, "EXITINFO.BBS has " + std::to_string(size) +
                           " bytes instead of 2382; not taken back");
    EXPECT_EQ(s.user.location, "Harbour");
  }
}

}  // namespace
}  // namespace vx::doors
