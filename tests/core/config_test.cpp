// CONFIG.VX: locating the file, its checks, the field table, the fields at their positions in a
// hand-made file, and the node's copy that follows changes on disk.
#include "core/config.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ctime>
#include <filesystem>
#include <set>

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
  ConfigSnapshot acc(env, load.config.system_path);
  EXPECT_EQ(acc.SystemName(), "");
  EXPECT_EQ(acc.NameAttempts(), 999);
}

// Sets the file's modification time `seconds_ago` seconds back, so that it no longer counts as
// just written.
void Age(const std::string& path, int seconds_ago) {
  timespec times[2];
  ::clock_gettime(CLOCK_REALTIME, &times[0]);
  times[0].tv_sec -= seconds_ago;
  times[1] = times[0];
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

TEST(ConfigFields, EachFieldHasItsOwnBytesInsideTheRecordAndAUniqueName) {
  std::vector<int> owner(kConfigSize + 1, -1);
  std::set<std::string> names;
  const auto fields = ConfigFields();
  for (size_t i = 0; i < fields.size(); ++i) {
    const ConfigField& f = *fields[i];
    EXPECT_TRUE(names.insert(f.name).second) << f.name;
    EXPECT_EQ(f.width > 0, f.kind == ConfigKind::kString) << f.name;
    EXPECT_EQ(FindConfigField(f.name), &f);
    for (int p = f.position; p < f.position + FieldSize(f); ++p) {
      ASSERT_LE(p, kConfigSize) << f.name;
      EXPECT_EQ(owner[static_cast<size_t>(p)], -1) << f.name << " overlaps at " << p;
      owner[static_cast<size_t>(p)] = static_cast<int>(i);
    }
  }
  EXPECT_EQ(FindConfigField("no_such_field"), nullptr);
}

TEST(ConfigSnapshot, ReadsEachFieldAtItsPosition) {
  TempDir system;
  std::vector<uint8_t> c(6331, 0);
  PutString(c, 1118, "On ` at ~, # wrote:");
  PutString(c, 1259, "Night Owl");
  PutString(c, 1359, " @> ");
  PutString(c, 1375, "Ann Sysop");
  PutWord(c, 1480, 300);
  c.at(1481) = 15;
  PutWord(c, 1484, 3);
  PutWord(c, 1488, 0x0102);
  c.at(1492) = 2;  // personal mail scan at 1493
  c.at(1522) = 0;  // colour set 1 foreground 0 -> light grey
  c.at(1523) = 1;
  c.at(1539) = 6;  // minimum password length at 1540
  PutWord(c, 1541, 0x0304);
  c.at(2162) = 1;  // page reason at 2163
  c.at(2163) = 7;  // watchdog area at 2164
  PutString(c, 2178, "Your name: ");
  c.at(2218) = 1;  // new files scan at 2219
  PutString(c, 2220, "/usr/bin/editor *N");
  c.at(2330) = '[';
  c.at(2331) = ']';
  c.at(2502) = 9;  // sysop message area at 2503
  PutString(c, 2589, "Choose a language");
  c.at(2694) = '*';
  PutString(c, 2886, "Language");
  c.at(3150) = 1;   // new-files list tagging at 3151
  c.at(3213) = 14;  // colour set 4: yellow on blue
  c.at(3214) = 1;
  PutString(c, 3259, "@NE @DF");
  PutString(c, 3460, std::string(200, 'x'));
  c.at(5753) = 4;
  c.at(1530) = 9;   // errorlevel slot 0
  c.at(2819) = 5;   // slot 5
  c.at(5330) = 77;  // slot 49
  test::WriteFile(system / "CONFIG.VX", c);
  platform::Environment env;
  ConfigSnapshot acc(env, system.path() + "/");
  EXPECT_EQ(acc.QuoteHeader(), "On ` at ~, # wrote:");
  EXPECT_EQ(acc.SystemName(), "Night Owl");
  EXPECT_EQ(acc.QuotePrefix(), " @> ");
  EXPECT_EQ(acc.SysopName(), "Ann Sysop");
  EXPECT_EQ(acc.InactivityTimeout(), 300);
  EXPECT_EQ(acc.LogonMinutes(), 15);
  EXPECT_EQ(acc.PasswordAttempts(), 3);
  EXPECT_EQ(acc.PageLength(), 0x0102);
  EXPECT_EQ(acc.PersonalMailScanAtLogon(), 2);
  EXPECT_EQ(acc.MinimumPasswordLength(), 6);
  EXPECT_EQ(acc.UploadMinimumFreeSpace(), 0x0304);
  EXPECT_EQ(acc.PageReasonSetting(), 1);
  EXPECT_EQ(acc.WatchdogArea(), 7);
  EXPECT_EQ(acc.NamePromptText(), "Your name: ");
  EXPECT_EQ(acc.NewFilesScanAtLogon(), 1);
  EXPECT_EQ(acc.EditorCommand(), "/usr/bin/editor *N");
  EXPECT_EQ(acc.SysopMessageArea(), 9);
  EXPECT_EQ(acc.LanguageSelectionText1(), "Choose a language");
  EXPECT_EQ(acc.LanguageSelectionText2(), "Language");
  EXPECT_TRUE(acc.NewFilesListTagging());
  EXPECT_EQ(acc.FileListFormat(), "@NE @DF");
  EXPECT_EQ(acc.SecondFileListText(), std::string(200, 'x'));
  EXPECT_EQ(acc.ColourSet(1), std::make_pair(7, 1));
  EXPECT_EQ(acc.ColourSet(4), std::make_pair(14, 1));
  EXPECT_EQ(acc.ColourSet(6), std::make_pair(7, 0));
  EXPECT_EQ(acc.FileListColour(), 16 + 14);
  EXPECT_EQ(acc.OpenBracket(), '[');
  EXPECT_EQ(acc.CloseBracket(), ']');
  EXPECT_EQ(acc.MaskEchoCharacter(), '*');
  EXPECT_EQ(acc.NameAttempts(), 4);
  auto table = ReadExitErrorlevelTable(acc);
  EXPECT_EQ(table[0], 9);
  EXPECT_EQ(table[5], 5);
  EXPECT_EQ(table[49], 77);
  EXPECT_EQ(table[20], -1);
  EXPECT_EQ(table[50], -1);
}

TEST(ConfigSnapshot, ReadsTheFileAgainOnlyWhenItChanged) {
  TempDir system;
  std::vector<uint8_t> c(6331, 0);
  PutString(c, 1259, "Night Owl");
  test::WriteFile(system / "CONFIG.VX", c);
  Age(system / "CONFIG.VX", 60);
  platform::Environment env;
  ConfigSnapshot acc(env, system.path() + "/");
  EXPECT_EQ(acc.reads(), 0);
  for (int i = 0; i < 50; ++i) {
    EXPECT_EQ(acc.SystemName(), "Night Owl");
    EXPECT_EQ(acc.OpenBracket(), '\0');
  }
  EXPECT_EQ(acc.reads(), 1);

  // The sysop changes a field during the call: same size, another modification time.
  PutString(c, 1259, "Early Bird");
  test::WriteFile(system / "CONFIG.VX", c);
  Age(system / "CONFIG.VX", 30);
  EXPECT_EQ(acc.SystemName(), "Early Bird");
  EXPECT_EQ(acc.SystemName(), "Early Bird");
  EXPECT_EQ(acc.reads(), 2);

  // A new file put in its place (as vxcfg's directory swap does), even with the old times.
  PutString(c, 1259, "Lark");
  test::WriteFile(system / "CONFIG.NEW", c);
  Age(system / "CONFIG.NEW", 30);
  std::filesystem::rename(system / "CONFIG.NEW", system / "CONFIG.VX");
  EXPECT_EQ(acc.SystemName(), "Lark");
  EXPECT_EQ(acc.reads(), 3);

  // Gone: zeros and empty texts; back again: read.
  std::filesystem::remove(system / "CONFIG.VX");
  EXPECT_EQ(acc.SystemName(), "");
  EXPECT_FALSE(acc.Exists());
  EXPECT_EQ(acc.NameAttempts(), 999);
  test::WriteFile(system / "config.vx", c);  // in another case
  Age(system / "config.vx", 10);
  EXPECT_EQ(acc.SystemName(), "Lark");
  EXPECT_TRUE(acc.Exists());
  EXPECT_EQ(acc.reads(), 4);
}

TEST(ConfigSnapshot, AFileWrittenJustNowIsReadAgainAtTheNextAccess) {
  // Its times could not show a second change within the same clock tick.
  TempDir system;
  std::vector<uint8_t> c(6331, 0);
  test::WriteFile(system / "CONFIG.VX", c);
  platform::Environment env;
  ConfigSnapshot acc(env, system.path() + "/");
  acc.SystemName();
  acc.SystemName();
  EXPECT_EQ(acc.reads(), 2);
  Age(system / "CONFIG.VX", 60);
  acc.SystemName();
  acc.SystemName();
  EXPECT_EQ(acc.reads(), 3);
}

TEST(ConfigSnapshot, ShortOrMissingFileGivesZerosAndEmptyTexts) {
  TempDir system;
  std::vector<uint8_t> c(1300, 0xFF);
  PutString(c, 1259, "Night Owl");
  test::WriteFile(system / "CONFIG.VX", c);
  platform::Environment env;
  ConfigSnapshot acc(env, system.path() + "/");
  EXPECT_EQ(acc.SystemName(), "Night Owl");
  EXPECT_EQ(acc.SysopName(), "");  // 1375 lies beyond the end
  EXPECT_EQ(acc.InactivityTimeout(), 0);
  EXPECT_EQ(acc.SecondFileListText(), "");
  EXPECT_TRUE(acc.Exists());
  test::WriteFile(system / "CONFIG.VX", std::vector<uint8_t>{});
  EXPECT_EQ(acc.SystemName(), "");
  ConfigSnapshot nowhere(env, "/nonexistent/");
  EXPECT_EQ(nowhere.SystemName(), "");
  EXPECT_EQ(nowhere.ColourSet(2), std::make_pair(7, 0));
  EXPECT_FALSE(nowhere.Exists());
  EXPECT_EQ(nowhere.reads(), 0);
  std::array<int, 51> none = ReadExitErrorlevelTable(nowhere);
  EXPECT_EQ(none[0], 0);  // a missing file reads as zeros
}

TEST(ConfigSnapshot, NewUserSettings) {
  TempDir system;
  std::vector<uint8_t> c(6331, 0);
  PutWord(c, 1290, 10);
  PutWord(c, 1292, 0x0201);
  c.at(1293) = 0x81;  // flags A: first and last
  c.at(1296) = 0x02;  // flags D: flag 2
  c.at(1490) = 1;     // names without a blank (1491)
  c.at(1499) = 2;     // ANSI question (1500)
  c.at(1501) = 1;     // more prompt (1502)
  c.at(2333) = 1;     // birth date (2334)
  c.at(2884) = 3;     // language (2885)
  c.at(2929) = 4;     // date format (2930)
  c.at(3660) = 5;     // new-user option (3661) and its number (3662)
  PutWord(c, 3662, 0x0708);
  c.at(5743) = 9;  // 5744
  test::WriteFile(system / "CONFIG.VX", c);
  platform::Environment env;
  auto settings = ReadNewUserSettings(ConfigSnapshot(env, system.path() + "/"));
  ASSERT_TRUE(settings);
  EXPECT_EQ(settings->security, 10);
  EXPECT_EQ(settings->second_number, 0x0201);
  EXPECT_EQ(settings->flags[0], "10000001");
  EXPECT_EQ(settings->flags[3], "01000000");
  EXPECT_EQ(settings->names_without_blank, 1);
  EXPECT_EQ(settings->ask_ansi, 2);
  EXPECT_EQ(settings->ask_clear_screen, 0);
  EXPECT_EQ(settings->ask_more_prompt, 1);
  EXPECT_EQ(settings->ask_birth_date, 1);
  EXPECT_EQ(settings->ask_language, 3);
  EXPECT_EQ(settings->date_format, 4);
  EXPECT_EQ(settings->option, 5);
  EXPECT_EQ(settings->option_number, 0x0708);
  EXPECT_EQ(settings->question_5744, 9);
  EXPECT_FALSE(ReadNewUserSettings(ConfigSnapshot(env, "/nonexistent/")));
}

}  // namespace
}  // namespace vx::core
