// MSGINF as an external editor reads it, and MSGTMP taken back whatever the editor (or the caller
// driving it) left there.
#include "messages/exchange_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/temp_dir.h"

namespace vx::messages {
namespace {

TEST(ExchangeFiles, MessageInfoLines) {
  MessageInfo info{"Ann Caller", "Sam Sysop", "Fog", 17, "Harbour talk", 0};
  EXPECT_EQ(MessageInfoText(info), "Ann Caller\r\nSam Sysop\r\nFog\r\n17\r\nHarbour talk\r\n");
  info.private_flag = 1;
  EXPECT_EQ(MessageInfoText(info),
            "Ann Caller\r\nSam Sysop\r\nFog\r\n17\r\nHarbour talk\r\nYES\r\n");
  info.private_flag = 2;
  EXPECT_EQ(MessageInfoText(info),
            "Ann Caller\r\nSam Sysop\r\nFog\r\n17\r\nHarbour talk\r\nNO\r\n");
  info.private_flag = 3;  // Enter at a hot-key question
  EXPECT_EQ(MessageInfoText(info), "Ann Caller\r\nSam Sysop\r\nFog\r\n17\r\nHarbour talk\r\n");
}

TEST(ExchangeFiles, WritingReplacesALinkInsteadOfFollowingIt) {
  test::TempDir dir;
  test::WriteFile(dir / "victim", std::string("keep"));
  ASSERT_EQ(::symlink((dir / "victim").c_str(), (dir / "MSGTMP").c_str()), 0);
  ASSERT_TRUE(WriteExchangeFile(dir / "MSGTMP", "quote\r\n").ok);
  EXPECT_EQ(test::ReadFile(dir / "victim"), "keep");
  EXPECT_EQ(test::ReadFile(dir / "MSGTMP"), "quote\r\n");
  struct stat info {};
  ASSERT_EQ(::lstat((dir / "MSGTMP").c_str(), &info), 0);
  EXPECT_TRUE(S_ISREG(info.st_mode));
  ASSERT_TRUE(RemoveExchangeFile(dir / "MSGTMP").ok);
  ASSERT_TRUE(RemoveExchangeFile(dir / "MSGTMP").ok) << "nothing there is no failure";
  EXPECT_FALSE(WriteExchangeFile(dir / "no/MSGTMP", "x").ok);
}

TEST(ExchangeFiles, OnlyWhatTheCallerWroteIsTakenBack) {
  test::TempDir dir;
  const std::string path = dir / "MSGTMP";
  const std::string quote = " KJ> fog\r\n";
  EXPECT_EQ(ReadEditedText(path, quote).status, EditedStatus::kMissing);

  test::WriteFile(path, quote);
  EXPECT_EQ(ReadEditedText(path, quote).status, EditedStatus::kUnchanged);
  test::WriteFile(path, quote + "Agreed.\n");
  EditedText edited = ReadEditedText(path, quote);
  EXPECT_EQ(edited.status, EditedStatus::kWritten);
  EXPECT_EQ(edited.text, quote + "Agreed.\n");

  for (const std::string& blank : {std::string(), std::string(" \r\n\n\t"),
                                   std::string("\0\0\x1a", 3), std::string("\x01\r\n")}) {
    test::WriteFile(path, blank);
    EXPECT_EQ(ReadEditedText(path, "").status, EditedStatus::kBlank);
  }

  // 10 MB is refused; the limit itself is taken.
  test::WriteFile(path, std::string(10 * 1024 * 1024, 'a'));
  EXPECT_EQ(ReadEditedText(path, "").status, EditedStatus::kTooLarge);
  test::WriteFile(path, std::string(kMaxEditedText, 'a'));
  EXPECT_EQ(ReadEditedText(path, "").text.size(), kMaxEditedText);

  // A link to a file elsewhere, a directory, a fifo: never read.
  test::WriteFile(dir / "secret", std::string("password"));
  ::unlink(path.c_str());
  ASSERT_EQ(::symlink((dir / "secret").c_str(), path.c_str()), 0);
  edited = ReadEditedText(path, "");
  EXPECT_EQ(edited.status, EditedStatus::kNotAFile);
  EXPECT_EQ(edited.text, "");
  ::unlink(path.c_str());
  ASSERT_EQ(::mkdir(path.c_str(), 0700), 0);
  EXPECT_EQ(ReadEditedText(path, "").status, EditedStatus::kNotAFile);
  ::rmdir(path.c_str());
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  EXPECT_EQ(ReadEditedText(path, "").status, EditedStatus::kNotAFile) << "no wait for a writer";
}

}  // namespace
}  // namespace vx::messages
