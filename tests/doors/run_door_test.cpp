// RunDoor with a program stood in for: the codes reach the program, the drop files lie in the node
// directory (EXITINFO.BBS for the owner only), the door's minutes are charged as rounded on the
// monotonic clock, changed files are taken back by their bytes, and a door that cannot run (the
// directory taken by another node, a drop file that cannot be written, a program that cannot
// start) is reported while the caller goes back to the menu.
#include "doors/run_door.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>

#include "core/user_base.h"
#include "door_fixture.h"
#include "doors/line_relay.h"
#include "session/node_directory_claim.h"

namespace vx::doors::testing {
namespace {

using namespace std::chrono_literals;

session::LineProgramOutcome Ran(int exit_code = 0) {
  session::LineProgramOutcome outcome;
  outcome.started = true;
  outcome.exit_code = exit_code;
  return outcome;
}

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  ::stat(path.c_str(), &st);
  return st.st_mode & 0777;
}

// Replaces line `n` (1-based) of a CR LF text file.
void ReplaceLine(const std::string& path, int n, const std::string& text) {
  std::string all = test::ReadFile(path);
  size_t start = 0;
  for (int i = 1; i < n; ++i) start = all.find("\r\n", start) + 2;
  const size_t end = all.find("\r\n", start);
  all.replace(start, end - start, text);
  test::WriteFile(path, all);
}

TEST_F(DoorTest, TheCodesReachTheProgramAndTheDropFilesLieInTheNodeDirectory) {
  FakeRunner runner;
  std::string dorinfo_seen;
  runner.act = [&](const std::vector<std::string>&) {
    dorinfo_seen = test::ReadFile(NodeFile("DORINFO1.DEF"));
    return Ran(3);
  };
  RunDoor(*session, runner, "game *N *B");
  ASSERT_EQ(runner.runs.size(), 1u);
  EXPECT_EQ(runner.runs[0], (std::vector<std::string>{"game", "2", "19200"}));
  EXPECT_EQ(dorinfo_seen,
            "THE LIGHTHOUSE\r\nSAM\r\nSYSOP\r\nCOM0\r\n19200 BAUD,N,8,1\r\n0\r\nJANE\r\nDOE\r\nHARBOUR\r\n"
            "1\r\n10\r\n30\r\n");
  EXPECT_EQ(test::ReadFile(NodeFile("DOOR.SYS")).substr(0, 28), "COM0:\r\n19200\r\n8\r\n2\r\n\r\nY\r\nN\r\n");
  EXPECT_EQ(test::ReadFile(NodeFile("EXITINFO.BBS")).size(), 2382u);
  EXPECT_EQ(ModeOf(NodeFile("EXITINFO.BBS")), 0600u);
  EXPECT_EQ(ModeOf(NodeFile("DORINFO1.DEF")), 0644u);
  EXPECT_EQ(session->program_exit_code, 3);
  EXPECT_NE(Log().find("DOS shell : game *N *B"), std::string::npos);
  Settle();
  EXPECT_NE(caller->received().find("\x1b[2J"), std::string::npos);
  EXPECT_NE(caller->received().find("<472 starting the door>"), std::string::npos);
  // Nothing but the drop files and the directory's claim is left in the node directory.
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(node_dir.path()))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"DOOR.SYS", "DORINFO1.DEF", "EXITINFO.BBS", "VXDOOR.LCK"}));
}

TEST_F(DoorTest, TheDoorsMinutesAreChargedRounded) {
  for (const auto& [seconds, minutes] :
       std::vector<std::pair<int, int>>{{89, 1}, {91, 2}, {29, 0}, {31, 1}, {0, 0}, {600, 10}}) {
    session->clock.time_left = 30;
    session->clock.session_minutes = 4;
    session->caller.user.elapsed = 15;
    FakeRunner runner;
    runner.act = [&, s = seconds](const std::vector<std::string>&) {
      clock.Advance(std::chrono::seconds(s));
      return Ran();
    };
    RunDoor(*session, runner, "game");
    EXPECT_EQ(session->clock.time_left, 30 - minutes) << seconds;
    EXPECT_EQ(session->clock.session_minutes, 4 + minutes) << seconds;
    EXPECT_EQ(session->caller.user.elapsed, 15 + minutes) << seconds;
  }
}

TEST_F(DoorTest, ADoorAcrossMidnightIsChargedItsMinutes) {
  // 23:59:10 local time (the tests run in UTC), 91 seconds of door.
  clock.SetWall(platform::WallTime(std::chrono::seconds(1796601550)));
  ASSERT_EQ(clock.LocalTime().tm_hour, 23);
  FakeRunner runner;
  runner.act = [&](const std::vector<std::string>&) {
    clock.Advance(91s);
    clock.SetWall(platform::WallTime(std::chrono::seconds(1796601641)));  // 00:00:41
    return Ran();
  };
  RunDoor(*session, runner, "game");
  EXPECT_EQ(session->clock.time_left, 28);
}

TEST_F(DoorTest, ADoorThatDoesNothingChangesNothingButTheTime) {
  const core::UserRecord before = session->caller.user;
  const bool echomail = session->call.echomail_entered;
  FakeRunner runner;
  runner.act = [&](const std::vector<std::string>&) {
    clock.Advance(120s);
    return Ran();
  };
  RunDoor(*session, runner, "game");
  core::UserRecord expected = before;
  expected.elapsed = static_cast<int16_t>(before.elapsed + 2);
  EXPECT_EQ(core::UserRecordBytes(session->caller.user), core::UserRecordBytes(expected));
  EXPECT_EQ(session->caller.user.text969, before.text969);
  EXPECT_EQ(session->call.echomail_entered, echomail);
  EXPECT_EQ(session->caller.logon_time, "12:05");
  EXPECT_EQ(session->clock.time_left, 28);
}

TEST_F(DoorTest, AChangedFileIsTakenBackByItsBytesWhateverItsTime) {
  FakeRunner runner;
  runner.act = [&](const std::vector<std::string>&) {
    // Same length, same modification time: only the bytes tell.
    const std::string path = NodeFile("DORINFO1.DEF");
    struct stat st {};
    ::stat(path.c_str(), &st);
    ReplaceLine(path, 11, "99");
    ReplaceLine(path, 12, "20");
    const timespec times[2] = {st.st_atim, st.st_mtim};
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
    return Ran();
  };
  RunDoor(*session, runner, "game");
  EXPECT_EQ(session->caller.user.security, 99);
  EXPECT_EQ(session->clock.time_left, 20);
}

TEST_F(DoorTest, DoorSysIsTakenBackAfterDorinfo) {
  FakeRunner runner;
  runner.act = [&](const std::vector<std::string>&) {
    ReplaceLine(NodeFile("DORINFO1.DEF"), 11, "99");
    ReplaceLine(NodeFile("DORINFO1.DEF"), 12, "20");
    ReplaceLine(NodeFile("DOOR.SYS"), 11, "Lighthouse");
    ReplaceLine(NodeFile("DOOR.SYS"), 15, "50");
    ReplaceLine(NodeFile("DOOR.SYS"), 19, "12");
    return Ran();
  };
  RunDoor(*session, runner, "game");
  EXPECT_EQ(session->caller.user.security, 50);
  EXPECT_EQ(session->caller.user.location, "Lighthouse");
  EXPECT_EQ(session->clock.time_left, 12);
}

TEST_F(DoorTest, ChangesInExitInfoAreTakenBackAndATruncatedOneIsNot) {
  FakeRunner runner;
  runner.act = [&](const std::vector<std::string>&) {
    std::string exit_info = test::ReadFile(NodeFile("EXITINFO.BBS"));
    exit_info[241 + 36 + 1] = 'X';  // the location's first character
    exit_info[1277] = 1;            // netmail entered
    test::WriteFile(NodeFile("EXITINFO.BBS"), exit_info);
    return Ran();
  };
  RunDoor(*session, runner, "game");
  EXPECT_EQ(session->caller.user.location, "Xarbour");
  EXPECT_TRUE(session->call.netmail_entered);

  const core::UserRecord before = session->caller.user;
  runner.act = [&](const std::vector<std::string>&) {
    test::WriteFile(NodeFile("EXITINFO.BBS"), test::ReadFile(NodeFile("EXITINFO.BBS")).substr(0, 100));
    return Ran();
  };
  RunDoor(*session, runner, "game");
  EXPECT_EQ(core::UserRecordBytes(session->caller.user), core::UserRecordBytes(before));
  EXPECT_NE(Log().find("! "), std::string::npos);
  EXPECT_NE(Log().find("EXITINFO.BBS has 100 bytes instead of 2382; not taken back"),
            std::string::npos)
      << Log();
}

TEST_F(DoorTest, ADropFileThatCannotBeWrittenKeepsTheDoorFromRunning) {
  // The previous caller's DORINFO1.DEF, and a DOOR.SYS that cannot be replaced.
  test::WriteFile(NodeFile("DORINFO1.DEF"), std::string("STALE\r\n"));
  std::filesystem::create_directories(NodeFile("DOOR.SYS") + "/inside");
  FakeRunner runner;
  RunDoor(*session, runner, "game");
  EXPECT_TRUE(runner.runs.empty());
  EXPECT_NE(Log().find("Drop file not written, the door does not run: " + NodeFile("DOOR.SYS")),
            std::string::npos)
      << Log();
  Settle();
  EXPECT_NE(caller->received().find("ERROR! Check LOG file"), std::string::npos);
  EXPECT_EQ(session->clock.time_left, 30);
}

TEST_F(DoorTest, ANodeDirectoryAnotherNodeUsesIsRefused) {
  session::NodeDirectoryClaim other(node_dir.path() + "/", 3);
  ASSERT_TRUE(other.held());
  FakeRunner runner;
  RunDoor(*session, runner, "game");
  EXPECT_TRUE(runner.runs.empty());
  EXPECT_FALSE(test::Exists(NodeFile("DORINFO1.DEF")));
  EXPECT_NE(Log().find("is in use by node 3: the door cannot run there"), std::string::npos)
      << Log();
}

TEST_F(DoorTest, TheClaimEndsWithTheDoor) {
  FakeRunner runner;
  runner.act = [&](const std::vector<std::string>&) {
    session::NodeDirectoryClaim other(node_dir.path() + "/", 3);
    EXPECT_FALSE(other.held());
    EXPECT_EQ(other.error(), "in use by node 2");
    return Ran();
  };
  RunDoor(*session, runner, "game");
  ASSERT_EQ(runner.runs.size(), 1u);
  session::NodeDirectoryClaim after(node_dir.path() + "/", 3);
  EXPECT_TRUE(after.held());
}

TEST_F(DoorTest, AProgramThatCannotStartIsReportedAndTheCallerGoesBack) {
  LineRelayRunner runner(*session);
  RunDoor(*session, runner, "no-such-door-program *N");
  EXPECT_NE(Log().find("Unable to start the door: no-such-door-program: No such file or directory"),
            std::string::npos)
      << Log();
  EXPECT_TRUE(test::Exists(NodeFile("DORINFO1.DEF")));
  RunDoor(*session, runner, "*M");
  EXPECT_NE(Log().find("Unable to start the door: the menu entry names no program"),
            std::string::npos);
  EXPECT_EQ(session->clock.time_left, 30);
  EXPECT_FALSE(session->call.terminating);
}

TEST_F(DoorTest, DosPathsOfProgramsNeedTheirDrive) {
  FakeRunner runner;
  RunDoor(*session, runner, "C:\\DOORS\\GAME.EXE *N");
  EXPECT_TRUE(runner.runs.empty());
  EXPECT_NE(Log().find("drive C: is not mapped (set VX_DRIVE_C)"), std::string::npos) << Log();

  test::TempDir drive;
  test::WriteFile(drive / "doors/game.exe", std::string("#!/bin/sh\n"));
  env.Set("VX_DRIVE_C", drive.path());
  RunDoor(*session, runner, "C:\\DOORS\\GAME.EXE *N");
  ASSERT_EQ(runner.runs.size(), 1u);
  EXPECT_EQ(runner.runs[0], (std::vector<std::string>{drive / "doors/game.exe", "2"}));
}

TEST_F(DoorTest, WhenTheCallMustEndTheDoorsResultsAreWrittenFirst) {
  FakeRunner runner;
  runner.act = [&](const std::vector<std::string>&) {
    ReplaceLine(NodeFile("DORINFO1.DEF"), 11, "77");
    session::LineProgramOutcome outcome = Ran(129);
    outcome.end_call = true;
    return outcome;
  };
  EXPECT_THROW(RunDoor(*session, runner, "game"), platform::ProcessExit);
  EXPECT_TRUE(session->call.terminated);
  const std::vector<uint8_t> users = system.Read("USERS.BBS");
  ASSERT_EQ(users.size(), 3u * 1016);
  EXPECT_EQ(users[1016 + 450], 77);  // Jane's security
  EXPECT_EQ(users[1016 + 451], 0);
}

}  // namespace
}  // namespace vx::doors::testing
