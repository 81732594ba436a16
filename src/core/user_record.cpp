// USERS.BBS records, field by field.
#include "core/user_record.h"

#include "core/crc32.h"
#include "core/text.h"

namespace vx::core {

UserRecord ReadUserRecord(RecordStream& in) {
  UserRecord u;
  u.name = in.ReadPascalString(35);
  u.location = in.ReadPascalString(25);
  u.organisation = in.ReadPascalString(50);
  u.address1 = in.ReadPascalString(50);
  u.address2 = in.ReadPascalString(50);
  u.address3 = in.ReadPascalString(50);
  u.handle = in.ReadPascalString(35);
  u.comment = in.ReadPascalString(80);
  u.password_crc = in.ReadUInt32();
  u.data_phone = in.ReadPascalString(15);
  u.voice_phone = in.ReadPascalString(15);
  u.last_time = in.ReadPascalString(5);
  u.last_date = in.ReadPascalString(8);
  u.attribute = in.ReadFlagByte();
  u.attribute2 = in.ReadFlagByte();
  for (auto& f : u.flags) f = in.ReadFlagByte();
  u.long440 = in.ReadInt32();
  u.long444 = in.ReadInt32();
  u.msgs_posted = in.ReadWord();
  u.security = in.ReadWord();
  u.long452 = in.ReadInt32();
  u.no_calls = in.ReadInt32();
  u.uploads = in.ReadInt32();
  u.downloads = in.ReadInt32();
  u.uploads_k = in.ReadInt32();
  u.downloads_k = in.ReadInt32();
  u.today_k = in.ReadInt32();
  u.elapsed = in.ReadInt16();
  u.screen_length = in.ReadWord();
  u.byte484 = in.ReadByte();
  u.word485 = in.ReadWord();
  for (auto& w : u.word_table487) w = in.ReadWord();
  u.first_date = in.ReadPascalString(8);
  u.birth_date = in.ReadPascalString(8);
  u.date905 = in.ReadPascalString(8);
  u.screen_width = in.ReadByte();
  u.language = in.ReadByte();
  u.date_format = in.ReadByte();
  u.forward_to = in.ReadPascalString(35);
  u.msg_area = in.ReadWord();
  u.file_area = in.ReadWord();
  u.default_protocol = static_cast<char>(in.ReadByte());
  u.file_group = in.ReadWord();
  u.byte960 = in.ReadByte();
  u.sex = in.ReadByte();
  u.long962 = in.ReadInt32();
  u.msg_group = in.ReadWord();
  u.attribute3 = in.ReadFlagByte();
  u.text969 = in.ReadPascalString(15);
  in.ReadInto(u.reserved);
  return u;
}

void WriteUserRecord(const UserRecord& u, RecordStream& out, bool write_language) {
  out.WritePascalString(u.name, 35);
  out.WritePascalString(u.location, 25);
  out.WritePascalString(u.organisation, 50);
  out.WritePascalString(u.address1, 50);
  out.WritePascalString(u.address2, 50);
  out.WritePascalString(u.address3, 50);
  out.WritePascalString(u.handle, 35);
  out.WritePascalString(u.comment, 80);
  out.WriteUInt32(u.password_crc);
  out.WritePascalString(u.data_phone, 15);
  out.WritePascalString(u.voice_phone, 15);
  out.WritePascalString(u.last_time, 5);
  out.WritePascalString(u.last_date, 8);
  out.WriteFlagByte(u.attribute);
  out.WriteFlagByte(u.attribute2);
  for (const auto& f : u.flags) out.WriteFlagByte(f);
  out.WriteInt32(u.long440);
  out.WriteInt32(u.long444);
  out.WriteWord(u.msgs_posted);
  out.WriteWord(u.security);
  out.WriteInt32(u.long452);
  out.WriteInt32(u.no_calls);
  out.WriteInt32(u.uploads);
  out.WriteInt32(u.downloads);
  out.WriteInt32(u.uploads_k);
  out.WriteInt32(u.downloads_k);
  out.WriteInt32(u.today_k);
  out.WriteInt16(u.elapsed);
  out.WriteWord(u.screen_length);
  out.WriteByte(u.byte484);
  out.WriteWord(u.word485);
  for (uint16_t w : u.word_table487) out.WriteWord(w);
  out.WritePascalString(u.first_date, 8);
  out.WritePascalString(u.birth_date, 8);
  out.WritePascalString(u.date905, 8);
  out.WriteByte(u.screen_width);
  if (write_language) {
    out.WriteByte(u.language);
  } else {
    out.SkipBytes(1);
  }
  out.WriteByte(u.date_format);
  out.WritePascalString(u.forward_to, 35);
  out.WriteWord(u.msg_area);
  out.WriteWord(u.file_area);
  out.WriteByte(static_cast<uint8_t>(u.default_protocol));
  out.WriteWord(u.file_group);
  out.WriteByte(u.byte960);
  out.WriteByte(u.sex);
  out.WriteInt32(u.long962);
  out.WriteWord(u.msg_group);
  out.WriteFlagByte(u.attribute3);
  out.WritePascalString(u.text969, 15);
  out.WriteFrom(u.reserved);
}

UserIndexEntry IndexEntryFor(const UserRecord& user) {
  return UserIndexEntry{Crc32(UpperCase(user.name)), Crc32(UpperCase(user.handle))};
}

}  // namespace vx::core
