// The file database of a file area n, below the configured file-base directory:
// hdr/fdb<n>.hdr (FileHeaderRecord, 194 bytes), idx/fdb<n>.idx (FileIndexRecord, 41 bytes) and
// txt/fdb<n>.txt (descriptions, each its text with CR LF line ends followed by one zero byte).
// Record k of the header and of the index file describe the same file. Dates are packed DOS
// date-and-time values. Pure layouts; the file base code decides what is written when.
//
// FileHeaderRecord:
//   off  width  field                       off  width  field
//   0    13     String[12] name (8.3, upper) 69   2      word times downloaded
//   13   4      u32 size in bytes            71   1      byte attributes
//   17   4      u32 CRC of the file          72   16     String[15] (unused)
//   21   36     String[35] uploader          88   80     5 x String[15] (unused)
//   57   4      packed upload date           168  2      word cost
//   61   4      packed file date             170  4      int32 description offset, -1 none
//   65   4      packed last download date    174  20     reserved
//
// FileIndexRecord:
//   0 String[12] name; 13 packed upload date; 17 5 x u32 (zero); 37 int32 description offset.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/record_stream.h"

namespace vx::files {

inline constexpr size_t kFileHeaderSize = 194;
inline constexpr size_t kFileIndexSize = 41;

struct FileHeaderRecord {
  std::string name;
  uint32_t size = 0;
  uint32_t crc = 0;
  std::string uploader;
  uint32_t upload_date = 0, file_date = 0, last_download = 0;
  uint16_t times_downloaded = 0;
  uint8_t attributes = 0;
  std::string text72;
  std::array<std::string, 5> texts88;
  uint16_t cost = 0;
  int32_t description_offset = -1;
  std::array<uint8_t, 20> reserved{};
};

struct FileIndexRecord {
  std::string name;
  uint32_t upload_date = 0;
  std::array<uint32_t, 5> longs17{};
  int32_t description_offset = -1;
};

// The three file names of area n relative to the file-base directory, with "/" as separator.
std::string FileHeaderName(int area);
std::string FileIndexName(int area);
std::string FileDescriptionName(int area);

FileHeaderRecord ReadFileHeaderRecord(core::RecordStream& in);
void WriteFileHeaderRecord(const FileHeaderRecord& r, core::RecordStream& out);
FileIndexRecord ReadFileIndexRecord(core::RecordStream& in);
void WriteFileIndexRecord(const FileIndexRecord& r, core::RecordStream& out);

}  // namespace vx::files
