// A ZModem download of 20 MB through the node: vxnode on a loopback telnet connection sends a
// file with sz, relayed over the line with telnet's 0xFF doubling, to rz on the caller's side
// behind a relay that undoes the escaping. The baseline is sz | rz over a bare socket pair in the
// same run. Printed: both times, the node's as a multiple of the baseline's (the goal: at most
// 1.5), and the CPU time the node used in the second after the transfer (the goal: none).
//
//   build/bench/transfer_bench [MEGABYTES]
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "support/node_process.h"
#include "support/run_program.h"
#include "support/telnet_transfer.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

pid_t Spawn(const std::vector<std::string>& argv, int fd, const std::string& cwd) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fd, 0);
  posix_spawn_file_actions_adddup2(&actions, fd, 1);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
  std::vector<std::string> words = argv;
  std::vector<char*> args;
  for (std::string& w : words) args.push_back(w.data());
  args.push_back(nullptr);
  pid_t pid = -1;
  if (::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

// sz | rz on a socket pair: seconds, or -1 when either failed.
double Baseline(const std::string& file, const std::string& into) {
  int pair[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) return -1;
  const auto start = Clock::now();
  const pid_t sender = Spawn({"sz", "-b", file}, pair[0], fs::path(file).parent_path());
  const pid_t receiver = Spawn({"rz", "-R"}, pair[1], into);
  ::close(pair[0]);
  ::close(pair[1]);
  int s = 0, r = 0;
  ::waitpid(sender, &s, 0);
  ::waitpid(receiver, &r, 0);
  const double seconds = Seconds(start);
  return WIFEXITED(s) && WEXITSTATUS(s) == 0 && WIFEXITED(r) && WEXITSTATUS(r) == 0 ? seconds : -1;
}

// The node's user and system CPU time in clock ticks.
long long CpuTicks(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const size_t close = text.rfind(')');
  if (close == std::string::npos) return -1;
  std::vector<std::string> fields;
  std::string field;
  for (size_t i = close + 2; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == ' ') {
      fields.push_back(field);
      field.clear();
    } else {
      field += text[i];
    }
  }
  // After the name: state is field 0, utime 11, stime 12.
  if (fields.size() < 13) return -1;
  return std::stoll(fields[11]) + std::stoll(fields[12]);
}

bool Answer(vx::test::NodeProcess& node, const std::string& text, const std::string& keys) {
  if (!node.WaitFor(text, std::chrono::seconds(20))) {
    std::fprintf(stderr, "no \"%s\" from the node\n", text.c_str());
    return false;
  }
  node.Type(keys);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const long megabytes = argc > 1 ? std::atol(argv[1]) : 20;
  vx::test::TempDir dir;
  const std::string system = dir / "s";
  const vx::test::ProgramResult built =
      vx::test::RunProgram({std::string(VX_BINARY_DIR) + "/tools/vxcfg", "build",
                            std::string(VX_SOURCE_DIR) + "/demo", system},
                           {}, dir.path());
  if (built.exit_code != 0) {
    std::fprintf(stderr, "vxcfg: %s\n", built.error_output.c_str());
    return 1;
  }
  // Random bytes, so that every 0xFF the telnet line doubles comes at its usual rate.
  const std::string file = system + "/files/utils/KNOTS.TXT";
  {
    std::mt19937 random(15);
    std::string data(static_cast<size_t>(megabytes) * 1024 * 1024, '\0');
    for (char& c : data) c = static_cast<char>(random());
    std::ofstream(file, std::ios::binary | std::ios::trunc) << data;
  }
  fs::create_directories(dir / "baseline");
  fs::create_directories(dir / "caller");

  const double baseline = Baseline(file, dir / "baseline");
  if (baseline < 0) {
    std::fprintf(stderr, "sz | rz failed\n");
    return 1;
  }

  vx::test::NodeProcess node(std::string(VX_BINARY_DIR) + "/src/vxnode", {"-N1", "-B38400", "-H3"},
                             {"VX=" + system, "VXCONSOLE=none", "PATH=/usr/bin:/bin"}, system,
                             true);
  node.Type(std::string("\xff\xfd\x00\xff\xfb\x00", 6));
  const bool ready =
      Answer(node, "full name: ", "sam sysop\r") && Answer(node, "Password: ", "lighthouse\r") &&
      Answer(node, "addressed to you? ", "n") && Answer(node, "last call? ", "n") &&
      Answer(node, "minutes left): ", "F") && Answer(node, "in Small utilities (", "D") &&
      Answer(node, "[D]ownload: ", "A") && Answer(node, "(wildcards allowed): ", "knots.txt\r") &&
      Answer(node, "Tag this file? ", "Y") && Answer(node, "[D]ownload: ", "D") &&
      Answer(node, "list of files? ", "N") && Answer(node, "[Q]uit: ", "D") &&
      node.WaitFor("Ctrl-X a few times to abort.");
  if (!ready) return 1;
  const auto start = Clock::now();
  const vx::test::TransferResult got =
      vx::test::RunTelnetTransfer(node.caller_fd(), {"rz", "-R"}, dir / "caller", node.TakeUnseen(),
                                  true, std::chrono::seconds(600));
  const double through_node = Seconds(start);
  if (got.exit_code != 0 || vx::test::ReadFile(dir / "caller/KNOTS.TXT").size() !=
                                static_cast<size_t>(megabytes) * 1024 * 1024) {
    std::fprintf(stderr, "the download failed (%d): %s\n", got.exit_code, got.error_output.c_str());
    return 1;
  }
  // The node waits at its prompt after the transfer: it should use no CPU.
  if (!node.WaitFor("go on...", std::chrono::seconds(20))) return 1;
  const long long before = CpuTicks(node.pid());
  std::this_thread::sleep_for(std::chrono::seconds(1));
  const long long after = CpuTicks(node.pid());
  node.Type(" ");
  node.HangUp();
  node.Wait();

  std::printf("ZModem download of %ld MB\n", megabytes);
  std::printf("  sz | rz on a socket pair:        %8.3f s\n", baseline);
  std::printf("  through vxnode, loopback telnet: %8.3f s\n", through_node);
  std::printf("  ratio:                           %8.2f (goal: at most 1.5)\n",
              through_node / baseline);
  std::printf("  node CPU in the second after:    %lld ticks of %ld (goal: 0)\n", after - before,
              ::sysconf(_SC_CLK_TCK));
  return 0;
}
