// CONFIG.VX: locating the file, its checks, the fields at their positions in a hand-made file.
#include "core/config.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace vx::core {
namespace {

using test::PutString;
using test::PutWord;
using test::ScopedChdir;
using test::TempDir;

TEST(ReadConfiguration, RefusesACurrentDirectoryCopyOfTheWrongLengthEvenWithVxSet) {
  TempDir here;
  TempDir system;
  test::WriteFile(here / "CONFIG.VX", std::vector<uint8_t>(6330, 0));
  test::WriteFile(system / "CONFIG.VX", std::vector<uint8_t>(6331, 0));
  ScopedChdir cd(here.path());
  ConfigLoad load = ReadConfiguration(platform::Environment({"VX=" + system.path()}));
  EXPECT_FALSE(load.ok);
  EXPECT_EQ(load.title, "Fatal Error");
  EXPECT_EQ(load.text,
            "Invalid CONFIG.VX, filelength incorrect!\rPlease correct by running the configuration "
            "utility.");
}

TEST(ReadConfiguration, SaysWhenVxIsUnsetOrHasNoConfiguration) {
  TempDir here;
  TempDir empty;
  ScopedChdir cd(here.path());
  ConfigLoad unset = ReadConfiguration(platform::Environment({"vx=/lower/case/does/not/count"}));
  EXPECT_FALSE(unset.ok);
  EXPECT_EQ(unset.text,
            "Environment variable (VX) not set!\rMake sure that the system path is set (SET "
            "VX=[path]).");
  ConfigLoad missing = ReadConfiguration(platform::Environment({"VX=" + empty.path()}));
  EXPECT_FALSE(missing.ok);
  EXPECT_EQ(missing.title, "Configuration Error");
  EXPECT_EQ(missing.text,
            "(7998) \rNo valid general configuration file (CONFIG.VX) found in systempath.\r"
            "Please create a configuration file using the configuration utility.");
}

TEST(ReadConfiguration, ReadsThePathFieldsAndCompletesThem) {
  TempDir system;
  std::vector<uint8_t> c(6331, 0xEE);  // junk everywhere the node does not read
  PutString(c, 752, "C:\\BBS\\MENUS");
  c.at(752 + 12) = 'X';  // junk behind the string's length
  PutString(c, 813, "/srv/text");
  c.at(873) = 0;  // path 3 empty
  PutString(c, 935, "");
  PutString(c, 996, "C:\\BBS\\MSG\\");
  PutString(c, 1057, "");  // stored SystemPath empty: keep the located one
  PutString(c, 1411, "");
  PutString(c, 2368, "");
  PutString(c, 3028, "");
  PutString(c, 3090, "");
  PutString(c, 3153, "");
  for (int i = 0; i < 40; ++i) c.at(1178 + i * 2) = static_cast<uint8_t>(i), c.at(1179 + i * 2) = 1;
  test::WriteFile(system / "config.vx", c);  // found whatever its case
  TempDir here;
  ScopedChdir cd(here.path());
  ConfigLoad load = ReadConfiguration(platform::Environment({"VX=" + system.path()}));
  ASSERT_TRUE(load.ok) << load.text;
  const Configuration& cfg = load.config;
  EXPECT_EQ(cfg.system_path, system.path() + "/");
  EXPECT_EQ(cfg.menu_path, "C:\\BBS\\MENUS\\");
  EXPECT_EQ(cfg.text_path, "/srv/text/");
  EXPECT_EQ(cfg.path3, cfg.system_path);
  EXPECT_EQ(cfg.msgbase_path, "C:\\BBS\\MSG\\");
  EXPECT_EQ(cfg.hudson_path, cfg.msgbase_path);
  EXPECT_EQ(cfg.log_file_name, cfg.system_path);  // empty log name falls back (start-up mends it)
  EXPECT_EQ(cfg.log_file_setting, "");
  EXPECT_EQ(cfg.semaphore_path, cfg.system_path);
  EXPECT_EQ(cfg.addresses[0].zone, 0x0100);
  EXPECT_EQ(cfg.addresses[0].point, 0x0103);
  EXPECT_EQ(cfg.addresses[9].point, 0x0127);
}

TEST(ReadConfiguration, StoredSystemPathWinsWhenItExists) {
  TempDir system;
  TempDir other;
  std::vector<uint8_t> c(6331, 0);
  PutString(c, 1057, other.path());
  test::WriteFile(system / "CONFIG.VX", c);
  TempDir here;
  ScopedChdir cd(here.path());
  ConfigLoad load = ReadConfiguration(platform::Environment({"VX=" + system.path()}));
  ASSERT_TRUE(load.ok);
  EXPECT_EQ(load.config.system_path, other.path() + "/");
  EXPECT_EQ(load.config.menu_path, other.path() + "/");

  PutString(c, 1057, "Q:\\NOWHERE");  // unmapped drive: keeps the directory it was found in
  test::WriteFile(system / "CONFIG.VX", c);
  load = ReadConfiguration(platform::Environment({"VX=" + system.path()}));
  ASSERT_TRUE(load.ok);
  EXPECT_EQ(load.config.system_path, system.path() + "/");
  EXPECT_NE(load.warning, "");
}

TEST(ReadConfiguration, ShortFileFoundThroughVxIsReadAsFarAsItGoes) {
  TempDir system;
  std::vector<uint8_t> c(800, 0);
  PutString(c, 752, "MENUS");
  test::WriteFile(system / "CONFIG.VX", c);
  TempDir here;
  ScopedChdir cd(here.path());
  ConfigLoad load = ReadConfiguration(platform::Environment({"VX=" + system.path()}));
  ASSERT_TRUE(load.ok);
  EXPECT_EQ(load.config.menu_path, "MENUS\\");
  EXPECT_NE(load.warning.find("800 bytes"), std::string::npos);
  platform::Environment env;
  ConfigAccessors acc(load.config.system_path, env);
  EXPECT_EQ(acc.SystemName(), "");
  EXPECT_EQ(acc.NameAttempts(), 999);
}

TEST(ConfigAccessors, ReadEachFieldAfreshAtItsPosition) {
  TempDir system;
  std::vector<uint8_t> c(6331, 0);
  PutString(c, 1259, "Night Owl");
  PutString(c, 1375, "Ann Sysop");
  PutWord(c, 1480, 300);
  c.at(1481) = 15;
  PutWord(c, 1484, 3);
  c.at(1522) = 0;  // colour set 1 foreground 0 -> light grey
  c.at(1523) = 1;
  c.at(3213) = 14;  // colour set 4: yellow on blue
  c.at(3214) = 1;
  c.at(2330) = '[';
  c.at(2331) = ']';
  c.at(2694) = '*';
  c.at(5753) = 4;
  c.at(1530) = 9;   // errorlevel slot 0
  c.at(5330) = 77;  // slot 49
  test::WriteFile(system / "CONFIG.VX", c);
  platform::Environment env;
  ConfigAccessors acc(system.path() + "/", env);
  EXPECT_EQ(acc.SystemName(), "Night Owl");
  EXPECT_EQ(acc.SysopName(), "Ann Sysop");
  EXPECT_EQ(acc.InactivityTimeout(), 300);
  EXPECT_EQ(acc.LogonMinutes(), 15);
  EXPECT_EQ(acc.PasswordAttempts(), 3);
  EXPECT_EQ(acc.ColourSet(1), std::make_pair(7, 1));
  EXPECT_EQ(acc.ColourSet(4), std::make_pair(14, 1));
  EXPECT_EQ(acc.FileListColour(), 16 + 14);
  EXPECT_EQ(acc.OpenBracket(), '[');
  EXPECT_EQ(acc.CloseBracket(), ']');
  EXPECT_EQ(acc.MaskEchoCharacter(), '*');
  EXPECT_EQ(acc.NameAttempts(), 4);
  auto table = ReadExitErrorlevelTable(acc);
  EXPECT_EQ(table[0], 9);
  EXPECT_EQ(table[49], 77);
  EXPECT_EQ(table[20], -1);

  // A change by the configuration utility is seen by the next call.
  PutString(c, 1259, "Early Bird");
  test::WriteFile(system / "CONFIG.VX", c);
  EXPECT_EQ(acc.SystemName(), "Early Bird");
}

TEST(ConfigAccessors, NewUserSettings) {
  TempDir system;
  std::vector<uint8_t> c(6331, 0);
  PutWord(c, 1290, 10);
  c.at(1293) = 0x81;  // flags A: first and last
  c.at(1499) = 1;     // ANSI question (position 1500)
  test::WriteFile(system / "CONFIG.VX", c);
  platform::Environment env;
  auto settings = ReadNewUserSettings(ConfigAccessors(system.path() + "/", env));
  ASSERT_TRUE(settings);
  EXPECT_EQ(settings->security, 10);
  EXPECT_EQ(settings->flags[0], "10000001");
  EXPECT_EQ(settings->Switch(1500), 1);
  EXPECT_EQ(settings->Switch(1501), 0);
  EXPECT_FALSE(ReadNewUserSettings(ConfigAccessors("/nonexistent/", env)));
}

}  // namespace
}  // namespace vx::core
