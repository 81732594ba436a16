// Input helpers shared by the settings functions.
#pragma once

#include <string>

#include "core/text.h"
#include "terminal/terminal.h"

namespace vx::session {

// Capitalises typed text (the first letter and each after a blank) while it lives.
class Capitalising {
 public:
  explicit Capitalising(terminal::Terminal& terminal)
      : terminal_(terminal), saved_(terminal.input().capitalise) {
    terminal_.SetNameMode(true);
  }
  ~Capitalising() { terminal_.SetNameMode(saved_); }
  Capitalising(const Capitalising&) = delete;
  Capitalising& operator=(const Capitalising&) = delete;

 private:
  terminal::Terminal& terminal_;
  bool saved_;
};

// A line of text of at most `width` characters, capitalised as it is typed, trimmed, and the
// cursor on the next line.
inline std::string AskText(terminal::Terminal& terminal, int width) {
  std::string text;
  {
    Capitalising capitalising(terminal);
    text = core::Trim(terminal.InputLine(width));
  }
  terminal.NewLine();
  return text;
}

}  // namespace vx::session
