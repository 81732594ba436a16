// How the caller's screen shows the system: screen length, date format and language.
#include <set>
#include <string>

#include "core/config.h"
#include "session/languages.h"
#include "session/node_session.h"
#include "session/settings.h"

namespace vx::session {

void ChangeScreenLength(terminal::Terminal& terminal, core::UserRecord& user, bool confirm) {
  terminal.NewLine();
  long long length = 0;
  for (;;) {
    terminal.ShowPrompt(13);
    length = terminal.InputNumber(2, -1);
    terminal.NewLine();
    if (length >= kMinScreenLength && length <= kMaxScreenLength) break;
    terminal.ShowPrompt(58);
    terminal.Display(" " + std::to_string(kMinScreenLength) + "-" +
                     std::to_string(kMaxScreenLength));
    terminal.NewLine();
  }
  user.screen_length = static_cast<uint16_t>(length);
  if (confirm) {
    terminal.ShowPrompt(227);
    terminal.Display(" " + std::to_string(length));
    terminal.NewLine();
  }
}

void ChangeDateFormat(terminal::Terminal& terminal, core::UserRecord& user) {
  terminal.NewLine();
  terminal.ShowPromptLn(480);
  for (int format = 1; format <= 4; ++format) {
    terminal.Display(std::to_string(format) + ". ");
    terminal.ShowPromptLn(475 + format);
  }
  terminal.ShowPrompt(297);
  const char key = terminal.GetHotKey("1234");
  terminal.Display(std::string(1, key));
  terminal.NewLine();
  user.date_format = static_cast<uint8_t>(key - '0');
}

void ChangeLanguage(terminal::Terminal& terminal, core::UserRecord& user,
                    const core::LanguageList& languages, std::string_view heading,
                    std::string_view prompt, const std::function<bool(int record)>& use_language) {
  terminal.NewLine();
  if (!heading.empty()) {
    terminal.Display(heading);
    terminal.NewLine();
  }
  // The languages this caller may choose: available, and not above the caller's security.
  std::set<int> offered;
  for (int r = 1; r <= languages.record_count(); ++r) {
    const core::LanguageRecord* language = languages.Find(r);
    if (!language || !language->available || language->security > user.security) continue;
    offered.insert(r);
    terminal.Display(std::to_string(r) + " ..... " + language->name);
    terminal.NewLine();
  }
  if (offered.empty()) return;
  const int highest = *offered.rbegin();
  for (;;) {
    if (prompt.empty()) {
      terminal.ShowPrompt(297);
    } else {
      terminal.Display(prompt);
    }
    const long long chosen = terminal.InputNumber(3, -1);
    terminal.NewLine();
    if (chosen > 0 && offered.count(static_cast<int>(chosen))) {
      if (use_language(static_cast<int>(chosen))) user.language = static_cast<uint8_t>(chosen);
      return;
    }
    terminal.ShowPrompt(58);
    terminal.Display(" 1-" + std::to_string(highest));
    terminal.NewLine();
  }
}

void ChangeLanguage(NodeSession& session) {
  const core::ConfigSnapshot& config = session.Config();
  ChangeLanguage(session.terminal, session.caller.user, session.languages,
                 config.LanguageSelectionText1(), config.LanguageSelectionText2(),
                 [&session](int record) { return UseLanguage(session, record); });
}

}  // namespace vx::session
