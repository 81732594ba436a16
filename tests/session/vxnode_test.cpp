// vxnode run as a sysop's script runs it, without a terminal: its start-up failures on standard
// error with their exit statuses, and the semaphore of a node that is already running.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

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
  test::ProgramResult run = RunNode({"-N3", "-X"}, {"VX=" + system.dir.path()}, system.dir.path());
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
  test::ProgramResult run = RunNode({"-N3"}, {"VX=" + system.dir.path()}, system.dir.path());
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.error_output, "ngFarlink32: Node 3 is already in use by a running node.\n");
  EXPECT_TRUE(test::Exists(path));  // the running node's semaphore stays
  EXPECT_EQ(test::ReadFile(system.dir / "NODE3.LOG").find("User off-line"), std::string::npos);
  ::close(fd);

  // Once that node is gone, the file left behind is reclaimed.
  run = RunNode({"-N3"}, {"VX=" + system.dir.path()}, system.dir.path());
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_FALSE(test::Exists(path));
}

}  // namespace
}  // namespace vx::session
