// The command line with all its quirks.
#include "session/command_line.h"

#include <gtest/gtest.h>

namespace vx::session {
namespace {

TEST(CommandLine, NoOptionsAtAll) {
  CommandLine c = ParseCommandLine("");
  EXPECT_EQ(c.node, -1);
  EXPECT_FALSE(c.local);
  EXPECT_EQ(c.baud, -1);
  EXPECT_EQ(c.exit_code, -1);
  EXPECT_EQ(c.startup_dir, "");
}

TEST(CommandLine, IsUpperCasedAndSearchedBySubstring) {
  CommandLine c = ParseCommandLine("-n2 -l");
  EXPECT_EQ(c.node, 2);
  EXPECT_TRUE(c.local);
  // Options are found anywhere, in any order, even inside another option's value.
  EXPECT_EQ(GetNumericOption("-D/X-N7 -N3", "-N"), 7);
  EXPECT_EQ(GetNumericOption("-N3", "-n"), -1);  // the search itself is case-sensitive
}

TEST(CommandLine, AValueEndsAtTheNextBlank) {
  EXPECT_EQ(GetNumericOption("-N 2", "-N"), 0);  // present but empty
  EXPECT_EQ(GetTextOption("-D/SRV/NODE1 -N2", "-D"), "/SRV/NODE1");
  EXPECT_EQ(GetNumericOption("-B14400X", "-B"), 14400);
  EXPECT_EQ(GetNumericOption("-Babc", "-B"), 0);
}

TEST(CommandLine, FrontEndCommandLosesItsStarM) {
  CommandLine c = ParseCommandLine("-Mfront*m.sh");
  EXPECT_TRUE(c.has_front_end);
  EXPECT_EQ(c.front_end, "FRONT.SH");
}

TEST(CommandLine, SpeedsNormaliseToTheStandardRates) {
  EXPECT_EQ(NormaliseSpeed(0), 300);
  EXPECT_EQ(NormaliseSpeed(300), 300);
  EXPECT_EQ(NormaliseSpeed(301), 1200);
  EXPECT_EQ(NormaliseSpeed(2400), 4800);
  EXPECT_EQ(NormaliseSpeed(9600), 9600);
  EXPECT_EQ(NormaliseSpeed(14400), 19200);
  EXPECT_EQ(NormaliseSpeed(38401), 115200);
  EXPECT_EQ(NormaliseSpeed(115200), 115200);
  EXPECT_EQ(NormaliseSpeed(115201), 230400);
}

}  // namespace
}  // namespace vx::session
