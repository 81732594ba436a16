// The logon, run in-process on a hand-made system: known callers by name and by handle, new
// callers, wrong passwords, and bad input. The files are compared byte for byte afterwards with
// what the layouts say, written out by hand.
#include "session/logon.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "call_fixture.h"
#include "session/call_end.h"

namespace vx::session::testing {
namespace {

using test::PutLong;
using test::PutText;
using test::PutWordAt;

// Ends the call as the log-off menu function does.
void LogOffAtTheMenus(NodeSession& s) {
  s.hooks.run_menus = [&s] { LogOffCaller(s); };
}

// Whether the texts appear in the log in this order (other lines may come between).
bool InOrder(const std::vector<std::string>& log, const std::vector<std::string>& wanted) {
  size_t next = 0;
  for (const std::string& line_text : log) {
    if (next < wanted.size() && line_text == wanted[next]) ++next;
  }
  return next == wanted.size();
}

using LogonTest = CallTest;

TEST_F(LogonTest, AKnownCallerLogsOnAndOffAndEveryFileShowsTheCall) {
  std::vector<uint8_t> sysinfo(100, 0xAA);  // 76 bytes of ours, 24 of somebody else's
  std::fill(sysinfo.begin(), sysinfo.begin() + 76, 0);
  PutLong(sysinfo, 0, 1000);
  PutText(sysinfo, 4, "Someone Else");
  test::WriteFile(system.dir / "SYSINFO.BBS", sysinfo);
  bool busy = false;
  line.Type("jane doe\rsecret\r");
  EXPECT_EQ(Call("",
                 [&](NodeSession& s) {
                   s.hooks.run_menus = [&s, &busy, this] {
                     busy = test::Exists(system.dir / "VxBusy.2");
                     LogOffCaller(s);
                   };
                 }),
            0);
  EXPECT_TRUE(busy);
  EXPECT_FALSE(test::Exists(system.dir / "VxBusy.2"));

  // USERS.BBS: Jane's record (the second) with this call's time, one more call; nothing else.
  std::vector<uint8_t> users = system.users;
  PutText(users, 1016 + 419, "12:05");     // LastTime
  PutText(users, 1016 + 425, "12-06-26");  // LastDate, today as it was
  PutLong(users, 1016 + 456, 42);          // NoCalls
  EXPECT_EQ(system.Read("USERS.BBS"), users);
  EXPECT_EQ(system.Read("USERSIDX.BBS"), system.index);

  // USERON.BBS: node 2's record at 214, cleared (Attribute 16); node 1's place never written.
  std::vector<uint8_t> useron(428, 0);
  useron[214 + 102] = 16;
  EXPECT_EQ(system.Read("USERON.BBS"), useron);

  // LASTCALL.BBS: one 118-byte record.
  std::vector<uint8_t> lastcall(118, 0);
  lastcall[0] = 2;
  PutText(lastcall, 1, "Jane Doe");
  PutText(lastcall, 37, "Janey");
  PutText(lastcall, 73, "Harbour");
  PutWordAt(lastcall, 99, 38400);
  PutLong(lastcall, 101, 42);
  PutText(lastcall, 105, "12:05");
  PutText(lastcall, 111, "12:05");
  EXPECT_EQ(system.Read("LASTCALL.BBS"), lastcall);

  // SYSINFO.BBS: one more call and the last caller; the bytes behind the 76 left alone.
  std::vector<uint8_t> counted(100, 0xAA);
  std::fill(counted.begin(), counted.begin() + 76, 0);
  PutLong(counted, 0, 1001);
  PutText(counted, 4, "Jane Doe");
  PutText(counted, 40, "Janey");
  EXPECT_EQ(system.Read("SYSINFO.BBS"), counted);

  EXPECT_TRUE(InOrder(
      LogTexts(),
      {"Jane Doe on-line at 38400 BPS", "Security level10, 45 mins today, 15 mins this session",
       "User requested to terminate the call", "Terminating call...", "User off-line"}))
      << Log();
  EXPECT_EQ(session->clock.time_left, 45);
  EXPECT_EQ(session->clock.daily_download_k, 900);  // the 38400 figure
  EXPECT_EQ(session->protocol_name, "ZModem");
  // A line that is not a modem is hung up by closing it: no modem command reaches the caller.
  EXPECT_EQ(line.sent().find("+++"), std::string::npos);
  EXPECT_EQ(line.sent().find("ATH0"), std::string::npos);
  EXPECT_FALSE(line.port_open());
}

TEST_F(LogonTest, AHandleLogsOnAsItsUserAndAFirstCallOfTheDayStartsAfresh) {
  line.Type("SYSOP\rLightHouse\r");
  EXPECT_EQ(Call("", LogOffAtTheMenus), 0);
  EXPECT_TRUE(Logged("SYSOP on-line at 38400 BPS"));  // the name as the caller typed it
  EXPECT_TRUE(Logged("Security level255, 999 mins today, 0 mins this session")) << Log();
  std::vector<uint8_t> users = system.users;
  PutText(users, 419, "12:05");
  PutText(users, 425, "12-06-26");
  PutLong(users, 456, 8);    // NoCalls
  PutWordAt(users, 480, 0);  // Elapsed: a new day
  EXPECT_EQ(system.Read("USERS.BBS"), users);
}

TEST_F(LogonTest, TheDeletedUsersNameRegistersAsANewUser) {
  system.config.at(1293) = 0x81;  // new-user flags A: flags 1 and 8 (position 1294)
  system.WriteConfig();
  line.Type("old timer\r");
  line.When("<5 join?>", "Y");
  line.When("<13 lines?>", "66\r");  // no page pause in this test
  line.When("<16 location?>", "attic\r");
  line.When("<19 handle?>", "oldie\r");
  line.When("<23 new password?>", "wal\r");  // shorter than the minimum of 4
  line.When("<23 new password?>", "walrus2\r");
  line.When("<24 again?>", "WALRUS2\r");
  line.When("<26 all right?>", "Y");
  EXPECT_EQ(Call("", LogOffAtTheMenus), 0);
  EXPECT_TRUE(Logged("Name not in user file"));
  EXPECT_NE(line.sent().find("<47 too short, at least> 4 characters"), std::string::npos);

  // Appended as record 4 with its index entry; the three records before it untouched.
  std::vector<uint8_t> expected = system.users;
  std::vector<uint8_t> r(1016, 0);
  PutText(r, 0, "Old Timer");
  PutText(r, 36, "Attic");
  PutText(r, 266, "Oldie");
  PutLong(r, 383, 0x8fd4ef5c);  // "WALRUS2"
  PutText(r, 419, "12:05");
  PutText(r, 425, "12-06-26");
  r[434] = 0x4E;                // Attribute: characters 2, 3, 4 and 7 set without asking
  r[435] = 0x27;                // Attribute2: characters 1, 2, 3 and 6
  r[436] = 0x81;                // flags A of new users
  PutWordAt(r, 450, 10);        // new-user security
  PutLong(r, 456, 1);           // NoCalls: this call
  PutWordAt(r, 482, 66);        // ScreenLength
  PutText(r, 887, "12-06-26");  // FirstDate
  r[915] = 1;                   // Language
  r[916] = 1;                   // DateFormat from the switch
  PutLong(r, 962, 3);           // Long962: the records before it
  expected.insert(expected.end(), r.begin(), r.end());
  EXPECT_EQ(system.Read("USERS.BBS"), expected);
  std::vector<uint8_t> index = system.index;
  const std::vector<uint8_t> entry = test::IndexEntry(0x8aa14fce, 0x622244b0);  // OLD TIMER, OLDIE
  index.insert(index.end(), entry.begin(), entry.end());
  EXPECT_EQ(system.Read("USERSIDX.BBS"), index);
  const std::vector<uint8_t> lastcall = system.Read("LASTCALL.BBS");
  ASSERT_EQ(lastcall.size(), 118u);
  EXPECT_EQ(lastcall[101], 1);  // Calls
}

TEST_F(LogonTest, ANameOfOneWordIsRefusedUnlessTheSystemTakesSuchNames) {
  line.Type("Walrus\rjane doe\rsecret\r");
  EXPECT_EQ(Call("", LogOffAtTheMenus), 0);
  EXPECT_NE(line.sent().find("<226 two names>"), std::string::npos);
  EXPECT_FALSE(Logged("Name not in user file"));
  EXPECT_TRUE(Logged("Jane Doe on-line at 38400 BPS"));

  system.SetConfigByte(1491, 1);
  test::TempDir scratch;
  TestLine second;
  second.Type("Walrus\r");
  second.When("<5 join?>", "N");
  second.When("Name: ", "jane doe\rsecret\r");
  EXPECT_EQ(Call("", LogOffAtTheMenus, &second), 0);
  EXPECT_EQ(second.sent().find("<226 two names>"), std::string::npos);
  EXPECT_TRUE(Logged("Name not in user file"));
  EXPECT_EQ(system.Read("USERS.BBS").size(), 3u * 1016);  // the walrus did not join
}

TEST_F(LogonTest, WrongPasswordsAreLoggedAndTheAccountStaysAsItWas) {
  system.config.at(1479) = 0;  // no inactivity limit (position 1480)
  system.config.at(1480) = 0;
  system.WriteConfig();
  // The caller sits at the password prompt for two and a half minutes first: the clock counts
  // minutes into the account, which must not be written back.
  platform::Timer typist(loop, std::chrono::milliseconds(150000),
                         [this] { line.Type("nope\rNope2\rwr\xe9ng\rN"); });
  line.Type("jane doe\r");
  typist.SetEnabled(true);
  EXPECT_EQ(Call(), 0);
  EXPECT_EQ(session->caller.user.elapsed, 17) << Log();  // counted, but only in memory
  EXPECT_TRUE(InOrder(LogTexts(),
                      {"Jane Doe on-line at 38400 BPS", "Incorrect password : NOPE",
                       "Incorrect password : NOPE2", "Incorrect password : WR\xe9NG",
                       "!Exceeded maximum passwords attempts, user disconnected", "User off-line"}))
      << Log();
  EXPECT_FALSE(Logged("!Watchdog: User notified of password attempt"));
  EXPECT_NE(line.sent().find("<34 too many>"), std::string::npos);
  EXPECT_NE(line.sent().find("<35 message to sysop?>"), std::string::npos);
  EXPECT_EQ(system.Read("USERS.BBS"), system.users);
  EXPECT_FALSE(test::Exists(system.dir / "USERON.BBS"));
  EXPECT_FALSE(test::Exists(system.dir / "LASTCALL.BBS"));
  EXPECT_FALSE(test::Exists(system.dir / "SYSINFO.BBS"));
}

TEST_F(LogonTest, TheWatchdogWritesToTheOwnerAndTheCallerMayWriteToTheSysop) {
  system.SetConfigByte(2164, 1);  // watchdog area
  system.SetConfigByte(2503, 2);  // sysop message area
  test::WriteFile(system.dir / "WATCHDOG.MSG", std::string("Somebody tried your password.\r\n"));
  std::vector<std::pair<std::string, std::string>> posted;
  line.Type("jane doe\ra\rb\rc\rY");
  EXPECT_EQ(Call("",
                 [&](NodeSession& s) {
                   s.hooks.post_message = [&](const std::string& data, const std::string& text) {
                     posted.emplace_back(data, text);
                   };
                 }),
            0);
  ASSERT_EQ(posted.size(), 2u);
  EXPECT_EQ(posted[0], std::make_pair(std::string("1 /T=Jane_Doe"),
                                      std::string("Somebody tried your password.\r\n")));
  EXPECT_EQ(posted[1], std::make_pair(std::string("2 /T=Sam_Sysop"), std::string()));
  EXPECT_TRUE(InOrder(LogTexts(), {"!Exceeded maximum passwords attempts, user disconnected",
                                   "!Watchdog: User notified of password attempt"}));

  // Without message entry in the build the node says so and goes on to the end.
  line.Type("jane doe\ra\rb\rc\rY");
  EXPECT_EQ(Call(), 0);
  EXPECT_TRUE(
      Logged("Message entry is not available in this build; no message to Jane Doe in area 1"));
  EXPECT_EQ(system.Read("USERS.BBS"), system.users);
}

TEST_F(LogonTest, NoPasswordAttemptsMeansNoPasswordPrompt) {
  system.config.at(1483) = 0;  // PasswordAttempts, position 1484
  system.WriteConfig();
  line.Type("jane doe\rN");
  EXPECT_EQ(Call(), 0);
  EXPECT_EQ(line.sent().find("<59 password?>"), std::string::npos);
  EXPECT_TRUE(Logged("!Exceeded maximum passwords attempts, user disconnected"));
  EXPECT_EQ(system.Read("USERS.BBS"), system.users);
}

TEST_F(LogonTest, ALockedOutAccountIsShownTheDoorAfterItsCallIsCounted) {
  system.jane.security = 0;
  system.WriteUsers({system.sam, system.jane, system.old_timer},
                    {test::IndexEntry(test::crc::kSamSysop, test::crc::kSysop),
                     test::IndexEntry(test::crc::kJaneDoe, test::crc::kJaney),
                     test::IndexEntry(test::crc::kOldTimer, test::crc::kEmpty)});
  line.Type("jane doe\rsecret\r");
  EXPECT_EQ(Call("-E9", LogOffAtTheMenus), 9);
  EXPECT_NE(line.sent().find("<36 locked out>"), std::string::npos);
  EXPECT_FALSE(Logged("User requested to terminate the call"));
  EXPECT_EQ(system.Read("LASTCALL.BBS").size(), 118u);
}

TEST_F(LogonTest, AUserBaseThatCannotBeWrittenIsReportedAndTheCallStillEnds) {
  line.Type("jane doe\rsecret\r");
  EXPECT_EQ(Call("-E7",
                 [this](NodeSession& s) {
                   s.hooks.run_menus = [&s, this] {
                     // USERS.BBS is replaced by something that cannot be written.
                     std::filesystem::rename(system.dir / "USERS.BBS", system.dir / "USERS.OLD");
                     std::filesystem::create_directory(system.dir / "USERS.BBS");
                     LogOffCaller(s);
                   };
                 }),
            7);
  bool reported = false;
  for (const std::string& t : LogTexts()) {
    reported = reported || t.rfind("!The user record of Jane Doe could not be written", 0) == 0;
  }
  EXPECT_TRUE(reported) << Log();
  EXPECT_TRUE(Logged("User off-line"));
}

TEST_F(LogonTest, ALocalLogonUsesTheLocalDownloadLimit) {
  console.is_interactive = true;
  EXPECT_EQ(Call("-L",
                 [](NodeSession& s) {
                   for (char c : std::string("jane doe\rsecret\r")) s.terminal.LocalKey(c);
                   s.hooks.run_menus = [&s] { LogOffCaller(s); };
                 }),
            0);
  EXPECT_TRUE(Logged("Jane Doe on-line at 0 BPS"));
  EXPECT_EQ(session->clock.daily_download_k, 1000);
  EXPECT_FALSE(Logged("Terminating call..."));
}

TEST(Limits, TheFirstRecordOfTheLevelGivesTheDayAndTheSpeedItsDownloads) {
  test::TempDir dir;
  std::vector<uint8_t> limits(80 * 3 + 40, 0);  // three records and a partial one
  PutWordAt(limits, 0, 20);
  PutWordAt(limits, 80, 10);
  PutWordAt(limits, 82, 90);
  PutWordAt(limits, 80 + 26, 111);  // local
  PutWordAt(limits, 80 + 65, 222);  // 33600
  PutWordAt(limits, 80 + 48, 333);  // 64000
  PutWordAt(limits, 160, 10);       // a second record for level 10: never used
  PutWordAt(limits, 162, 5);
  test::WriteFile(dir / "LIMITS.VX", limits);
  bool partial = false;
  const auto record = FindLimits(dir / "LIMITS.VX", 10, &partial);
  ASSERT_TRUE(record);
  EXPECT_TRUE(partial);
  EXPECT_EQ(record->daily_time, 90);
  EXPECT_EQ(record->DownloadK(0), std::optional<uint16_t>(111));
  EXPECT_EQ(record->DownloadK(33600), std::optional<uint16_t>(222));
  EXPECT_EQ(record->DownloadK(64000), std::optional<uint16_t>(333));
  EXPECT_EQ(record->DownloadK(115200), std::nullopt);
  EXPECT_FALSE(FindLimits(dir / "LIMITS.VX", 30));
  EXPECT_FALSE(FindLimits(dir / "NONE.VX", 10));
}

TEST(Logon, ProtocolNamesAndBasicNumbers) {
  EXPECT_EQ(ProtocolName('X'), "XModem");
  EXPECT_EQ(ProtocolName('1'), "XModem/1K");
  EXPECT_EQ(ProtocolName('Q'), "XModem/1K-G");
  EXPECT_EQ(ProtocolName('Y'), "YModem");
  EXPECT_EQ(ProtocolName('G'), "YModem-G");
  EXPECT_EQ(ProtocolName('Z'), "ZModem");
  EXPECT_EQ(ProtocolName(' '), std::nullopt);
  EXPECT_EQ(Str(45), " 45");
  EXPECT_EQ(Str(0), " 0");
  EXPECT_EQ(Str(-3), "-3");
}

}  // namespace
}  // namespace vx::session::testing
