// Finding and reading MODEM.VX.
#include "session/modem_file.h"

#include <string>

#include "core/record_stream.h"
#include "platform/dos_path.h"

namespace vx::session {

std::optional<core::ModemSettings> FindModemSettings(NodeSession& session) {
  for (const std::string& dir : {session.node.startup_path, session.config.system_path}) {
    const std::string path = platform::HostPath(dir + "modem.vx", session.env);
    if (!core::FileHasData(path)) continue;
    auto file = core::RecordFile::Open(path, core::RecordFile::Mode::kRead);
    if (!file) continue;
    core::ModemSettings settings = core::ReadModemSettings(*file);
    if (file->short_read()) {
      session.log.WriteLog(path + " is shorter than its " + std::to_string(core::kModemRecordSize) +
                           " bytes; the missing fields read as empty");
    }
    return settings;
  }
  return std::nullopt;
}

void ShowMissingModemFile(NodeSession& session) {
  constexpr char kCr = '\r';
  session.console.MessageBox(
      std::string("(7999) ") + kCr +
          "No valid modem configuration file (MODEM.VX) found in nodepath or systempath." + kCr +
          "Please create a modem configuration file using the configuration utility.",
      "Configuration Error", platform::box::kOkOnly + platform::box::kExclamation);
}

}  // namespace vx::session
