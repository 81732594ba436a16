// The status panel's fourteen lines and its birth-date line.
#include "session/status_panel.h"

#include <gtest/gtest.h>

#include "session/node_session.h"
#include "support/recording_console.h"

namespace vx::session {
namespace {

std::tm Day(int year, int month, int day) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  return t;
}

struct Tags : terminal::CodeValues {
  long TaggedFiles() const override { return 3; }
  long TaggedKilobytes() const override { return 120; }
};

TEST(StatusPanel, BirthDatesAndAges) {
  const std::tm today = Day(2026, 12, 6);
  EXPECT_EQ(BirthDateLine("", today), "Birthdate: -, Age: - ");
  EXPECT_EQ(BirthDateLine("13-45-99", today), "Birthdate: -, Age: - ");
  EXPECT_EQ(BirthDateLine("ab-cd-ef", today), "Birthdate: -, Age: - ");
  EXPECT_EQ(BirthDateLine("12-07-26", today), "Birthdate: -, Age: - ") << "tomorrow";
  EXPECT_EQ(BirthDateLine("06-01-26", today), "Birthdate: -, Age: - ") << "an age of 0";
  // The age is the days between the dates divided by 365.25: on the 41st birthday 14975 days are
  // 40.999 years; a day later they are 41.
  EXPECT_EQ(BirthDateLine("12-06-85", today), "Birthdate: 12-06-85, Age: 40");
  EXPECT_EQ(BirthDateLine("12-05-85", today), "Birthdate: 12-05-85, Age: 41");
}

TEST(StatusPanel, BeforeAndAfterTheLogon) {
  platform::ManualClock clock;
  platform::EventLoop loop(clock);
  platform::Environment env;
  core::NodeLog log(clock, env);
  test::RecordingConsole console;
  comm::LocalCommControl line;
  NodeSession session(loop, console, log, line, env);
  Tags tags;
  const std::tm today = Day(2026, 12, 6);
  session.node.local_mode = true;
  StatusPanel waiting = BuildStatusPanel(session, tags, today);
  ASSERT_EQ(waiting.lines.size(), 14u);
  EXPECT_EQ(waiting.lines[0], "Name: Waiting For Call");
  EXPECT_EQ(waiting.status_bar, "Local logon");

  core::UserRecord& u = session.caller.user;
  u.name = "Ann Caller";
  u.handle = "Annie\x1b[2J";
  u.location = "Quay";
  u.voice_phone = "555-0100";
  u.data_phone = "555-0101";
  u.birth_date = "12-05-85";
  u.security = 20;
  u.today_k = 77;
  session.node.local_mode = false;
  session.node.connect_speed = 38400;
  session.clock.session_minutes = 5;
  session.clock.time_left = -3;
  session.clock.daily_time = 60;
  line.SetPortNumber(2);
  line.SetSettings("38400,N,8,1");
  const StatusPanel on = BuildStatusPanel(session, tags, today);
  const std::vector<std::string> expected = {
      "Name: Ann Caller", "Handle: Annie [2J", "Location: Quay", "Voice Phone: 555-0100",
      "Data Phone: 555-0101", "Birthdate: 12-05-85, Age: 41", "Security: 20", "Speed: 38400",
      "Time Online: 5 min.", "Time Left: 0 min.", "Daily Timelimit: 60 min.",
      "Files Tagged: 3 files.", "Bytes Tagged: 120kB.", "Downld Today: 77kB."};
  EXPECT_EQ(on.lines, expected);
  EXPECT_EQ(on.status_bar, "Device: COM2 - 38400,N,8,1");
}

}  // namespace
}  // namespace vx::session
