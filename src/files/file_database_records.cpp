// File database records, field by field.
#include "files/file_database_records.h"

#include <algorithm>

namespace vx::files {

std::string FileHeaderName(int area) { return "hdr/fdb" + std::to_string(area) + ".hdr"; }
std::string FileIndexName(int area) { return "idx/fdb" + std::to_string(area) + ".idx"; }
std::string FileDescriptionName(int area) { return "txt/fdb" + std::to_string(area) + ".txt"; }

namespace {

// Fields of a record read whole (a listing or a search reads thousands of them).
class RecordBytes {
 public:
  template <size_t N>
  explicit RecordBytes(const std::array<uint8_t, N>& bytes) : bytes_(bytes.data()) {}

  std::string Text(size_t offset, size_t width) const {
    const size_t length = std::min<size_t>(bytes_[offset], width);
    return std::string(reinterpret_cast<const char*>(bytes_ + offset + 1), length);
  }
  uint16_t Word(size_t offset) const {
    return static_cast<uint16_t>(bytes_[offset] | bytes_[offset + 1] << 8);
  }
  uint32_t Long(size_t offset) const {
    return static_cast<uint32_t>(bytes_[offset]) | static_cast<uint32_t>(bytes_[offset + 1]) << 8 |
           static_cast<uint32_t>(bytes_[offset + 2]) << 16 |
           static_cast<uint32_t>(bytes_[offset + 3]) << 24;
  }

 private:
  const uint8_t* bytes_;
};

// The record at the stream's position; what the stream does not hold reads as zeros.
template <size_t N>
std::array<uint8_t, N> ReadRecord(core::RecordStream& in) {
  std::array<uint8_t, N> bytes{};
  const size_t got = in.ReadBytes(bytes.data(), N);
  if (got < N) in.SkipBytes(N - got);
  return bytes;
}

}  // namespace

FileHeaderRecord ReadFileHeaderRecord(core::RecordStream& in) {
  const auto bytes = ReadRecord<kFileHeaderSize>(in);
  const RecordBytes b(bytes);
  FileHeaderRecord r;
  r.name = b.Text(0, 12);
  r.size = b.Long(13);
  r.crc = b.Long(17);
  r.uploader = b.Text(21, 35);
  r.upload_date = b.Long(57);
  r.file_date = b.Long(61);
  r.last_download = b.Long(65);
  r.times_downloaded = b.Word(69);
  r.attributes = bytes[71];
  r.text72 = b.Text(72, 15);
  for (size_t i = 0; i < r.texts88.size(); ++i) r.texts88[i] = b.Text(88 + 16 * i, 15);
  r.cost = b.Word(168);
  r.description_offset = static_cast<int32_t>(b.Long(170));
  std::copy(bytes.begin() + 174, bytes.end(), r.reserved.begin());
  return r;
}

void WriteFileHeaderRecord(const FileHeaderRecord& r, core::RecordStream& out) {
  out.WritePascalString(r.name, 12);
  out.WriteUInt32(r.size);
  out.WriteUInt32(r.crc);
  out.WritePascalString(r.uploader, 35);
  out.WriteUInt32(r.upload_date);
  out.WriteUInt32(r.file_date);
  out.WriteUInt32(r.last_download);
  out.WriteWord(r.times_downloaded);
  out.WriteByte(r.attributes);
  out.WritePascalString(r.text72, 15);
  for (const auto& t : r.texts88) out.WritePascalString(t, 15);
  out.WriteWord(r.cost);
  out.WriteInt32(r.description_offset);
  out.WriteFrom(r.reserved);
}

FileIndexRecord ReadFileIndexRecord(core::RecordStream& in) {
  const auto bytes = ReadRecord<kFileIndexSize>(in);
  const RecordBytes b(bytes);
  FileIndexRecord r;
  r.name = b.Text(0, 12);
  r.upload_date = b.Long(13);
  for (size_t i = 0; i < r.longs17.size(); ++i) r.longs17[i] = b.Long(17 + 4 * i);
  r.description_offset = static_cast<int32_t>(b.Long(37));
  return r;
}

void WriteFileIndexRecord(const FileIndexRecord& r, core::RecordStream& out) {
  out.WritePascalString(r.name, 12);
  out.WriteUInt32(r.upload_date);
  for (uint32_t l : r.longs17) out.WriteUInt32(l);
  out.WriteInt32(r.description_offset);
}

}  // namespace vx::files
