// The node log's line forms and its file behaviour.
#include "core/node_log.h"

#include <gtest/gtest.h>

#include "platform/clock.h"
#include "support/temp_dir.h"

namespace vx::core {
namespace {

std::tm Noon() {
  std::tm t{};
  t.tm_hour = 12;
  t.tm_min = 5;
  t.tm_sec = 9;
  return t;
}

TEST(NodeLog, LineForms) {
  EXPECT_EQ(NodeLog::FormatLine("", Noon()), "> 12:05:09  ");
  EXPECT_EQ(NodeLog::FormatLine("\x1b", Noon()), "");
  EXPECT_EQ(NodeLog::FormatLine("\ax\r\n", Noon()), "! 12:05:09  x");
  EXPECT_EQ(NodeLog::FormatLine("hello\n\r\n", Noon()), "> 12:05:09  hello");
  EXPECT_EQ(NodeLog::FormatLine("\x1b----------  header", Noon()), "----------  header");
}

TEST(NodeLog, AppendsCrLfLinesAndKeepsRows) {
  test::TempDir dir;
  // 2026-12-06 12:05:09 UTC.
  platform::ManualClock clock(platform::WallTime(std::chrono::seconds(1796558709)));
  platform::Environment env;
  NodeLog log(clock, env);
  log.SetFileName(dir / "NODE1.LOG");
  log.WriteLog("one");
  log.WriteLog("\atwo");
  log.WriteLog("\x1bplain");
  EXPECT_EQ(test::ReadFile(dir / "NODE1.LOG"),
            "> 12:05:09  one\r\n! 12:05:09  two\r\nplain\r\n");
  ASSERT_EQ(log.book().size(), 3u);
  EXPECT_EQ(log.book()[1].date, "12-06-2026");
  EXPECT_EQ(log.book()[1].time, "12:05:09");
  EXPECT_EQ(log.book()[1].text, "two");
  EXPECT_EQ(log.book()[2].text, "plain");
}

TEST(NodeLog, MissingDirectoryStillAddsTheRow) {
  platform::SystemClock clock;
  platform::Environment env;
  NodeLog log(clock, env);
  log.SetFileName("/nonexistent/dir/NODE1.LOG");
  log.WriteLog("lost");
  EXPECT_EQ(log.book().size(), 1u);
  log.Debug("not in debug mode");
  EXPECT_EQ(log.book().size(), 1u);
}

}  // namespace
}  // namespace vx::core
