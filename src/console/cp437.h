// Code page 437, the character set of the caller's screen, as Unicode for the sysop's terminal:
// every byte has its DOS glyph, the control range included (a cell holding byte 1 shows the
// smiling face, as a DOS screen does).
#pragma once

#include <cstdint>
#include <optional>

namespace vx::console {

char32_t Cp437ToUnicode(uint8_t byte);
// The byte whose glyph is `c`, for keys typed at a Unicode terminal; nullopt when code page 437
// has no such character.
std::optional<uint8_t> UnicodeToCp437(char32_t c);

}  // namespace vx::console
