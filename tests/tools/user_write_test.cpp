// `vxcfg user set` changes one user as one write of one whole record, seen from outside with
// strace: another node or a crash never sees half a record.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "support/mini_system.h"
#include "support/run_program.h"

namespace vx::tools {
namespace {

const std::string kVxcfg = std::string(VX_BINARY_DIR) + "/tools/vxcfg";

TEST(VxcfgUserSet, OneWriteCallPerChangedRecord) {
  if (std::system("strace -V >/dev/null 2>&1") != 0) GTEST_SKIP() << "strace is not installed";
  test::MiniSystem system;
  const std::string dir = system.dir.path();
  for (const char* name : {"Ann Caller", "Bob Caller", "Cid Caller"}) {
    ASSERT_EQ(test::RunProgram({kVxcfg, "user", "add", dir, name, "secret"}, {}, dir).exit_code, 0);
  }
  const std::string before = test::ReadFile(system.dir / "USERS.BBS");
  ASSERT_EQ(before.size(), 3u * 1016);

  const std::string trace = system.dir / "trace";
  test::ProgramResult run = test::RunProgram(
      {"/usr/bin/strace", "-f", "-o", trace, "-e", "trace=openat,close,write,pwrite64,pwritev,writev",
       kVxcfg, "user", "set", dir, "Bob Caller", "location", "Harbour"},
      {"ASAN_OPTIONS=detect_leaks=0"}, dir);  // the leak checker does not run under a tracer
  if (run.exit_code != 0 && run.error_output.find("ptrace") != std::string::npos) {
    GTEST_SKIP() << "strace cannot trace here: " << run.error_output;
  }
  ASSERT_EQ(run.exit_code, 0) << run.error_output;

  // Every descriptor that named USERS.BBS, and the writes made through them.
  std::ifstream in(trace);
  std::string line;
  std::set<std::string> fds;
  int writes = 0;
  const std::regex open_re(R"(openat\(.*USERS\.BBS", .*\) = (\d+))");
  const std::regex write_re(R"((?:write|pwrite64|pwritev|writev)\((\d+),)");
  const std::regex close_re(R"(close\((\d+)\))");
  while (std::getline(in, line)) {
    std::smatch m;
    if (std::regex_search(line, m, open_re)) fds.insert(m[1]);
    if (std::regex_search(line, m, write_re) && fds.count(m[1])) ++writes;
    if (std::regex_search(line, m, close_re)) fds.erase(m[1]);
  }
  EXPECT_EQ(writes, 1);

  const std::string after = test::ReadFile(system.dir / "USERS.BBS");
  ASSERT_EQ(after.size(), before.size());
  for (size_t i = 0; i < after.size(); ++i) {
    const bool location = i >= 1016 + 36 && i < 1016 + 62;
    if (!location) {
      ASSERT_EQ(after[i], before[i]) << "byte " << i << " changed";
    }
  }
  EXPECT_EQ(after.substr(1016 + 36, 8), "\x07Harbour");
}

}  // namespace
}  // namespace vx::tools
