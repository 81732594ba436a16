// The codes of a door's command line: every code, in either case, replaced inside its word in one
// pass; *U with and without text after it; names that hold shell characters or codes of their
// own; the line's case kept.
#include "doors/door_command.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/temp_dir.h"

namespace vx::doors {
namespace {

using Words = std::vector<std::string>;

DoorCodeValues Values() {
  DoorCodeValues v;
  v.speed = 19200;
  v.command_interpreter = "/bin/sh";
  v.first_name = "Anna";
  v.last_name = "Maria Berg";
  v.display_mode = 1;
  v.extra_record = 7;
  v.node = 2;
  v.port = 3;
  v.minutes_left = 45;
  v.message_area = 12;
  return v;
}

TEST(DoorCommand, NodeAndSpeed) {
  EXPECT_EQ(ExpandDoorCommand("*N *B", Values()), (Words{"2", "19200"}));
}

TEST(DoorCommand, EveryCodeInEitherCaseAndTheLineKeepsItsCase) {
  EXPECT_EQ(ExpandDoorCommand("/srv/Doors/Game.sh *b *c *f *g *l *m *n *p *r *t *! *1", Values()),
            (Words{"/srv/Doors/Game.sh", "19200", "/bin/sh", "Anna", "1", "Maria_Berg", "2", "3",
                   "7", "45", "12"}));
  EXPECT_EQ(ExpandDoorCommand("game -n*N -t*T --area=*1", Values()),
            (Words{"game", "-n2", "-t45", "--area=12"}));
  DoorCodeValues plain = Values();
  plain.display_mode = 0;
  EXPECT_EQ(ExpandDoorCommand("*G", plain), (Words{"0"}));
  plain.display_mode = 2;  // *G says whether the display is ANSI
  EXPECT_EQ(ExpandDoorCommand("*G", plain), (Words{"0"}));
}

TEST(DoorCommand, UnknownCodesAndLoneStarsStay) {
  EXPECT_EQ(ExpandDoorCommand("ls *.txt *Z a* **N", Values()),
            (Words{"ls", "*.txt", "*Z", "a*", "*2"}));
}

TEST(DoorCommand, UTakesItsTextAndTheBlankAfterIt) {
  EXPECT_EQ(ExpandDoorCommand("X *UABC Y", Values()), (Words{"X", "Y"}));
  // The next word continues the cut one.
  EXPECT_EQ(ExpandDoorCommand("X ab*Ucd Y", Values()), (Words{"X", "abY"}));
  // With nothing after it the line ends before the code.
  EXPECT_EQ(ExpandDoorCommand("X *UABC", Values()), (Words{"X"}));
  EXPECT_EQ(ExpandDoorCommand("X *U", Values()), (Words{"X"}));
  EXPECT_EQ(ExpandDoorCommand("X *u *N", Values()), (Words{"X", "2"}));
}

TEST(DoorCommand, AnEmptyLineNamesNothing) {
  EXPECT_TRUE(ExpandDoorCommand("", Values()).empty());
  EXPECT_TRUE(ExpandDoorCommand("   ", Values()).empty());
  EXPECT_TRUE(ExpandDoorCommand("*M *!", Values()).empty());
}

TEST(DoorCommand, QuotedWordsKeepTheirBlanks) {
  EXPECT_EQ(ExpandDoorCommand("\"/srv/My Doors/x\" *N", Values()),
            (Words{"/srv/My Doors/x", "2"}));
}

TEST(DoorCommand, NamesSplitAtTheirFirstBlank) {
  EXPECT_EQ(FirstName("Anna Maria Berg"), "Anna");
  EXPECT_EQ(LastName("Anna Maria Berg"), "Maria Berg");
  EXPECT_EQ(FirstName("Cher"), "Cher");
  EXPECT_EQ(LastName("Cher"), "");
  DoorCodeValues v = Values();
  v.first_name = FirstName("Cher");
  v.last_name = LastName("Cher");
  EXPECT_EQ(ExpandDoorCommand("door *F *L end", v), (Words{"door", "Cher", "end"}));
}

TEST(DoorCommand, ANameCannotAddWordsCodesOrShellCommands) {
  DoorCodeValues v = Values();
  const std::vector<std::pair<std::string, std::string>> names = {
      {"x`touch p`", "x_touch_p_"},
      {"$(touch p)", "__touch_p_"},
      {"a;touch p", "a_touch_p"},
      {"*U", "_U"},  // a code in a name is no code
      {"*T*N", "_T_N"},
      {"../x", ".._x"},
      {"line\nbreak", "line_break"},
      {"J\xf6rg", "J_rg"},  // bytes above 127
      {"-rf", "-rf"},
  };
  for (const auto& [name, safe] : names) {
    v.first_name = name;
    EXPECT_EQ(ExpandDoorCommand("door *F end", v), (Words{"door", safe, "end"})) << name;
    v.last_name = name;
    EXPECT_EQ(ExpandDoorCommand("door *L", v), (Words{"door", safe})) << name;
  }
}

// Even a door that hands the name to a shell runs nothing: one harmless argument, no file made.
TEST(DoorCommand, ANameGivenToAShellRunsNothing) {
  test::TempDir dir;
  DoorCodeValues v = Values();
  v.first_name = "x`touch pwned`;touch";
  v.last_name = "$(touch pwned2) *U";
  const Words argv =
      ExpandDoorCommand("/bin/sh -c \"echo *F *L > args\"", v);
  ASSERT_EQ(argv.size(), 3u);
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::chdir(dir.path().c_str()) != 0) ::_exit(99);
    ::execl(argv[0].c_str(), argv[0].c_str(), argv[1].c_str(), argv[2].c_str(), nullptr);
    ::_exit(98);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(test::ReadFile(dir / "args"), "x_touch_pwned__touch __touch_pwned2___U\n");
  EXPECT_FALSE(test::Exists(dir / "pwned"));
  EXPECT_FALSE(test::Exists(dir / "pwned2"));
}

}  // namespace
}  // namespace vx::doors
