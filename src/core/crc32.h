// CRC-32 as the user index, passwords and JAM names use it: the reflected polynomial EDB88320, the
// register starting at all ones and no final inversion.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace vx::core {

namespace detail {
constexpr std::array<uint32_t, 256> MakeCrcTable() {
  std::array<uint32_t, 256> table{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}
inline constexpr std::array<uint32_t, 256> kCrcTable = MakeCrcTable();
}  // namespace detail

constexpr uint32_t Crc32(std::string_view text) {
  uint32_t crc = 0xFFFFFFFFu;
  for (char ch : text) {
    crc = detail::kCrcTable[(crc ^ static_cast<uint8_t>(ch)) & 0xFF] ^ (crc >> 8);
  }
  return crc;
}

}  // namespace vx::core
