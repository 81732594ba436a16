// The user base: a write-back touches only its own record and only the fields the call changed,
// appends from several processes never share a record, and write failures are reported.
#include "core/user_base.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>

#include "core/crc32.h"
#include "core/text.h"
#include "support/temp_dir.h"

namespace vx::core {
namespace {

UserRecord Named(const std::string& name) {
  UserRecord u;
  u.name = name;
  u.security = 10;
  u.last_date = "12-01-26";
  u.language = 1;
  return u;
}

TEST(UserBase, AWriteBackLaysOnlyTheChangedFieldsOverTheStoredRecord) {
  test::TempDir dir;
  std::vector<uint8_t> file = UserRecordBytes(Named("First User"));
  std::vector<uint8_t> second = UserRecordBytes(Named("Second User"));
  file.insert(file.end(), second.begin(), second.end());
  test::WriteFile(dir / "USERS.BBS", file);
  UserBase base(dir / "USERS.BBS", dir / "USERSIDX.BBS");

  const UserRecord as_read = *base.Read(2);
  UserRecord now = as_read;
  now.location = "Harbour";
  now.last_date = "12-06-26";

  // Meanwhile another program changes the comment (offset 302) and the language (915) of record 2.
  file[1016 + 302] = 3;
  file[1016 + 303] = 'D';
  file[1016 + 304] = 'O';
  file[1016 + 305] = 'S';
  file[1016 + 915] = 3;
  test::WriteFile(dir / "USERS.BBS", file);

  ASSERT_TRUE(base.WriteChanges(2, now, as_read).ok);
  const std::string after = test::ReadFile(dir / "USERS.BBS");
  ASSERT_EQ(after.size(), 2032u);
  std::vector<uint8_t> expected = file;
  // Location, String[25] at 36: length 7, the text, NULs to 26 bytes.
  const std::string location = std::string("\x07Harbour") + std::string(18, '\0');
  std::copy(location.begin(), location.end(), expected.begin() + 1016 + 36);
  // LastDate, String[8] at 425.
  const std::string date = "\x08" "12-06-26";
  std::copy(date.begin(), date.end(), expected.begin() + 1016 + 425);
  EXPECT_EQ(std::vector<uint8_t>(after.begin(), after.end()), expected);
}

TEST(UserBase, AppendsFromTwoProcessesNeverShareARecord) {
  test::TempDir dir;
  UserBase base(dir / "USERS.BBS", dir / "USERSIDX.BBS");
  constexpr int kEach = 40;
  pid_t children[2];
  for (int c = 0; c < 2; ++c) {
    children[c] = ::fork();
    if (children[c] == 0) {
      for (int i = 0; i < kEach; ++i) {
        UserRecord u = Named("Node" + std::to_string(c) + " User" + std::to_string(i));
        if (!base.Append(u, nullptr)) _exit(1);
      }
      _exit(0);
    }
  }
  for (pid_t pid : children) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  ASSERT_EQ(base.Count(), 2u * kEach);
  const std::string index = test::ReadFile(dir / "USERSIDX.BBS");
  ASSERT_EQ(index.size(), 2u * kEach * 8);
  std::set<std::string> names;
  for (uint64_t r = 1; r <= base.Count(); ++r) {
    const UserRecord u = *base.Read(r);
    names.insert(u.name);
    EXPECT_EQ(u.long962, static_cast<int32_t>(r - 1));
    const uint32_t crc = Crc32(UpperCase(u.name));
    const size_t at = (r - 1) * 8;
    EXPECT_EQ(static_cast<uint8_t>(index[at]), crc & 0xFF) << "index entry " << r;
    EXPECT_EQ(static_cast<uint8_t>(index[at + 3]), crc >> 24);
  }
  EXPECT_EQ(names.size(), 2u * kEach);
}

TEST(UserBase, AnAppendAfterAPartialRecordStartsOnARecordBoundary) {
  test::TempDir dir;
  std::vector<uint8_t> file = UserRecordBytes(Named("Whole"));
  file.resize(1016 + 100, 0x55);  // a torn record
  test::WriteFile(dir / "USERS.BBS", file);
  UserBase base(dir / "USERS.BBS", dir / "USERSIDX.BBS");
  UserRecord u = Named("New Caller");
  ASSERT_EQ(base.Append(u, nullptr), std::optional<uint64_t>(2));
  EXPECT_EQ(test::ReadFile(dir / "USERS.BBS").size(), 2032u);
  EXPECT_EQ(base.Read(2)->name, "New Caller");
  EXPECT_EQ(test::ReadFile(dir / "USERSIDX.BBS").size(), 16u);  // entry 1 zeros, entry 2 written
}

TEST(UserBase, WriteFailuresAreReportedNotSwallowed) {
  // /dev/full takes the lock and the open but refuses every write with "no space left".
  UserBase full("/dev/full", "/dev/full");
  UserRecord u = Named("Anyone");
  const WriteResult whole = full.WriteWhole(1, u);
  EXPECT_FALSE(whole.ok);
  EXPECT_NE(whole.error.find("/dev/full"), std::string::npos) << whole.error;
  EXPECT_FALSE(full.WriteIndexEntry(1, u).ok);
  std::string error;
  EXPECT_FALSE(full.Append(u, &error));
  EXPECT_FALSE(error.empty());

  test::TempDir dir;
  UserBase missing(dir / "nope/USERS.BBS", dir / "nope/USERSIDX.BBS");
  EXPECT_FALSE(missing.WriteChanges(1, u, u).ok);
  EXPECT_FALSE(missing.Read(1).has_value());
  EXPECT_EQ(missing.Count(), 0u);
}

TEST(UserBase, AWriteWaitsForALockOnlyUpToItsLimit) {
  test::TempDir dir;
  const std::vector<uint8_t> stored = UserRecordBytes(Named("Held"));
  test::WriteFile(dir / "USERS.BBS", stored);
  auto holder = RecordFile::Open(dir / "USERS.BBS", RecordFile::Mode::kReadWrite);
  ASSERT_TRUE(holder);
  ASSERT_TRUE(holder->Lock(0, 1016, true));  // another node that then hangs
  int pauses = 0;
  UserBase base(dir / "USERS.BBS", dir / "USERSIDX.BBS",
                LockWait{[&](std::chrono::milliseconds) { ++pauses; }, std::chrono::milliseconds(50)});
  UserRecord u = Named("Changed");
  const WriteResult result = base.WriteWhole(1, u);
  EXPECT_FALSE(result.ok);
  EXPECT_GT(pauses, 0) << "the wait ran through the pause callback";
  EXPECT_EQ(test::ReadFile(dir / "USERS.BBS"), std::string(stored.begin(), stored.end()));
}

TEST(UserBase, TheIndexSearchCrossesItsReadingBlocksAndStopsAtTheEnd) {
  test::TempDir dir;
  // 20,000 entries written by hand: entry r holds (r, r + 1000000); entry 8192 (the last of the
  // first block), 8193 (the first of the second) and 20,000 are searched for, and a torn entry of
  // 5 bytes at the end is no entry.
  std::string index;
  const auto put = [&index](uint32_t v) {
    for (int i = 0; i < 4; ++i) index += static_cast<char>(v >> (8 * i));
  };
  for (uint32_t r = 1; r <= 20000; ++r) {
    put(r);
    put(r + 1000000);
  }
  index += std::string("\x55\x55\x55\x55\x55", 5);
  test::WriteFile(dir / "USERSIDX.BBS", index);
  UserBase base(dir / "USERS.BBS", dir / "USERSIDX.BBS");
  EXPECT_EQ(base.FindIndexEntry(8192), std::optional<uint64_t>(8192));
  EXPECT_EQ(base.FindIndexEntry(8193), std::optional<uint64_t>(8193));
  EXPECT_EQ(base.FindIndexEntry(1020000), std::optional<uint64_t>(20000));  // by handle
  EXPECT_EQ(base.FindIndexEntry(0x55555555), std::nullopt);
  EXPECT_EQ(base.FindIndexEntry(5, 6), std::nullopt);  // a search from a later record
  EXPECT_EQ(base.FindIndexEntry(1000005, 5), std::optional<uint64_t>(5));
  EXPECT_EQ(base.FindIndexEntry(7, 30000), std::nullopt);
  UserBase none(dir / "NONE.BBS", dir / "NONE.IDX");
  EXPECT_EQ(none.FindIndexEntry(1), std::nullopt);
}

TEST(UserBase, FindingAUserSkipsTheDeletedAndEntriesOutOfStep) {
  test::TempDir dir;
  UserBase base(dir / "USERS.BBS", dir / "USERSIDX.BBS");
  UserRecord gone = Named("Twin Name");
  gone.attribute = "10000000";  // deleted
  UserRecord other = Named("Somebody Else");
  UserRecord twin = Named("Twin Name");
  for (UserRecord* u : {&gone, &other, &twin}) ASSERT_TRUE(base.Append(*u, nullptr));
  // Entry 2 claims the twin's name for another record.
  ASSERT_TRUE(base.WriteIndexEntry(2, Named("Twin Name")).ok);
  int stale = 0;
  const auto found = base.FindUser(Crc32("TWIN NAME"), 1, &stale);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->record, 3u);
  EXPECT_EQ(found->user.name, "Twin Name");
  EXPECT_EQ(stale, 1);
  EXPECT_FALSE(base.FindUser(Crc32("NOBODY")));
}

}  // namespace
}  // namespace vx::core
