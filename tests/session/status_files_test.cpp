// USERON.BBS, LASTCALL.BBS and SYSINFO.BBS as the start and the end of a call write them,
// compared with records written out by hand from their layouts; the daily reset, and nodes that
// share the files.
#include "session/status_files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "call_fixture.h"

namespace vx::session::testing {
namespace {

using test::PutLong;
using test::PutText;
using test::PutWordAt;

class StatusFilesTest : public CallTest {
 protected:
  // A session on `node_number` with Jane on line, as the logon leaves it; no start-up.
  NodeSession& OnLine(int node_number, long speed) {
    session = std::make_unique<NodeSession>(loop, console, log, line, env);
    session->config.system_path = system.dir.path() + "/";
    session->node.number = node_number;
    session->node.connect_speed = speed;
    core::UserRecord& u = session->caller.user;
    u.name = "Jane Doe";
    u.handle = "Janey";
    u.location = "Harbour";
    u.no_calls = 42;
    u.attribute2 = "00010000";  // character 4
    session->caller.user_on_line = true;
    session->caller.logon_time = "11:58";
    return *session;
  }

  // The time of the file's last change, `days` days before the manual clock's date.
  void ChangedDaysAgo(const std::string& name, int days) {
    const std::time_t when = std::chrono::system_clock::to_time_t(clock.Wall()) - days * 86400;
    struct timespec times[2] = {{when, 0}, {when, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (system.dir / name).c_str(), times, 0), 0);
  }
};

std::vector<uint8_t> LastCallBytes(int node, const std::string& name, unsigned speed_stored) {
  std::vector<uint8_t> r(118, 0);
  r[0] = static_cast<uint8_t>(node);
  PutText(r, 1, name);
  PutText(r, 37, "Janey");
  PutText(r, 73, "Harbour");
  PutWordAt(r, 99, speed_stored);
  PutLong(r, 101, 42);
  PutText(r, 105, "11:58");
  PutText(r, 111, "12:05");
  r[117] = 1;
  return r;
}

TEST_F(StatusFilesTest, TheNodesUserOnRecordAtTheLogonAndAtTheEnd) {
  NodeSession& s = OnLine(3, 57600);
  WriteUserOn(s, kUserOnNewUser, "");
  std::vector<uint8_t> useron(3 * 214, 0);  // node 3 starts at byte 428
  PutText(useron, 428, "Jane Doe");
  PutText(useron, 428 + 36, "Janey");
  useron[428 + 72] = 3;
  PutWordAt(useron, 428 + 73, 57600);
  PutText(useron, 428 + 75, "Harbour");
  useron[428 + 101] = 7;
  PutWordAt(useron, 428 + 212, 42);
  EXPECT_EQ(system.Read("USERON.BBS"), useron);

  WriteUserOn(s, kUserOnLoggedOn, "Busy");
  useron[428 + 101] = 0;
  PutText(useron, 428 + 103, "Busy");
  EXPECT_EQ(system.Read("USERON.BBS"), useron);

  UpdateStatusAtCallEnd(s);
  std::vector<uint8_t> cleared(3 * 214, 0);
  cleared[428 + 102] = 16;
  EXPECT_EQ(system.Read("USERON.BBS"), cleared);
  EXPECT_FALSE(s.caller.user_on_line);
}

TEST_F(StatusFilesTest, SpeedsAsTheTwoFilesStoreThem) {
  struct Case {
    long speed;
    unsigned useron, lastcall;
  };
  for (const Case c : {Case{115200, 11520, 11520}, Case{57600, 57600, 57600}, Case{0, 0, 0},
                       Case{65535, 6553, 65535}}) {
    std::filesystem::remove(system.dir / "USERON.BBS");
    std::filesystem::remove(system.dir / "LASTCALL.BBS");
    NodeSession& s = OnLine(1, c.speed);
    WriteUserOn(s, kUserOnLoggedOn, "");
    const std::vector<uint8_t> useron = system.Read("USERON.BBS");
    ASSERT_EQ(useron.size(), 214u);
    EXPECT_EQ(useron[73] | (useron[74] << 8), static_cast<int>(c.useron)) << c.speed;
    UpdateStatusAtCallEnd(s);
    EXPECT_EQ(system.Read("LASTCALL.BBS"), LastCallBytes(1, "Jane Doe", c.lastcall)) << c.speed;
  }
}

TEST_F(StatusFilesTest, SysInfoCountsTheCallAndLeavesWhatFollowsItsBytesAlone) {
  std::vector<uint8_t> info(90, 0x5A);
  std::fill(info.begin(), info.begin() + 76, 0);
  PutLong(info, 0, 0x7FFFFFFF);
  PutText(info, 4, "A Much Longer Name Than Jane Has");
  test::WriteFile(system.dir / "SYSINFO.BBS", info);
  UpdateStatusAtCallEnd(OnLine(2, 38400));
  std::vector<uint8_t> expected(90, 0x5A);
  std::fill(expected.begin(), expected.begin() + 76, 0);
  PutLong(expected, 0, 0x80000000);  // the count goes on past the signed range as DOS would
  PutText(expected, 4, "Jane Doe");
  PutText(expected, 40, "Janey");
  EXPECT_EQ(system.Read("SYSINFO.BBS"), expected);
  EXPECT_EQ(session->system_info.last_caller_name, "Jane Doe");

  // A damaged, short file: read as far as it goes, written whole.
  test::WriteFile(system.dir / "SYSINFO.BBS", std::vector<uint8_t>{5, 0});
  UpdateStatusAtCallEnd(OnLine(2, 38400));
  const std::vector<uint8_t> after = system.Read("SYSINFO.BBS");
  ASSERT_EQ(after.size(), 76u);
  EXPECT_EQ(after[0], 6);
}

TEST_F(StatusFilesTest, TheFirstCallOfANewDayEmptiesLastCallInPlace) {
  std::vector<uint8_t> yesterday = LastCallBytes(5, "Early Bird", 2400);
  yesterday.insert(yesterday.end(), yesterday.begin(), yesterday.end());
  test::WriteFile(system.dir / "LASTCALL.BBS", yesterday);
  ChangedDaysAgo("LASTCALL.BBS", 1);
  struct stat before {};
  ASSERT_EQ(::stat((system.dir / "LASTCALL.BBS").c_str(), &before), 0);

  UpdateStatusAtCallEnd(OnLine(2, 38400));
  EXPECT_EQ(system.Read("LASTCALL.BBS"), LastCallBytes(2, "Jane Doe", 38400));
  struct stat after {};
  ASSERT_EQ(::stat((system.dir / "LASTCALL.BBS").c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);  // the same file, emptied, not a new one

  // Later the same day the calls add up.
  ChangedDaysAgo("LASTCALL.BBS", 0);
  UpdateStatusAtCallEnd(OnLine(4, 9600));
  std::vector<uint8_t> both = LastCallBytes(2, "Jane Doe", 38400);
  const std::vector<uint8_t> second = LastCallBytes(4, "Jane Doe", 9600);
  both.insert(both.end(), second.begin(), second.end());
  EXPECT_EQ(system.Read("LASTCALL.BBS"), both);
}

TEST_F(StatusFilesTest, APartialLastCallRecordIsOverwrittenOnItsBoundary) {
  std::vector<uint8_t> torn = LastCallBytes(5, "Early Bird", 2400);
  torn.resize(118 + 50, 0x77);
  test::WriteFile(system.dir / "LASTCALL.BBS", torn);
  ChangedDaysAgo("LASTCALL.BBS", 0);
  UpdateStatusAtCallEnd(OnLine(2, 38400));
  std::vector<uint8_t> expected = LastCallBytes(5, "Early Bird", 2400);
  const std::vector<uint8_t> mine = LastCallBytes(2, "Jane Doe", 38400);
  expected.insert(expected.end(), mine.begin(), mine.end());
  EXPECT_EQ(system.Read("LASTCALL.BBS"), expected);
}

TEST_F(StatusFilesTest, WithoutACallerOnLineNothingIsWrittenAndWithoutANameOnlyUserOn) {
  NodeSession& s = OnLine(2, 38400);
  s.caller.user_on_line = false;
  UpdateStatusAtCallEnd(s);
  EXPECT_FALSE(test::Exists(system.dir / "USERON.BBS"));

  NodeSession& nameless = OnLine(2, 38400);
  nameless.caller.user.name = "   ";
  UpdateStatusAtCallEnd(nameless);
  std::vector<uint8_t> cleared(428, 0);
  cleared[214 + 102] = 16;
  EXPECT_EQ(system.Read("USERON.BBS"), cleared);
  EXPECT_FALSE(test::Exists(system.dir / "LASTCALL.BBS"));
  EXPECT_FALSE(test::Exists(system.dir / "SYSINFO.BBS"));
}

TEST_F(StatusFilesTest, NodesWritingAtOnceKeepEachOthersRecordsAndCalls) {
  // Eight processes, each a node with a caller ending a call, all at once.
  constexpr int kNodes = 8;
  std::vector<pid_t> children;
  for (int n = 1; n <= kNodes; ++n) {
    const pid_t pid = ::fork();
    if (pid == 0) {
      // A node of its own with a real clock: its lock waits take real time.
      platform::SystemClock real_clock;
      platform::EventLoop real_loop(real_clock);
      core::NodeLog node_log(real_clock, env);
      node_log.SetFileName(system.dir / ("NODE" + std::to_string(n) + ".LOG"));
      NodeSession s(real_loop, console, node_log, line, env);
      s.config.system_path = system.dir.path() + "/";
      s.node.number = n;
      s.node.connect_speed = 19200;
      s.caller.user.name = "Caller " + std::to_string(n);
      s.caller.user_on_line = true;
      WriteUserOn(s, kUserOnLoggedOn, "");
      UpdateStatusAtCallEnd(s);
      _exit(test::ReadFile(system.dir / ("NODE" + std::to_string(n) + ".LOG")).empty() ? 0 : 1);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  std::vector<uint8_t> cleared(kNodes * 214, 0);
  for (int n = 0; n < kNodes; ++n) cleared[static_cast<size_t>(n) * 214 + 102] = 16;
  EXPECT_EQ(system.Read("USERON.BBS"), cleared);
  EXPECT_EQ(system.Read("LASTCALL.BBS").size(), kNodes * 118u);
  EXPECT_EQ(system.Read("SYSINFO.BBS")[0], kNodes);
}

}  // namespace
}  // namespace vx::session::testing
