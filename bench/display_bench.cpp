// Display throughput: how fast text reaches the caller's screen model through Display, for plain
// text and for text dense with control codes (colour codes, ^K and ^F codes with fields, cursor
// sequences), in bytes per second of input text. The line is local (no port), so what is measured
// is the node's own work: expansion, embedded codes, line counting and the model. Each figure is
// printed at the end beside memcpy of the same bytes, measured in the same run, as a ratio: the
// machines are shared and absolute figures drift, the ratio much less.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "comm/comm_control.h"
#include "core/config.h"
#include "core/language.h"
#include "core/user_record.h"
#include "platform/clock.h"
#include "platform/environment.h"
#include "platform/event_loop.h"
#include "terminal/terminal.h"

namespace {

using namespace vx;

struct Node {
  Node() {
    user.name = "Jane Caller";
    user.location = "Harbour Town";
    user.screen_length = 0;  // no page pauses: pure throughput
    user.attribute = "01100000";
    language.Set(116, "On", 0x0A);
    language.Set(117, "Off", 0x0C);
  }
  platform::ManualClock clock;
  platform::EventLoop loop{clock};
  platform::Environment env;
  core::Configuration config;
  core::ConfigSnapshot config_snapshot{env};
  core::LanguageList languages;
  core::LanguageTable language;
  core::UserRecord user;
  terminal::ColourSets colours{{{7, 0}, {14, 0}, {11, 1}, {10, 0}, {15, 4}}};
  comm::LocalCommControl line;
  terminal::Terminal terminal{terminal::TerminalContext{loop, line, env, config, config_snapshot,
                                                        languages, language, user, colours}};
};

std::string PlainText() {
  std::string text;
  const std::string line =
      "The quick brown fox jumps over the lazy dog while the sysop reads the log.  ";
  while (text.size() < 64 * 1024) text += line + "\r\n";
  return text;
}

std::string DenseText() {
  std::string text;
  const std::string line =
      "\x0b[0E\xc9\xcd\xcd\x0b[1F Name: \x06....................A \x0b[07From \x06B"
      "\x1b[1;33m Calls \x0b.....A \x1b[0;37mSec \x06O \x0b[0BOn: \x06X\x0b[4F\xbb\x1b[K";
  while (text.size() < 64 * 1024) text += line + "\r\n";
  return text;
}

void Run(benchmark::State& state, const std::string& text) {
  Node node;
  for (auto _ : state) {
    node.terminal.Display(text);
    benchmark::DoNotOptimize(node.line.terminal().version());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
}

void Copy(benchmark::State& state, const std::string& text) {
  std::string copy(text.size(), '\0');
  for (auto _ : state) {
    std::memcpy(copy.data(), text.data(), text.size());
    benchmark::DoNotOptimize(copy.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
}

void BM_DisplayPlainText(benchmark::State& state) { Run(state, PlainText()); }
void BM_MemcpyPlainText(benchmark::State& state) { Copy(state, PlainText()); }
void BM_DisplayDenseControlCodes(benchmark::State& state) { Run(state, DenseText()); }
void BM_MemcpyDenseControlCodes(benchmark::State& state) { Copy(state, DenseText()); }

void BM_TerminalModelFeed(benchmark::State& state) {
  const std::string text = DenseText();
  comm::TerminalModel model;
  for (auto _ : state) {
    model.Feed(text);
    benchmark::DoNotOptimize(model.version());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
}

BENCHMARK(BM_DisplayPlainText);
BENCHMARK(BM_MemcpyPlainText);
BENCHMARK(BM_DisplayDenseControlCodes);
BENCHMARK(BM_MemcpyDenseControlCodes);
BENCHMARK(BM_TerminalModelFeed);

// The console report, and the throughput of each benchmark kept for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      const auto rate = run.counters.find("bytes_per_second");
      if (rate != run.counters.end()) throughput_[run.benchmark_name()] = rate->second.value;
    }
  }

  void PrintRatio(const char* what, const std::string& display, const std::string& copy) const {
    const auto d = throughput_.find(display), c = throughput_.find(copy);
    if (d == throughput_.end() || c == throughput_.end() || c->second <= 0) return;
    std::printf("%-30s %8.1f MB/s   memcpy of the same bytes %9.1f MB/s   ratio %.5f (1 : %.0f)\n",
                what, d->second / 1e6, c->second / 1e6, d->second / c->second,
                c->second / d->second);
  }

 private:
  std::map<std::string, double> throughput_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nDisplay throughput beside memcpy, measured in this run:\n");
  reporter.PrintRatio("Display, plain text", "BM_DisplayPlainText", "BM_MemcpyPlainText");
  reporter.PrintRatio("Display, dense control codes", "BM_DisplayDenseControlCodes",
                      "BM_MemcpyDenseControlCodes");
  benchmark::Shutdown();
  return 0;
}
