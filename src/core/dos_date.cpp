// Packed DOS dates.
#include "core/dos_date.h"

#include <cstdio>

namespace vx::core {

namespace {

bool ReadNumber(std::string_view text, size_t& pos, int max_digits, int& out) {
  int value = 0;
  int digits = 0;
  while (pos < text.size() && digits < max_digits && text[pos] >= '0' && text[pos] <= '9') {
    value = value * 10 + (text[pos] - '0');
    ++pos;
    ++digits;
  }
  if (digits == 0) return false;
  out = value;
  return true;
}

bool IsSeparator(char c) { return c == '-' || c == '/' || c == '.'; }

int DaysInMonth(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

}  // namespace

std::optional<CalendarDate> ParseDateText(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  size_t pos = 0;
  CalendarDate date{};
  if (!ReadNumber(text, pos, 2, date.month)) return std::nullopt;
  if (pos >= text.size() || !IsSeparator(text[pos++])) return std::nullopt;
  if (!ReadNumber(text, pos, 2, date.day)) return std::nullopt;
  if (pos >= text.size() || !IsSeparator(text[pos++])) return std::nullopt;
  size_t year_start = pos;
  if (!ReadNumber(text, pos, 4, date.year)) return std::nullopt;
  if (pos != text.size()) return std::nullopt;
  size_t year_digits = pos - year_start;
  if (year_digits == 2) {
    date.year += date.year < 80 ? 2000 : 1900;
  } else if (year_digits != 4) {
    return std::nullopt;
  }
  if (date.month < 1 || date.month > 12 || date.day < 1) return std::nullopt;
  if (date.day > DaysInMonth(date.year, date.month)) return std::nullopt;
  return date;
}

std::string FormatDateText(const CalendarDate& date) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%02d-%02d-%02d", date.month % 100, date.day % 100,
                ((date.year % 100) + 100) % 100);
  return buf;
}

std::string DateText(const std::tm& t) {
  return FormatDateText(CalendarDate{t.tm_year + 1900, t.tm_mon + 1, t.tm_mday});
}

std::string TimeOfDayText(const std::tm& t) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d:%02d", (t.tm_hour % 100 + 100) % 100,
                (t.tm_min % 100 + 100) % 100);
  return buf;
}

uint32_t PackDate(std::string_view text) {
  std::optional<CalendarDate> date = ParseDateText(text);
  if (!date) return 0;
  int year = date->year - 1980;
  if (year < 0 || year > 127) return 0;
  uint32_t high = (static_cast<uint32_t>(year) << 9) | (static_cast<uint32_t>(date->month) << 5) |
                  static_cast<uint32_t>(date->day);
  return high << 16;
}

std::string UnpackDate(uint32_t packed) {
  int day = static_cast<int>((packed >> 16) & 0x1F);
  int month = static_cast<int>((packed >> 21) & 0x0F);
  int year = 1980 + static_cast<int>((packed >> 25) & 0x7F);
  if (day == 0) return "Invalid";
  return FormatDateText(CalendarDate{year, month, day});
}

std::optional<CalendarDate> UnpackCalendarDate(uint32_t packed) {
  const CalendarDate date{1980 + static_cast<int>((packed >> 25) & 0x7F),
                          static_cast<int>((packed >> 21) & 0x0F),
                          static_cast<int>((packed >> 16) & 0x1F)};
  if (date.month < 1 || date.month > 12 || date.day < 1) return std::nullopt;
  if (date.day > DaysInMonth(date.year, date.month)) return std::nullopt;
  return date;
}

}  // namespace vx::core
