// The logon's user search: finding a name near the end of a 100,000-user base through
// USERSIDX.BBS and reading and checking its USERS.BBS record. Printed at the end beside reading
// USERSIDX.BBS whole (one read of the file into memory), measured in the same run, as a ratio:
// the machines are shared and absolute times drift, the ratio much less. The goal is a search
// that costs at most three whole reads of the index.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "core/crc32.h"
#include "core/record_stream.h"
#include "core/text.h"
#include "core/user_base.h"
#include "core/user_record.h"

namespace {

using namespace vx;

constexpr uint64_t kUsers = 100000;
constexpr uint64_t kTarget = kUsers - 10;  // near the end
const std::string kTargetName = "Zelda Quayside";

// A user base in a temporary directory: the index whole, USERS.BBS as a sparse file of the full
// length holding only the record that is searched for.
class UserBaseFiles {
 public:
  UserBaseFiles() {
    char pattern[] = "/tmp/vxbench.XXXXXX";
    dir_ = ::mkdtemp(pattern) ? pattern : "/tmp";
    std::vector<uint8_t> index(kUsers * core::kUserIndexSize);
    core::MemoryStream out;
    for (uint64_t r = 1; r <= kUsers; ++r) {
      const std::string name = r == kTarget ? kTargetName : "Caller Number " + std::to_string(r);
      out.WriteUInt32(core::Crc32(core::UpperCase(name)));
      out.WriteUInt32(core::Crc32(core::UpperCase("Handle " + std::to_string(r))));
    }
    core::WriteWholeFile(index_path(), out.bytes());
    const int fd = ::open(users_path().c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) {
      if (::ftruncate(fd, static_cast<off_t>(kUsers * core::kUserRecordSize)) != 0)
        std::perror("ftruncate");
      core::UserRecord target;
      target.name = kTargetName;
      const std::vector<uint8_t> bytes = core::UserRecordBytes(target);
      const off_t at = static_cast<off_t>((kTarget - 1) * core::kUserRecordSize);
      if (::pwrite(fd, bytes.data(), bytes.size(), at) != static_cast<ssize_t>(bytes.size()))
        std::perror("pwrite");
      ::close(fd);
    }
  }
  ~UserBaseFiles() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  std::string users_path() const { return dir_ + "/USERS.BBS"; }
  std::string index_path() const { return dir_ + "/USERSIDX.BBS"; }

 private:
  std::string dir_;
};

const UserBaseFiles& Files() {
  static const UserBaseFiles files;
  return files;
}

void BM_ReadIndexWhole(benchmark::State& state) {
  const std::string path = Files().index_path();
  for (auto _ : state) {
    auto bytes = core::ReadWholeFile(path);
    benchmark::DoNotOptimize(bytes->data());
  }
}

void BM_FindUserNearTheEnd(benchmark::State& state) {
  const core::UserBase base(Files().users_path(), Files().index_path());
  const uint32_t crc = core::Crc32(core::UpperCase(kTargetName));
  for (auto _ : state) {
    auto found = base.FindUser(crc);
    if (!found || found->record != kTarget) state.SkipWithError("the user was not found");
    benchmark::DoNotOptimize(found);
  }
}

BENCHMARK(BM_ReadIndexWhole)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindUserNearTheEnd)->Unit(benchmark::kMicrosecond);

// The console report, and the time per iteration of each benchmark kept for the ratio.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      seconds_[run.benchmark_name()] = run.GetAdjustedRealTime() / 1e6;  // microseconds
    }
  }
  void PrintRatio() const {
    const auto search = seconds_.find("BM_FindUserNearTheEnd");
    const auto whole = seconds_.find("BM_ReadIndexWhole");
    if (search == seconds_.end() || whole == seconds_.end() || whole->second <= 0) return;
    std::printf(
        "User search near the end of %llu users: %.1f us; reading USERSIDX.BBS whole: "
        "%.1f us; ratio %.2f (goal: at most 3)\n",
        static_cast<unsigned long long>(kUsers), search->second * 1e6, whole->second * 1e6,
        search->second / whole->second);
  }

 private:
  std::map<std::string, double> seconds_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  Files();
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\n");
  reporter.PrintRatio();
  benchmark::Shutdown();
  return 0;
}
