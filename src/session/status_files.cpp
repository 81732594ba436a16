// Writing USERON.BBS, LASTCALL.BBS and SYSINFO.BBS at the logon and at the end of a call.
#include "session/status_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include "core/dos_date.h"
#include "core/record_stream.h"
#include "core/text.h"
#include "platform/dos_path.h"

namespace vx::session {

namespace {

std::string HostFile(const NodeSession& session, const char* name) {
  return platform::HostPath(session.config.system_path + name, session.env);
}

void ReportFailure(NodeSession& session, const std::string& what, const std::string& path) {
  session.log.Alarm(what + " " + path + ": " + std::strerror(errno));
}

std::vector<uint8_t> UserOnBytes(const core::UserOnRecord& record) {
  core::MemoryStream out;
  core::WriteUserOnRecord(record, out);
  return std::move(out.bytes());
}

// The node's USERON.BBS record, written whole under a lock on its bytes.
void WriteUserOnRecord(NodeSession& session, const core::UserOnRecord& record) {
  const std::string path = HostFile(session, "USERON.BBS");
  auto file = core::RecordFile::Open(path, core::RecordFile::Mode::kCreate);
  if (!file) return ReportFailure(session, "Cannot open", path);
  const uint64_t offset = static_cast<uint64_t>(session.node.number - 1) * core::kUserOnRecordSize;
  core::RecordLock lock(*file, offset, core::kUserOnRecordSize, true, session.LockWaiting());
  if (!lock.held()) return ReportFailure(session, "Cannot lock the node's record of", path);
  if (!file->WriteAt(offset, UserOnBytes(record))) {
    ReportFailure(session, "Cannot write the node's record of", path);
  }
}

// The local date of the file's last change, "MM-DD-YY".
std::string ChangeDate(const core::RecordFile& file) {
  struct stat info {};
  if (::fstat(file.fd(), &info) != 0) return {};
  std::tm changed{};
  const std::time_t when = info.st_mtime;
  localtime_r(&when, &changed);
  return core::DateText(changed);
}

// LASTCALL.BBS holds the calls of one day: the first call that ends on a new day empties it. The
// check, the emptying and the append are one step under a lock on the whole file.
void AppendLastCall(NodeSession& session, const core::LastCallRecord& record) {
  const std::string path = HostFile(session, "LASTCALL.BBS");
  auto file = core::RecordFile::Open(path, core::RecordFile::Mode::kCreate);
  if (!file) return ReportFailure(session, "Cannot open", path);
  core::RecordLock lock(*file, 0, 0, true, session.LockWaiting());
  if (!lock.held()) return ReportFailure(session, "Cannot lock", path);
  const std::string today = core::DateText(session.loop.clock().LocalTime());
  if (file->Size() > 0 && ChangeDate(*file) != today) {
    if (::ftruncate(file->fd(), 0) != 0) return ReportFailure(session, "Cannot empty", path);
  }
  // A partial record at the end (a crash in the middle of a write) is overwritten, so that every
  // record stays on its boundary.
  const uint64_t offset = file->Size() / core::kLastCallRecordSize * core::kLastCallRecordSize;
  core::MemoryStream bytes;
  core::WriteLastCallRecord(record, bytes);
  if (!file->WriteAt(offset, bytes.bytes())) ReportFailure(session, "Cannot append to", path);
}

// One more call and the last caller in SYSINFO.BBS: the read, the increment and the write are one
// step under a lock on the 76 bytes. Bytes behind them are left alone.
void CountCall(NodeSession& session, const core::UserRecord& user) {
  const std::string path = HostFile(session, "SYSINFO.BBS");
  auto file = core::RecordFile::Open(path, core::RecordFile::Mode::kCreate);
  if (!file) return ReportFailure(session, "Cannot open", path);
  core::RecordLock lock(*file, 0, core::kSysInfoSize, true, session.LockWaiting());
  if (!lock.held()) return ReportFailure(session, "Cannot lock", path);
  file->Seek(0);
  core::SysInfoRecord info = core::ReadSysInfoRecord(*file);
  info.total_calls = static_cast<int32_t>(static_cast<uint32_t>(info.total_calls) + 1);
  info.last_caller_name = user.name;
  info.last_caller_handle = user.handle;
  core::MemoryStream bytes;
  core::WriteSysInfoRecord(info, bytes);
  if (!file->WriteAt(0, bytes.bytes())) return ReportFailure(session, "Cannot write", path);
  session.system_info = info;
}

}  // namespace

core::UserOnRecord UserOnRecordFor(const core::UserRecord& user, int node, long speed, int status,
                                   const std::string& text) {
  core::UserOnRecord r;
  r.name = user.name;
  r.handle = user.handle;
  r.line = static_cast<uint8_t>(node);
  r.speed = core::UserOnSpeed(speed);
  r.city = user.location;
  r.status = static_cast<uint8_t>(status);
  r.attribute = 0;
  r.status_text = text;
  r.calls = static_cast<uint16_t>(user.no_calls);
  return r;
}

core::UserOnRecord ClearedUserOnRecord() {
  core::UserOnRecord r;
  r.attribute = 16;
  return r;
}

core::LastCallRecord LastCallRecordFor(const core::UserRecord& user, int node, long speed,
                                       const std::string& logon_time,
                                       const std::string& logoff_time) {
  core::LastCallRecord r;
  r.line = static_cast<uint8_t>(node);
  r.name = user.name;
  r.handle = user.handle;
  r.city = user.location;
  r.speed = core::LastCallSpeed(speed);
  r.calls = user.no_calls;
  r.logon_time = logon_time;
  r.logoff_time = logoff_time;
  r.flag = user.attribute2.size() >= 4 && user.attribute2[3] == '1' ? 1 : 0;
  return r;
}

void WriteUserOn(NodeSession& session, int status, const std::string& text) {
  WriteUserOnRecord(session, UserOnRecordFor(session.caller.user, session.node.number,
                                             session.node.connect_speed, status, text));
}

void ClearUserOn(NodeSession& session) {
  WriteUserOnRecord(session, ClearedUserOnRecord());
  session.caller.user_on_line = false;
}

void UpdateStatusAtCallEnd(NodeSession& session) {
  CallerAccount& caller = session.caller;
  if (!caller.user_on_line) return;
  WriteUserOnRecord(session, ClearedUserOnRecord());
  if (!core::Trim(caller.user.name).empty()) {
    const std::string logoff_time = core::TimeOfDayText(session.loop.clock().LocalTime());
    AppendLastCall(session,
                   LastCallRecordFor(caller.user, session.node.number, session.node.connect_speed,
                                     caller.logon_time, logoff_time));
    CountCall(session, caller.user);
  }
  caller.user_on_line = false;
}

}  // namespace vx::session
