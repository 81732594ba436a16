// The file searches over one area of 100,000 files, beside reading the area's three files whole
// in the same run, as ratios (target: at most 3). Each search opens the area's database and scans
// it; the first figure is the search up to its hits, the second also reads every hit's header and
// description as the listing then does before it shows the file. Cases: the name search for
// "*.TXT" (a quarter of the files) and "BEACON*.*" (a few), the text search for a rare word and
// for a pair of words found in one description in twenty.
//   build/bench/file_search_bench [FILES [CASE]]   (CASE: a part of a case's name, to run one)
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/node_log.h"
#include "core/record_stream.h"
#include "files/file_database.h"
#include "files/file_database_records.h"
#include "files/file_search.h"
#include "platform/clock.h"

namespace {

using namespace vx;

constexpr const char* kWords[] = {"harbour", "tide",  "chart", "knot",    "lamp",   "keeper",
                                  "signal",  "storm", "wave",  "compass", "anchor", "rope",
                                  "buoy",    "coast", "fog",   "beacon",  "sail",   "mast"};

// An area of `count` files: every fourth a .TXT, one in a thousand a BEACON file, descriptions of
// one to four lines, one in two hundred mentioning the lighthouse.
void WriteArea(const std::string& filebase, int count) {
  core::MemoryStream headers, index, texts;
  std::srand(1);
  for (int i = 0; i < count; ++i) {
    files::FileHeaderRecord h;
    char name[16];
    const char* ext = i % 4 == 0 ? "TXT" : i % 4 == 1 ? "ZIP" : i % 4 == 2 ? "ARJ" : "GIF";
    if (i % 1000 == 7) {
      std::snprintf(name, sizeof name, "BEACON%02d.%s", i / 1000 % 100, ext);
    } else {
      std::snprintf(name, sizeof name, "F%06d.%s", i, ext);
    }
    h.name = name;
    h.size = static_cast<uint32_t>(std::rand() % 2000000);
    h.uploader = "Sam Sysop";
    h.upload_date = h.last_download = 0x5D850000;
    h.description_offset = static_cast<int32_t>(texts.Size());
    std::string text;
    const int lines = 1 + std::rand() % 4;
    for (int l = 0; l < lines; ++l) {
      if (l > 0) text += "\r\n";
      for (int w = 0; w < 8; ++w) text += std::string(w ? " " : "") + kWords[std::rand() % 18];
    }
    if (i % 200 == 3) text += " near the old lighthouse";
    texts.WriteBytes(text.data(), text.size());
    texts.WriteByte(0);
    files::WriteFileHeaderRecord(h, headers);
    files::FileIndexRecord x;
    x.name = h.name;
    x.upload_date = h.upload_date;
    x.description_offset = h.description_offset;
    files::WriteFileIndexRecord(x, index);
  }
  std::filesystem::create_directories(filebase + "hdr");
  std::filesystem::create_directories(filebase + "idx");
  std::filesystem::create_directories(filebase + "txt");
  core::WriteWholeFile(filebase + "hdr/fdb1.hdr", headers.bytes());
  core::WriteWholeFile(filebase + "idx/fdb1.idx", index.bytes());
  core::WriteWholeFile(filebase + "txt/fdb1.txt", texts.bytes());
}

// The median of `rounds` timings of `run`, in milliseconds.
double Median(int rounds, const std::function<void()>& run) {
  std::vector<double> times;
  for (int r = 0; r < rounds; ++r) {
    const auto start = std::chrono::steady_clock::now();
    run();
    times.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
  char pattern[] = "/tmp/vxbench.XXXXXX";
  const char* made = ::mkdtemp(pattern);
  if (made == nullptr) return 1;
  const std::string dir = made;
  const std::string filebase = dir + "/filebase/";
  WriteArea(filebase, count);

  platform::ManualClock clock;
  platform::Environment env;
  core::NodeLog log(clock, env);
  size_t sink = 0;
  const auto read_whole = [&] {
    for (const char* f : {"hdr/fdb1.hdr", "idx/fdb1.idx", "txt/fdb1.txt"}) {
      sink += core::ReadWholeFile(filebase + f)->size();
    }
  };
  // Runs the search; with `read_hits` every hit's header and description is read as well.
  const auto search = [&](const files::SearchCriterion& criterion, bool read_hits, size_t* hits) {
    return [&, criterion, read_hits, hits] {
      files::DatabaseProblems problems(log, 1);
      const auto db = files::FileDatabase::Open(filebase, 1, env, problems);
      *hits = 0;
      files::ScanArea(*db, criterion, problems, [&](uint64_t k) {
        if (read_hits) sink += db->ReadFileHeader(k, "/srv/files/", problems).description.size();
        ++*hits;
        return true;
      });
    };
  };

  constexpr int kRounds = 9;
  std::printf("%d files in one area\n", count);
  struct Case {
    const char* what;
    files::SearchCriterion criterion;
  };
  const Case cases[] = {
      {"name search *.TXT", files::SearchCriterion::Name("*.TXT")},
      {"name search BEACON*.*", files::SearchCriterion::Name("BEACON*.*")},
      {"text search LIGHTHOUSE", files::SearchCriterion::Text("LIGHTHOUSE")},
      {"text search ROPE BUOY", files::SearchCriterion::Text("ROPE BUOY")},
  };
  std::printf("%-24s %7s %22s %22s %14s\n", "", "hits", "search (ratio)", "reading hits (ratio)",
              "files whole");
  for (const Case& c : cases) {
    if (argc > 2 && std::string(c.what).find(argv[2]) == std::string::npos) continue;
    size_t hits = 0;
    // The baseline is measured beside each case, so that a busy machine slows all alike.
    const double whole = Median(kRounds, read_whole);
    const double found = Median(kRounds, search(c.criterion, false, &hits));
    const double read = Median(kRounds, search(c.criterion, true, &hits));
    std::printf("%-24s %7zu %11.2f ms (%5.2f) %11.2f ms (%5.2f) %11.2f ms\n", c.what, hits, found,
                found / whole, read, read / whole, whole);
  }
  std::filesystem::remove_all(dir);
  return sink == 0 ? 1 : 0;
}
