// The menu engine's own functions and the loader's options and limits: area stepping, the log
// line, the users on line, toggles and flag changes, damaged menu files.
#include "core/area_records.h"
#include "core/status_records.h"
#include "menu_fixture.h"

namespace vx::menus::testing {
namespace {

// Message areas 1, 2 and 5 in records 1..3 (area 5 needs security 50); file areas 1 and 2.
void WriteAreas(const test::MiniSystem& system) {
  core::MemoryStream messages;
  const std::vector<std::pair<std::string, uint16_t>> areas = {{"Local Talk", 0}, {"Echo Chat", 0}, {"Sysops", 50}};
  for (const auto& [name, security] : areas) {
    core::MessageAreaRecord r;
    r.name = name;
    r.read_security = security;
    core::WriteMessageAreaRecord(r, messages);
  }
  test::WriteFile(system.dir / "MESSAGES.VX", messages.bytes());
  core::MemoryStream index;
  core::WriteAreaIndex(core::BuildAreaIndex({1, 2, 5}), index);
  test::WriteFile(system.dir / "MESSAGES.VDX", index.bytes());
  core::MemoryStream files;
  for (const char* name : {"Utilities", "Charts"}) {
    core::FileAreaRecord r;
    r.name = name;
    core::WriteFileAreaRecord(r, files);
  }
  test::WriteFile(system.dir / "FILES.VX", files.bytes());
  core::MemoryStream file_index;
  core::WriteAreaIndex(core::BuildAreaIndex({1, 2}), file_index);
  test::WriteFile(system.dir / "FILES.VDX", file_index.bytes());
}

TEST_F(MenuTest, AreaOptionsOfTheLoader) {
  WriteAreas(system);
  WriteMenu("TOP", {Entry(0, "X", "Area `")});
  session->caller.user.msg_area = 1;
  session->areas.LoadMessageArea(session->AreaFiles(), session->caller.user);
  ASSERT_TRUE(engine->LoadMenu("top /m=> /f=2"));
  EXPECT_EQ(session->caller.user.msg_area, 2);
  EXPECT_EQ(session->areas.message.record.name, "Echo Chat");
  EXPECT_EQ(session->areas.file.record.name, "Charts");
  // Area 5 is above the caller's security: ">" from the last readable area stays.
  ASSERT_TRUE(engine->LoadMenu("TOP /M=>"));
  EXPECT_EQ(session->caller.user.msg_area, 2);
  ASSERT_TRUE(engine->LoadMenu("TOP /M=<"));
  EXPECT_EQ(session->caller.user.msg_area, 1);
  ASSERT_TRUE(engine->LoadMenu("TOP /M=<"));
  EXPECT_EQ(session->caller.user.msg_area, 1) << "no wrapping at the start";
  ASSERT_TRUE(engine->LoadMenu("TOP /M=ABC /F=70000"));
  EXPECT_EQ(session->caller.user.msg_area, 1);
  EXPECT_EQ(session->caller.user.file_area, 2);
  ASSERT_TRUE(engine->LoadMenu("TOP /M=5"));
  EXPECT_EQ(session->areas.message.record.name, "Sysops") << "a number is taken as it is";
  EXPECT_EQ(engine->current_menu(), "TOP");
}

TEST_F(MenuTest, TheLogFunctionPutsTheAreaNamesInItsText) {
  WriteAreas(system);
  session->caller.user.msg_area = 2;
  session->areas.LoadMessageArea(session->AreaFiles(), session->caller.user);
  session->areas.LoadFileArea(session->AreaFiles(), session->caller.user);
  engine->RunMenuFunction(Entry(47, "L", "", "Looked at @ and ` today"));
  const std::string log_text = test::ReadFile(system.dir / "NODE1.LOG");
  EXPECT_NE(log_text.find("  Looked at Utilities and Echo Chat today\r\n"), std::string::npos) << log_text;
  Settle();
  EXPECT_EQ(caller->received().find("Looked"), std::string::npos) << "captured, not sent";
}

TEST_F(MenuTest, UsersOnLineListsTheNodesOfUseron) {
  session->language.Set(167, "Users on line", 0x0F);
  session->language.Set(168, "Name                          Node   City", 0x07);
  session->language.Set(169, "Browsing", 0x07);
  session->language.Set(572, "New user", 0x07);
  core::MemoryStream useron;
  for (int node = 1; node <= 3; ++node) {
    core::UserOnRecord r;
    if (node != 2) {
      r.name = node == 1 ? "Ann Caller" : "Bob New";
      r.city = "Quay";
      r.status = node == 1 ? 0 : 7;
    }
    core::WriteUserOnRecord(r, useron);
  }
  test::WriteFile(system.dir / "USERON.BBS", useron.bytes());
  engine->RunMenuFunction(Entry(52, "U", ""));
  Settle();
  const std::string seen = caller->received();
  EXPECT_NE(seen.find("Users on line"), std::string::npos);
  EXPECT_NE(seen.find("Ann Caller" + std::string(20, ' ')), std::string::npos);
  EXPECT_NE(seen.find("Browsing"), std::string::npos);
  EXPECT_NE(seen.find("Bob New"), std::string::npos);
  EXPECT_NE(seen.find("New user"), std::string::npos);
}

TEST_F(MenuTest, TogglesAndFlagChangesOfTheCallersRecord) {
  core::UserRecord& user = session->caller.user;
  user.attribute = "01100000";
  for (uint8_t type : {19, 21, 41}) engine->RunMenuFunction(Entry(type, "T", ""));
  EXPECT_EQ(user.attribute, "00110010");
  engine->RunMenuFunction(Entry(20, "T", ""));
  engine->RunMenuFunction(Entry(53, "T", ""));
  EXPECT_EQ(user.attribute, "00110010") << "types 20 and 53 flip the same bit";
  for (uint8_t type : {42, 61, 62, 73}) engine->RunMenuFunction(Entry(type, "T", ""));
  EXPECT_EQ(user.attribute2, "11100100");
  engine->RunMenuFunction(Entry(75, "T", ""));
  EXPECT_EQ(user.attribute3, "10000000");

  user.flags = {"00000000", "00000001", "00000000", "01000000"};
  engine->RunMenuFunction(Entry(65, "F", "", "a1+ B8* D2- E1+ A9+ A2x ZZZZ"));
  EXPECT_EQ(user.flags[0], "10000000");
  EXPECT_EQ(user.flags[1], "00000000");
  EXPECT_EQ(user.flags[3], "00000000");
}

TEST_F(MenuTest, TheSettingsTypesRunTheCallersSettingsFunctions) {
  core::UserRecord& user = session->caller.user;
  session->language.Set(13, "Lines? ", 0x0E);
  session->language.Set(16, "Where? ", 0x0E);
  session->language.Set(19, "Handle? ", 0x0E);
  caller->Type("30\r");
  engine->RunMenuFunction(Entry(18, "S", ""));
  EXPECT_EQ(user.screen_length, 30);
  caller->Type("lamp room\r");
  engine->RunMenuFunction(Entry(16, "L", ""));
  EXPECT_EQ(user.location, "Lamp Room");
  caller->Type("keeper\r");
  engine->RunMenuFunction(Entry(60, "H", ""));
  EXPECT_EQ(user.handle, "Keeper");
  caller->Type("3");
  engine->RunMenuFunction(Entry(64, "D", ""));
  EXPECT_EQ(user.date_format, 3);
}

TEST_F(MenuTest, UndefinedTypesSayWhatTheyAre) {
  caller->WhenType("Undefined/Unimplemented MenuType:12", "x\r");
  session->language.Set(257, "Press Enter", 0x07);
  engine->RunMenuFunction(Entry(12, "U", ""));
  Settle();
  EXPECT_NE(caller->received().find("Undefined/Unimplemented MenuType:12"), std::string::npos);
}

TEST_F(MenuTest, DamagedAndOversizedMenuFiles) {
  // 300 entries: at most 255 are kept, globals included.
  std::vector<MenuEntry> many;
  for (int i = 0; i < 300; ++i) many.push_back(Entry(0, "K", "Entry " + std::to_string(i)));
  WriteMenu("BIG", many);
  ASSERT_TRUE(engine->LoadMenu("BIG"));
  EXPECT_EQ(engine->entries().size(), MenuEngine::kMaxEntries);
  // A header only, and a file cut in the middle of a record.
  WriteMenu("EMPTY", {});
  ASSERT_TRUE(engine->LoadMenu("EMPTY"));
  EXPECT_TRUE(engine->entries().empty());
  WriteMenu("CUT", {Entry(0, "A", "One"), Entry(0, "B", "Two")});
  std::string cut = test::ReadFile(system.dir / "CUT.MNU");
  cut.resize(cut.size() - 100);
  test::WriteFile(system.dir / "CUT.MNU", cut);
  ASSERT_TRUE(engine->LoadMenu("CUT"));
  EXPECT_EQ(engine->entries().size(), 1u);
  EXPECT_NE(test::ReadFile(system.dir / "NODE1.LOG").find("CUT.MNU has 364 bytes"), std::string::npos);
}

TEST_F(MenuTest, AMenuWithoutKeysWaitsInsteadOfRepeatingItself) {
  WriteMenu("TOP", {Entry(0, "", "Nothing to choose")});
  ASSERT_TRUE(engine->LoadMenu("TOP"));
  caller->WhenType("Choose: ", "x\r");
  Rounds(1);
  Settle();
  const std::string& seen = caller->received();
  EXPECT_EQ(seen.find("Nothing to choose"), seen.rfind("Nothing to choose"));
}

}  // namespace
}  // namespace vx::menus::testing
