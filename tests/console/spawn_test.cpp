// vxspawn as the socket-activation engines start it: systemd-socket-activate (inetd style and
// with the connection as descriptor 3) and socat, on a loopback port. The node numbers are
// checked with a stand-in vxnode beside a copy of vxspawn, which reports what it was given and
// keeps the call until the caller hangs up; whole calls run the real vxnode on the demo system.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "listener.h"
#include "support/mini_system.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace vx::console {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const std::string kBuiltSpawn = std::string(VX_BINARY_DIR) + "/src/vxspawn";
const std::string kBusyLine = "All nodes are busy. Please call again later.\r\n";

TEST(Vxspawn, BadStartsSayWhatIsWrong) {
  test::MiniSystem system;
  const std::vector<std::string> env = {"VX=" + system.dir.path()};
  test::ProgramResult no_socket = test::RunProgram({kBuiltSpawn}, env, system.dir.path());
  EXPECT_EQ(no_socket.exit_code, 1);
  EXPECT_EQ(no_socket.error_output.rfind("vxspawn: no connection: descriptor 0 is not a socket", 0),
            0u)
      << no_socket.error_output;

  test::ProgramResult closed = test::RunProgram(
      {kBuiltSpawn}, {"VX=" + system.dir.path(), "LISTEN_FDS=1"}, system.dir.path());
  EXPECT_EQ(closed.exit_code, 1);
  EXPECT_EQ(closed.error_output, "vxspawn: no connection: descriptor 3 is not open\n");

  int pair[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
  test::ProgramResult no_vx = test::RunProgram({kBuiltSpawn}, {}, system.dir.path(), {}, pair[1]);
  EXPECT_EQ(no_vx.exit_code, 1);
  EXPECT_EQ(no_vx.error_output, "vxspawn: VX is not set: it names the system directory\n");

  test::TempDir empty;
  test::ProgramResult no_system =
      test::RunProgram({kBuiltSpawn}, {"VX=" + empty.path()}, empty.path(), {}, pair[1]);
  EXPECT_EQ(no_system.exit_code, 1);
  EXPECT_NE(no_system.error_output.find("(7998)"), std::string::npos) << no_system.error_output;

  const std::vector<std::pair<std::vector<std::string>, std::string>> refused = {
      {{"--nodes", "9-3"}, "vxspawn: bad node range \"9-3\": the first node is above the last\n"},
      {{"--nodes", "0-3"}, "vxspawn: bad node range \"0-3\": FIRST-LAST, nodes 1 to 255\n"},
      {{"--nodes", "1-x"}, "vxspawn: bad node range \"1-x\": FIRST-LAST, nodes 1 to 255\n"},
      {{"--nodes"}, "vxspawn: --nodes needs a value\n"},
      {{"--speed", "57600"}, "vxspawn: bad speed \"57600\": one of 300"},
      {{"--bogus"}, "vxspawn: unknown option \"--bogus\"\n"},
  };
  for (const auto& [args, message] : refused) {
    std::vector<std::string> argv = {kBuiltSpawn};
    argv.insert(argv.end(), args.begin(), args.end());
    test::ProgramResult run = test::RunProgram(argv, env, system.dir.path(), {}, pair[1]);
    EXPECT_EQ(run.exit_code, 2) << args[0];
    EXPECT_EQ(run.error_output.rfind(message, 0), 0u) << run.error_output;
  }
  ::close(pair[0]);
  ::close(pair[1]);
  EXPECT_FALSE(test::Exists(system.dir / "VxBusy.1"));  // nothing claimed by a bad start
}

// A copy of vxspawn with a stand-in vxnode beside it: it writes what it was given to
// started.<node> in the system directory, says "node <n>" to the caller and keeps the call (and
// the claim it inherited) until the caller hangs up.
class StandInNodes : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Installed("systemd-socket-activate")) GTEST_SKIP() << "systemd-socket-activate missing";
    bin = system.dir / "bin";
    fs::create_directories(bin);
    fs::copy_file(kBuiltSpawn, bin + "/vxspawn");
    test::WriteFile(
        bin + "/vxnode",
        std::string("#!/bin/sh\n"
                    "for a in \"$@\"; do case \"$a\" in -N*) n=${a#-N};; -H*) h=${a#-H};; "
                    "esac; done\n"
                    "echo \"$* sem=$VX_SEMAPHORE_FD in=$(readlink /proc/$$/fd/0)\" > "
                    "\"$VX/started.$n\"\n"
                    "eval \"printf 'node %s\\r\\n' $n >&$h\"\n"
                    "eval \"cat <&$h >/dev/null\"\n"));
    ::chmod((bin + "/vxnode").c_str(), 0755);
    port = FreePort();
  }
  std::string Started(int node) {
    return test::ReadFile(system.dir / ("started." + std::to_string(node)));
  }

  test::MiniSystem system;
  std::string bin;
  int port = 0;
};

TEST_F(StandInNodes, TwoCallsAtOnceGetNodes1And2AndAThirdHearsAllAreBusy) {
  Listener listener(
      {"systemd-socket-activate", "-l", "127.0.0.1:" + std::to_string(port), "--inetd", "-a", "-E",
       "VX=" + system.dir.path(), bin + "/vxspawn", "--nodes", "1-2"},
      system.dir / "listener.log");
  ASSERT_TRUE(listener.started());
  const int first = Connect(port);
  const int second = Connect(port);
  ASSERT_GE(first, 0);
  ASSERT_GE(second, 0);
  const std::string a = Read(first, 3s, "\r\n").text;
  const std::string b = Read(second, 3s, "\r\n").text;
  EXPECT_EQ(std::set<std::string>({a, b}), std::set<std::string>({"node 1\r\n", "node 2\r\n"}));
  // The node's own standard input is not the caller's connection.
  EXPECT_EQ(Started(1).rfind("-N1 -B38400 -H", 0), 0u) << Started(1);
  EXPECT_NE(Started(1).find(" in=/dev/null"), std::string::npos) << Started(1);

  // Both nodes are held: the third caller reads the busy line and the line closes at once.
  const int third = Connect(port);
  const auto asked = std::chrono::steady_clock::now();
  const Reading busy = Read(third, 3s);
  EXPECT_EQ(busy.text, kBusyLine);
  EXPECT_TRUE(busy.closed);
  EXPECT_LT(std::chrono::steady_clock::now() - asked, 1s);
  ::close(third);

  // Both calls end; the next caller gets node 1 again (its semaphore left behind, unlocked).
  ::close(first);
  ::close(second);
  std::string again;
  for (int attempt = 0; attempt < 50 && again != "node 1\r\n"; ++attempt) {
    std::this_thread::sleep_for(20ms);
    const int next = Connect(port);
    again = Read(next, 3s, "\r\n").text;
    ::close(next);
  }
  EXPECT_EQ(again, "node 1\r\n");
}

TEST_F(StandInNodes, TheConnectionAsDescriptor3WithAcceptYes) {
  // systemd's Accept=yes without StandardInput=socket: LISTEN_FDS=1 and the connection on fd 3.
  Listener listener({"systemd-socket-activate", "-l", "127.0.0.1:" + std::to_string(port), "-a",
                     "-E", "VX=" + system.dir.path(), bin + "/vxspawn", "--nodes", "4-5", "--speed",
                     "9600", "--", "-X", "-Dnodes"},
                    system.dir / "listener.log");
  const int call = Connect(port);
  EXPECT_EQ(Read(call, 3s, "\r\n").text, "node 4\r\n");
  EXPECT_EQ(Started(4).rfind("-N4 -B9600 -H3 -X -Dnodes sem=", 0), 0u) << Started(4);
  ::close(call);
}

TEST_F(StandInNodes, ThroughSocat) {
  if (!Installed("socat")) GTEST_SKIP() << "socat missing";
  ::setenv("VX", system.dir.path().c_str(), 1);  // socat passes its environment on
  Listener listener(
      {"socat", "TCP-LISTEN:" + std::to_string(port) + ",bind=127.0.0.1,reuseaddr,fork",
       "EXEC:" + bin + "/vxspawn --nodes 7-7,nofork"},
      system.dir / "listener.log");
  ::unsetenv("VX");
  const int call = Connect(port);
  EXPECT_EQ(Read(call, 3s, "\r\n").text, "node 7\r\n");
  const int busy = Connect(port);
  const Reading turned_away = Read(busy, 3s);
  EXPECT_EQ(turned_away.text, kBusyLine);
  EXPECT_TRUE(turned_away.closed);
  ::close(busy);
  ::close(call);
}

// The real node on the demo system.
class RealNode : public ::testing::Test {
 protected:
  void SetUp() override {
    const fs::path vxcfg = fs::path(VX_BINARY_DIR) / "tools" / "vxcfg";
    char scratch[] = "/tmp/vxspXXXXXX";
    ASSERT_NE(::mkdtemp(scratch), nullptr);
    scratch_ = scratch;
    system_ = scratch_ + "/s";
    test::ProgramResult built = test::RunProgram(
        {vxcfg.string(), "build", std::string(VX_SOURCE_DIR) + "/demo", system_}, {}, scratch_);
    ASSERT_EQ(built.exit_code, 0) << built.error_output;
    port = FreePort();
  }
  void TearDown() override {
    if (!scratch_.empty()) fs::remove_all(scratch_);
  }
  void ExpectAWholeCall(const std::string& log) {
    const int call = Connect(port);
    ASSERT_GE(call, 0);
    // The caller logs on as the sysop and logs off at the main menu.
    std::string text;
    const auto answer = [&](const std::string& prompt, const std::string& keys) {
      const Reading r = Read(call, 5s, prompt);
      text += r.text;
      ASSERT_NE(r.text.find(prompt), std::string::npos) << text << test::ReadFile(log);
      ASSERT_EQ(::write(call, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    };
    answer("full name: ", "sam sysop\r");
    answer("Password: ", "lighthouse\r");
    answer("addressed to you? ", "n");
    answer("last call? ", "n");
    answer("minutes left): ", "g");
    answer("log off? ", "y");
    const Reading r = Read(call, 5s);  // until the node hangs up
    text += r.text;
    ::close(call);
    EXPECT_TRUE(r.closed) << test::ReadFile(log);
    EXPECT_EQ(text.substr(0, 12),
              std::string("\xff\xfb\x01\xff\xfb\x03\xff\xfb\x00\xff\xfd\x00", 12));
    EXPECT_NE(text.find("T h e   L i g h t h o u s e"), std::string::npos);
    EXPECT_NE(text.find("\x1b[1;34m\xc9\xcd\xcd"), std::string::npos);  // in colour, CP437 frame
    EXPECT_NE(text.find("This is build 1"), std::string::npos);
    // The node ends with its files written: its log, and no semaphore left. (The caller's line
    // closes a moment before the node's last log line.)
    const std::string log_file = system_ + "/logs/node1.log";
    for (int i = 0; i < 200 && test::ReadFile(log_file).find("User off-line") == std::string::npos;
         ++i) {
      std::this_thread::sleep_for(10ms);
    }
    EXPECT_FALSE(test::Exists(system_ + "/VxBusy.1"));
    const std::string node_log = test::ReadFile(log_file);
    EXPECT_NE(node_log.find("Line #1"), std::string::npos);
    EXPECT_NE(node_log.find("Debug Mode Activated!"), std::string::npos);  // "-- -X" passed on
    EXPECT_NE(node_log.find("User off-line"), std::string::npos);
    EXPECT_NE(node_log.find("Sam Sysop on-line at 38400 BPS"), std::string::npos) << node_log;
    EXPECT_NE(node_log.find("User requested to terminate the call"), std::string::npos);
  }

  std::string scratch_, system_;
  int port = 0;
};

TEST_F(RealNode, ACallThroughSystemdSocketActivation) {
  if (!Installed("systemd-socket-activate")) GTEST_SKIP() << "systemd-socket-activate missing";
  const std::string log = scratch_ + "/listener.log";
  Listener listener({"systemd-socket-activate", "-l", "127.0.0.1:" + std::to_string(port),
                     "--inetd", "-a", "-E", "VX=" + system_, kBuiltSpawn, "--", "-X"},
                    log);
  ExpectAWholeCall(log);
}

TEST_F(RealNode, ACallThroughSocat) {
  if (!Installed("socat")) GTEST_SKIP() << "socat missing";
  const std::string log = scratch_ + "/listener.log";
  ::setenv("VX", system_.c_str(), 1);
  Listener listener(
      {"socat", "TCP-LISTEN:" + std::to_string(port) + ",bind=127.0.0.1,reuseaddr,fork",
       "EXEC:" + kBuiltSpawn + " -- -X,nofork"},
      log);
  ::unsetenv("VX");
  ExpectAWholeCall(log);
}

}  // namespace
}  // namespace vx::console
