// The logon given bad input: a user base whose two files disagree, damaged records and limits,
// floods and control characters from the caller. The node goes on, and nothing in the files
// changes that the call did not change.
#include <gtest/gtest.h>

#include "call_fixture.h"
#include "session/call_end.h"

namespace vx::session::testing {
namespace {

using test::PutLong;
using test::PutText;

void LogOffAtTheMenus(NodeSession& s) {
  s.hooks.run_menus = [&s] { LogOffCaller(s); };
}

using LogonInputTest = CallTest;

TEST_F(LogonInputTest, AnIndexOutOfStepWithTheUsersIsCheckedAgainstTheRecords) {
  // Entry 1 claims Jane's name for Sam's record, entry 4 points past the end of USERS.BBS.
  std::vector<uint8_t> index = test::IndexEntry(test::crc::kJaneDoe, test::crc::kSysop);
  const std::vector<uint8_t> rest = test::IndexEntry(test::crc::kJaneDoe, test::crc::kJaney);
  index.insert(index.end(), rest.begin(), rest.end());
  const std::vector<uint8_t> third = test::IndexEntry(test::crc::kOldTimer, test::crc::kEmpty);
  index.insert(index.end(), third.begin(), third.end());
  const std::vector<uint8_t> beyond = test::IndexEntry(test::crc::kNewCaller, test::crc::kNewt);
  index.insert(index.end(), beyond.begin(), beyond.end());
  test::WriteFile(system.dir / "USERSIDX.BBS", index);

  line.Type("jane doe\rsecret\r");
  EXPECT_EQ(Call("", LogOffAtTheMenus), 0);
  EXPECT_EQ(session->caller.record(), 2u);  // Jane's own record, not Sam's
  EXPECT_TRUE(
      Logged("!USERSIDX.BBS is out of step with USERS.BBS: 1 entries for this name name "
             "another user or no user; skipped"))
      << Log();

  // A name whose only entry points past the end of USERS.BBS is a new caller.
  line.Type("new caller\rN");
  line.When("Name: ", "jane doe\rsecret\r");
  EXPECT_EQ(Call("", LogOffAtTheMenus), 0);
  EXPECT_TRUE(Logged("Name not in user file"));
  EXPECT_EQ(session->caller.record(), 2u);
}

TEST_F(LogonInputTest, AStringLongerThanItsFieldIsReadToTheFieldAndLeftAsItIs) {
  std::vector<uint8_t> users = system.users;
  users[1016 + 36] = 99;  // Jane's Location claims 99 characters in a field of 25
  test::WriteFile(system.dir / "USERS.BBS", users);
  line.Type("jane doe\rsecret\r");
  EXPECT_EQ(Call("", LogOffAtTheMenus), 0);
  EXPECT_EQ(session->caller.user.location, std::string("Harbour") + std::string(18, '\0'));
  PutText(users, 1016 + 419, "12:05");
  PutLong(users, 1016 + 456, 42);
  EXPECT_EQ(system.Read("USERS.BBS"), users);  // the length byte as it was
}

TEST_F(LogonInputTest, APartialLimitsRecordIsIgnoredAndSaid) {
  std::vector<uint8_t> limits = system.Read("LIMITS.VX");
  limits.resize(limits.size() + 30, 0x11);
  test::WriteFile(system.dir / "LIMITS.VX", limits);
  line.Type("jane doe\rsecret\r");
  EXPECT_EQ(Call("", LogOffAtTheMenus), 0);
  EXPECT_TRUE(Logged("LIMITS.VX ends in a partial record; it is ignored"));
  EXPECT_EQ(session->clock.daily_time, 60);

  // Without LIMITS.VX there is no day's time: the caller is told at the first tick.
  std::filesystem::remove(system.dir / "LIMITS.VX");
  test::PutWord(system.config, 1480, 0);  // and no inactivity limit to end the call before
  system.WriteConfig();
  line.Type("jane doe\rsecret\r");
  EXPECT_EQ(Call("", [](NodeSession& s) { s.hooks.run_menus = [&s] { s.terminal.InputLine(5); }; }),
            0);
  EXPECT_TRUE(Logged("Daily timelimit exceeded"));
}

TEST_F(LogonInputTest, AFloodOfANameAndControlCharactersAreHeldToTheField) {
  line.Type(std::string(10000, 'a') + "\r");            // a one-word name, refused
  line.Type("\x01\x0bja\x1bne\x07 doe\x0c\rsecret\r");  // control characters are not typed text
  EXPECT_EQ(Call("", LogOffAtTheMenus), 0);
  EXPECT_TRUE(Logged("A" + std::string(34, 'a') + " on-line at 38400 BPS")) << Log();
  EXPECT_NE(line.sent().find("<226 two names>"), std::string::npos);
  EXPECT_TRUE(Logged("Jane Doe on-line at 38400 BPS")) << Log();
  EXPECT_EQ(session->caller.record(), 2u);
}

TEST_F(LogonInputTest, AnIndexShorterThanTheUsersGetsTheNewEntryAtItsRecordsPlace) {
  test::WriteFile(system.dir / "USERSIDX.BBS",
                  test::IndexEntry(test::crc::kSamSysop, test::crc::kSysop));
  line.Type("new caller\rY");
  line.When("<13 lines?>", "40\r");
  line.When("<16 location?>", "\r");
  line.When("<19 handle?>", "newt\r");
  line.When("<23 new password?>", "abcd\r");
  line.When("<24 again?>", "abcd\r");
  line.When("<26 all right?>", "Y");
  EXPECT_EQ(Call("", LogOffAtTheMenus), 0);
  EXPECT_EQ(system.Read("USERS.BBS").size(), 4u * 1016);
  std::vector<uint8_t> index = test::IndexEntry(test::crc::kSamSysop, test::crc::kSysop);
  index.resize(3 * 8, 0);  // entries 2 and 3 were never there
  const std::vector<uint8_t> entry = test::IndexEntry(test::crc::kNewCaller, test::crc::kNewt);
  index.insert(index.end(), entry.begin(), entry.end());
  EXPECT_EQ(system.Read("USERSIDX.BBS"), index);
}

TEST_F(LogonInputTest, NoNameAfterTheNamePromptsEndsTheCallAndChangesNothing) {
  system.SetConfigByte(5754, 2);  // two name prompts
  line.Type("\r   \r");
  EXPECT_EQ(Call(), 0);
  size_t prompts = 0;
  for (size_t at = line.sent().find("Name: "); at != std::string::npos;
       at = line.sent().find("Name: ", at + 1)) {
    ++prompts;
  }
  EXPECT_EQ(prompts, 2u);
  EXPECT_TRUE(Logged("User off-line"));
  EXPECT_EQ(system.Read("USERS.BBS"), system.users);
  EXPECT_FALSE(test::Exists(system.dir / "USERON.BBS"));
}

TEST_F(LogonInputTest, AnEmptySystemTakesItsFirstCaller) {
  std::filesystem::remove(system.dir / "USERS.BBS");
  std::filesystem::remove(system.dir / "USERSIDX.BBS");
  line.Type("first caller\rY");
  line.When("<13 lines?>", "40\r");
  line.When("<16 location?>", "\r");
  line.When("<19 handle?>", "\r");
  line.When("<23 new password?>", "abcd\r");
  line.When("<24 again?>", "abcd\r");
  line.When("<26 all right?>", "Y");
  EXPECT_EQ(Call("", LogOffAtTheMenus), 0);
  const std::vector<uint8_t> users = system.Read("USERS.BBS");
  ASSERT_EQ(users.size(), 1016u);
  EXPECT_EQ(users[0], 12);   // "First Caller"
  EXPECT_EQ(users[962], 0);  // no records before it
  EXPECT_EQ(system.Read("USERSIDX.BBS").size(), 8u);
}

}  // namespace
}  // namespace vx::session::testing
