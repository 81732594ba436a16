// The caller's password. Only its CRC-32 (of the upper-cased text) is kept.
#include <algorithm>
#include <string>

#include "core/crc32.h"
#include "core/text.h"
#include "session/settings.h"

namespace vx::session {

namespace {
constexpr int kLightGrey = 7;
constexpr int kMaxPassword = 15;

uint32_t PasswordCrc(const std::string& password) { return core::Crc32(core::UpperCase(password)); }

std::string AskMasked(terminal::Terminal& terminal, int prompt) {
  terminal.ShowPrompt(prompt);
  std::string typed = terminal.InputMasked(kMaxPassword);
  terminal.NewLine();
  return typed;
}
}  // namespace

void ChangePassword(terminal::Terminal& terminal, core::UserRecord& user, int minimum_length,
                    PasswordCheck check) {
  terminal.NewLine();
  terminal.ShowTextFile("PASSWORD");
  if (check == PasswordCheck::kAskCurrent) {
    if (PasswordCrc(AskMasked(terminal, 422)) != user.password_crc) {
      terminal.SetForeground(kLightGrey);
      terminal.ShowPromptLn(34);
      terminal.Delay(1);
      return;
    }
  }
  // An empty password would let anybody in, and one longer than the field can hold could never
  // be typed: the minimum is kept within 1 .. 15.
  const int minimum = std::clamp(minimum_length, 1, kMaxPassword);
  for (;;) {
    const std::string password = AskMasked(terminal, 23);
    if (password.empty() && check == PasswordCheck::kAskCurrent) return;  // changed their mind
    if (static_cast<int>(password.size()) < minimum) {
      terminal.ShowPrompt(47);
      terminal.Display(" " + std::to_string(minimum));
      terminal.ShowPromptLn(48);
      continue;
    }
    if (PasswordCrc(AskMasked(terminal, 24)) != PasswordCrc(password)) {
      terminal.ShowPromptLn(33);  // the two did not agree: once more from the start
      continue;
    }
    user.password_crc = PasswordCrc(password);
    return;
  }
}

}  // namespace vx::session
