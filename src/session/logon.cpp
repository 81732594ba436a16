// The logon: the name prompt, the search through the user index, the password tries.
#include "session/logon.h"

#include <string>

#include "core/crc32.h"
#include "core/record_stream.h"
#include "core/text.h"
#include "platform/dos_path.h"
#include "session/call_end.h"
#include "session/languages.h"

namespace vx::session {

namespace {

// A file's text read for a message, up to a limit a message can hold.
std::string ReadMessageText(const std::string& host_path) {
  constexpr size_t kMaxText = 64 * 1024;
  auto bytes = core::ReadWholeFile(host_path);
  if (!bytes) return {};
  if (bytes->size() > kMaxText) bytes->resize(kMaxText);
  return std::string(bytes->begin(), bytes->end());
}

// A name as message entry takes it after "/T=": blanks written as "_".
std::string Underscored(const std::string& name) {
  return core::ReplaceAll(core::Trim(name), " ", "_");
}

void PostMessage(NodeSession& session, int area, const std::string& to, const std::string& text) {
  const std::string data = std::to_string(area) + " /T=" + Underscored(to);
  if (!session.hooks.post_message) {
    session.log.WriteLog("Message entry is not available in this build; no message to " +
                         core::Trim(to) + " in area " + std::to_string(area));
    return;
  }
  session.hooks.post_message(data, text);
}

}  // namespace

std::string Str(long long n) { return n >= 0 ? " " + std::to_string(n) : std::to_string(n); }

void Logon(NodeSession& session) {
  session.timers.StartTimeLeft();
  for (;;) {
    const std::string name = AskName(session);
    session.log.WriteLog(name + " on-line at " + std::to_string(session.node.connect_speed) +
                         " BPS");
    if (FindCaller(session, name)) {
      if (!AskPassword(session)) RefuseLogon(session);
      session.caller.LogOn();
      const int language = session.caller.user.language;
      if (language > 0) UseLanguage(session, language);
      break;
    }
    if (RegisterNewUser(session, name) == NewUserOutcome::kRegistered) break;
  }
  FinishLogon(session);
}

std::string AskName(NodeSession& session) {
  terminal::Terminal& terminal = session.terminal;
  const int attempts = session.Config().NameAttempts();
  for (int i = 0; i < attempts; ++i) {
    terminal.Display(session.Config().NamePromptText());
    terminal.SetColorPreset(1);
    std::string name;
    {
      struct NameMode {
        explicit NameMode(terminal::Terminal& t) : t_(t) { t_.SetNameMode(true); }
        ~NameMode() { t_.SetNameMode(false); }
        terminal::Terminal& t_;
      } name_mode(terminal);
      name = core::Trim(terminal.InputLine(35));
    }
    terminal.NewLine();
    if (!name.empty()) return name;
    terminal.SetColorPreset(0);
  }
  EndNodeProgram(session);
}

bool FindCaller(NodeSession& session, const std::string& name) {
  terminal::Terminal& terminal = session.terminal;
  const uint32_t crc = core::Crc32(core::UpperCase(name));
  terminal.NewLine();
  terminal.ShowPromptLn(319);
  terminal.NewLine();
  int stale = 0;
  const core::UserBase users = session.Users();
  std::optional<core::UserBase::Found> found = users.FindUser(crc, 1, &stale);
  if (stale > 0) {
    session.log.Alarm("USERSIDX.BBS is out of step with USERS.BBS: " + std::to_string(stale) +
                      " entries for this name name another user or no user; skipped");
  }
  if (!found) return false;
  session.caller.Load(found->record, found->user);
  return true;
}

bool AskPassword(NodeSession& session) {
  terminal::Terminal& terminal = session.terminal;
  const core::UserRecord& user = session.caller.user;
  const int tries = session.Config().PasswordAttempts();
  for (int t = 0; t < tries; ++t) {
    terminal.ShowPrompt(59);
    terminal.SetColorPreset(1);
    const std::string typed = core::UpperCase(terminal.InputMasked(15));
    if (core::Crc32(typed) == user.password_crc) {
      terminal.NewLine();
      return true;
    }
    session.log.WriteLog("Incorrect password : " + typed);
    terminal.NewLine();
    terminal.NewLine();
    terminal.ShowPromptLn(33);
    terminal.NewLine();
  }
  return false;
}

void RefuseLogon(NodeSession& session) {
  terminal::Terminal& terminal = session.terminal;
  const core::ConfigSnapshot& config = session.Config();
  terminal.ShowPromptLn(34);
  terminal.NewLine();

  // The account's owner learns of the tries from a message prepared by the sysop.
  const int watchdog_area = config.WatchdogArea();
  if (watchdog_area > 0) {
    const std::string path =
        platform::HostPath(session.config.system_path + "WATCHDOG.MSG", session.env);
    if (core::FileExists(path)) {
      // An empty notice says nothing (and an empty text would have the caller write one).
      const std::string text = ReadMessageText(path);
      if (core::Trim(text).empty()) {
        session.log.WriteLog("WATCHDOG.MSG is empty; no watchdog message is posted");
      } else {
        PostMessage(session, watchdog_area, session.caller.user.name, text);
      }
    }
  }
  const int answer = terminal.AskPromptLn(35);
  const int sysop_area = config.SysopMessageArea();
  if (sysop_area > 0 && answer == 1) PostMessage(session, sysop_area, config.SysopName(), "");

  session.log.Alarm("Exceeded maximum passwords attempts, user disconnected");
  if (watchdog_area > 0) session.log.Alarm("Watchdog: User notified of password attempt");
  EndNodeProgram(session);
}

}  // namespace vx::session
