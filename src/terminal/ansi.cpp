// Colour and cursor sequences as the caller's ANSI terminal takes them.
#include "terminal/ansi.h"

#include <array>

#include "core/text.h"

namespace vx::terminal {

namespace {
constexpr std::array<std::string_view, 16> kForeground = {
    "\x1b[0;30m", "\x1b[0;34m", "\x1b[0;32m", "\x1b[0;36m", "\x1b[0;31m", "\x1b[0;35m",
    "\x1b[0;33m", "\x1b[0;37m", "\x1b[1;30m", "\x1b[1;34m", "\x1b[1;32m", "\x1b[1;36m",
    "\x1b[1;31m", "\x1b[1;35m", "\x1b[1;33m", "\x1b[1;37m"};
constexpr std::array<std::string_view, 8> kBackground = {
    "\x1b[40m", "\x1b[44m", "\x1b[42m", "\x1b[46m", "\x1b[41m", "\x1b[45m", "\x1b[43m", "\x1b[47m"};
}  // namespace

std::string_view ForegroundSequence(int colour) {
  if (colour < 0 || colour > 15) return {};
  return kForeground[static_cast<size_t>(colour)];
}

std::string_view BackgroundSequence(int colour) {
  if (colour < 0 || colour > 7) return {};
  return kBackground[static_cast<size_t>(colour)];
}

std::string CursorPositionSequence(int row, int column) {
  return std::string(1, kEsc) + "[" + core::NumToText(row) + ";" + core::NumToText(column) + "H";
}

std::string RowSequence(int row) { return std::string(1, kEsc) + "[" + core::NumToText(row) + "H"; }

}  // namespace vx::terminal
