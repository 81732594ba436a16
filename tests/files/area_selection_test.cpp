// Choosing the file group and area over a socket, and loading the current area.
#include "files/area_selection.h"

#include "file_fixture.h"

namespace vx::files::testing {
namespace {

class AreaSelectionTest : public FileTest {
 protected:
  AreaSelectionTest() {
    core::MemoryStream groups;
    const std::vector<std::tuple<uint16_t, std::string, uint16_t>> list = {
        {1, "Downloads", 0}, {2, "Charts and maps", 0}, {3, "Sysop", 100}, {2, "Again", 0}};
    for (const auto& [number, name, security] : list) {
      core::GroupRecord g;
      g.number = number;
      g.name = name;
      g.security = security;
      core::WriteGroupRecord(g, groups);
    }
    test::WriteFile(system.dir / "FGROUPS.VX", groups.bytes());
    WriteAreas({{1, "Harbour", 0, 1, {}},
                {2, "Charts of the coast from north to south", 0, 2, {}},
                {3, "Keepers only", 100, 1, {}},
                {4, "Everything", 0, 9, {}}});
    // Area 4 is in every group.
    std::string files = test::ReadFile(system.dir / "FILES.VX");
    files[3 * 168 + 113] = 1;
    test::WriteFile(system.dir / "FILES.VX", files);
  }
};

TEST_F(AreaSelectionTest, EveryAreaTheCallerMaySeeInTwoColumns) {
  // 3 is not listed, 0 is out of range, 2 is taken.
  caller->Type("3\r0\r2\r");
  SelectFileArea(*session, "");
  const std::vector<std::string> rows = Screen();
  EXPECT_EQ(rows[1], "File areas");
  EXPECT_EQ(rows[2], "");
  EXPECT_EQ(rows[3], "1. Harbour" + std::string(30, ' ') + "2. Charts of the coast from north");
  EXPECT_EQ(rows[4], "4. Everything");
  EXPECT_EQ(rows[6], "Choose an area: 3");
  EXPECT_EQ(rows[7], "That area is not in the list.");
  EXPECT_EQ(rows[8], "Choose an area: 0");
  EXPECT_EQ(rows[9], "Please enter a number in the range 1-65535");
  EXPECT_EQ(rows[10], "Choose an area: 2");
  EXPECT_EQ(session->caller.user.file_area, 2);
  EXPECT_EQ(session->areas.file.number, 2u);
  EXPECT_EQ(session->areas.file.record.name, "Charts of the coast from north to south");
  // The number in yellow, ". " in light grey, the name in cyan.
  EXPECT_NE(caller->received().find("\x1b[1;33m1\x1b[0;37m. \x1b[0;36mHarbour"), std::string::npos);
}

TEST_F(AreaSelectionTest, AGroupFirstThenItsAreasOnePerLine) {
  session->caller.user.file_group = 1;
  LoadArea(1);
  caller->Type("2\r\r");  // group 2; then Enter at the area prompt leaves
  SelectFileArea(*session, "/fg /1");
  std::vector<std::string> rows = Screen();
  EXPECT_EQ(rows[1], "File groups");
  EXPECT_EQ(rows[3], "1... Downloads");
  EXPECT_EQ(rows[4], "2... Charts and maps") << "a group number shown once, Sysop hidden";
  EXPECT_EQ(rows[5], "");
  EXPECT_EQ(rows[6], "Choose a group: 2");
  EXPECT_EQ(rows[8], "File areas");
  EXPECT_EQ(rows[10], "2. Charts of the coast from north");
  EXPECT_EQ(rows[11], "4. Everything");
  // Enter leaves with the group the caller had before.
  EXPECT_EQ(session->caller.user.file_group, 1);
  EXPECT_EQ(session->areas.file.group, 1u);
  EXPECT_EQ(session->caller.user.file_area, 1);

  // A group given in the data is taken without asking; the choice stays.
  caller->Type("4\r");
  SelectFileArea(*session, "/FG=2");
  EXPECT_EQ(session->caller.user.file_group, 2);
  EXPECT_EQ(session->caller.user.file_area, 4);
  EXPECT_EQ(session->areas.file.record.name, "Everything");
  EXPECT_EQ(caller->received().find("Choose a group"), caller->received().rfind("Choose a group"));
}

TEST_F(AreaSelectionTest, TheLoaderTakesZeroAsOne) {
  session->caller.user.file_area = 0;
  session->caller.user.file_group = 0;
  LoadFileArea(*session);
  EXPECT_EQ(session->areas.file.number, 1u);
  EXPECT_EQ(session->areas.file.group, 1u);
  EXPECT_TRUE(session->areas.file.has_record);
  EXPECT_EQ(session->areas.file.record.name, "Harbour");
  EXPECT_EQ(session->caller.user.file_area, 0) << "the caller's record is left as it is";
  // An area whose index entry is 0, and an empty FILES.VX, load no record.
  session->caller.user.file_area = 7;
  LoadFileArea(*session);
  EXPECT_FALSE(session->areas.file.has_record);
  test::WriteFile(system.dir / "FILES.VX", std::string());
  session->caller.user.file_area = 1;
  LoadFileArea(*session);
  EXPECT_FALSE(session->areas.file.has_record);
  // A FILES.VX that is no whole number of records is listed as far as it goes, and logged.
  WriteAreas({{1, "Harbour", 0, 1, {}}});
  std::string files = test::ReadFile(system.dir / "FILES.VX") + "torn";
  test::WriteFile(system.dir / "FILES.VX", files);
  caller->Type("\r");
  SelectFileArea(*session, "");
  EXPECT_EQ(Screen()[3], "1. Harbour");
  EXPECT_NE(LogText().find("File areas: "), std::string::npos);
  EXPECT_NE(LogText().find("the last 4 bytes are ignored"), std::string::npos);
}

}  // namespace
}  // namespace vx::files::testing
