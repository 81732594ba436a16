// vxcfg build on the bundled demo sources, the user commands and the dumps of a whole system.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <map>

#include "core/config.h"
#include "core/crc32.h"
#include "core/language.h"
#include "core/record_stream.h"
#include "files/file_database_records.h"
#include "platform/environment.h"
#include "support/run_program.h"
#include "support/temp_dir.h"
#include "tools/dump.h"
#include "tools/file_area_import.h"
#include "tools/running_nodes.h"
#include "tools/source_error.h"
#include "tools/system_builder.h"
#include "tools/system_description.h"
#include "tools/user_base.h"

namespace fs = std::filesystem;

namespace vx::tools {
namespace {

using Bytes = std::vector<uint8_t>;
const std::string kDemo = std::string(VX_SOURCE_DIR) + "/demo";

std::string BuildError(const std::string& source, const std::string& target) {
  try {
    BuildSystem(source, target, {});
  } catch (const SourceError& e) {
    return e.what();
  }
  return "";
}

TEST(BuildSystem, DemoGivesASystemTheNodeReads) {
  test::TempDir dir;
  BuildReport report = BuildSystem(kDemo, dir / "sys", {});
  const std::string sys = report.system_dir;
  EXPECT_EQ(sys, fs::canonical(dir.path()).string() + "/sys/");
  EXPECT_EQ(fs::file_size(sys + "CONFIG.VX"), 6331u);
  EXPECT_EQ(fs::file_size(sys + "LANGUAGE.VX") % 466, 0u);
  EXPECT_EQ(fs::file_size(sys + "MESSAGES.VX"), 2u * 224);
  EXPECT_EQ(fs::file_size(sys + "FILES.VX"), 3u * 168);
  EXPECT_EQ(fs::file_size(sys + "MGROUPS.VX"), 153u);
  EXPECT_EQ(fs::file_size(sys + "LIMITS.VX"), 160u);
  EXPECT_EQ(fs::file_size(sys + "msgbase/USERS.BBS"), 1016u);
  EXPECT_EQ(fs::file_size(sys + "msgbase/USERSIDX.BBS"), 8u);
  EXPECT_EQ(fs::file_size(sys + "msgbase/MSGINFO.BBS"), 406u);
  EXPECT_GT(fs::file_size(sys + "msgbase/keepers.JHR"), 1024u);
  for (const auto& e : fs::directory_iterator(sys + "menus")) {
    EXPECT_EQ(fs::file_size(e.path()) % 464, 0u) << e.path();
  }
  EXPECT_EQ(fs::file_size(sys + "filebase/hdr/fdb1.hdr"), 5u * 194);
  EXPECT_EQ(fs::file_size(sys + "filebase/idx/fdb1.idx"), 5u * 41);
  EXPECT_EQ(fs::file_size(sys + "filebase/hdr/fdb3.hdr"), 1u * 194);
  EXPECT_TRUE(fs::exists(sys + "files/utils/BEACON~1.SH"));
  EXPECT_TRUE(fs::exists(sys + "files/utils/LIGHTH~1.TXT"));
  EXPECT_TRUE(fs::exists(sys + "text/LOGO.ANS"));
  EXPECT_TRUE(fs::exists(sys + "doors/showdrop.sh"));

  // The node's own readers: CONFIG.VX through VX, LANGUAGE.VX record 1 and its language file.
  platform::Environment env({"VX=" + sys});
  core::ConfigLoad load = core::ReadConfiguration(env);
  ASSERT_TRUE(load.ok) << load.text;
  EXPECT_EQ(load.warning, "");
  EXPECT_EQ(load.config.system_path, sys);
  EXPECT_EQ(load.config.menu_path, sys + "menus/");
  EXPECT_EQ(load.config.log_file_name, sys + "logs/node*N.log");
  core::ConfigSnapshot config(env, sys);
  EXPECT_EQ(config.SystemName(), "The Lighthouse BBS");
  EXPECT_EQ(config.PasswordAttempts(), 3);
  // Front-end errorlevels the description leaves out hold 255, which no program returns: an
  // errorlevel of 0 must not match slot 0 (a local logon) by accident.
  const Bytes bytes = *core::ReadWholeFile(sys + "CONFIG.VX");
  for (size_t position : {1531, 1532, 1538, 2820, 3257, 5331, 5745, 5750, 5816, 5817}) {
    EXPECT_EQ(bytes.at(position - 1), 255) << position;
  }
  auto list = core::LanguageList::Parse(*core::ReadWholeFile(sys + "LANGUAGE.VX"));
  ASSERT_NE(list.Find(1), nullptr);
  EXPECT_EQ(list.Find(1)->menu_path, sys + "menus/");
  std::string vxl = core::CompleteLanguageFileName(list.Find(1)->definition_file, sys);
  core::LanguageTable table;
  EXPECT_EQ(table.Load(*core::ReadWholeFile(vxl)).problem, "");
  EXPECT_EQ(table.Text(0).substr(0, 2), "Y ");
  EXPECT_EQ(table.Text(1).substr(0, 2), "N ");
  EXPECT_FALSE(table.Text(257).empty());

  // The sysop's password is stored as its checksum, and the index is in step.
  Bytes users = *core::ReadWholeFile(sys + "msgbase/USERS.BBS");
  core::MemoryStream in(users);
  core::UserRecord sysop = core::ReadUserRecord(in);
  EXPECT_EQ(sysop.name, "Sam Sysop");
  EXPECT_EQ(sysop.password_crc, core::Crc32("LIGHTHOUSE"));
  EXPECT_EQ(*core::ReadWholeFile(sys + "msgbase/USERSIDX.BBS"), UserIndexBytes({sysop}));

  // Every record file dumps without a problem.
  int dumped = 0;
  for (const auto& e : fs::recursive_directory_iterator(sys)) {
    std::string ext = e.path().extension().string();
    if (!e.is_regular_file() || ext == ".ANS" || ext == ".sh" || ext == ".TXT" || ext == ".SH") {
      continue;
    }
    DumpResult r = DumpFile(e.path().string());
    EXPECT_TRUE(r.problems.empty()) << e.path() << ": " << r.problems.front();
    EXPECT_FALSE(r.text.empty() && fs::file_size(e.path()) > 0) << e.path();
    ++dumped;
  }
  EXPECT_GE(dumped, 30);
}

TEST(BuildSystem, RebuildKeepsUsersAndMessagesUnlessFresh) {
  test::TempDir dir;
  const std::string sys = BuildSystem(kDemo, dir / "sys", {}).system_dir;
  core::UserRecord caller = NewUserRecord("Pat Caller", 10);
  caller.password_crc = core::Crc32("SECRET");
  AddUser(sys, caller);
  test::WriteFile(sys + "msgbase/MSGHDR.BBS", Bytes(187, 1));
  BuildSystem(kDemo, sys, {});
  EXPECT_EQ(fs::file_size(sys + "msgbase/USERS.BBS"), 2u * 1016);
  EXPECT_EQ(fs::file_size(sys + "msgbase/USERSIDX.BBS"), 2u * 8);
  EXPECT_EQ(fs::file_size(sys + "msgbase/MSGHDR.BBS"), 187u);
  EXPECT_NE(ListUsers(sys).find("Pat Caller"), std::string::npos);
  BuildSystem(kDemo, sys, {.fresh = true});
  EXPECT_EQ(fs::file_size(sys + "msgbase/USERS.BBS"), 1016u);
  EXPECT_EQ(fs::file_size(sys + "msgbase/MSGHDR.BBS"), 4u * 187) << "the demo's first messages";
  // No temporary directory is left beside the system.
  for (const auto& e : fs::directory_iterator(dir.path())) {
    EXPECT_EQ(e.path().filename(), "sys");
  }
}

// The demo's first messages, read back by hand from the files: four Hudson messages on board 1
// (the third answers the first, the fourth is private) and three in the JAM base (the second
// answers the first). A rebuild keeps the bases as they are and adds none.
TEST(BuildSystem, TheDemoHasItsFirstMessagesOnce) {
  test::TempDir dir;
  const std::string sys = BuildSystem(kDemo, dir / "sys", {}).system_dir;
  const auto word = [](const Bytes& b, size_t at) { return b.at(at) | (b.at(at + 1) << 8); };
  const auto u32 = [&](const Bytes& b, size_t at) {
    return static_cast<uint32_t>(word(b, at)) | (static_cast<uint32_t>(word(b, at + 2)) << 16);
  };
  const Bytes headers = *core::ReadWholeFile(sys + "msgbase/MSGHDR.BBS");
  ASSERT_EQ(headers.size(), 4u * 187);
  EXPECT_EQ(word(headers, 0 * 187 + 4), 3);     // #1's next reply is #3
  EXPECT_EQ(word(headers, 2 * 187 + 2), 1);     // #3 answers #1
  EXPECT_EQ(headers.at(3 * 187 + 24), 96 + 8);  // #4 is private
  EXPECT_EQ(std::string(headers.begin() + 42 + 1, headers.begin() + 42 + 1 + headers[42]),
            "Sam Sysop");
  const Bytes info = *core::ReadWholeFile(sys + "msgbase/MSGINFO.BBS");
  EXPECT_EQ(word(info, 2), 4);  // highest number
  EXPECT_EQ(word(info, 4), 4);  // active
  EXPECT_EQ(word(info, 6), 4);  // board 1
  EXPECT_EQ(fs::file_size(sys + "msgbase/MSGTOIDX.BBS"), 4u * 36);

  const Bytes jhr = *core::ReadWholeFile(sys + "msgbase/keepers.JHR");
  const Bytes jdx = *core::ReadWholeFile(sys + "msgbase/keepers.JDX");
  ASSERT_EQ(jdx.size(), 3u * 8);
  EXPECT_EQ(u32(jhr, 12), 3u);  // active messages
  const uint32_t first = u32(jdx, 4), second = u32(jdx, 12);
  EXPECT_EQ(u32(jhr, first + 28), 2u);               // #1's first reply is #2
  EXPECT_EQ(u32(jhr, second + 24), 1u);              // #2 answers #1
  EXPECT_EQ(u32(jhr, first + 52), 1u + 0x1000000u);  // local, echomail
  EXPECT_EQ(u32(jdx, 0), core::Crc32("sam sysop"));

  const Bytes jdt = *core::ReadWholeFile(sys + "msgbase/keepers.JDT");
  BuildSystem(kDemo, sys, {});
  EXPECT_EQ(*core::ReadWholeFile(sys + "msgbase/MSGHDR.BBS"), headers);
  EXPECT_EQ(*core::ReadWholeFile(sys + "msgbase/keepers.JDT"), jdt);
}

TEST(BuildSystem, AReplyMustAnswerAnEarlierMessageOfItsArea) {
  test::TempDir dir;
  const std::string source = dir / "src";
  fs::copy(kDemo, source, fs::copy_options::recursive);
  std::string toml = test::ReadFile(source + "/system.toml");
  toml += "\n[[message]]\narea = 2\nfrom = \"Late\"\nreply_to = 9\n";
  test::WriteFile(source + "/system.toml", toml);
  EXPECT_NE(BuildError(source, dir / "sys")
                .find("reply_to 9 is not the number of an earlier message of area 2"),
            std::string::npos);
  toml += "\n[[message]]\narea = 7\nfrom = \"Nowhere\"\n";
  test::WriteFile(source + "/system.toml", toml);
  EXPECT_NE(BuildError(source, dir / "sys").find("message area 7 is not described"),
            std::string::npos);
  EXPECT_FALSE(fs::exists(dir / "sys"));
}

TEST(BuildSystem, PathsThatDoNotFitStopTheBuildAndChangeNothing) {
  test::TempDir dir;
  std::string deep = dir / std::string(50, 'd');
  fs::create_directories(deep);
  std::string error = BuildError(kDemo, deep + "/sys");
  EXPECT_NE(error.find("characters; its field holds"), std::string::npos) << error;
  EXPECT_FALSE(fs::exists(deep + "/sys"));
  EXPECT_EQ(std::distance(fs::directory_iterator(deep), fs::directory_iterator()), 0);

  // A bad source names its file and line; the old system stays as it was.
  const std::string sys = BuildSystem(kDemo, dir / "ok", {}).system_dir;
  std::string source = dir / "src";
  fs::copy(kDemo, source, fs::copy_options::recursive);
  test::WriteFile(source + "/system.toml", "[system]\nname = \"x\"\nsysop = 5\n");
  error = BuildError(source, sys);
  EXPECT_NE(error.find("system.toml:3: sysop must be a text"), std::string::npos) << error;
  test::WriteFile(source + "/system.toml", "[[language]]\nname=\"E\"\nsource=\"english.lng\"\n"
                                           "[[file_area]]\nnumber = 1\nnam = \"typo\"\n");
  error = BuildError(source, sys);
  EXPECT_NE(error.find("system.toml:6: unknown setting \"nam\""), std::string::npos) << error;
  EXPECT_EQ(fs::file_size(sys + "MESSAGES.VX"), 2u * 224);
}

TEST(BuildSystem, UnusedErrorlevelSlotsAre255UnlessTheSysopSetsThem) {
  // A front-end program that ends with 0 must not be taken for a local logon (slot 0).
  test::TempDir dir;
  std::string source = dir / "src";
  fs::copy(kDemo, source, fs::copy_options::recursive);
  std::string toml = test::ReadFile(source + "/system.toml");
  toml.replace(toml.find("[config]\n"), 9, "[config]\nerrorlevel_slot_5 = 7\nerrorlevel_slot_49 = 0\n");
  test::WriteFile(source + "/system.toml", toml);
  const std::string sys = BuildSystem(source, dir / "sys", {}).system_dir;
  Bytes config = *core::ReadWholeFile(sys + "CONFIG.VX");
  // Slots by hand: 0..4 at 1531..1535, 5 at 2820, 6 at 1536, 7 and 8 at 2821, 2822, 9 at 3257,
  // 10 at 1537, 11..14 at 5745..5748, 15 and 16 at 5816, 5817, 17 at 1538, 18 and 19 at 5749,
  // 5750, 49 at 5331.
  for (int position : {1531, 1532, 1533, 1534, 1535, 1536, 2821, 2822, 3257, 1537, 5745, 5746,
                       5747, 5748, 5816, 5817, 1538, 5749, 5750}) {
    EXPECT_EQ(config.at(static_cast<size_t>(position - 1)), 255) << position;
  }
  EXPECT_EQ(config.at(2819), 7);
  EXPECT_EQ(config.at(5330), 0);
  platform::Environment env;
  std::array<int, 51> table = core::ReadExitErrorlevelTable(core::ConfigSnapshot(env, sys));
  EXPECT_EQ(table[0], 255);
  EXPECT_EQ(table[5], 7);
  EXPECT_EQ(table[49], 0);
  EXPECT_EQ(table[20], -1);

  toml.replace(toml.find("errorlevel_slot_5 = 7"), 21, "errorlevel_slot_5 = 256");
  test::WriteFile(source + "/system.toml", toml);
  EXPECT_NE(BuildError(source, sys).find("errorlevel_slot_5"), std::string::npos);
}

// A stand-in for a running node: a child process that holds a write lock on a semaphore file until
// the test lets it go.
class LockHolder {
 public:
  LockHolder(const std::string& path, bool classic_lock) {
    int ready[2], release[2];
    EXPECT_EQ(::pipe(ready), 0);
    EXPECT_EQ(::pipe(release), 0);
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(ready[0]);
      ::close(release[1]);
      const int fd = ::open(path.c_str(), O_RDWR | O_CREAT, 0644);
      struct flock lock {};
      lock.l_type = F_WRLCK;
      lock.l_whence = SEEK_SET;
      const bool locked = fd >= 0 && ::fcntl(fd, classic_lock ? F_SETLK : F_OFD_SETLK, &lock) == 0;
      char byte = locked ? 'L' : 'E';
      if (::write(ready[1], &byte, 1) != 1) ::_exit(2);
      while (::read(release[0], &byte, 1) < 0 && errno == EINTR) {
      }
      ::_exit(0);
    }
    ::close(ready[1]);
    ::close(release[0]);
    release_ = release[1];
    char byte = 0;
    EXPECT_EQ(::read(ready[0], &byte, 1), 1);
    EXPECT_EQ(byte, 'L');
    ::close(ready[0]);
  }
  ~LockHolder() {
    ::close(release_);
    int status = 0;
    ::waitpid(pid_, &status, 0);
  }

 private:
  pid_t pid_ = -1;
  int release_ = -1;
};

// Every file below a directory with its bytes and modification time.
std::map<std::string, std::pair<std::string, int64_t>> Snapshot(const std::string& dir) {
  std::map<std::string, std::pair<std::string, int64_t>> files;
  for (const auto& e : fs::recursive_directory_iterator(dir)) {
    struct stat st {};
    ::lstat(e.path().c_str(), &st);
    const int64_t mtime = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    files[e.path().string()] = {e.is_regular_file() ? test::ReadFile(e.path().string()) : "",
                                mtime};
  }
  return files;
}

TEST(BuildSystem, RefusedWhileANodeRunsAndNothingChanges) {
  test::TempDir dir;
  const std::string sys = BuildSystem(kDemo, dir / "sys", {}).system_dir;
  const std::string vxcfg = std::string(VX_BINARY_DIR) + "/tools/vxcfg";
  {
    LockHolder node(sys + "VxBusy.1", false);
    const auto before = Snapshot(dir.path());
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{vxcfg, "build", kDemo, sys},
          std::vector<std::string>{vxcfg, "build", "--fresh", kDemo, sys}}) {
      test::ProgramResult r = test::RunProgram(args, {"PATH=/usr/bin:/bin"}, dir.path());
      EXPECT_EQ(r.exit_code, 1);
      EXPECT_NE(r.error_output.find("in use by a running node"), std::string::npos)
          << r.error_output;
      EXPECT_NE(r.error_output.find("VxBusy.1"), std::string::npos) << r.error_output;
    }
    EXPECT_THROW(BuildSystem(kDemo, sys, {}), SourceError);
    EXPECT_EQ(Snapshot(dir.path()), before);  // no file changed, none added beside the system
  }
  // The node has ended and left its semaphore behind: nothing holds it, the build goes ahead.
  test::ProgramResult r = test::RunProgram({vxcfg, "build", kDemo, sys}, {}, dir.path());
  EXPECT_EQ(r.exit_code, 0) << r.error_output;
}

TEST(BuildSystem, ANodeHoldingItsSemaphoreInTheSemaphoreDirectoryIsSeenToo) {
  test::TempDir dir;
  std::string source = dir / "src";
  fs::copy(kDemo, source, fs::copy_options::recursive);
  std::string toml = test::ReadFile(source + "/system.toml");
  toml.replace(toml.find("[config]\n"), 9, "[config]\nsemaphore_path = \"busy\"\n");
  test::WriteFile(source + "/system.toml", toml);
  const std::string sys = BuildSystem(source, dir / "sys", {}).system_dir;
  ASSERT_TRUE(fs::is_directory(sys + "busy"));
  {
    LockHolder node(sys + "busy/VXBUSY.12", true);  // a classic fcntl lock is seen as well
    const auto before = Snapshot(dir.path());
    EXPECT_EQ(HeldSemaphores(sys), std::vector<std::string>{sys + "busy/VXBUSY.12"});
    EXPECT_THROW(BuildSystem(source, sys, {.fresh = true}), SourceError);
    EXPECT_EQ(Snapshot(dir.path()), before);
  }
  EXPECT_TRUE(HeldSemaphores(sys).empty());
  EXPECT_TRUE(HeldSemaphores(dir / "nowhere").empty());
}

TEST(UserBase, RecordAndIndexByHand) {
  test::TempDir dir;
  const std::string sys = BuildSystem(kDemo, dir / "sys", {}).system_dir;
  core::UserRecord u = NewUserRecord("Pat Caller", 20);
  u.password_crc = core::Crc32("SECRET");
  u.handle = "Pat";
  AddUser(sys, u);
  SetUser(sys, "pat caller", "security", "30");
  SetUser(sys, "Pat", "flags", "B2");
  EXPECT_THROW(SetUser(sys, "Pat", "screen_length", "9"), SourceError);
  EXPECT_THROW(AddUser(sys, u), SourceError);
  Bytes users = *core::ReadWholeFile(sys + "msgbase/USERS.BBS");
  Bytes index = *core::ReadWholeFile(sys + "msgbase/USERSIDX.BBS");
  ASSERT_EQ(users.size(), 2u * 1016);
  ASSERT_EQ(index.size(), 2u * 8);
  const size_t r = 1016;
  EXPECT_EQ(users[r + 0], 10);
  EXPECT_EQ(std::string(users.begin() + r + 1, users.begin() + r + 11), "Pat Caller");
  EXPECT_EQ(users[r + 266], 3);  // handle
  uint32_t crc = core::Crc32("SECRET");
  EXPECT_EQ((Bytes(users.begin() + r + 383, users.begin() + r + 387)),
            (Bytes{static_cast<uint8_t>(crc), static_cast<uint8_t>(crc >> 8),
                   static_cast<uint8_t>(crc >> 16), static_cast<uint8_t>(crc >> 24)}));
  EXPECT_EQ(users[r + 437], 0x02);  // flag B2
  EXPECT_EQ(users[r + 450], 30);    // security
  EXPECT_EQ(users[r + 962], 1);     // one record before it
  uint32_t name_crc = core::Crc32("PAT CALLER"), handle_crc = core::Crc32("PAT");
  EXPECT_EQ((Bytes(index.begin() + 8, index.end())),
            (Bytes{static_cast<uint8_t>(name_crc), static_cast<uint8_t>(name_crc >> 8),
                   static_cast<uint8_t>(name_crc >> 16), static_cast<uint8_t>(name_crc >> 24),
                   static_cast<uint8_t>(handle_crc), static_cast<uint8_t>(handle_crc >> 8),
                   static_cast<uint8_t>(handle_crc >> 16), static_cast<uint8_t>(handle_crc >> 24)}));
}

TEST(FileAreaImport, DatabaseEntryByHand) {
  FileDatabaseBytes db = BuildFileDatabase({{"TIDES.TXT", 1234, 0x5A210000, "Tide\r\ntables"}},
                                           "Sam Sysop", 0x5A220000);
  ASSERT_EQ(db.headers.size(), 194u);
  ASSERT_EQ(db.index.size(), 41u);
  const Bytes& h = db.headers;
  EXPECT_EQ(h[0], 9);
  EXPECT_EQ(std::string(h.begin() + 1, h.begin() + 10), "TIDES.TXT");
  EXPECT_EQ((Bytes(h.begin() + 13, h.begin() + 17)), (Bytes{0xD2, 0x04, 0, 0}));
  EXPECT_EQ(h[21], 9);  // uploader
  EXPECT_EQ((Bytes(h.begin() + 57, h.begin() + 61)), (Bytes{0, 0, 0x22, 0x5A}));
  EXPECT_EQ((Bytes(h.begin() + 61, h.begin() + 65)), (Bytes{0, 0, 0x21, 0x5A}));
  EXPECT_EQ((Bytes(h.begin() + 65, h.begin() + 69)), (Bytes{0, 0, 0x22, 0x5A}));
  EXPECT_EQ((Bytes(h.begin() + 170, h.begin() + 174)), (Bytes{0, 0, 0, 0}));
  const Bytes& x = db.index;
  EXPECT_EQ(std::string(x.begin() + 1, x.begin() + 10), "TIDES.TXT");
  EXPECT_EQ((Bytes(x.begin() + 13, x.begin() + 17)), (Bytes{0, 0, 0x22, 0x5A}));
  EXPECT_EQ((Bytes(x.begin() + 37, x.end())), (Bytes{0, 0, 0, 0}));
  EXPECT_EQ(std::string(db.descriptions.begin(), db.descriptions.end()),
            std::string("Tide\r\ntables\0", 13));
  auto list = ParseDescriptionList("; comment\nA.TXT  First\n   second line\nB.ZIP\n");
  EXPECT_EQ(list["A.TXT"], "First\r\nsecond line");
  EXPECT_EQ(list["B.ZIP"], "");
}

TEST(Dump, TruncatedAndCorruptFilesSayWhatIsWrong) {
  test::TempDir dir;
  const std::string sys = BuildSystem(kDemo, dir / "sys", {}).system_dir;
  for (const char* name : {"CONFIG.VX", "LANGUAGE.VX", "ENGLISH.VXL", "MESSAGES.VX",
                           "menus/TOP.MNU", "msgbase/USERS.BBS", "msgbase/keepers.JHR",
                           "filebase/hdr/fdb1.hdr", "MODEM.VX", "msgbase/MSGINFO.BBS"}) {
    Bytes bytes = *core::ReadWholeFile(sys + name);
    // Nothing at all, one byte, and all but the last byte: each is read without a crash, and a
    // cut inside a record is named.
    DumpBytes(name, {});
    for (size_t cut : {size_t{1}, bytes.size() - 1}) {
      DumpResult r = DumpBytes(name, Bytes(bytes.begin(), bytes.begin() + static_cast<long>(cut)));
      EXPECT_FALSE(r.problems.empty()) << name << " cut to " << cut;
    }
  }
  // A language file whose positions point anywhere.
  Bytes junk = {0xFF, 0x7F, 0x10, 0x00, 0xFF, 0xFF};
  EXPECT_FALSE(DumpBytes("X.VXL", junk).problems.empty());
  // A JAM header with a bad signature and subfields running past the file.
  Bytes jhr(1024 + 76, 0);
  jhr[0] = 'J', jhr[1] = 'A', jhr[2] = 'M';
  jhr[1024] = 'J', jhr[1025] = 'A', jhr[1026] = 'M';
  jhr[1024 + 8] = 0xFF;  // subfield length far beyond the end
  EXPECT_FALSE(DumpBytes("A.JHR", jhr).problems.empty());
  EXPECT_FALSE(DumpBytes("WHAT.EVER", {}).problems.empty());
}

}  // namespace
}  // namespace vx::tools
