// The common tail of the logon, for known and new callers alike: the language, the caller on line,
// the limits of the security level and the time of the day, the opening screens, the scans and the
// menus.
#include <string>

#include "core/area_files.h"
#include "core/dos_date.h"
#include "core/record_stream.h"
#include "core/text.h"
#include "platform/dos_path.h"
#include "session/call_end.h"
#include "session/languages.h"
#include "session/logon.h"
#include "session/settings.h"
#include "session/status_files.h"

namespace vx::session {

namespace {

constexpr int kYellow = 14;
constexpr int kBlack = 0;

// The day's limits of the caller's security level: minutes, and download kilobytes at the
// caller's speed. A level without a record (or a speed without a figure) keeps what was there.
void ApplyLimits(NodeSession& session) {
  const std::string path =
      platform::HostPath(session.config.system_path + "LIMITS.VX", session.env);
  bool partial = false;
  const std::optional<core::LimitsRecord> limits =
      FindLimits(path, session.caller.user.security, &partial);
  if (partial) {
    session.log.WriteLog("LIMITS.VX ends in a partial record; it is ignored");
  }
  if (!limits) return;
  session.clock.daily_time = limits->daily_time;
  session.clock.kilobyte_ratio = limits->limit28;
  session.clock.file_ratio = limits->limit30;
  // A speed the table does not list has the figure of the next lower one: without it every tag
  // would be refused at 115200 bps.
  if (const std::optional<uint16_t> k = limits->DownloadKAtOrBelow(session.node.connect_speed)) {
    session.clock.daily_download_k = *k;
  }
}

// Asks a yes/no question of the logon, or not, by its setting: 1 yes without asking, 2 ask.
bool WantedAtLogon(terminal::Terminal& terminal, int setting, int prompt) {
  if (setting == 1) return true;
  if (setting != 2) return false;
  terminal.SetForeground(kYellow);
  terminal.SetBackground(kBlack);
  return terminal.AskPromptLn(prompt) == 1;
}

void RunHook(NodeSession& session, const std::function<void()>& hook, const char* what) {
  if (hook) {
    hook();
  } else {
    session.log.WriteLog(std::string(what) + " is not available in this build");
  }
}

}  // namespace

std::optional<core::LimitsRecord> FindLimits(const std::string& host_path, int security,
                                             bool* partial) {
  auto file = core::RecordFile::Open(host_path, core::RecordFile::Mode::kRead);
  if (!file) return std::nullopt;
  const uint64_t size = file->Size();
  if (partial) *partial = size % core::kLimitsRecordSize != 0;
  const uint64_t count = size / core::kLimitsRecordSize;
  for (uint64_t r = 0; r < count; ++r) {
    file->Seek(r * core::kLimitsRecordSize);
    core::LimitsRecord record = core::ReadLimitsRecord(*file);
    if (record.security == security) return record;
  }
  return std::nullopt;
}

std::optional<std::string> ProtocolName(char default_protocol) {
  switch (default_protocol) {
    case 'X':
      return "XModem";
    case '1':
      return "XModem/1K";
    case 'Q':
      return "XModem/1K-G";
    case 'Y':
      return "YModem";
    case 'G':
      return "YModem-G";
    case 'Z':
      return "ZModem";
    default:
      return std::nullopt;
  }
}

void FinishLogon(NodeSession& session) {
  terminal::Terminal& terminal = session.terminal;
  CallerAccount& caller = session.caller;
  core::UserRecord& user = caller.user;
  const core::ConfigSnapshot& config = session.Config();
  const core::NewUserSettings settings =
      session.new_user_settings.value_or(core::NewUserSettings{});

  // 2, 3. A language, and the birth date when the system wants it and has none.
  if (user.language == 0) {
    const int first = FirstLanguageFor(session.languages, user.security);
    if (first > 0 && UseLanguage(session, first)) user.language = static_cast<uint8_t>(first);
  }
  if (settings.ask_birth_date == 1 && core::Trim(user.birth_date).size() < 8) {
    AskBirthDate(terminal, user, config.OpenBracket(), config.CloseBracket());
  }

  // 4, 5. On line; a locked-out account goes no further.
  const std::tm now = session.loop.clock().LocalTime();
  const std::string today = core::DateText(now);
  caller.user_on_line = true;
  caller.logon_time = core::TimeOfDayText(now);
  caller.logon_date = today;
  WriteUserOn(session, kUserOnLoggedOn, "");
  if (user.security == 0) {
    terminal.NewLine();
    terminal.ShowPromptLn(36);
    EndNodeProgram(session);
  }

  // 6 to 10. The window, the limits and the time of the day. The day's minutes are known before
  // the log line, so that it shows what the caller has today (not what is left of the logon's).
  session.window->SetTitle(std::to_string(session.node.number) + ": " + user.name +
                           " - ngFarlink32 " + core::kVersionText);
  ApplyLimits(session);
  if (user.last_date != today) {
    session.clock.time_left = session.clock.daily_time;
    user.elapsed = 0;
    user.today_k = 0;
  }
  session.clock.time_left = session.clock.daily_time - user.elapsed;
  session.log.WriteLog("Security level" + std::to_string(user.security) + "," +
                       Str(session.clock.time_left) + " mins today," + Str(user.elapsed) +
                       " mins this session");
  session.window->RefreshStatusPanel();
  session.timers.StartTimeLeft();

  // 11 to 14. The opening screens, the caller's areas and protocol, the date of this call.
  terminal.ShowTextFile("WELCOME");
  terminal.ShowTextFile("WELCOME1");
  const core::AreaFiles areas = session.AreaFiles();
  session.areas.LoadMessageArea(areas, user);
  session.areas.LoadFileArea(areas, user);
  terminal.ClearScreen();
  if (const std::optional<std::string> name = ProtocolName(user.default_protocol)) {
    session.protocol_name = *name;
  }
  const std::tm shown = session.loop.clock().LocalTime();
  user.last_date = core::DateText(shown);
  user.last_time = core::TimeOfDayText(shown);
  terminal.ShowTextFile("SEC" + std::to_string(user.security));
  terminal.NewLine();

  // 15 to 17. Mail, new files, news.
  if (WantedAtLogon(terminal, config.PersonalMailScanAtLogon(), 40)) {
    RunHook(session, session.hooks.scan_personal_mail, "The personal-mail scan");
  }
  terminal.NewLine();
  const int new_files = config.NewFilesScanAtLogon();
  session.log.Debug("SnewFiles = " + std::to_string(new_files));
  if (WantedAtLogon(terminal, new_files, 41)) {
    RunHook(session, session.hooks.scan_new_files, "The new-files search");
  }
  session.log.Debug("Looking for news");
  terminal.ShowTextFile("NEWS");

  // 18, 19. The menus, until the call ends. Without them the call ends here (in a local session
  // once the sysop has seen the screens and pressed a key).
  if (session.hooks.run_menus) {
    session.hooks.run_menus();
  } else if (session.node.local_mode) {
    terminal.input().auto_accept = true;
    terminal.PressEnter();
  }
  EndNodeProgram(session);
}

}  // namespace vx::session
