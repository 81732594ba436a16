// LIMITS.VX in the system directory: one 80-byte record per security level, giving the minutes per
// day and the download kilobytes per day by connection speed. Record count = length / 80.
//
//   off  width  field
//   0    2      word Security (the level the record is for)
//   2    2      word DailyTime, minutes per day
//   4    24     12 x word download K per day at 300, 1200, 2400, 4800, 7200, 9600, 12000, 14400,
//               16800, 19200, 38400 and local (speed 0), in that order
//   28   2      word limit value used by the display codes and the tag limits
//   30   2      word second limit value
//   32   6      not used
//   38   12     6 x word download K per day at 21600, 24000, 26400, 28800, 57600, 64000
//   50   6      kept, not used
//   56   2      word kept, not used
//   58   2      word not used
//   60   1      byte not used
//   61   2      word not used
//   63   2      word download K per day at 31200
//   65   2      word download K per day at 33600
//   67   13     not read
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "core/record_stream.h"

namespace vx::core {

inline constexpr int kLimitsRecordSize = 80;

struct LimitsRecord {
  uint16_t security = 0;
  uint16_t daily_time = 0;
  std::array<uint16_t, 12> download_k_low{};  // 300 .. 38400, then local
  uint16_t limit28 = 0, limit30 = 0;  // the kilobyte ratio and the file ratio (0: none)
  std::array<uint8_t, 6> bytes32{};
  std::array<uint16_t, 6> download_k_high{};  // 21600 .. 64000
  std::array<uint8_t, 6> bytes50{};
  uint16_t word56 = 0, word58 = 0;
  uint8_t byte60 = 0;
  uint16_t word61 = 0;
  uint16_t download_k_31200 = 0, download_k_33600 = 0;
  std::array<uint8_t, 13> bytes67{};

  // Download kilobytes per day for a connection speed (0 = local); nullopt for a speed that is not
  // in the table.
  std::optional<uint16_t> DownloadK(long speed) const;
  // The same, where a speed between those of the table (115200, 56000) takes the figure of the
  // next lower speed; nullopt only below 300.
  std::optional<uint16_t> DownloadKAtOrBelow(long speed) const;
  // Sets the figure of every speed, local included.
  void SetAllDownloadK(uint16_t k);
};

// The speeds of the table in the order of the record, for readers that show it.
inline constexpr std::array<long, 20> kLimitSpeeds = {
    300,   1200,  2400,  4800,  7200,  9600,  12000, 14400, 16800, 19200,
    38400, 0,     21600, 24000, 26400, 28800, 57600, 64000, 31200, 33600};

LimitsRecord ReadLimitsRecord(RecordStream& in);
void WriteLimitsRecord(const LimitsRecord& r, RecordStream& out);

}  // namespace vx::core
