// The checks of an offered file against the caller's limits, and the list's totals.
#include "files/tag_list.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace vx::files {
namespace {

class TagListTest : public ::testing::Test {
 protected:
  TagListTest() : list(user, clock, node, language) {
    language.Set(193, "No more files can be tagged.", 12);
    language.Set(194, "Not enough time left for that file.", 12);
    language.Set(195, "Your limit is", 12);
    language.Set(196, "k a day.", 12);
    language.Set(197, "downloads per upload.", 12);
    language.Set(618, "Not enough credit.", 12);
    user.default_protocol = 'Z';
    clock.daily_download_k = 100000;
    clock.time_left = 60;
    node.connect_speed = 0;
  }

  ListedFile File(const std::string& name, uint32_t size, uint16_t cost = 0) {
    ListedFile f;
    f.header.name = name;
    f.header.size = size;
    f.header.cost = cost;
    f.full_path = "D:\\FILES\\" + name;
    f.area = 1;
    return f;
  }

  core::UserRecord user;
  session::SessionClock clock;
  session::NodeInfo node;
  core::LanguageTable language;
  DownloadTagList list;
};

TEST_F(TagListTest, SingleFileProtocolTakesOneFile) {
  user.default_protocol = 'X';
  EXPECT_EQ(list.Tag(File("A.ZIP", 10)), "");
  EXPECT_EQ(list.Tag(File("A.ZIP", 10)), "");  // already in the list: no refusal
  EXPECT_EQ(list.Tag(File("B.ZIP", 10)), "No more files can be tagged.");
  EXPECT_TRUE(list.RefusalPauses());
  EXPECT_EQ(list.Count(), 1);
  for (char p : {'1', 'Q'}) {
    user.default_protocol = p;
    EXPECT_TRUE(list.LimitReached());
  }
}

TEST_F(TagListTest, SwitchingToSingleFileProtocolKeepsWhatIsTagged) {
  EXPECT_EQ(list.Tag(File("A.ZIP", 2048)), "");
  EXPECT_EQ(list.Tag(File("B.ZIP", 3072)), "");
  EXPECT_EQ(list.Tag(File("C.ZIP", 1024)), "");
  user.default_protocol = 'X';
  EXPECT_FALSE(list.Batch());
  EXPECT_TRUE(list.LimitReached());
  EXPECT_EQ(list.Tag(File("D.ZIP", 1)), "No more files can be tagged.");
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Kilobytes(), 6);
  // Sending the first one leaves two, and still no room for another.
  list.Remove(0);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Kilobytes(), 4);
  EXPECT_EQ(list.Tag(File("D.ZIP", 1)), "No more files can be tagged.");
  user.default_protocol = 'Y';
  EXPECT_EQ(list.Tag(File("D.ZIP", 1)), "");
}

TEST_F(TagListTest, DailyLimitCountsExactSizeAndToday) {
  clock.daily_download_k = 100;
  user.today_k = 50;
  // 49k + 1023 bytes: 49.999k tagged, just under the limit with today's 50k.
  EXPECT_EQ(list.Tag(File("A.ZIP", 49 * 1024 + 1023)), "");
  EXPECT_EQ(list.Kilobytes(), 49);  // rounded down in the total
  // The offered file counts exactly, what is tagged by its rounded-down total: 49 + 1.001 + 50
  // passes the limit, 49 + 1 + 50 reaches it.
  EXPECT_EQ(list.Tag(File("B.ZIP", 1025)), "Your limit is 100k a day.");
  EXPECT_TRUE(list.RefusalPauses());
  EXPECT_EQ(list.Tag(File("C.ZIP", 1024)), "");
  EXPECT_EQ(list.Count(), 2);
}

TEST_F(TagListTest, KilobyteRatio) {
  clock.kilobyte_ratio = 2;
  user.uploads_k = 0;  // counts as 1
  user.downloads_k = 1;
  EXPECT_EQ(list.Tag(File("A.ZIP", 1024)), "");  // (1 + 1) / 1 = 2: allowed
  EXPECT_EQ(list.Tag(File("B.ZIP", 1)), "Your limit is 2:1 downloads per upload.");
  EXPECT_FALSE(list.RefusalPauses());
  user.uploads_k = 2;
  EXPECT_EQ(list.Tag(File("B.ZIP", 1)), "");
  clock.kilobyte_ratio = 0;  // none
  EXPECT_EQ(list.Tag(File("C.ZIP", 1000000)), "");
}

TEST_F(TagListTest, FileRatio) {
  clock.file_ratio = 3;
  user.uploads = 0;  // counts as 1
  user.downloads = 1;
  EXPECT_EQ(list.Tag(File("A.ZIP", 1)), "");
  EXPECT_EQ(list.Tag(File("B.ZIP", 1)), "");
  EXPECT_EQ(list.Tag(File("C.ZIP", 1)), "Your limit is 3:1 downloads per upload.");
  EXPECT_FALSE(list.RefusalPauses());
  // A sent file leaves the list: the ratio then counts it in Downloads instead.
  list.Remove(0);
  user.downloads = 2;
  EXPECT_EQ(list.Tag(File("C.ZIP", 1)), "Your limit is 3:1 downloads per upload.");
  user.uploads = 2;
  EXPECT_EQ(list.Tag(File("C.ZIP", 1)), "");
}

TEST_F(TagListTest, TimeAtTheLineSpeed) {
  node.connect_speed = 2400;  // 240 characters a second
  clock.time_left = 1;
  EXPECT_EQ(list.Tag(File("A.ZIP", 14 * 1024)), "");
  // 14400 bytes are one minute: 14k tagged and 64 bytes fit, 65 do not.
  EXPECT_EQ(list.Tag(File("B.ZIP", 65)), "Not enough time left for that file.");
  EXPECT_TRUE(list.RefusalPauses());
  EXPECT_EQ(list.Tag(File("B.ZIP", 64)), "");
  // A local call has no time check, nor has a line without a speed.
  node.local_mode = true;
  EXPECT_EQ(list.Tag(File("C.ZIP", 10000000)), "");
  node.local_mode = false;
  node.connect_speed = 0;
  EXPECT_EQ(list.Tag(File("D.ZIP", 10000000)), "");
}

TEST_F(TagListTest, CreditIsComparedNotSpent) {
  user.long440 = 10;
  EXPECT_EQ(list.Tag(File("A.ZIP", 1, 6)), "");
  EXPECT_EQ(list.Tag(File("B.ZIP", 1, 5)), "Not enough credit.");
  EXPECT_TRUE(list.RefusalPauses());
  EXPECT_EQ(list.Tag(File("B.ZIP", 1, 4)), "");
  EXPECT_EQ(list.Cost(), 10);
  EXPECT_EQ(user.long440, 10);
  EXPECT_EQ(list.Tag(File("C.ZIP", 1, 0)), "");  // free files always pass
  user.long440 = 0;
  list.Clear();
  EXPECT_EQ(list.Tag(File("D.ZIP", 1, 1)), "Not enough credit.");
}

TEST_F(TagListTest, AtMost1024Files) {
  for (size_t i = 0; i < TagList::kMaxFiles; ++i) {
    ASSERT_EQ(list.Tag(File("F" + std::to_string(i) + ".ZIP", 1)), "") << i;
  }
  EXPECT_TRUE(list.LimitReached());
  EXPECT_EQ(list.Tag(File("LAST.ZIP", 1)), "No more files can be tagged.");
  EXPECT_EQ(list.Count(), 1024);
}

TEST_F(TagListTest, FilesThatAreNoLongerRegularFilesAreDropped) {
  test::TempDir dir;
  test::WriteFile(dir / "KEEP.ZIP", std::string("abc"));
  test::WriteFile(dir / "LATER.ZIP", std::string("a"));
  std::filesystem::create_directory(dir / "DIR.ZIP");
  const platform::Environment env;
  for (const char* name : {"KEEP.ZIP", "DIR.ZIP", "GONE.ZIP", "LATER.ZIP"}) {
    ListedFile f = File(name, 2048);
    f.full_path = dir / name;
    ASSERT_EQ(list.Tag(f), "");
  }
  std::vector<std::string> dropped;
  list.DropMissingFiles(env, [&](const ListedFile& f) { dropped.push_back(f.header.name); });
  EXPECT_EQ(dropped, (std::vector<std::string>{"DIR.ZIP", "GONE.ZIP"}));
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.files()[0].header.name, "KEEP.ZIP");
  EXPECT_EQ(list.files()[1].header.name, "LATER.ZIP");
  EXPECT_EQ(list.Kilobytes(), 4);
}

}  // namespace
}  // namespace vx::files
