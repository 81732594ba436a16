// The caller's on/off settings, toggled from a menu, and flag changes.
#include <vector>

#include "core/text.h"
#include "menus/engine_functions.h"

namespace vx::menus {

namespace {

struct Toggle {
  uint8_t type;
  int flag_byte;  // 1: Attribute, 2: Attribute2, 3: Attribute3
  int bit;        // 0..7
  int off_entry, on_entry;
};

// (off, on) language entries reporting the new state.
constexpr Toggle kToggles[] = {
    {19, 1, 1, 156, 155}, {21, 1, 3, 143, 142}, {41, 1, 6, 140, 147}, {42, 2, 0, 145, 144},
    {61, 2, 1, 133, 132}, {62, 2, 2, 148, 147}, {73, 2, 5, 632, 631}, {75, 3, 0, 664, 665},
};

std::string& FlagByte(core::UserRecord& user, int which) {
  return which == 1 ? user.attribute : which == 2 ? user.attribute2 : user.attribute3;
}

// Flips bit `bit` (character bit + 1) of a flag string; returns whether it is now set.
bool Flip(std::string& flags, int bit) {
  if (flags.size() < 8) flags.resize(8, '0');
  char& c = flags[static_cast<size_t>(bit)];
  c = c == '1' ? '0' : '1';
  return c == '1';
}

}  // namespace

void ChangeFlags(std::array<std::string, 4>& flags, std::string_view data) {
  const std::string text = core::UpperCase(data);
  size_t pos = 0;
  int words = 0;
  while (pos < text.size() && words < 100) {
    const size_t end = std::min(text.find(' ', pos), text.size());
    const std::string word = core::Trim(std::string_view(text).substr(pos, end - pos));
    pos = end + 1;
    if (word.empty()) continue;
    ++words;
    if (word.size() != 3) continue;
    const char set = word[0], number = word[1], operation = word[2];
    if (set < 'A' || set > 'D' || number < '1' || number > '8') continue;
    std::string& f = flags[static_cast<size_t>(set - 'A')];
    if (f.size() < 8) f.resize(8, '0');
    char& c = f[static_cast<size_t>(number - '1')];
    if (operation == '+') {
      c = '1';
    } else if (operation == '-') {
      c = '0';
    } else if (operation == '*') {
      c = c == '1' ? '0' : '1';
    }
  }
}

void RegisterToggles(session::NodeSession& session, MenuFunctions& functions) {
  for (const Toggle& t : kToggles) {
    functions.Register(t.type, [&session, t](const MenuEntry&) {
      terminal::Terminal& terminal = session.terminal;
      terminal.NewLine();
      terminal.SetColorPreset(1);
      const bool on = Flip(FlagByte(session.caller.user, t.flag_byte), t.bit);
      terminal.ShowPromptLn(on ? t.on_entry : t.off_entry);
      terminal.Delay(1);
      return MenuResult::kDone;
    });
  }
  // Types 20 and 53 both toggle the more prompt (Attribute bit 2), each with its own entry.
  for (auto [type, entry] : {std::pair<uint8_t, int>{20, 146}, {53, 136}}) {
    functions.Register(type, [&session, entry](const MenuEntry&) {
      terminal::Terminal& terminal = session.terminal;
      terminal.NewLine();
      terminal.SetColorPreset(1);
      Flip(session.caller.user.attribute, 2);
      terminal.ShowPrompt(entry);
      terminal.Display(terminal.FlagText(session.caller.user.attribute, 3));
      terminal.NewLine();
      terminal.Delay(1);
      return MenuResult::kDone;
    });
  }
  functions.Register(65, [&session](const MenuEntry& e) {
    ChangeFlags(session.caller.user.flags, e.data);
    return MenuResult::kDone;
  });
}

}  // namespace vx::menus
