// The line editor.
#include "terminal/line_editor.h"

#include <algorithm>

#include "core/text.h"

namespace vx::terminal {

namespace {
constexpr unsigned char kHotKeyMark = 255;

// Puts the input's word wrap and carried word back however the editor ends.
struct WrapGuard {
  explicit WrapGuard(InputState& input) : input_(input), wrap_(input.word_wrap) {}
  ~WrapGuard() {
    input_.word_wrap = wrap_;
    input_.carried_text.clear();
  }
  InputState& input_;
  bool wrap_;
};
}  // namespace

char LineEditor::CommandKey(std::string_view entry) {
  std::string text = core::Trim(entry);
  if (!text.empty() && static_cast<unsigned char>(text.back()) == kHotKeyMark) {
    return text.size() > 1 ? core::UpperChar(text[0]) : '\0';
  }
  const size_t open = text.find('(');
  if (open != std::string::npos && open + 2 < text.size() && text[open + 2] == ')') {
    return core::UpperChar(text[open + 1]);
  }
  for (char c : text) {
    if (std::isalnum(static_cast<unsigned char>(c))) return core::UpperChar(c);
  }
  return '\0';
}

std::string LineEditor::CommandLabel(std::string_view entry) {
  if (!entry.empty() && static_cast<unsigned char>(entry.back()) == kHotKeyMark) {
    const std::string_view body = entry.substr(0, entry.size() - 1);
    const size_t blank = body.find(' ');
    return blank == std::string_view::npos ? std::string(body) : std::string(body.substr(blank + 1));
  }
  return std::string(entry);
}

void LineEditor::Heading(int max_lines) {
  const core::LanguageTable& language = terminal_.language();
  const std::string heading = language.Text(283) + std::to_string(max_lines) + language.Text(284) +
                              ", " + std::to_string(kWidth) + language.Text(285);
  terminal_.SetForeground(12);
  terminal_.Display(std::string((80 - std::min<size_t>(heading.size(), 80)) / 2, ' ') + heading);
  terminal_.NewLine();
  terminal_.NewLine();
}

void LineEditor::Ruler() {
  terminal_.SetForeground(14);
  terminal_.Display("    (" + std::string(kWidth, '-') + ") ");
  terminal_.NewLine();
}

std::string LineEditor::ReadLine(size_t number, int max_lines, bool last) {
  const size_t width = std::to_string(max_lines).size();
  std::string label = std::to_string(number);
  label.insert(0, width > label.size() ? width - label.size() : 0, ' ');
  terminal_.SetColorPreset(0);
  terminal_.Display(label + ": ");
  InputState& input = terminal_.input();
  // The last line takes no word to the next one: there is none.
  input.word_wrap = !last;
  if (last) input.carried_text.clear();
  std::string line = terminal_.InputLine(kWidth);
  // A line that filled up goes on in the next one (its carried word starts it): no line end.
  const bool ended_by_enter = input.request.ended_by_enter;
  terminal_.NewLine();
  if (line.empty()) return {};
  return ended_by_enter ? line + "\r\n" : line;
}

void LineEditor::Enter(size_t from, int max_lines) {
  for (size_t i = from; i < static_cast<size_t>(max_lines); ++i) {
    const bool last = i + 1 == static_cast<size_t>(max_lines);
    std::string line = ReadLine(i + 1, max_lines, last);
    if (line.empty()) break;
    if (i < lines_.size()) {
      lines_[i] = std::move(line);
    } else {
      lines_.push_back(std::move(line));
    }
  }
  terminal_.input().carried_text.clear();
}

size_t LineEditor::AskLine(int entry) {
  const core::LanguageTable& language = terminal_.language();
  if (lines_.empty()) {
    terminal_.SetForeground(12);
    terminal_.Display(language.Text(271));
    terminal_.NewLine();
    return 0;
  }
  const std::string range = std::to_string(lines_.size());
  for (;;) {
    terminal_.ShowPrompt(entry);
    terminal_.Display(" (1-" + range + ") : ");
    const long long n = terminal_.InputNumber(5, 0);
    terminal_.NewLine();
    if (n >= 1 && n <= static_cast<long long>(lines_.size())) return static_cast<size_t>(n);
    terminal_.ShowPrompt(58);
    terminal_.Display(" 1-" + range);
    terminal_.NewLine();
  }
}

void LineEditor::List() {
  Ruler();
  const size_t width = std::to_string(lines_.size()).size();
  for (size_t i = 0; i < lines_.size(); ++i) {
    std::string label = std::to_string(i + 1);
    label.insert(0, width > label.size() ? width - label.size() : 0, ' ');
    std::string text = lines_[i];
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    terminal_.SetColorPreset(0);
    terminal_.Display(label + ": ");
    // Typed text, shown as it was typed.
    terminal_.Emit(text);
    terminal_.NewLine();
  }
}

std::string LineEditor::EditLines(int max_lines) {
  max_lines = std::clamp(max_lines, 1, kMaxLines);
  lines_.clear();
  WrapGuard guard(terminal_.input());
  const core::LanguageTable& language = terminal_.language();
  Heading(max_lines);
  Ruler();
  Enter(0, max_lines);

  std::string keys;
  for (int entry = 288; entry <= 296; ++entry) keys += CommandKey(language.Text(entry));
  for (;;) {
    terminal_.NewLine();
    for (int entry = 288; entry <= 296; ++entry) {
      if (entry > 288) terminal_.Display(", ");
      terminal_.SetPromptColor(entry);
      terminal_.Display(CommandLabel(language.Text(entry)));
    }
    terminal_.NewLine();
    terminal_.SetForeground(15);
    terminal_.Display(language.Text(297));
    const char key = terminal_.GetHotKey(keys);
    const size_t command = keys.find(key);
    if (command == std::string::npos) continue;
    const int entry = 288 + static_cast<int>(command);
    terminal_.Display(CommandLabel(language.Text(entry)));
    terminal_.NewLine();
    switch (entry) {
      case 288: {
        const size_t first = AskLine(272);
        if (first == 0) break;
        const size_t last = AskLine(273);
        const auto [a, b] = std::minmax(first, last);
        lines_.erase(lines_.begin() + static_cast<long>(a - 1), lines_.begin() + static_cast<long>(b));
        break;
      }
      case 289: {
        const size_t n = AskLine(274);
        if (n == 0) break;
        std::string line = ReadLine(n, max_lines, true);
        lines_[n - 1] = line.empty() ? "\r\n" : line;
        break;
      }
      case 290: {
        const size_t n = AskLine(277);
        if (n == 0) break;
        terminal_.ShowPrompt(278);
        terminal_.Emit(lines_[n - 1].substr(0, lines_[n - 1].find('\r')));
        terminal_.NewLine();
        terminal_.ShowPrompt(279);
        const std::string find = terminal_.InputLine(50);
        terminal_.NewLine();
        terminal_.ShowPrompt(280);
        const std::string with = terminal_.InputLine(50);
        terminal_.NewLine();
        if (!find.empty()) lines_[n - 1] = core::ReplaceAll(lines_[n - 1], find, with);
        break;
      }
      case 291: {
        if (lines_.size() >= static_cast<size_t>(max_lines)) {
          terminal_.SetForeground(12);
          terminal_.ShowPromptLn(58);
          break;
        }
        const size_t n = AskLine(276);
        if (n == 0) break;
        std::string line = ReadLine(n, max_lines, true);
        lines_.insert(lines_.begin() + static_cast<long>(n - 1), line.empty() ? "\r\n" : line);
        break;
      }
      case 292:
        terminal_.ShowTextFile("EDITHELP");
        break;
      case 293:
        if (lines_.size() < static_cast<size_t>(max_lines)) Enter(lines_.size(), max_lines);
        break;
      case 294:
        List();
        break;
      case 295: {
        std::string text;
        for (const std::string& line : lines_) text += line;
        return text;
      }
      case 296:
        if (terminal_.AskPromptLn(298) == 1) return {};
        break;
    }
  }
}

}  // namespace vx::terminal
