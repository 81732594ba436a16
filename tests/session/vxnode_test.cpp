// vxnode run as a sysop's script runs it, without a terminal: its start-up failures on standard
// error with their exit statuses, and the semaphore of a node that is already running.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/text.h"
#include "platform/environment.h"
#include "support/loopback.h"
#include "support/mini_system.h"
#include "support/run_program.h"

namespace vx::session {
namespace {

const std::string kNode = std::string(VX_BINARY_DIR) + "/src/vxnode";

test::ProgramResult RunNode(const std::vector<std::string>& args, const std::vector<std::string>& env,
                            const std::string& cwd) {
  std::vector<std::string> argv = {kNode};
  argv.insert(argv.end(), args.begin(), args.end());
  return test::RunProgram(argv, env, cwd);
}

// The node with a caller on a local socket handed over as descriptor 3 (-H3): the caller's side
// is closed once the node has ended.
test::ProgramResult RunCall(std::vector<std::string> args, const std::vector<std::string>& env,
                            const std::string& cwd) {
  int fds[2];
  EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
  std::vector<std::string> argv = {kNode, "-H3", "-B38400"};
  argv.insert(argv.end(), args.begin(), args.end());
  test::ProgramResult result = test::RunProgram(argv, env, cwd, {fds[1]});
  ::close(fds[0]);
  ::close(fds[1]);
  return result;
}

TEST(Vxnode, StartupFailuresOnStandardErrorWithTheirStatus) {
  test::TempDir empty;
  test::ProgramResult unset = RunNode({"-N3"}, {}, empty.path());
  EXPECT_EQ(unset.exit_code, 1);
  EXPECT_EQ(unset.error_output,
            "Fatal Error: Environment variable (VX) not set! Make sure that the system path is set "
            "(SET VX=[path]).\n");

  test::TempDir here;
  test::WriteFile(here / "CONFIG.VX", std::vector<uint8_t>(6330, 0));
  test::ProgramResult short_config = RunNode({}, {"VX=" + empty.path()}, here.path());
  EXPECT_EQ(short_config.exit_code, 1);
  EXPECT_EQ(short_config.error_output,
            "Fatal Error: Invalid CONFIG.VX, filelength incorrect! Please correct by running the "
            "configuration utility.\n");

  test::ProgramResult no_config = RunNode({}, {"VX=" + empty.path()}, empty.path());
  EXPECT_EQ(no_config.exit_code, 1);
  EXPECT_EQ(no_config.error_output,
            "Configuration Error: (7998) No valid general configuration file (CONFIG.VX) found in "
            "systempath. Please create a configuration file using the configuration utility.\n");
}

TEST(Vxnode, FailuresOnAValidSystemAlsoGoToTheLog) {
  test::MiniSystem system;
  std::vector<std::string> env = {"VX=" + system.dir.path()};
  test::ProgramResult bad_dir = RunNode({"-N2", "-D/nonexistent"}, env, system.dir.path());
  EXPECT_EQ(bad_dir.exit_code, 1);
  EXPECT_EQ(bad_dir.error_output,
            "Error!: Startup Path (/NONEXISTENT) not found! Change -D startup parameter.\n");
  EXPECT_NE(test::ReadFile(system.dir / "NODE2.LOG").find("! "), std::string::npos);

  test::ProgramResult bad_node = RunNode({"-N", "2"}, env, system.dir.path());
  EXPECT_EQ(bad_node.exit_code, 2);
  EXPECT_NE(bad_node.error_output.find("Node number (0) out of range!"), std::string::npos);

  std::filesystem::remove(system.dir / "LANGUAGE.VX");
  test::ProgramResult no_language = RunNode({"-N2"}, env, system.dir.path());
  EXPECT_EQ(no_language.exit_code, 1);
  EXPECT_EQ(no_language.error_output,
            "Configuration Error: (7997) No valid language configuration file (LANGUAGE.VX) found in "
            "nodepath or systempath. Please create a language configuration file using the "
            "configuration utility.\n");
  EXPECT_NE(test::ReadFile(system.dir / "NODE2.LOG").find("(7997)"), std::string::npos);
  EXPECT_FALSE(test::Exists(system.dir / "VxBusy.2"));
}

TEST(Vxnode, ValidStartCreatesAndRemovesItsSemaphore) {
  test::MiniSystem system;
  test::ProgramResult run = RunCall({"-N3", "-X"}, {"VX=" + system.dir.path()}, system.dir.path());
  EXPECT_EQ(run.exit_code, 0) << run.error_output;
  EXPECT_EQ(run.error_output, "");
  std::string log = test::ReadFile(system.dir / "NODE3.LOG");
  EXPECT_NE(log.find("\r\n----------  "), std::string::npos);
  EXPECT_NE(log.find("Check Semaphores"), std::string::npos);
  EXPECT_FALSE(test::Exists(system.dir / "VxBusy.3"));
}

TEST(Vxnode, SemaphoreHeldByARunningNodeEndsTheSecondWithZero) {
  test::MiniSystem system;
  // This test process plays the running node: it holds the lock of VxBusy.3.
  std::string path = system.dir / "VxBusy.3";
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT, 0644);
  ASSERT_GE(fd, 0);
  struct flock fl {};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  ASSERT_EQ(::fcntl(fd, F_OFD_SETLK, &fl), 0);
  test::ProgramResult run = RunCall({"-N3"}, {"VX=" + system.dir.path()}, system.dir.path());
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.error_output, "ngFarlink32: Node 3 is already in use by a running node.\n");
  EXPECT_TRUE(test::Exists(path));  // the running node's semaphore stays
  EXPECT_EQ(test::ReadFile(system.dir / "NODE3.LOG").find("User off-line"), std::string::npos);
  ::close(fd);

  // Once that node is gone, the file left behind is reclaimed.
  run = RunCall({"-N3"}, {"VX=" + system.dir.path()}, system.dir.path());
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_FALSE(test::Exists(path));
}

// Everything the caller's side has received once the node has closed the connection.
std::string ReadAll(int fd) {
  std::string got;
  char buffer[4096];
  ssize_t n;
  while ((n = ::recv(fd, buffer, sizeof buffer, 0)) > 0) got.append(buffer, static_cast<size_t>(n));
  return got;
}

TEST(Vxnode, ATelnetCallerOnAHandedOverTcpSocket) {
  test::MiniSystem system;
  test::WriteFile(system.dir / "LOGO.ANS", std::string("\x1b[1;33mWelcome \xff here\r\n"));
  auto [node, caller] = test::LoopbackTcpPair();
  test::ProgramResult run =
      test::RunProgram({kNode, "-N4", "-B38400", "-H3", "-X"}, {"VX=" + system.dir.path()},
                       system.dir.path(), {node});
  ::close(node);
  EXPECT_EQ(run.exit_code, 0) << run.error_output;
  const std::string got = ReadAll(caller);
  ::close(caller);
  // The node's telnet offers come first; the LOGO follows in colour with its 0xFF doubled.
  EXPECT_EQ(got.substr(0, 12), std::string("\xff\xfb\x01\xff\xfb\x03\xff\xfb\x00\xff\xfd\x00", 12));
  EXPECT_NE(got.find("\x1b[1;33mWelcome \xff\xff here"), std::string::npos);
  EXPECT_NE(got.find("This is build 1"), std::string::npos);
  EXPECT_EQ(got.find("ATH"), std::string::npos);  // no modem commands for a telnet caller
  EXPECT_EQ(got.find("+++"), std::string::npos);
  const std::string log = test::ReadFile(system.dir / "NODE4.LOG");
  EXPECT_NE(log.find("Line #4"), std::string::npos);
  EXPECT_NE(log.find("speed 38400"), std::string::npos);
  EXPECT_EQ(log.find("MODEM.VX"), std::string::npos);  // neither needed nor looked for
  EXPECT_FALSE(test::Exists(system.dir / "VxBusy.4"));
}

TEST(Vxnode, AHandedOverConnectionWithoutASpeedIsAConnectedCall) {
  test::MiniSystem system;
  int fds[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
  test::ProgramResult run = test::RunProgram({kNode, "-H3", "-X"}, {"VX=" + system.dir.path()},
                                             system.dir.path(), {fds[1]});
  ::close(fds[1]);
  EXPECT_EQ(run.exit_code, 0) << run.error_output;
  EXPECT_NE(ReadAll(fds[0]).find("This is build 1"), std::string::npos);  // raw: no telnet
  ::close(fds[0]);
  EXPECT_NE(
      test::ReadFile(system.dir / "NODE1.LOG").find("Handed-over line without -B: speed 38400"),
      std::string::npos);
}

TEST(Vxnode, AClosedHandedOverDescriptorCannotBeOpened) {
  test::MiniSystem system;
  test::ProgramResult run =
      RunNode({"-N2", "-B9600", "-H9"}, {"VX=" + system.dir.path()}, system.dir.path());
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.error_output,
            "Error!: no connected line on descriptor 9 : Unable to open port! (Port: 0)\n");
  EXPECT_FALSE(test::Exists(system.dir / "VxBusy.2"));
}

TEST(Vxnode, AClaimMadeByTheStartingProgramIsAdopted) {
  test::MiniSystem system;
  const std::string path = system.dir / "VxBusy.3";
  const int claim = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  struct flock fl {};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  ASSERT_EQ(::fcntl(claim, F_OFD_SETLK, &fl), 0);
  int fds[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
  test::ProgramResult run = test::RunProgram({kNode, "-N3", "-B38400", "-H3", "-X"},
                                             {"VX=" + system.dir.path(), "VX_SEMAPHORE_FD=4"},
                                             system.dir.path(), {fds[1], claim});
  ::close(claim);
  ::close(fds[0]);
  ::close(fds[1]);
  EXPECT_EQ(run.exit_code, 0) << run.error_output;
  EXPECT_EQ(run.error_output, "");  // not "already in use"
  const std::string log = test::ReadFile(system.dir / "NODE3.LOG");
  EXPECT_NE(log.find("Semaphore VxBusy.3 claimed for this node at its start"), std::string::npos);
  EXPECT_FALSE(test::Exists(path));  // released at the end like its own
}

TEST(Vxnode, AClaimOnAnotherNodesSemaphoreIsLetGo) {
  test::MiniSystem system;
  const std::string other = system.dir / "VxBusy.5";
  const int claim = ::open(other.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  int fds[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
  test::ProgramResult run = test::RunProgram({kNode, "-N3", "-B38400", "-H3"},
                                             {"VX=" + system.dir.path(), "VX_SEMAPHORE_FD=4"},
                                             system.dir.path(), {fds[1], claim});
  ::close(claim);
  ::close(fds[0]);
  ::close(fds[1]);
  EXPECT_EQ(run.exit_code, 0) << run.error_output;
  EXPECT_NE(test::ReadFile(system.dir / "NODE3.LOG").find("is not on "), std::string::npos);
  EXPECT_TRUE(test::Exists(other));  // not this node's to remove
}

TEST(Vxnode, AFrontEndProgramRunsAndItsErrorlevelIsTheExitCode) {
  test::MiniSystem system;
  std::vector<uint8_t> modem(156, 0);
  modem[0] = 1;
  test::WriteFile(system.dir / "MODEM.VX", modem);
  for (size_t position : {1531, 1532, 2820, 5331}) system.config.at(position - 1) = 255;
  system.WriteConfig();
  // The program is found by the name as typed, whatever the upper-cased command line says.
  const std::string program = system.dir / "Front.sh";
  test::WriteFile(program,
                  std::string("#!/bin/sh\necho ran > \"$(dirname \"$0\")/ran\"\nexit 42\n"));
  ::chmod(program.c_str(), 0755);
  test::ProgramResult run = RunNode(
      {"-N2", "-M" + program}, {"VX=" + system.dir.path(), "VX_COM1=/dev/null"}, system.dir.path());
  EXPECT_EQ(run.exit_code, 42) << run.error_output;
  EXPECT_TRUE(test::Exists(system.dir / "ran"));
  const std::string log = test::ReadFile(system.dir / "NODE2.LOG");
  EXPECT_NE(log.find(core::UpperCase(program) + " returned with errorlevel42\r\n"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("Errorlevel 42 not to be handled by ngVX32"), std::string::npos);
}

}  // namespace
}  // namespace vx::session
