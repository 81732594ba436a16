// Packed DOS dates as the file database stores them, and "MM-DD-YY" texts. Two-digit years below
// 80 are 20yy; the packed year field is the full year - 1980 in its seven bits, as DOS writes it.
#pragma once

#include <compare>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace vx::core {

struct CalendarDate {
  int year;   // full year
  int month;  // 1..12
  int day;    // 1..31

  // Dates compare as dates: year, then month, then day.
  friend auto operator<=>(const CalendarDate&, const CalendarDate&) = default;
};

// Reads "MM-DD-YY", "MM-DD-YYYY", with "-", "/" or "." between the parts; nullopt when it is not
// a date.
std::optional<CalendarDate> ParseDateText(std::string_view text);
// "MM-DD-YY".
std::string FormatDateText(const CalendarDate& date);
// A local time as the data files store its date ("MM-DD-YY") and its time of day ("hh:mm").
std::string DateText(const std::tm& t);
std::string TimeOfDayText(const std::tm& t);

// Date text to packed date (time bits zero); 0 when the text is not a date.
uint32_t PackDate(std::string_view text);
// Packed date to "MM-DD-YY"; "Invalid" when the day is 0.
std::string UnpackDate(uint32_t packed);
// The calendar date of a packed date (its full year, 1980 to 2107); nullopt when the month or day
// does not exist.
std::optional<CalendarDate> UnpackCalendarDate(uint32_t packed);

}  // namespace vx::core
