// USERON.BBS, LASTCALL.BBS and SYSINFO.BBS records, field by field.
#include "core/status_records.h"

namespace vx::core {

UserOnRecord ReadUserOnRecord(RecordStream& in) {
  UserOnRecord r;
  r.name = in.ReadPascalString(35);
  r.handle = in.ReadPascalString(35);
  r.line = in.ReadByte();
  r.speed = in.ReadWord();
  r.city = in.ReadPascalString(25);
  r.status = in.ReadByte();
  r.attribute = in.ReadByte();
  r.status_text = in.ReadPascalString(10);
  in.ReadInto(r.reserved);
  r.calls = in.ReadWord();
  return r;
}

void WriteUserOnRecord(const UserOnRecord& r, RecordStream& out) {
  out.WritePascalString(r.name, 35);
  out.WritePascalString(r.handle, 35);
  out.WriteByte(r.line);
  out.WriteWord(r.speed);
  out.WritePascalString(r.city, 25);
  out.WriteByte(r.status);
  out.WriteByte(r.attribute);
  out.WritePascalString(r.status_text, 10);
  out.WriteFrom(r.reserved);
  out.WriteWord(r.calls);
}

LastCallRecord ReadLastCallRecord(RecordStream& in) {
  LastCallRecord r;
  r.line = in.ReadByte();
  r.name = in.ReadPascalString(35);
  r.handle = in.ReadPascalString(35);
  r.city = in.ReadPascalString(25);
  r.speed = in.ReadWord();
  r.calls = in.ReadInt32();
  r.logon_time = in.ReadPascalString(5);
  r.logoff_time = in.ReadPascalString(5);
  r.flag = in.ReadByte();
  return r;
}

void WriteLastCallRecord(const LastCallRecord& r, RecordStream& out) {
  out.WriteByte(r.line);
  out.WritePascalString(r.name, 35);
  out.WritePascalString(r.handle, 35);
  out.WritePascalString(r.city, 25);
  out.WriteWord(r.speed);
  out.WriteInt32(r.calls);
  out.WritePascalString(r.logon_time, 5);
  out.WritePascalString(r.logoff_time, 5);
  out.WriteByte(r.flag);
}

SysInfoRecord ReadSysInfoRecord(RecordStream& in) {
  SysInfoRecord r;
  r.total_calls = in.ReadInt32();
  r.last_caller_name = in.ReadPascalString(35);
  r.last_caller_handle = in.ReadPascalString(35);
  return r;
}

void WriteSysInfoRecord(const SysInfoRecord& r, RecordStream& out) {
  out.WriteInt32(r.total_calls);
  out.WritePascalString(r.last_caller_name, 35);
  out.WritePascalString(r.last_caller_handle, 35);
}

uint16_t UserOnSpeed(long speed) {
  if (speed > 65534) speed /= 10;
  return static_cast<uint16_t>(speed < 0 ? 0 : (speed > 65535 ? 65535 : speed));
}

uint16_t LastCallSpeed(long speed) {
  if (speed > 65535) speed /= 10;
  return static_cast<uint16_t>(speed < 0 ? 0 : (speed > 65535 ? 65535 : speed));
}

}  // namespace vx::core
