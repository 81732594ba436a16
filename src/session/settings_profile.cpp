// The caller's particulars: location, handle, telephone numbers, address and mail forwarding.
#include <string>

#include "core/crc32.h"
#include "core/text.h"
#include "session/settings.h"
#include "session/settings_input.h"

namespace vx::session {

namespace {

constexpr int kYellow = 14;
constexpr int kLightGreen = 10;
constexpr int kLightRed = 12;

// A telephone number, shown back to the caller and kept only when the caller confirms it.
std::string AskPhone(terminal::Terminal& terminal, int heading) {
  terminal.NewLine();
  for (;;) {
    terminal.SetForeground(kLightGreen);
    terminal.ShowPromptLn(heading);
    terminal.ShowPrompt(60);
    const std::string number = core::Trim(terminal.InputDigits(15));
    terminal.NewLine();
    terminal.ShowPrompt(61);
    terminal.SetForeground(kLightRed);
    terminal.Display(number);
    terminal.NewLine();
    if (terminal.AskPromptLn(62) == 1) return number;
  }
}

}  // namespace

void ChangeLocation(terminal::Terminal& terminal, core::UserRecord& user) {
  terminal.NewLine();
  terminal.SetForeground(kYellow);
  terminal.ShowPrompt(16);
  user.location = AskText(terminal, 25);
}

void ChangeHandle(terminal::Terminal& terminal, core::UserRecord& user) {
  terminal.NewLine();
  terminal.ShowTextFile("HANDLE");
  terminal.ShowPrompt(19);
  user.handle = AskText(terminal, 35);
}

void ChangeVoicePhone(terminal::Terminal& terminal, core::UserRecord& user) {
  user.voice_phone = AskPhone(terminal, 17);
}

void ChangeDataPhone(terminal::Terminal& terminal, core::UserRecord& user) {
  user.data_phone = AskPhone(terminal, 18);
}

void ChangeAddress(terminal::Terminal& terminal, core::UserRecord& user) {
  terminal.NewLine();
  terminal.ShowPromptLn(656);
  terminal.ShowPromptLn(657);
  for (const std::string* line : {&user.address1, &user.address2, &user.address3}) {
    terminal.Display(*line);
    terminal.NewLine();
  }
  if (terminal.AskPromptLn(658) != 1) return;
  terminal.ShowPromptLn(654);
  int number = 1;
  for (std::string* line : {&user.address1, &user.address2, &user.address3}) {
    terminal.Display(std::to_string(number++) + ": ");
    *line = AskText(terminal, 50);
  }
}

void ChangeForwardTo(terminal::Terminal& terminal, core::UserRecord& user,
                     const core::UserBase& users) {
  terminal.NewLine();
  terminal.ShowPrompt(486);
  const std::string name = AskText(terminal, 35);
  if (name.empty()) {
    user.forward_to.clear();
    return;
  }
  if (!users.FindUser(core::Crc32(core::UpperCase(name)))) {
    terminal.ShowPromptLn(303);
    return;
  }
  terminal.ShowPromptLn(485);
  user.forward_to = name;
}

}  // namespace vx::session
