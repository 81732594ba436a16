// Text helpers.
#include "core/text.h"

#include <climits>

namespace vx::core {

char UpperChar(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
char LowerChar(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

std::string RTrim(std::string_view text) {
  size_t end = text.size();
  while (end > 0 && text[end - 1] == ' ') --end;
  return std::string(text.substr(0, end));
}

std::string LTrim(std::string_view text) {
  size_t start = 0;
  while (start < text.size() && text[start] == ' ') ++start;
  return std::string(text.substr(start));
}

std::string Trim(std::string_view text) { return LTrim(RTrim(text)); }

std::string UpperCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = UpperChar(c);
  return out;
}

std::string LowerCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = LowerChar(c);
  return out;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (UpperChar(a[i]) != UpperChar(b[i])) return false;
  }
  return true;
}

size_t FindIgnoreCase(std::string_view text, std::string_view needle, size_t from) {
  if (needle.empty()) return from <= text.size() ? from : std::string_view::npos;
  for (size_t i = from; i + needle.size() <= text.size(); ++i) {
    if (EqualsIgnoreCase(text.substr(i, needle.size()), needle)) return i;
  }
  return std::string_view::npos;
}

std::string AddBackslash(std::string_view path) {
  if (!path.empty() && path.back() == '\\') return std::string(path);
  std::string out = RTrim(path);
  if (out.empty() || out.back() != '\\') out += '\\';
  return out;
}

std::string CompleteDirectory(std::string_view path) {
  std::string p = RTrim(path);
  if (p.empty()) return p;
  if (p.find('/') != std::string::npos) return p.back() == '/' ? p : p + "/";
  return AddBackslash(p);
}

std::string DotsToSlashes(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c == '.') c = '/';
  }
  return out;
}

std::string ReplaceAll(std::string_view text, std::string_view find, std::string_view with) {
  if (find.empty()) return std::string(text);
  std::string out;
  size_t pos = 0;
  while (true) {
    size_t hit = text.find(find, pos);
    if (hit == std::string_view::npos) break;
    out.append(text.substr(pos, hit - pos));
    out.append(with);
    pos = hit + find.size();
  }
  out.append(text.substr(pos));
  return out;
}

std::string NumToText(long long value) { return std::to_string(value); }

long long LeadingNumber(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
    negative = text[i] == '-';
    ++i;
  }
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (value > (LLONG_MAX - 9) / 10) {
      value = LLONG_MAX;
      break;
    }
    value = value * 10 + (text[i] - '0');
  }
  return negative ? -value : value;
}

std::string ByteToBits(uint8_t value) {
  std::string out(8, '0');
  for (int bit = 0; bit < 8; ++bit) {
    if (value & (1u << bit)) out[7 - bit] = '1';
  }
  return out;
}

std::string LongToBits(uint32_t value) {
  std::string out(32, '0');
  for (int bit = 0; bit < 32; ++bit) {
    if (value & (1u << bit)) out[31 - bit] = '1';
  }
  return out;
}

std::string FlagByteToText(uint8_t value) {
  std::string out(8, '0');
  for (int bit = 0; bit < 8; ++bit) {
    if (value & (1u << bit)) out[bit] = '1';
  }
  return out;
}

uint8_t FlagTextToByte(std::string_view flags) {
  uint8_t value = 0;
  for (size_t i = 0; i < flags.size() && i < 8; ++i) {
    if (flags[i] == '1') value |= static_cast<uint8_t>(1u << i);
  }
  return value;
}

uint32_t BitsToNumber(std::string_view bits) {
  std::string trimmed = Trim(bits);
  uint32_t value = 0;
  for (char c : trimmed) {
    if (c != '0' && c != '1') break;
    value = (value << 1) | static_cast<uint32_t>(c - '0');
  }
  return value;
}

char GetFlag32(std::string_view bits, int k) {
  int index = 32 - k;  // character 33 - k, 1-based
  if (k < 1 || k > 32 || index < 0 || static_cast<size_t>(index) >= bits.size()) return '0';
  return bits[static_cast<size_t>(index)];
}

}  // namespace vx::core
