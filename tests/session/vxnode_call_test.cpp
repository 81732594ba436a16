// Whole calls to the node program itself, each on a connection handed over as descriptor 3, as a
// listener starts it: a caller who hangs up, and twenty nodes ending calls at the same moment on
// one system. The files are checked byte for byte afterwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <memory>
#include <sstream>

#include "support/logon_system.h"
#include "support/node_process.h"

namespace vx::session {
namespace {

using test::PutLong;
using test::PutText;
using test::PutWordAt;

const std::string kNode = std::string(VX_BINARY_DIR) + "/src/vxnode";

std::unique_ptr<test::NodeProcess> StartNode(const test::LogonSystem& system, int node) {
  return std::make_unique<test::NodeProcess>(
      kNode, std::vector<std::string>{"-N" + std::to_string(node), "-H3"},
      std::vector<std::string>{"VX=" + system.dir.path(), "VXCONSOLE=none"}, system.dir.path());
}

std::string Today() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[48];
  std::snprintf(text, sizeof text, "%02d-%02d-%02d", local.tm_mon + 1, local.tm_mday,
                local.tm_year % 100);
  return text;
}

// Jane's record as a call today leaves it: LastTime as the node wrote it (the real time of day),
// today's date, one call more, and on a new day the day's minutes and kilobytes started afresh.
std::vector<uint8_t> JaneAfterACall(const test::LogonSystem& system,
                                    const std::vector<uint8_t>& written) {
  std::vector<uint8_t> users = system.users;
  std::copy(written.begin() + 1016 + 419, written.begin() + 1016 + 425, users.begin() + 1016 + 419);
  PutText(users, 1016 + 425, Today());
  PutLong(users, 1016 + 456, 42);
  if (Today() != system.jane.last_date) {
    PutWordAt(users, 1016 + 480, 0);
    PutLong(users, 1016 + 476, 0);
  }
  return users;
}

TEST(VxnodeCall, ACallerWhoHangsUpEndsTheNodeWithinASecondAndTheFilesShowTheCall) {
  test::LogonSystem system;
  system.SetConfigByte(1493, 2);  // the personal-mail scan is offered: the node waits there
  auto node = StartNode(system, 1);
  ASSERT_TRUE(node->started());
  ASSERT_TRUE(node->WaitFor("Name: "));
  node->Type("jane doe\rsecret\r");
  ASSERT_TRUE(node->WaitFor("<40 mail?>")) << node->received();
  node->HangUp();
  EXPECT_EQ(node->Wait(std::chrono::milliseconds(1000)), 0)
      << "the node did not end within a second";

  const std::vector<uint8_t> users = system.Read("USERS.BBS");
  ASSERT_EQ(users.size(), system.users.size());
  EXPECT_EQ(users, JaneAfterACall(system, users));
  EXPECT_EQ(users[1016 + 419], 5);  // LastTime "hh:mm"
  std::vector<uint8_t> useron(214, 0);
  useron[102] = 16;
  EXPECT_EQ(system.Read("USERON.BBS"), useron);
  const std::vector<uint8_t> lastcall = system.Read("LASTCALL.BBS");
  ASSERT_EQ(lastcall.size(), 118u);
  EXPECT_EQ(lastcall[0], 1);
  EXPECT_EQ(lastcall[99] | (lastcall[100] << 8), 38400);
  EXPECT_EQ(system.Read("SYSINFO.BBS")[0], 1);
  EXPECT_FALSE(test::Exists(system.dir / "VxBusy.1"));
  const std::string log = test::ReadFile(system.dir / "NODE1.LOG");
  EXPECT_NE(log.find("Jane Doe on-line at 38400 BPS"), std::string::npos) << log;
  EXPECT_NE(log.find("User off-line"), std::string::npos);
  EXPECT_EQ(log.find("Terminating call..."), std::string::npos);  // nobody left to hang up on
}

TEST(VxnodeCall, TwentyNodesEndingCallsAtOnceLoseNoCall) {
  test::LogonSystem system;
  std::vector<uint8_t> info(76, 0);
  PutLong(info, 0, 500);
  test::WriteFile(system.dir / "SYSINFO.BBS", info);
  constexpr int kNodes = 20;
  std::vector<std::unique_ptr<test::NodeProcess>> nodes;
  for (int n = 1; n <= kNodes; ++n) {
    nodes.push_back(StartNode(system, n));
    ASSERT_TRUE(nodes.back()->started());
  }
  for (auto& node : nodes) {
    ASSERT_TRUE(node->WaitFor("Name: "));
    node->Type("jane doe\r");
  }
  for (auto& node : nodes) ASSERT_TRUE(node->WaitFor("<59 password?>"));
  for (auto& node : nodes) node->Type("secret\r");
  // Every caller logs off at the menu at once.
  for (auto& node : nodes) ASSERT_TRUE(node->WaitFor("Menu: "));
  for (auto& node : nodes) node->Type("G");
  for (int n = 0; n < kNodes; ++n)
    EXPECT_EQ(nodes[static_cast<size_t>(n)]->Wait(), 0) << "node " << n + 1;

  const std::vector<uint8_t> sysinfo = system.Read("SYSINFO.BBS");
  ASSERT_EQ(sysinfo.size(), 76u);
  EXPECT_EQ(sysinfo[0] | (sysinfo[1] << 8), 500 + kNodes);
  const std::vector<uint8_t> lastcall = system.Read("LASTCALL.BBS");
  ASSERT_EQ(lastcall.size(), kNodes * 118u);
  std::vector<int> lines;
  for (int r = 0; r < kNodes; ++r) lines.push_back(lastcall[static_cast<size_t>(r) * 118]);
  std::sort(lines.begin(), lines.end());
  for (int n = 1; n <= kNodes; ++n) EXPECT_EQ(lines[static_cast<size_t>(n - 1)], n);
  std::vector<uint8_t> useron(kNodes * 214, 0);
  for (int n = 0; n < kNodes; ++n) useron[static_cast<size_t>(n) * 214 + 102] = 16;
  EXPECT_EQ(system.Read("USERON.BBS"), useron);
  const std::vector<uint8_t> users = system.Read("USERS.BBS");
  ASSERT_EQ(users.size(), system.users.size());
  EXPECT_EQ(users, JaneAfterACall(system, users));
  for (int n = 1; n <= kNodes; ++n)
    EXPECT_FALSE(test::Exists(system.dir / ("VxBusy." + std::to_string(n))));
}

// The processor time a process has used so far, in clock ticks (/proc/PID/stat, utime + stime).
long CpuTicks(pid_t pid) {
  const std::string stat = test::ReadFile("/proc/" + std::to_string(pid) + "/stat");
  size_t at = stat.rfind(')');
  if (at == std::string::npos) return -1;
  // After the command: state (field 3) ... utime is field 14, stime field 15.
  std::istringstream fields(stat.substr(at + 2));
  std::string field;
  long utime = 0, stime = 0;
  for (int n = 3; n <= 15 && fields >> field; ++n) {
    if (n == 14) utime = std::stol(field);
    if (n == 15) stime = std::stol(field);
  }
  return utime + stime;
}

TEST(VxnodeCall, ANodeWaitingAtTheNamePromptUsesNoProcessorTime) {
  test::LogonSystem system;
  auto node = StartNode(system, 1);
  ASSERT_TRUE(node->started());
  ASSERT_TRUE(node->WaitFor("Name: "));
  const long before = CpuTicks(node->pid());
  EXPECT_FALSE(node->WaitFor("nothing comes", std::chrono::milliseconds(1500)));
  const long after = CpuTicks(node->pid());
  EXPECT_GE(before, 0);
  EXPECT_LE(after - before, 2) << "clock ticks used while waiting 1.5 s";
}

TEST(VxnodeCall, ASecondNodeOnABusyNodeNumberEndsWithoutTouchingTheCallOnIt) {
  test::LogonSystem system;
  system.SetConfigByte(1493, 2);  // the first node waits at the personal-mail question
  auto first = StartNode(system, 4);
  ASSERT_TRUE(first->WaitFor("Name: "));
  first->Type("jane doe\rsecret\r");
  ASSERT_TRUE(first->WaitFor("<40 mail?>"));
  const std::vector<uint8_t> useron = system.Read("USERON.BBS");
  ASSERT_EQ(useron.size(), 4u * 214);
  ASSERT_EQ(useron[3 * 214], 8);  // Jane on node 4

  auto second = StartNode(system, 4);
  EXPECT_EQ(second->Wait(), 0);
  EXPECT_EQ(system.Read("USERON.BBS"), useron);
  EXPECT_TRUE(test::Exists(system.dir / "VxBusy.4"));
  EXPECT_FALSE(test::Exists(system.dir / "LASTCALL.BBS"));

  first->Type("N");
  ASSERT_TRUE(first->WaitFor("Menu: "));
  first->Type("G");
  EXPECT_EQ(first->Wait(), 0);
  EXPECT_EQ(system.Read("LASTCALL.BBS").size(), 118u);
  EXPECT_FALSE(test::Exists(system.dir / "VxBusy.4"));
}

}  // namespace
}  // namespace vx::session
