// The stored text of a new message.
#include "messages/message_text.h"

#include "core/config.h"
#include "messages/message_time.h"

namespace vx::messages {

namespace {
constexpr char kCr = '\r';
constexpr char kLf = '\n';
constexpr char kKludge = '\x01';
constexpr char kEndOfFile = '\x1a';

bool IsControl(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u < 32 || u == 127;
}
}  // namespace

std::string StoredLines(std::string_view text) {
  // A DOS editor may pad its end of file with NULs.
  while (!text.empty() && (text.back() == kEndOfFile || text.back() == '\0')) text.remove_suffix(1);
  std::string stored;
  stored.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\0' || c == kKludge) continue;
    if (c == kCr) {
      stored += kCr;
      if (i + 1 < text.size() && text[i + 1] == kLf) ++i;
      continue;
    }
    stored += c == kLf ? kCr : c;
  }
  return stored;
}

bool IsBlankText(std::string_view text) {
  for (char c : text) {
    if (c != ' ' && c != '\t' && c != kCr && c != kLf) return false;
  }
  return true;
}

std::string TearAndOriginLines(std::string_view origin_line, const core::NetAddress& address) {
  return std::string("--- ngVX32 ") + core::kVersionText + " build " + core::kBuildNumber + kCr +
         " * Origin: " + std::string(origin_line) + " (" + AddressText(address) + ")" + kCr;
}

bool HasControlCharacters(std::string_view text) {
  for (char c : text) {
    if (IsControl(c)) return true;
  }
  return false;
}

std::string WithoutControlCharacters(std::string_view text) {
  std::string clean;
  for (char c : text) {
    if (!IsControl(c)) clean += c;
  }
  return clean;
}

}  // namespace vx::messages
