// EXITINFO.BBS, the binary drop file that a door may change: 2382 bytes written from the first.
//
//   off   width  field
//   0     2      word connection speed
//   2     168    the whole of SYSINFO.BBS, zero-padded
//   170   71     the whole of TIMELOG.BBS, zero-padded
//   241   1016   the caller's record in the USERS.BBS layout (its Text969 field written empty)
//   1257  19     zero bytes
//   1276  1      byte 1 when echomail was entered during the call
//   1277  1      byte 1 when netmail was entered
//   1278  6      String[5] logon time "hh:mm"
//   1284  9      String[8] logon date "MM-DD-YY"
//   1293  2      word the session's time limit in minutes
//   1295  4      int32 security level
//   1299  1083   zero bytes
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/record_stream.h"
#include "core/user_record.h"

namespace vx::core {

inline constexpr int kExitInfoSize = 2382;
inline constexpr int kExitInfoSysInfoWidth = 168;
inline constexpr int kExitInfoTimeLogWidth = 71;

struct ExitInfo {
  uint16_t speed = 0;
  std::vector<uint8_t> sysinfo;  // up to 168 bytes
  std::vector<uint8_t> timelog;  // up to 71 bytes
  UserRecord user;
  bool echomail_entered = false;
  bool netmail_entered = false;
  std::string logon_time, logon_date;
  uint16_t time_limit = 0;
  int32_t security = 0;
};

ExitInfo ReadExitInfo(RecordStream& in);
// Copies of SYSINFO.BBS and TIMELOG.BBS longer than their fields are cut to them.
void WriteExitInfo(const ExitInfo& e, RecordStream& out);

}  // namespace vx::core
