// MESSAGES.VX, FILES.VX, the group files and their VDX indexes, field by field.
#include "core/area_records.h"

#include <algorithm>

namespace vx::core {

MessageAreaRecord ReadMessageAreaRecord(RecordStream& in) {
  MessageAreaRecord r;
  r.area_number = in.ReadWord();
  r.word2 = in.ReadWord();
  r.name = in.ReadPascalString(40);
  r.area_type = in.ReadByte();
  r.message_kinds = in.ReadByte();
  r.attribute = in.ReadByte();
  r.byte48 = in.ReadByte();
  r.byte49 = in.ReadByte();
  r.word50 = in.ReadWord();
  r.read_security = in.ReadWord();
  in.ReadInto(r.read_flags);
  in.ReadInto(r.read_not_flags);
  r.write_security = in.ReadWord();
  in.ReadInto(r.write_flags);
  in.ReadInto(r.write_not_flags);
  r.sysop_security = in.ReadWord();
  in.ReadInto(r.sysop_flags);
  in.ReadInto(r.sysop_not_flags);
  r.origin_line = in.ReadPascalString(60);
  r.address_index = in.ReadByte();
  r.byte144 = in.ReadByte();
  r.jam_base_path = in.ReadPascalString(60);
  r.group = in.ReadWord();
  for (auto& g : r.further_groups) g = in.ReadWord();
  r.attribute2 = in.ReadByte();
  r.word215 = in.ReadWord();
  in.ReadInto(r.reserved);
  return r;
}

void WriteMessageAreaRecord(const MessageAreaRecord& r, RecordStream& out) {
  out.WriteWord(r.area_number);
  out.WriteWord(r.word2);
  out.WritePascalString(r.name, 40);
  out.WriteByte(r.area_type);
  out.WriteByte(r.message_kinds);
  out.WriteByte(r.attribute);
  out.WriteByte(r.byte48);
  out.WriteByte(r.byte49);
  out.WriteWord(r.word50);
  out.WriteWord(r.read_security);
  out.WriteFrom(r.read_flags);
  out.WriteFrom(r.read_not_flags);
  out.WriteWord(r.write_security);
  out.WriteFrom(r.write_flags);
  out.WriteFrom(r.write_not_flags);
  out.WriteWord(r.sysop_security);
  out.WriteFrom(r.sysop_flags);
  out.WriteFrom(r.sysop_not_flags);
  out.WritePascalString(r.origin_line, 60);
  out.WriteByte(r.address_index);
  out.WriteByte(r.byte144);
  out.WritePascalString(r.jam_base_path, 60);
  out.WriteWord(r.group);
  for (uint16_t g : r.further_groups) out.WriteWord(g);
  out.WriteByte(r.attribute2);
  out.WriteWord(r.word215);
  out.WriteFrom(r.reserved);
}

FileAreaRecord ReadFileAreaRecord(RecordStream& in) {
  FileAreaRecord r;
  r.word0 = in.ReadWord();
  r.word2 = in.ReadWord();
  r.name = in.ReadPascalString(40);
  r.attribute = in.ReadByte();
  r.path = in.ReadPascalString(40);
  in.ReadInto(r.bytes87);
  r.group = in.ReadWord();
  r.all_groups = in.ReadByte();
  r.word114 = in.ReadWord();
  r.upload_area = in.ReadWord();
  in.ReadInto(r.bytes118);
  r.security = in.ReadWord();
  in.ReadInto(r.flags);
  in.ReadInto(r.not_flags);
  for (auto& g : r.further_groups) g = in.ReadWord();
  in.ReadInto(r.bytes156);
  return r;
}

void WriteFileAreaRecord(const FileAreaRecord& r, RecordStream& out) {
  out.WriteWord(r.word0);
  out.WriteWord(r.word2);
  out.WritePascalString(r.name, 40);
  out.WriteByte(r.attribute);
  out.WritePascalString(r.path, 40);
  out.WriteFrom(r.bytes87);
  out.WriteWord(r.group);
  out.WriteByte(r.all_groups);
  out.WriteWord(r.word114);
  out.WriteWord(r.upload_area);
  out.WriteFrom(r.bytes118);
  out.WriteWord(r.security);
  out.WriteFrom(r.flags);
  out.WriteFrom(r.not_flags);
  for (uint16_t g : r.further_groups) out.WriteWord(g);
  out.WriteFrom(r.bytes156);
}

GroupRecord ReadGroupRecord(RecordStream& in) {
  GroupRecord r;
  r.number = in.ReadWord();
  r.name = in.ReadPascalString(40);
  r.security = in.ReadWord();
  in.ReadInto(r.flags);
  in.ReadInto(r.not_flags);
  in.ReadInto(r.bytes53);
  return r;
}

void WriteGroupRecord(const GroupRecord& r, RecordStream& out) {
  out.WriteWord(r.number);
  out.WritePascalString(r.name, 40);
  out.WriteWord(r.security);
  out.WriteFrom(r.flags);
  out.WriteFrom(r.not_flags);
  out.WriteFrom(r.bytes53);
}

std::vector<uint16_t> ReadAreaIndex(RecordStream& in) {
  std::vector<uint16_t> index;
  in.Seek(0);
  const uint64_t count = in.Size() / 2;
  index.reserve(count);
  for (uint64_t i = 0; i < count; ++i) index.push_back(in.ReadWord());
  return index;
}

void WriteAreaIndex(const std::vector<uint16_t>& index, RecordStream& out) {
  for (uint16_t r : index) out.WriteWord(r);
}

std::vector<uint16_t> BuildAreaIndex(const std::vector<uint16_t>& numbers) {
  uint16_t highest = numbers.empty() ? 0 : *std::max_element(numbers.begin(), numbers.end());
  std::vector<uint16_t> index(highest, 0);
  for (size_t r = 0; r < numbers.size(); ++r) {
    if (numbers[r] != 0 && index[numbers[r] - 1] == 0) {
      index[numbers[r] - 1] = static_cast<uint16_t>(r + 1);
    }
  }
  return index;
}

}  // namespace vx::core
