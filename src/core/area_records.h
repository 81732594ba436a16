// The area and group files of the system directory and their VDX indexes: MESSAGES.VX, FILES.VX,
// MGROUPS.VX and FGROUPS.VX. The configuration utility writes them; the node only reads them.
//
// Index file (.VDX): an array of uint16 without header; word n (byte offset 2 * (n - 1)) holds the
// 1-based record number of area or group n, 0 = none. Records have no header either: record r
// starts at (r - 1) * size.
//
// MessageAreaRecord, 224 bytes:
//   off  width  field                        off  width  field
//   0    2      word area number             82   61     String[60] origin line
//   2    2      word (unused)                143  1      byte address index (0..9)
//   4    41     String[40] name              144  1      byte (unused)
//   45   1      byte type: 0 local, 1 net,   145  61     String[60] JAM base path (no extension)
//               2 echo, 3 internet, 4 news   206  2      word group
//   46   1      byte message kinds (3: none  208  6      3 x word further groups
//               may be written)              214  1      byte second attribute byte
//   47   1      attribute bits (below)       215  2      word (unused)
//   48   2      two bytes (unused)           217  7      reserved
//   50   2      word (unused)
//   52   2      word read security      62   2   word write security    72  2  word sysop security
//   54   4      read flags A..D         64   4   write flags            74  4  sysop flags
//   58   4      read "not" flags        68   4   write "not" flags      78  4  sysop "not" flags
// Attribute bits: 0 tear and origin lines; 5 alias as sender; 7 JAM area (clear: Hudson);
// 1, 2, 3, 4, 6 carried.
//
// FileAreaRecord, 168 bytes:
//   off  width  field                        off  width  field
//   0    2      word (unused)                113  1      byte 1 = the area is in every group
//   2    2      word (unused)                114  2      word (unused)
//   4    41     String[40] name              116  2      word upload area (0 = this one)
//   45   1      attributes; bit 1: searched  118  20     not read
//               by the upload duplicate check
//   46   41     String[40] file path         138  2      word security
//   87   24     not read                     140  4      flags required A..D
//   111  2      word group                   144  4      "not" flags
//                                            148  8      4 x word further groups
//                                            156  12     not read
//
// GroupRecord, 153 bytes (both group files):
//   0 word number; 2 String[40] name; 43 word security; 45 4 flag bytes required;
//   49 4 flag bytes "not"; 53 100 bytes not read.
//
// Fields the node does not read are kept as raw bytes so that a record read and written back is
// unchanged.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/record_stream.h"

namespace vx::core {

inline constexpr int kMessageAreaRecordSize = 224;
inline constexpr int kFileAreaRecordSize = 168;
inline constexpr int kGroupRecordSize = 153;

using FlagSet = std::array<uint8_t, 4>;  // one byte per flag group A..D, bit 0 = flag 1

struct MessageAreaRecord {
  uint16_t area_number = 0;
  uint16_t word2 = 0;
  std::string name;
  uint8_t area_type = 0;
  uint8_t message_kinds = 0;
  uint8_t attribute = 0;
  uint8_t byte48 = 0, byte49 = 0;
  uint16_t word50 = 0;
  uint16_t read_security = 0;
  FlagSet read_flags{}, read_not_flags{};
  uint16_t write_security = 0;
  FlagSet write_flags{}, write_not_flags{};
  uint16_t sysop_security = 0;
  FlagSet sysop_flags{}, sysop_not_flags{};
  std::string origin_line;
  uint8_t address_index = 0;
  uint8_t byte144 = 0;
  std::string jam_base_path;
  uint16_t group = 0;
  std::array<uint16_t, 3> further_groups{};
  uint8_t attribute2 = 0;
  uint16_t word215 = 0;
  std::array<uint8_t, 7> reserved{};

  bool IsJam() const { return (attribute & 0x80) != 0; }
};

struct FileAreaRecord {
  uint16_t word0 = 0, word2 = 0;
  std::string name;
  uint8_t attribute = 0;
  std::string path;
  std::array<uint8_t, 24> bytes87{};
  uint16_t group = 0;
  uint8_t all_groups = 0;
  uint16_t word114 = 0;
  uint16_t upload_area = 0;
  std::array<uint8_t, 20> bytes118{};
  uint16_t security = 0;
  FlagSet flags{}, not_flags{};
  std::array<uint16_t, 4> further_groups{};
  std::array<uint8_t, 12> bytes156{};
};

struct GroupRecord {
  uint16_t number = 0;
  std::string name;
  uint16_t security = 0;
  FlagSet flags{}, not_flags{};
  std::array<uint8_t, 100> bytes53{};
};

// Each reads or writes one record at the stream's position.
MessageAreaRecord ReadMessageAreaRecord(RecordStream& in);
void WriteMessageAreaRecord(const MessageAreaRecord& r, RecordStream& out);
FileAreaRecord ReadFileAreaRecord(RecordStream& in);
void WriteFileAreaRecord(const FileAreaRecord& r, RecordStream& out);
GroupRecord ReadGroupRecord(RecordStream& in);
void WriteGroupRecord(const GroupRecord& r, RecordStream& out);

// A VDX index: entry n - 1 holds the record number of area or group n.
std::vector<uint16_t> ReadAreaIndex(RecordStream& in);
void WriteAreaIndex(const std::vector<uint16_t>& index, RecordStream& out);
// The index for records whose numbers are given in record order: numbers[r - 1] is the number of
// record r. Sized to the highest number; numbers of 0 are skipped.
std::vector<uint16_t> BuildAreaIndex(const std::vector<uint16_t>& numbers);

}  // namespace vx::core
