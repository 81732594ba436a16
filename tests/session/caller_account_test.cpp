// The caller's account goes back to USERS.BBS as the call left it: a new caller appended with the
// index entry, a known caller with only what the call changed.
#include "session/caller_account.h"

#include <gtest/gtest.h>

#include "core/crc32.h"
#include "core/text.h"
#include "support/temp_dir.h"

namespace vx::session {
namespace {

TEST(CallerAccount, ANewCallerIsAppendedOnceAndThenWrittenInPlace) {
  test::TempDir dir;
  core::UserBase base(dir / "USERS.BBS", dir / "USERSIDX.BBS");
  core::UserRecord first;
  first.name = "First Caller";
  ASSERT_TRUE(base.Append(first, nullptr));

  CallerAccount account;
  account.Register();
  account.user.name = "New Caller";
  account.user.handle = "Newt";
  ASSERT_TRUE(account.WriteBack(base).ok);
  EXPECT_EQ(account.record(), 2u);
  EXPECT_EQ(account.record_position(), 1017u);
  EXPECT_FALSE(account.is_new_user());
  EXPECT_EQ(base.Count(), 2u);
  EXPECT_EQ(base.Read(2)->long962, 1);  // the number of records before it
  const std::string index = test::ReadFile(dir / "USERSIDX.BBS");
  ASSERT_EQ(index.size(), 16u);
  const uint32_t handle_crc = core::Crc32("NEWT");
  EXPECT_EQ(static_cast<uint8_t>(index[12]), handle_crc & 0xFF);

  // A second write-back (the end of the call after a door wrote it, say) stays in place.
  account.user.location = "Quay";
  ASSERT_TRUE(account.WriteBack(base).ok);
  EXPECT_EQ(base.Count(), 2u);
  EXPECT_EQ(base.Read(2)->location, "Quay");
}

TEST(CallerAccount, AKnownCallerWritesOnlyWhatTheCallChanged) {
  test::TempDir dir;
  core::UserBase base(dir / "USERS.BBS", dir / "USERSIDX.BBS");
  core::UserRecord stored;
  stored.name = "Known Caller";
  stored.security = 20;
  ASSERT_TRUE(base.Append(stored, nullptr));

  CallerAccount account;
  account.Load(1, *base.Read(1));
  account.LogOn();
  EXPECT_EQ(account.user.no_calls, 1);  // this call counts
  account.user.no_calls = 5;
  // The sysop raises the security level with a DOS tool during the call.
  core::UserRecord raised = *base.Read(1);
  raised.security = 100;
  ASSERT_TRUE(base.WriteWhole(1, raised).ok);

  ASSERT_TRUE(account.WriteBack(base).ok);
  const core::UserRecord after = *base.Read(1);
  EXPECT_EQ(after.no_calls, 5);
  EXPECT_EQ(after.security, 100);
}

TEST(CallerAccount, AnAccountWhosePasswordWasNeverGivenIsNotWritten) {
  test::TempDir dir;
  core::UserBase base(dir / "USERS.BBS", dir / "USERSIDX.BBS");
  core::UserRecord stored;
  stored.name = "Known Caller";
  ASSERT_TRUE(base.Append(stored, nullptr));
  const std::string before = test::ReadFile(dir / "USERS.BBS");

  CallerAccount account;
  account.Load(1, *base.Read(1));
  account.user.elapsed = 30;  // minutes counted at the password prompt
  EXPECT_TRUE(account.WriteBack(base).ok);
  EXPECT_EQ(test::ReadFile(dir / "USERS.BBS"), before);
  EXPECT_FALSE(account.logged_on());
}

TEST(CallerAccount, NoRecordNoWrite) {
  test::TempDir dir;
  core::UserBase base(dir / "USERS.BBS", dir / "USERSIDX.BBS");
  CallerAccount account;
  EXPECT_TRUE(account.WriteBack(base).ok);
  EXPECT_FALSE(test::Exists(dir / "USERS.BBS"));
}

}  // namespace
}  // namespace vx::session
