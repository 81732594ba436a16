// Dates in the caller's date format.
#include "terminal/user_date.h"

#include <cstdio>

#include "core/dos_date.h"
#include "core/text.h"

namespace vx::terminal {

namespace {
constexpr const char* kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::optional<int> TwoDigits(std::string_view text, size_t at) {
  if (at + 2 > text.size()) return std::nullopt;
  const char a = text[at], b = text[at + 1];
  if (a < '0' || a > '9' || b < '0' || b > '9') return std::nullopt;
  return (a - '0') * 10 + (b - '0');
}

bool IsSeparator(char c) { return c == '-' || c == '/' || c == '.'; }
}  // namespace

int TypedDateFormat(int date_format) {
  return date_format >= 1 && date_format <= 4 ? date_format : 2;
}

std::optional<core::CalendarDate> ParseUserDate(std::string_view typed, int date_format) {
  while (!typed.empty() && typed.front() == ' ') typed.remove_prefix(1);
  while (!typed.empty() && typed.back() == ' ') typed.remove_suffix(1);
  const int format = TypedDateFormat(date_format);
  std::optional<int> day, month, year;
  if (format == 4) {
    if (typed.size() != 9 || typed[2] != '-' || typed[6] != '-') return std::nullopt;
    day = TwoDigits(typed, 0);
    for (int m = 0; m < 12; ++m) {
      if (core::EqualsIgnoreCase(typed.substr(3, 3), kMonths[m])) month = m + 1;
    }
    year = TwoDigits(typed, 7);
  } else {
    if (typed.size() != 8 || !IsSeparator(typed[2]) || !IsSeparator(typed[5])) {
      return std::nullopt;
    }
    const auto first = TwoDigits(typed, 0), second = TwoDigits(typed, 3),
               third = TwoDigits(typed, 6);
    if (format == 1) {
      day = first, month = second, year = third;
    } else if (format == 3) {
      year = first, month = second, day = third;
    } else {
      month = first, day = second, year = third;
    }
  }
  if (!day || !month || !year) return std::nullopt;
  const core::CalendarDate date{*year < 80 ? 2000 + *year : 1900 + *year, *month, *day};
  // The calendar check of the date reader: the month exists and the day in it.
  if (!core::ParseDateText(core::FormatDateText(date))) return std::nullopt;
  return date;
}

std::string FormatUserDate(std::string_view date, int date_format) {
  const auto parsed = core::ParseDateText(date);
  if (!parsed) return "01-01-1980";
  const int day = parsed->day;
  const int month = parsed->month;
  const int year = parsed->year % 100;
  char out[32];
  switch (date_format) {
    case 1:
      std::snprintf(out, sizeof out, "%02d-%02d-%02d", day, month, year);
      break;
    case 3:
      std::snprintf(out, sizeof out, "%02d-%02d-%02d", year, month, day);
      break;
    case 4:
      std::snprintf(out, sizeof out, "%02d-%s-%02d", day, kMonths[month - 1], year);
      break;
    default:
      std::snprintf(out, sizeof out, "%02d-%02d-%02d", month, day, year);
      break;
  }
  return out;
}

}  // namespace vx::terminal
