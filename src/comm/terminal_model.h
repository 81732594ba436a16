// The caller's screen as a BBS caller's ANSI terminal shows it: 80 x 25 cells with code page 437
// characters and IBM colours. Everything the node sends to the caller is fed through it; it
// answers the cursor and colour queries that the page pause and the input fields depend on, and
// it is what the sysop's node window draws.
//
// (Placeholder: the full interpreter comes with the terminal work.)
#pragma once

#include <string_view>

namespace vx::comm {

class TerminalModel {
 public:
  static constexpr int kColumns = 80;
  static constexpr int kRows = 25;

  void Feed(std::string_view bytes) { (void)bytes; }
  int cursor_row() const { return 1; }     // 1..25
  int cursor_column() const { return 0; }  // 0..79
  int foreground() const { return 7; }
  int background() const { return 0; }
};

}  // namespace vx::comm
