// The group and area lists' common parts.
#include "session/area_list.h"

#include <algorithm>

#include "core/text.h"

namespace vx::session {

bool ColumnList::Next() {
  if (second_column_) {
    terminal_.MoveToColumn(kSecondColumn);
  } else {
    terminal_.NewLine();
    if (terminal_.output().stop_answer == "N") return false;
  }
  if (!one_column_) second_column_ = !second_column_;
  return true;
}

void ShowListHeading(terminal::Terminal& terminal, const std::string& text) {
  terminal.NewLine();
  terminal.SetForeground(15);
  terminal.SetBackground(0);
  terminal.Display(text);
  terminal.NewLine();
}

std::optional<long long> ParseListNumber(std::string_view typed, long long highest) {
  const std::string text = core::Trim(typed);
  if (text.empty()) return std::nullopt;
  const bool digits =
      std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
  if (!digits || text.size() > 12) return -1;
  const long long number = std::stoll(text);
  return number >= 1 && number <= highest ? number : -1;
}

std::optional<uint16_t> AskListedNumber(NodeSession& session, int entry,
                                        const ListedNumbers& listed) {
  terminal::Terminal& terminal = session.terminal;
  terminal.NewLine();
  terminal.NewLine();
  for (;;) {
    terminal.SetForeground(15);
    terminal.SetBackground(0);
    terminal.Display(session.language.Text(entry));
    const std::optional<long long> number = ParseListNumber(terminal.InputDigits(5));
    terminal.NewLine();
    if (!number) return std::nullopt;
    if (*number < 1) {
      terminal.ShowPrompt(58);
      terminal.Display(" 1-65535");
      terminal.NewLine();
      continue;
    }
    if (!listed.test(static_cast<size_t>(*number))) {
      terminal.SetForeground(12);
      terminal.SetBackground(0);
      terminal.Display(session.language.Text(230));
      terminal.Delay(1);
      terminal.NewLine();
      continue;
    }
    return static_cast<uint16_t>(*number);
  }
}

}  // namespace vx::session
