// The node status files of the system directory: USERON.BBS (who is on which node), LASTCALL.BBS
// (today's calls) and SYSINFO.BBS (call total and last caller). Pure layouts; the node's status
// writer decides when they are written.
//
// USERON.BBS, one 214-byte record per node, node n at (n - 1) * 214:
//   off  width  field                      off  width  field
//   0    36     String[35] Name            101  1      byte Status (7 new-user questions, 0 on)
//   36   36     String[35] Handle          102  1      byte Attribute (16 when cleared)
//   72   1      byte Line (node)           103  11     String[10] StatusText
//   73   2      word Speed (/10 above      114  98     reserved
//               65534)                     212  2      word Calls
//   75   26     String[25] City
//
// LASTCALL.BBS, 118-byte records appended one per call:
//   0 byte Line; 1 String[35] Name; 37 String[35] Handle; 73 String[25] City; 99 word Speed
//   (/10 above 65535); 101 int32 Calls; 105 String[5] LogonTime; 111 String[5] LogoffTime;
//   117 byte 1 when Attribute2 flag 4 of the caller is set.
//
// SYSINFO.BBS, the first 76 bytes (anything behind them is left alone):
//   0 int32 TotalCalls; 4 String[35] LastCallerName; 40 String[35] LastCallerHandle.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/record_stream.h"

namespace vx::core {

inline constexpr int kUserOnRecordSize = 214;
inline constexpr int kLastCallRecordSize = 118;
inline constexpr int kSysInfoSize = 76;

struct UserOnRecord {
  std::string name, handle;
  uint8_t line = 0;
  uint16_t speed = 0;  // as stored
  std::string city;
  uint8_t status = 0;
  uint8_t attribute = 0;
  std::string status_text;
  std::array<uint8_t, 98> reserved{};
  uint16_t calls = 0;
};

struct LastCallRecord {
  uint8_t line = 0;
  std::string name, handle, city;
  uint16_t speed = 0;  // as stored
  int32_t calls = 0;
  std::string logon_time, logoff_time;
  uint8_t flag = 0;
};

struct SysInfoRecord {
  int32_t total_calls = 0;
  std::string last_caller_name, last_caller_handle;
};

UserOnRecord ReadUserOnRecord(RecordStream& in);
void WriteUserOnRecord(const UserOnRecord& r, RecordStream& out);
LastCallRecord ReadLastCallRecord(RecordStream& in);
void WriteLastCallRecord(const LastCallRecord& r, RecordStream& out);
SysInfoRecord ReadSysInfoRecord(RecordStream& in);
void WriteSysInfoRecord(const SysInfoRecord& r, RecordStream& out);

// Connection speeds as the two files store them: USERON.BBS divides a speed above 65534 by ten,
// LASTCALL.BBS one above 65535.
uint16_t UserOnSpeed(long speed);
uint16_t LastCallSpeed(long speed);

}  // namespace vx::core
