// The readers of outside files survive any bytes: random buffers of every size through the language
// and user readers (the sanitizer build catches a read outside a buffer).
#include <gtest/gtest.h>

#include <random>

#include "core/area_records.h"
#include "core/exit_info.h"
#include "core/language.h"
#include "core/limits_record.h"
#include "core/modem_settings.h"
#include "core/record_stream.h"
#include "core/status_records.h"
#include "core/user_record.h"

namespace vx::core {
namespace {

// Every fixed-record reader of the system's own files.
void (*const kRecordReaders[])(RecordStream&) = {
    [](RecordStream& in) { ReadUserRecord(in); },
    [](RecordStream& in) { ReadMessageAreaRecord(in); },
    [](RecordStream& in) { ReadFileAreaRecord(in); },
    [](RecordStream& in) { ReadGroupRecord(in); },
    [](RecordStream& in) { ReadAreaIndex(in); },
    [](RecordStream& in) { ReadExitInfo(in); },
    [](RecordStream& in) { ReadLimitsRecord(in); },
    [](RecordStream& in) { ReadModemSettings(in); },
    [](RecordStream& in) { ReadUserOnRecord(in); },
    [](RecordStream& in) { ReadLastCallRecord(in); },
    [](RecordStream& in) { ReadSysInfoRecord(in); },
};

TEST(DamagedFiles, RandomBytesNeverCrashAReader) {
  std::mt19937 random(20261206);
  for (int round = 0; round < 3000; ++round) {
    size_t size = random() % (round < 2000 ? 64 : 2048);
    std::vector<uint8_t> bytes(size);
    for (auto& b : bytes) b = static_cast<uint8_t>(random());
    if (size >= 2 && round % 3 == 0) bytes[1] = 0;  // plausible entry counts
    LanguageTable table;
    LanguageTable::LoadResult result = table.Load(bytes);
    EXPECT_LE(result.entries_loaded, kLastLanguageEntry + 1);
    for (int k = 0; k <= kLastLanguageEntry; ++k) EXPECT_LE(table.Text(k).size(), size);
    LanguageList::Parse(bytes);
    for (auto read : kRecordReaders) {
      MemoryStream in(bytes);
      read(in);
    }
  }
}

}  // namespace
}  // namespace vx::core
