// Text on the sysop's terminal as the node window draws it: bytes of code page 437 shown as their
// glyphs (control characters too, as on a DOS screen; so nothing a caller typed can act on the
// sysop's terminal), NUL as a blank.
#pragma once

#include <cstdint>
#include <string_view>

namespace vx::console {

// One cell. `attributes` are curses attributes (A_BOLD...), `pair` a colour pair.
void PutGlyph(int row, int column, uint8_t byte, unsigned long attributes, short pair);
// `width` cells from (row, column): the text, cut to the width and padded with blanks.
void PutText(int row, int column, std::string_view text, int width, unsigned long attributes = 0);

}  // namespace vx::console
