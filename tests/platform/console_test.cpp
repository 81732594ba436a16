// The headless console: message boxes to standard error and the log, with their safe answers.
#include <gtest/gtest.h>

#include "platform/console.h"

namespace vx::platform {
namespace {

TEST(HeadlessConsole, WritesOneLineAndTakesTheSafeAnswer) {
  std::vector<std::string> logged;
  HeadlessConsole console([&](std::string_view line) { logged.emplace_back(line); });
  EXPECT_FALSE(console.interactive());
  EXPECT_EQ(console.MessageBox("(7998) \rNo file.\rCreate one.", "Configuration Error",
                               box::kOkOnly + box::kExclamation),
            box::kOk);
  EXPECT_EQ(console.MessageBox("Remove it?", "Question", box::kYesNo + box::kExclamation), box::kNo);
  ASSERT_EQ(logged.size(), 2u);
  EXPECT_EQ(logged[0], "Configuration Error: (7998) No file. Create one.");
}

}  // namespace
}  // namespace vx::platform
