// Reading SYSINFO.BBS.
#include "session/system_info.h"

#include "core/record_stream.h"
#include "platform/dos_path.h"

namespace vx::session {

void ReadSystemInfo(NodeSession& session) {
  auto file = core::RecordFile::Open(
      platform::HostPath(session.config.system_path + "SYSINFO.BBS", session.env),
      core::RecordFile::Mode::kRead);
  if (!file) {
    session.system_info = core::SysInfoRecord{};
    return;
  }
  session.system_info = core::ReadSysInfoRecord(*file);
  if (file->short_read() && file->Size() > 0) {
    session.log.WriteLog("SYSINFO.BBS is shorter than its " + std::to_string(core::kSysInfoSize) +
                         " bytes; the missing fields read as empty");
  }
}

}  // namespace vx::session
