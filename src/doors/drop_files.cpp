// Building DORINFO1.DEF, DOOR.SYS and EXITINFO.BBS.
#include "doors/drop_files.h"

#include <algorithm>

#include "core/exit_info.h"
#include "core/record_stream.h"
#include "core/text.h"
#include "doors/door_command.h"

namespace vx::doors {

namespace {

std::string Clean(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 32 || byte == 127) c = ' ';
  }
  return out;
}

class Lines {
 public:
  Lines& operator<<(std::string_view text) {
    out_ += Clean(text);
    out_ += "\r\n";
    return *this;
  }
  Lines& operator<<(long long number) { return *this << core::NumToText(number); }
  std::string Take() { return std::move(out_); }

 private:
  std::string out_;
};

}  // namespace

std::string SubscriptionDate(const std::string& stored) {
  const std::string trimmed = core::Trim(stored);
  return trimmed.empty() || trimmed == "-  -" ? "00-00-00" : stored;
}

std::string DorinfoText(const DropFileValues& v) {
  const core::UserRecord& u = v.user;
  Lines lines;
  lines << core::UpperCase(v.system_name) << core::UpperCase(FirstName(v.sysop_name))
        << core::UpperCase(LastName(v.sysop_name)) << "COM" + core::NumToText(v.port)
        << core::NumToText(v.speed) + " BAUD,N,8,1" << "0" << core::UpperCase(FirstName(u.name))
        << core::UpperCase(LastName(u.name)) << core::UpperCase(u.location) << v.display_mode
        << u.security << v.minutes_left;
  return lines.Take();
}

std::string DoorSysText(const DropFileValues& v) {
  const core::UserRecord& u = v.user;
  const std::string path = core::UpperCase(v.message_base_path);
  Lines lines;
  lines << "COM" + core::NumToText(v.port) + ":" << v.speed << "8" << v.node << "" << "Y" << "N"
        << "N" << "Y";                                                            // 1-9
  lines << u.name << u.location << u.voice_phone << u.data_phone << "" << u.security;  // 10-15
  lines << u.no_calls << u.last_date << v.minutes_left * 60LL << v.minutes_left;     // 16-19
  lines << (v.display_mode > 0 ? "GR" : "NG") << u.screen_length << "N" << "" << "";  // 20-24
  lines << SubscriptionDate(u.date905) << u.long962 << std::string(1, u.default_protocol)
        << u.uploads << u.downloads << "" << v.download_limit << u.birth_date;  // 25-32
  lines << path << path << v.sysop_name << u.handle << "" << "Y" << "N" << "Y";  // 33-40
  lines << v.default_colour << "0" << u.last_date << v.logon_time << u.last_time << "32768"
        << "";                                                                      // 41-47
  lines << u.uploads_k << u.downloads_k << u.comment << "0" << u.msgs_posted;  // 48-52
  return lines.Take();
}

std::vector<uint8_t> ExitInfoBytes(const DropFileValues& v) {
  core::ExitInfo e;
  // A speed above 65535 is stored divided by 10, as the DOS words of the status files are.
  e.speed = static_cast<uint16_t>(v.speed > 65535 ? std::min(v.speed / 10, 65535L) : std::max(v.speed, 0L));
  e.sysinfo = v.system_info;
  e.timelog = v.time_log;
  e.user = v.user;
  e.echomail_entered = v.echomail_entered;
  e.netmail_entered = v.netmail_entered;
  e.logon_time = v.logon_time;
  e.logon_date = v.logon_date;
  e.time_limit = static_cast<uint16_t>(v.time_limit < 0 ? 0 : v.time_limit > 65535 ? 65535 : v.time_limit);
  e.security = v.user.security;
  core::MemoryStream out;
  core::WriteExitInfo(e, out);
  return out.bytes();
}

}  // namespace vx::doors
