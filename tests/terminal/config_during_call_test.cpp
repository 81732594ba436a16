// The terminal reads its settings from the node's copy of CONFIG.VX: a change the sysop makes
// during the call shows at the next prompt, and an unchanged file is not read again per prompt.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ctime>
#include <fstream>
#include <string>

#include "terminal_fixture.h"

namespace vx::terminal::testing {
namespace {

class ConfigDuringCallTest : public TerminalTest {
 protected:
  // CONFIG.VX with the given hint brackets (positions 2331 and 2332), last changed
  // `seconds_ago` seconds before now.
  void WriteConfig(char open, char close, int seconds_ago) {
    std::string bytes(core::kConfigSize, '\0');
    bytes[2330] = open;
    bytes[2331] = close;
    const std::string path = (dir / "CONFIG.VX").string();
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    timespec times[2];
    ::clock_gettime(CLOCK_REALTIME, &times[0]);
    times[0].tv_sec -= seconds_ago;
    times[1] = times[0];
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  }
  std::string Ask() {
    line.TakeSent();
    Type("y");
    EXPECT_EQ(terminal.AskChoice(40), 1);
    return line.TakeSent();
  }
};

TEST_F(ConfigDuringCallTest, ASysopsChangeShowsAtTheNextPromptAndNothingIsReadTwice) {
  language.Set(40, "Look for mail? Y", 0x0E);
  WriteConfig('[', ']', 60);
  for (int i = 0; i < 5; ++i) EXPECT_NE(Ask().find("[Y/n]? "), std::string::npos);
  EXPECT_EQ(config_snapshot.reads(), 1);

  WriteConfig('<', '>', 30);  // same size, another time
  EXPECT_NE(Ask().find("<Y/n>? "), std::string::npos);
  EXPECT_NE(Ask().find("<Y/n>? "), std::string::npos);
  EXPECT_EQ(config_snapshot.reads(), 2);

  std::filesystem::remove(dir / "CONFIG.VX");  // gone: no brackets, no failure
  EXPECT_NE(Ask().find("Y/n? "), std::string::npos);
}

}  // namespace
}  // namespace vx::terminal::testing
