// Dates as the caller asked to see them. The data files hold "MM-DD-YY" texts; the caller's
// DateFormat (UserRecord byte 916) arranges the parts:
//
//   1  DD-MM-YY     (day first)
//   2  MM-DD-YY     (month first, as the files store it)
//   3  YY-MM-DD     (year first)
//   4  DD-Mmm-YY    (day, three-letter English month name, year: "06-Dec-26")
//   0 and any other value: MM-DD-YY
//
// The name of each format is language entry 475 + DateFormat.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/dos_date.h"

namespace vx::terminal {

// A date of 10 characters ("MM-DD-YYYY") is first cut to "MM-DD-YY"; a text that is not a date
// gives "01-01-1980".
std::string FormatUserDate(std::string_view date, int date_format);

// The format a caller types dates in: DateFormat 1 to 4, any other value as 2 (the form the files
// store, and the one FormatUserDate shows for them).
int TypedDateFormat(int date_format);

// A date typed by the caller in the form of `date_format`, parts separated by "-", "/" or "."
// (format 4 by "-"), a two-digit year (below 80 is 20yy); nullopt when it is not a date of the
// calendar.
std::optional<core::CalendarDate> ParseUserDate(std::string_view typed, int date_format);

}  // namespace vx::terminal
