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

#include <string>
#include <string_view>

namespace vx::terminal {

// A date of 10 characters ("MM-DD-YYYY") is first cut to "MM-DD-YY"; a text that is not a date
// gives "01-01-1980".
std::string FormatUserDate(std::string_view date, int date_format);

}  // namespace vx::terminal
