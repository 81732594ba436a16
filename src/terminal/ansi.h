// The one place where colours and cursor moves become escape sequences. Colours are IBM colour
// numbers (0 black, 1 blue, 2 green, 3 cyan, 4 red, 5 magenta, 6 brown, 7 light grey, 8..15 their
// bright forms); every foreground sequence begins with SGR 0 or SGR 1 so that the intensity is
// set afresh, which is why a colour is always set foreground first, background second.
#pragma once

#include <string>
#include <string_view>

namespace vx::terminal {

inline constexpr char kEsc = 27;

// ESC "[0;30m" .. ESC "[1;37m" for colours 0..15; empty for any other value.
std::string_view ForegroundSequence(int colour);
// ESC "[40m" .. ESC "[47m" for colours 0..7; empty for any other value.
std::string_view BackgroundSequence(int colour);
// ESC "[" row ";" column "H" (both 1-based, as the terminal counts them).
std::string CursorPositionSequence(int row, int column);
// ESC "[" row "H".
std::string RowSequence(int row);

inline constexpr std::string_view kClearScreen = "\x1b[2J";
inline constexpr std::string_view kEraseToLineEnd = "\x1b[K";
inline constexpr std::string_view kRestoreCursor = "\x1b[u";

}  // namespace vx::terminal
