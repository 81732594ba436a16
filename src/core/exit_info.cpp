// EXITINFO.BBS, field by field.
#include "core/exit_info.h"

#include <algorithm>

namespace vx::core {

namespace {

void WritePadded(const std::vector<uint8_t>& bytes, size_t width, RecordStream& out) {
  std::vector<uint8_t> field(width, 0);
  std::copy_n(bytes.begin(), std::min(bytes.size(), width), field.begin());
  out.WriteRaw(field);
}

}  // namespace

ExitInfo ReadExitInfo(RecordStream& in) {
  ExitInfo e;
  e.speed = in.ReadWord();
  e.sysinfo = in.ReadRaw(kExitInfoSysInfoWidth);
  e.timelog = in.ReadRaw(kExitInfoTimeLogWidth);
  e.user = ReadUserRecord(in);
  in.SkipBytes(19);
  e.echomail_entered = in.ReadByte() == 1;
  e.netmail_entered = in.ReadByte() == 1;
  e.logon_time = in.ReadPascalString(5);
  e.logon_date = in.ReadPascalString(8);
  e.time_limit = in.ReadWord();
  e.security = in.ReadInt32();
  return e;
}

void WriteExitInfo(const ExitInfo& e, RecordStream& out) {
  out.WriteWord(e.speed);
  WritePadded(e.sysinfo, kExitInfoSysInfoWidth, out);
  WritePadded(e.timelog, kExitInfoTimeLogWidth, out);
  UserRecord user = e.user;
  user.text969.clear();
  WriteUserRecord(user, out);
  out.WriteZeros(19);
  out.WriteByte(e.echomail_entered ? 1 : 0);
  out.WriteByte(e.netmail_entered ? 1 : 0);
  out.WritePascalString(e.logon_time, 5);
  out.WritePascalString(e.logon_date, 8);
  out.WriteWord(e.time_limit);
  out.WriteInt32(e.security);
  out.WriteZeros(1083);
}

}  // namespace vx::core
