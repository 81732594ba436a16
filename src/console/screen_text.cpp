// Drawing code page 437 text with ncurses.
#define NCURSES_WIDECHAR 1
#include "console/screen_text.h"

#include <curses.h>

#include "console/cp437.h"

namespace vx::console {

void PutGlyph(int row, int column, uint8_t byte, unsigned long attributes, short pair) {
  if (row < 0 || row >= LINES || column < 0 || column >= COLS) return;
  wchar_t text[2] = {static_cast<wchar_t>(byte == 0 ? U' ' : Cp437ToUnicode(byte)), L'\0'};
  cchar_t cell;
  setcchar(&cell, text, static_cast<attr_t>(attributes), pair, nullptr);
  mvadd_wch(row, column, &cell);
}

void PutText(int row, int column, std::string_view text, int width, unsigned long attributes) {
  for (int i = 0; i < width && column + i < COLS; ++i) {
    const auto byte = static_cast<size_t>(i) < text.size() ? static_cast<uint8_t>(text[static_cast<size_t>(i)])
                                                           : uint8_t{' '};
    PutGlyph(row, column + i, byte, attributes, 0);
  }
}

}  // namespace vx::console
