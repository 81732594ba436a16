// Text helpers shared by the whole node: trimming and case, DOS path joining, numbers as text,
// flag bytes as bit strings. Texts are 8-bit (code page 437) byte strings.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vx::core {

std::string Trim(std::string_view text);
std::string RTrim(std::string_view text);
std::string LTrim(std::string_view text);
std::string UpperCase(std::string_view text);  // ASCII letters only, as DOS names are
std::string LowerCase(std::string_view text);
char UpperChar(char c);
char LowerChar(char c);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
// Position of `needle` in `text` ignoring case, or npos.
size_t FindIgnoreCase(std::string_view text, std::string_view needle, size_t from = 0);

// Right-trims the path and appends a backslash unless its last character already is one. A path
// that already ends in a backslash is returned unchanged (not trimmed).
std::string AddBackslash(std::string_view path);
// A directory from the data files completed for joining names to it: a host path (one with "/")
// gets a trailing "/", a DOS path a trailing backslash (AddBackslash). Empty stays empty.
std::string CompleteDirectory(std::string_view path);
std::string DotsToSlashes(std::string_view text);
std::string ReplaceAll(std::string_view text, std::string_view find, std::string_view with);

std::string NumToText(long long value);
// The leading-number rule: blanks skipped, an optional sign, then digits; "3abc" is 3, "" and
// "abc" are 0. Saturates instead of overflowing.
long long LeadingNumber(std::string_view text);

std::string ByteToBits(uint8_t value);      // bit 7 first
std::string LongToBits(uint32_t value);     // bit 31 first
std::string FlagByteToText(uint8_t value);  // bit 0 first, as the record readers give flags
uint8_t FlagTextToByte(std::string_view flags);
// "0"/"1" string read as a binary number, first character most significant; blanks around it
// ignored, any other character ends it.
uint32_t BitsToNumber(std::string_view bits);
// Character 33 - k of a 32-character bit string (flag k, 1..32); '0' when out of range.
char GetFlag32(std::string_view bits, int k);

inline long long ToUnsigned32(long long x) { return x < 0 ? x + 4294967296LL : x; }
inline long long ToSigned32(long long x) { return x > 2147483647LL ? x - 4294967296LL : x; }

}  // namespace vx::core
