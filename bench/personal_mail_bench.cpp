// The personal-mail scan over a Hudson base and a JAM base of 100,000 messages each, beside reading
// the files the scan reads whole (the addressee index, the JAM index and lastread file, the area
// files), measured in the same run and printed as a ratio: the machines are shared and absolute
// times drift, the ratio much less. The caller has 50 new messages in each base; every message
// found costs one header read more, so the same bases with 1,000 new messages each for the caller
// give the cost per message found. Then the cost of one post into each big base beside one into an
// empty base: it must not grow with the base.
//
//   build/bench/personal_mail_bench [MESSAGES]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/area_files.h"
#include "core/area_records.h"
#include "core/record_stream.h"
#include "core/user_record.h"
#include "messages/hudson_base.h"
#include "messages/hudson_records.h"
#include "messages/jam_base.h"
#include "messages/jam_records.h"
#include "messages/personal_mail.h"
#include "platform/environment.h"

namespace {

using namespace vx;
namespace fs = std::filesystem;

void Write(const fs::path& path, const std::vector<uint8_t>& bytes) {
  if (!core::WriteWholeFile(path.string(), bytes)) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    std::exit(1);
  }
}

// One message in `every` is the caller's, by name and by handle in turn.
std::string Addressee(long i, long every) {
  if (i % every == 0) return i % (2 * every) == 0 ? "Ann Caller" : "ANNIE";
  return "Reader " + std::to_string(i % 977);
}

void MakeHudsonBase(const fs::path& dir, long count, long every) {
  core::MemoryStream headers, text, index, names;
  messages::HudsonInfo info;
  const std::string body = "A message of the benchmark base, one block long.\r";
  for (long i = 0; i < count; ++i) {
    messages::HudsonHeader h;
    h.number = static_cast<int16_t>(1 + i % 32000);
    h.start_block = static_cast<uint16_t>(i % 65000);
    h.block_count = 1;
    h.board = 1;
    h.time = "12:00";
    h.date = "12-06-26";
    h.to = Addressee(i, every);
    h.from = "Writer " + std::to_string(i % 31);
    h.subject = "Subject " + std::to_string(i);
    const uint64_t at = headers.Size();
    messages::WriteHudsonHeader(h, headers);
    headers.bytes().resize(at + messages::kHudsonHeaderSize, 0);
    headers.Seek(headers.Size());
    messages::WriteHudsonIndexEntry({h.number, 1}, index);
    names.WritePascalString(h.to, 35);
    if (i < 65000) text.WritePascalString(body, 255);
  }
  info.high = 32000;
  info.active = 65535;
  info.board_active[0] = 65535;
  core::MemoryStream info_bytes;
  messages::WriteHudsonInfo(info, info_bytes);
  Write(dir / "msghdr.bbs", headers.bytes());
  Write(dir / "msgtxt.bbs", text.bytes());
  Write(dir / "msgidx.bbs", index.bytes());
  Write(dir / "msgtoidx.bbs", names.bytes());
  Write(dir / "msginfo.bbs", info_bytes.bytes());
}

void MakeJamBase(const fs::path& base, long count, long every) {
  core::MemoryStream headers, index, text, lastread;
  messages::JamBaseHeader b;
  b.mod_counter = static_cast<uint32_t>(count);
  b.active = static_cast<uint32_t>(count);
  messages::WriteJamBaseHeader(b, headers);
  const std::string body = "A message of the benchmark base.\r";
  for (long i = 0; i < count; ++i) {
    const std::vector<messages::JamSubfield> fields = {
        {0, 0, "2:280/1"},
        {2, 0, "Writer " + std::to_string(i % 31)},
        {3, 0, Addressee(i, every)},
        {6, 0, "Subject " + std::to_string(i)},
    };
    messages::JamMessageHeader h;
    for (const auto& f : fields) h.subfield_length += 8 + static_cast<uint32_t>(f.data.size());
    h.number = static_cast<uint32_t>(i + 1);
    h.text_offset = static_cast<uint32_t>(text.Size());
    h.text_length = static_cast<uint32_t>(body.size());
    text.WriteChars(body, static_cast<int>(body.size()));
    const uint64_t offset = headers.Size();
    messages::WriteJamMessageHeader(h, headers);
    for (const auto& f : fields) messages::WriteJamSubfield(f, headers);
    messages::WriteJamIndexRecord(
        {messages::JamBase::NameCrc(Addressee(i, every)), static_cast<uint32_t>(offset)}, index);
  }
  for (int u = 0; u < 50; ++u) {
    messages::WriteJamLastRead({messages::JamBase::NameCrc("Reader " + std::to_string(u)), 0,
                                static_cast<uint32_t>(count), static_cast<uint32_t>(count)},
                               lastread);
  }
  messages::WriteJamLastRead({messages::JamBase::NameCrc("Ann Caller"), 0, 0, 0}, lastread);
  Write(base.string() + ".JHR", headers.bytes());
  Write(base.string() + ".JDX", index.bytes());
  Write(base.string() + ".JDT", text.bytes());
  Write(base.string() + ".JLR", lastread.bytes());
}

void MakeAreas(const fs::path& dir, const fs::path& jam) {
  core::MemoryStream records, vdx;
  core::MessageAreaRecord hudson;
  hudson.area_number = 1;
  hudson.name = "Harbour";
  core::MessageAreaRecord keepers;
  keepers.area_number = 2;
  keepers.name = "Keepers";
  keepers.attribute = 0x80;
  keepers.jam_base_path = jam.string();
  core::WriteMessageAreaRecord(hudson, records);
  core::WriteMessageAreaRecord(keepers, records);
  core::WriteAreaIndex(core::BuildAreaIndex({1, 2}), vdx);
  Write(dir / "MESSAGES.VX", records.bytes());
  Write(dir / "MESSAGES.VDX", vdx.bytes());
}

// The median of `runs` timings of `work`, in microseconds.
double Median(int runs, const std::function<void()>& work) {
  std::vector<double> times;
  for (int r = 0; r < runs; ++r) {
    const auto start = std::chrono::steady_clock::now();
    work();
    times.push_back(
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
            .count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

std::tm Now() {
  const std::time_t t = std::time(nullptr);
  std::tm local{};
  localtime_r(&t, &local);
  return local;
}

messages::HudsonPost HudsonPost() {
  messages::HudsonPost post;
  post.from = "Bench Writer";
  post.to = "Ann Caller";
  post.subject = "One more";
  post.text = "A new message.\r";
  post.board = 1;
  post.address = {2, 280, 1, 0};
  post.now = Now();
  post.version = "bench";
  return post;
}

messages::JamPost JamPost() {
  messages::JamPost post;
  post.from = "Bench Writer";
  post.to = "Ann Caller";
  post.subject = "One more";
  post.text = "A new message.\r";
  post.address = {2, 280, 1, 0};
  post.now = Now();
  post.version = "bench";
  return post;
}

}  // namespace

int main(int argc, char** argv) {
  const long count = argc > 1 ? std::max(1000L, std::atol(argv[1])) : 100000;
  char pattern[] = "/tmp/vxbench.XXXXXX";
  if (::mkdtemp(pattern) == nullptr) return 1;
  const fs::path dir(pattern), empty = dir / "empty";
  fs::create_directories(empty);
  const platform::Environment env;
  core::UserRecord caller;
  caller.name = "Ann Caller";
  caller.handle = "Annie";
  const std::string system = dir.string() + "/";
  size_t found = 0;
  const auto scan = [&] {
    const core::AreaFiles files(system, env);
    const std::vector<core::MessageAreaRecord> areas = files.MessageAreas();
    const std::vector<uint16_t> index = files.MessageAreaIndex();
    const messages::HudsonBase hudson(system, env);
    const messages::MailSearch search{
        caller,
        areas,
        index,
        hudson,
        [&env](const std::string& path) { return messages::JamBase(path, env); },
        [](std::string_view) {},
        [](std::string_view line) {
          std::fprintf(stderr, "%.*s\n", static_cast<int>(line.size()), line.data());
        },
        0};
    found = messages::FindPersonalMail(search).found.size();
  };
  size_t bytes = 0;
  const auto read_whole = [&] {
    bytes = 0;
    for (const char* name :
         {"msgtoidx.bbs", "keepers.JDX", "keepers.JLR", "MESSAGES.VX", "MESSAGES.VDX"}) {
      bytes += core::ReadWholeFile((dir / name).string())->size();
    }
  };
  // The scan and the whole reading of the bases as they are now, each the median of 15 runs.
  const auto measure = [&](double* scan_us, double* whole_us) {
    scan();  // warm the caches for both
    read_whole();
    *scan_us = Median(15, scan);
    *whole_us = Median(15, read_whole);
  };

  std::printf("Making a Hudson base and a JAM base of %ld messages each in %s ...\n", count,
              pattern);
  MakeAreas(dir, dir / "keepers");
  MakeHudsonBase(dir, count, count / 50);
  MakeJamBase(dir / "keepers", count, count / 50);
  double scan_us = 0, whole_us = 0;
  measure(&scan_us, &whole_us);
  std::printf("\nPersonal-mail scan, %ld + %ld messages, %zu found: %9.0f us\n", count, count,
              found, scan_us);
  std::printf("Reading the same files whole (%zu bytes):        %9.0f us\n", bytes, whole_us);
  std::printf("ratio %.2f (target: at most 3)\n", scan_us / whole_us);

  MakeHudsonBase(dir, count, count / 1000);
  MakeJamBase(dir / "keepers", count, count / 1000);
  const size_t typical = found;
  double busy_us = 0, busy_whole_us = 0;
  measure(&busy_us, &busy_whole_us);
  std::printf(
      "\nThe same with %zu found: %9.0f us beside %9.0f us, ratio %.2f: %.2f us more for "
      "each message found\n",
      found, busy_us, busy_whole_us, busy_us / busy_whole_us,
      (busy_us - scan_us * busy_whole_us / whole_us) / static_cast<double>(found - typical));

  // One post into each big base beside one into an empty base.
  const messages::HudsonBase big_hudson(system, env), small_hudson(empty.string() + "/", env);
  const messages::JamBase big_jam((dir / "keepers").string(), env),
      small_jam((empty / "keepers").string(), env);
  const auto post = [](const auto& base, const auto& message) {
    if (!base.WriteMessage(message).ok) std::fprintf(stderr, "a post failed\n");
  };
  const messages::HudsonPost hudson_post = HudsonPost();
  const messages::JamPost jam_post = JamPost();
  const double hudson_big = Median(31, [&] { post(big_hudson, hudson_post); });
  const double hudson_small = Median(31, [&] { post(small_hudson, hudson_post); });
  const double jam_big = Median(31, [&] { post(big_jam, jam_post); });
  const double jam_small = Median(31, [&] { post(small_jam, jam_post); });
  std::printf(
      "\nOne Hudson post: %7.1f us into %ld messages, %7.1f us into an empty base, ratio %.2f\n",
      hudson_big, count, hudson_small, hudson_big / hudson_small);
  std::printf(
      "One JAM post:    %7.1f us into %ld messages, %7.1f us into an empty base, ratio %.2f\n",
      jam_big, count, jam_small, jam_big / jam_small);
  std::error_code ignored;
  fs::remove_all(dir, ignored);
  return 0;
}
