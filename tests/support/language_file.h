// Test support: a compiled language file (.VXL) written by hand from a table of entries, in the
// simplest form the format allows: each entry is its colour byte 0 followed by its text, and its
// position P(k) points at that colour byte, whose value (0) is its distance from the entry's
// start. An entry without text takes no bytes (it starts where the next one does); one final
// byte belongs to no entry.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace vx::test {

inline std::vector<uint8_t> LanguageFileBytes(const std::map<int, std::string>& entries) {
  const int n = entries.empty() ? 1 : entries.rbegin()->first + 1;
  std::vector<uint8_t> bytes(2 + 2 * static_cast<size_t>(n), 0);
  bytes[0] = static_cast<uint8_t>(n & 0xFF);
  bytes[1] = static_cast<uint8_t>(n >> 8);
  std::vector<size_t> start(static_cast<size_t>(n), 0);
  for (int k = 0; k < n; ++k) {
    start[static_cast<size_t>(k)] = bytes.size();
    auto e = entries.find(k);
    if (e == entries.end()) continue;
    bytes.push_back(0);  // colour: keep the current one
    bytes.insert(bytes.end(), e->second.begin(), e->second.end());
  }
  // The final byte. An entry without text starts at the next entry's colour byte, which is 0.
  bytes.push_back(0);
  for (int k = 0; k < n; ++k) {
    const size_t p = start[static_cast<size_t>(k)];
    bytes[2 + 2 * static_cast<size_t>(k)] = static_cast<uint8_t>(p & 0xFF);
    bytes[3 + 2 * static_cast<size_t>(k)] = static_cast<uint8_t>(p >> 8);
  }
  return bytes;
}

}  // namespace vx::test
