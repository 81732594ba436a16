// The new-user path of the logon: the name confirmed, the questionnaire, the registration. The new
// record lives in memory until the end of the call appends it to the user base.
#include <string>

#include "core/dos_date.h"
#include "core/text.h"
#include "session/languages.h"
#include "session/logon.h"
#include "session/settings.h"
#include "session/status_files.h"

namespace vx::session {

namespace {

constexpr int kYellow = 14;
constexpr int kBlack = 0;

// The record of a new user before the questionnaire: empty but for the name, the new-user flags
// and security, the language in use and the date and time of registration.
core::UserRecord NewUserRecord(const NodeSession& session, const std::string& name,
                               const core::NewUserSettings& settings) {
  core::UserRecord u;
  u.name = name;
  u.language = session.caller.user.language;
  u.default_protocol = '\0';
  u.flags = settings.flags;
  u.security = settings.security;
  u.no_calls = 1;  // this call
  const std::tm now = session.loop.clock().LocalTime();
  u.first_date = u.last_date = core::DateText(now);
  u.last_time = core::TimeOfDayText(now);
  return u;
}

// A question of the questionnaire by its switch: 0 sets the flag without asking, 1 clears it
// without asking, 2 asks with the prompt (the first answer sets it, the second clears it). Other
// values leave the flag as it is.
void AskFlag(terminal::Terminal& terminal, int setting, int prompt, std::string& flags, int k) {
  char& flag = flags[static_cast<size_t>(k - 1)];
  switch (setting) {
    case 0:
      flag = '1';
      break;
    case 1:
      flag = '0';
      break;
    case 2:
      terminal.NewLine();
      terminal.SetForeground(kYellow);
      terminal.SetBackground(kBlack);
      flag = terminal.AskPromptLn(prompt) == 1 ? '1' : '0';
      break;
    default:
      break;
  }
}

void ChooseLanguage(NodeSession& session, int language_switch) {
  core::UserRecord& user = session.caller.user;
  if (language_switch == 0) {
    const int first = FirstLanguageFor(session.languages, user.security);
    if (first > 0 && UseLanguage(session, first)) user.language = static_cast<uint8_t>(first);
  } else {
    ChangeLanguage(session);
  }
}

}  // namespace

void AskNewUserQuestions(NodeSession& session) {
  terminal::Terminal& terminal = session.terminal;
  core::UserRecord& u = session.caller.user;
  const core::NewUserSettings settings =
      session.new_user_settings.value_or(core::NewUserSettings{});
  AskFlag(terminal, settings.ask_ansi, 8, u.attribute, 4);
  if (u.attribute[3] == '1') AskFlag(terminal, settings.ask_prompt9, 9, u.attribute, 7);
  AskFlag(terminal, settings.ask_prompt10, 10, u.attribute2, 2);
  AskFlag(terminal, settings.ask_prompt11, 11, u.attribute2, 1);
  AskFlag(terminal, settings.ask_prompt12, 12, u.attribute2, 3);
  ChangeScreenLength(terminal, u, false);
  AskFlag(terminal, settings.ask_more_prompt, 14, u.attribute, 3);
  AskFlag(terminal, settings.ask_clear_screen, 15, u.attribute, 2);
  ChangeLocation(terminal, u);
  if (settings.ask_address == 1) ChangeAddress(terminal, u);
  if (settings.ask_sex == 1) {
    terminal.NewLine();
    terminal.SetForeground(kYellow);
    terminal.SetBackground(kBlack);
    u.sex = terminal.AskPromptLn(653) == 1 ? 1 : 2;
  }
  AskFlag(terminal, settings.ask_prompt647, 647, u.attribute2, 6);
  if (settings.ask_voice_phone == 1) ChangeVoicePhone(terminal, u);
  if (settings.ask_data_phone == 1) ChangeDataPhone(terminal, u);
  ChangeHandle(terminal, u);
  if (settings.date_format > 0) {
    u.date_format = settings.date_format;
  } else {
    ChangeDateFormat(terminal, u);
  }
  const core::ConfigSnapshot& config = session.Config();
  if (settings.ask_birth_date == 1)
    AskBirthDate(terminal, u, config.OpenBracket(), config.CloseBracket());
  ChangePassword(terminal, u, config.MinimumPasswordLength(), PasswordCheck::kNewUser);
}

NewUserOutcome RegisterNewUser(NodeSession& session, const std::string& name) {
  terminal::Terminal& terminal = session.terminal;
  CallerAccount& caller = session.caller;
  const core::NewUserSettings settings =
      session.new_user_settings.value_or(core::NewUserSettings{});

  // 1. A name of one word only when the system takes such names.
  if (name.find(' ') == std::string::npos && settings.names_without_blank == 0) {
    terminal.ShowPromptLn(226);
    terminal.NewLine();
    return NewUserOutcome::kAskNameAgain;
  }
  session.log.WriteLog("Name not in user file");

  // 2, 3. A fresh record (nothing of an account named before stays in it), and its language.
  caller.Forget();
  caller.user = NewUserRecord(session, name, settings);
  ChooseLanguage(session, settings.ask_language);
  terminal.NewLine();

  for (;;) {
    // 4. Is the name right?
    terminal.ShowPromptLn(3);
    terminal.NewLine();
    terminal.ShowTextFile("NOTFOUND");
    terminal.ShowPrompt(4);
    terminal.Display(name);
    terminal.NewLine();
    terminal.NewLine();
    if (terminal.AskPromptLn(5) == 2) {
      terminal.NewLine();
      // Nobody is on line under this name after all.
      if (caller.user_on_line) ClearUserOn(session);
      return NewUserOutcome::kAskNameAgain;
    }

    // 5, 6. On line as a new user, and the questions.
    const std::tm now = session.loop.clock().LocalTime();
    caller.user_on_line = true;
    caller.logon_time = core::TimeOfDayText(now);
    caller.logon_date = core::DateText(now);
    WriteUserOn(session, kUserOnNewUser, "");
    terminal.ShowTextFile("NEWUSER1");
    terminal.NewLine();
    AskNewUserQuestions(session);

    // 7. All right? Otherwise once more from the name, the answers kept.
    if (terminal.AskPromptLn(26) != 2) break;
  }

  // 8. Registered: the record is appended to the user base when the call ends.
  terminal.ShowPromptLn(27);
  terminal.NewLine();
  terminal.ShowTextFile("newuser2");
  caller.user.security = settings.security;
  caller.Register();
  return NewUserOutcome::kRegistered;
}

}  // namespace vx::session
