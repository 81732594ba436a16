// File database records, field by field.
#include "files/file_database_records.h"

namespace vx::files {

std::string FileHeaderName(int area) { return "hdr/fdb" + std::to_string(area) + ".hdr"; }
std::string FileIndexName(int area) { return "idx/fdb" + std::to_string(area) + ".idx"; }
std::string FileDescriptionName(int area) { return "txt/fdb" + std::to_string(area) + ".txt"; }

FileHeaderRecord ReadFileHeaderRecord(core::RecordStream& in) {
  FileHeaderRecord r;
  r.name = in.ReadPascalString(12);
  r.size = in.ReadUInt32();
  r.crc = in.ReadUInt32();
  r.uploader = in.ReadPascalString(35);
  r.upload_date = in.ReadUInt32();
  r.file_date = in.ReadUInt32();
  r.last_download = in.ReadUInt32();
  r.times_downloaded = in.ReadWord();
  r.attributes = in.ReadByte();
  r.text72 = in.ReadPascalString(15);
  for (auto& t : r.texts88) t = in.ReadPascalString(15);
  r.cost = in.ReadWord();
  r.description_offset = in.ReadInt32();
  in.ReadInto(r.reserved);
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
  FileIndexRecord r;
  r.name = in.ReadPascalString(12);
  r.upload_date = in.ReadUInt32();
  for (auto& l : r.longs17) l = in.ReadUInt32();
  r.description_offset = in.ReadInt32();
  return r;
}

void WriteFileIndexRecord(const FileIndexRecord& r, core::RecordStream& out) {
  out.WritePascalString(r.name, 12);
  out.WriteUInt32(r.upload_date);
  for (uint32_t l : r.longs17) out.WriteUInt32(l);
  out.WriteInt32(r.description_offset);
}

}  // namespace vx::files
