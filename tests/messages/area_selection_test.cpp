// Choosing the message group and area: what the lists show to whom, the "/1", "/MG" and "/MG="
// forms, and the answers to every kind of typed number.
#include "messages/area_selection.h"

#include "message_fixture.h"

namespace vx::messages::testing {
namespace {

class AreaSelectionTest : public MessageTest {
 protected:
  AreaSelectionTest() {
    core::MessageAreaRecord sysops = Area(5, "Sysops only", false, 2);
    sysops.read_security = 100;
    core::MessageAreaRecord flagged = Area(6, "Needs flag A3", false, 1);
    flagged.read_flags[0] = 0x04;
    core::MessageAreaRecord barred = Area(7, "Not for B1", false, 1);
    barred.read_not_flags[1] = 0x01;
    core::MessageAreaRecord everywhere = Area(8, "Everywhere", false, 9);
    everywhere.attribute2 = 1;
    core::MessageAreaRecord alternative = Area(9, "Also in two", true, 1);
    alternative.further_groups = {0, 2, 0};
    WriteAreas({Area(1, "Harbour", false, 1), Area(2, "Keepers", true, 2), Area(3, "", false, 1),
                Area(4, "Tides", false, 1), sysops, flagged, barred, everywhere, alternative});
    core::GroupRecord one;
    one.number = 1;
    one.name = "Lighthouse";
    core::GroupRecord two;
    two.number = 2;
    two.name = "Echoes";
    core::GroupRecord hidden;
    hidden.number = 3;
    hidden.name = "Staff";
    hidden.security = 200;
    WriteGroups({one, two, hidden});
    session->caller.user.flags[1] = "10000000";  // B1
    session->caller.user.msg_area = 1;
    session->caller.user.msg_group = 1;
    LoadMessageArea(*session);
  }
};

TEST_F(AreaSelectionTest, EmptyDataListsEveryReadableAreaAndLoadsTheChoice) {
  AtPrompts("Area: ", {"4\r"});
  SelectMessageArea(*session, "");
  const std::string seen = Seen();
  for (const char* shown :
       {"1 . Harbour", "2 . Keepers", "4 . Tides", "8 . Everywhere", "9 . Also in two"}) {
    EXPECT_NE(seen.find(shown), std::string::npos) << shown << "\n" << seen;
  }
  for (const char* hidden : {"Sysops only", "Needs flag", "Not for B1", "3 . "}) {
    EXPECT_EQ(seen.find(hidden), std::string::npos) << hidden;
  }
  EXPECT_NE(seen.find("Message areas"), std::string::npos);
  EXPECT_EQ(seen.find("Message groups"), std::string::npos) << "no group step without /MG";
  EXPECT_EQ(session->caller.user.msg_area, 4);
  EXPECT_EQ(session->areas.message.record.name, "Tides");
  EXPECT_EQ(session->caller.user.msg_group, 1);
}

TEST_F(AreaSelectionTest, TwoColumnsOrOnePerLine) {
  AtPrompts("Area: ", {"\r"});
  SelectMessageArea(*session, "");
  // Two columns: the second entry of a row starts at column 41.
  const std::string two = Seen();
  EXPECT_NE(two.find("1 . Harbour"), std::string::npos);
  EXPECT_EQ(session->comm.terminal().RowText(4).substr(40, 11), "2 . Keepers") << two;

  caller->TakeNew();
  session->terminal.ClearScreen();
  AtPrompts("Area: ", {"\r"});
  SelectMessageArea(*session, "/1");
  Settle();
  const std::string one = caller->TakeNew();
  EXPECT_NE(one.find("Harbour"), std::string::npos);
  EXPECT_EQ(one.find(";41H"), std::string::npos) << "no move to the second column";
  // "/1" is data: the group filter is on, so group 2's own areas are not listed.
  EXPECT_EQ(one.find("Keepers"), std::string::npos);
  EXPECT_NE(one.find("Everywhere"), std::string::npos);
}

TEST_F(AreaSelectionTest, GroupFirstThenItsAreas) {
  AtPrompts("Group: ", {"2\r"});
  AtPrompts("Area: ", {"9\r"});
  SelectMessageArea(*session, "/mg /1");
  const std::string seen = Seen();
  EXPECT_NE(seen.find("1 ... Lighthouse"), std::string::npos) << seen;
  EXPECT_NE(seen.find("2 ... Echoes"), std::string::npos);
  EXPECT_EQ(seen.find("Staff"), std::string::npos);
  const std::string areas = seen.substr(seen.find("Message areas"));
  EXPECT_NE(areas.find("2 . Keepers"), std::string::npos);
  EXPECT_NE(areas.find("8 . Everywhere"), std::string::npos);
  EXPECT_NE(areas.find("9 . Also in two"), std::string::npos);
  EXPECT_EQ(areas.find("Harbour"), std::string::npos);
  EXPECT_EQ(session->caller.user.msg_group, 2);
  EXPECT_EQ(session->caller.user.msg_area, 9);
  EXPECT_TRUE(session->areas.message.record.IsJam());
}

TEST_F(AreaSelectionTest, GroupGivenInTheDataIsNotAsked) {
  AtPrompts("Area: ", {"2\r"});
  SelectMessageArea(*session, "/MG=2");
  const std::string seen = Seen();
  EXPECT_EQ(seen.find("Message groups"), std::string::npos);
  EXPECT_EQ(session->caller.user.msg_group, 2);
  EXPECT_EQ(session->caller.user.msg_area, 2);
}

TEST_F(AreaSelectionTest, AGroupNumberThatIsNoNumberAsks) {
  for (const char* data : {"/MG=0", "/MG=70000", "/MG=X"}) {
    caller->TakeNew();
    session->terminal.ClearScreen();
    AtPrompts("Group: ", {"\r"});
    AtPrompts("Area: ", {"\r"});
    SelectMessageArea(*session, data);
    Settle();
    EXPECT_NE(caller->TakeNew().find("Message groups"), std::string::npos) << data;
    EXPECT_EQ(session->caller.user.msg_group, 1) << data;
  }
}

TEST_F(AreaSelectionTest, EveryWrongNumberAsksAgainAndEnterLeavesAsBefore) {
  // 0, 65536 and -1 are out of range; 3 has no name; 5 is not readable; 70 does not exist.
  AtPrompts("Area: ", {"0\r", "65536\r", "-1\r", "3\r", "5\r", "70\r", "\r"});
  SelectMessageArea(*session, "/MG=2");
  const std::string seen = Seen();
  size_t ranges = 0;
  for (size_t at = seen.find("Out of range: 1-65535"); at != std::string::npos;
       at = seen.find("Out of range: 1-65535", at + 1)) {
    ++ranges;
  }
  EXPECT_EQ(ranges, 3u) << seen;
  size_t unlisted = 0;
  for (size_t at = seen.find("Not in the list."); at != std::string::npos;
       at = seen.find("Not in the list.", at + 1)) {
    ++unlisted;
  }
  EXPECT_EQ(unlisted, 3u);
  // Enter restores the group that was current when the function began.
  EXPECT_EQ(session->caller.user.msg_group, 1);
  EXPECT_EQ(session->caller.user.msg_area, 1);
  EXPECT_EQ(session->areas.message.record.name, "Harbour");
}

TEST_F(AreaSelectionTest, AnUnlistedGroupIsAnsweredAsAnUnlistedArea) {
  AtPrompts("Group: ", {"3\r", "9\r", "1\r"});
  AtPrompts("Area: ", {"\r"});
  SelectMessageArea(*session, "/MG");
  const std::string seen = Seen();
  EXPECT_NE(seen.find("Not in the list."), std::string::npos);
  EXPECT_EQ(session->caller.user.msg_group, 1);
}

TEST_F(AreaSelectionTest, NulAndLettersAreNotNumbers) {
  AtPrompts("Area: ", {std::string("\0", 1) + "x4\r"});
  SelectMessageArea(*session, "");
  EXPECT_EQ(session->caller.user.msg_area, 4);
  EXPECT_EQ(ParseListNumber(""), std::nullopt);
  EXPECT_EQ(ParseListNumber("65535"), 65535);
  EXPECT_EQ(ParseListNumber("1-2"), -1);
  EXPECT_EQ(ParseListNumber("99999999999999999999"), -1);
}

TEST_F(AreaSelectionTest, DamagedAreaFilesAreSurvivedAndLogged) {
  std::string bytes = File("MESSAGES.VX");
  bytes += "xyz";  // not a whole record
  test::WriteFile(system.dir / "MESSAGES.VX", bytes);
  std::filesystem::remove(system.dir / "MGROUPS.VX");
  AtPrompts("Group: ", {"\r"});
  AtPrompts("Area: ", {"1\r"});
  SelectMessageArea(*session, "/MG");
  EXPECT_EQ(session->caller.user.msg_area, 1);
  const std::string log_text = File("NODE1.LOG");
  EXPECT_NE(log_text.find("the last 3 bytes are ignored"), std::string::npos) << log_text;
  EXPECT_NE(log_text.find("MGROUPS.VX cannot be read"), std::string::npos);
}

}  // namespace
}  // namespace vx::messages::testing
