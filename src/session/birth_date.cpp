// The caller's birth date, typed in the caller's own date format:
//
//   format 1  DD-MM-YY     format 3  YY-MM-DD
//   format 2  MM-DD-YY     format 4  DD-Mmm-YY (the month's three-letter English name)
//   0 and any other value: as format 2, the form the files store.
//
// These are the forms the display codes show dates in (terminal/user_date.h), so a caller types a
// date as the system shows it. Any two-digit year is taken; the day must exist in its month (29
// February in a leap year: years below 80 are 20yy, as everywhere in the system).
#include <optional>
#include <string>

#include "core/dos_date.h"
#include "core/text.h"
#include "session/settings.h"
#include "session/settings_input.h"

namespace vx::session {

namespace {

constexpr const char* kMonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

int Normalised(int format) { return format >= 1 && format <= 4 ? format : 2; }

std::optional<int> TwoDigits(std::string_view text, size_t at) {
  if (at + 2 > text.size()) return std::nullopt;
  const char a = text[at], b = text[at + 1];
  if (a < '0' || a > '9' || b < '0' || b > '9') return std::nullopt;
  return (a - '0') * 10 + (b - '0');
}

std::optional<int> MonthByName(std::string_view name) {
  for (int m = 0; m < 12; ++m) {
    if (core::EqualsIgnoreCase(name, kMonthNames[m])) return m + 1;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> ParseBirthDate(std::string_view typed, int format) {
  format = Normalised(format);
  std::optional<int> day, month, year;
  if (format == 4) {
    if (typed.size() != 9 || typed[2] != '-' || typed[6] != '-') return std::nullopt;
    day = TwoDigits(typed, 0);
    month = MonthByName(typed.substr(3, 3));
    year = TwoDigits(typed, 7);
  } else {
    if (typed.size() != 8 || typed[2] != '-' || typed[5] != '-') return std::nullopt;
    const std::optional<int> first = TwoDigits(typed, 0), second = TwoDigits(typed, 3),
                             third = TwoDigits(typed, 6);
    switch (format) {
      case 1:
        day = first, month = second, year = third;
        break;
      case 3:
        year = first, month = second, day = third;
        break;
      default:
        month = first, day = second, year = third;
        break;
    }
  }
  if (!day || !month || !year) return std::nullopt;
  // The calendar check of the system's date reader: the month exists, the day in it.
  const core::CalendarDate date{*year < 80 ? 2000 + *year : 1900 + *year, *month, *day};
  const std::string text = core::FormatDateText(date);
  if (!core::ParseDateText(text)) return std::nullopt;
  return text;
}

void AskBirthDate(terminal::Terminal& terminal, core::UserRecord& user, char open, char close) {
  const int format = Normalised(user.date_format);
  std::string hint;
  if (open != '\0') hint += open;
  hint += terminal.language().Text(475 + format);
  if (close != '\0') hint += close;
  hint += ": ";
  for (;;) {
    terminal.NewLine();
    terminal.SetColorPreset(1);
    terminal.ShowPrompt(21);
    terminal.Display(hint);
    const std::string typed = AskText(terminal, format == 4 ? 9 : 8);
    if (std::optional<std::string> date = ParseBirthDate(typed, format)) {
      user.birth_date = *date;
      return;
    }
  }
}

}  // namespace vx::session
