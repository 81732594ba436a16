// Dates in the caller's date format.
#include "terminal/user_date.h"

#include <cstdio>

#include "core/dos_date.h"

namespace vx::terminal {

std::string FormatUserDate(std::string_view date, int date_format) {
  static constexpr const char* kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
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
