// The status panel's lines.
#include "session/status_panel.h"

#include <cmath>

#include "core/dos_date.h"
#include "core/text.h"
#include "session/node_session.h"

namespace vx::session {

namespace {

long DaysFromCivil(int year, int month, int day) {
  // Days since 1970-01-01 of a date in the proleptic Gregorian calendar.
  year -= month <= 2 ? 1 : 0;
  const long era = (year >= 0 ? year : year - 399) / 400;
  const long yoe = year - era * 400;
  const long doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

// What the panel shows of a text from a caller's record: no control characters.
std::string Shown(const std::string& text) {
  std::string out;
  for (char c : text) out += static_cast<unsigned char>(c) < 32 || c == 127 ? ' ' : c;
  return out;
}

}  // namespace

std::string BirthDateLine(const std::string& birth_date, const std::tm& today) {
  const std::string trimmed = core::Trim(birth_date);
  const auto date = core::ParseDateText(trimmed);
  if (trimmed.size() >= 3 && date) {
    const long days = DaysFromCivil(today.tm_year + 1900, today.tm_mon + 1, today.tm_mday) -
                      DaysFromCivil(date->year, date->month, date->day);
    const long age = days < 0 ? 0 : static_cast<long>(std::floor(static_cast<double>(days) / 365.25));
    if (age > 0) return "Birthdate: " + Shown(trimmed) + ", Age: " + std::to_string(age);
  }
  return "Birthdate: -, Age: - ";
}

StatusPanel BuildStatusPanel(const NodeSession& session, const terminal::CodeValues& tags,
                             const std::tm& today) {
  const core::UserRecord& user = session.caller.user;
  StatusPanel panel;
  const std::string name = core::Trim(user.name).empty() ? "Waiting For Call" : Shown(user.name);
  panel.lines = {
      "Name: " + name,
      "Handle: " + Shown(user.handle),
      "Location: " + Shown(user.location),
      "Voice Phone: " + Shown(user.voice_phone),
      "Data Phone: " + Shown(user.data_phone),
      BirthDateLine(user.birth_date, today),
      "Security: " + std::to_string(user.security),
      "Speed: " + std::to_string(session.node.connect_speed),
      "Time Online: " + std::to_string(session.clock.session_minutes) + " min.",
      "Time Left: " + std::to_string(std::max(0, session.clock.time_left)) + " min.",
      "Daily Timelimit: " + std::to_string(session.clock.daily_time) + " min.",
      "Files Tagged: " + std::to_string(tags.TaggedFiles()) + " files.",
      "Bytes Tagged: " + std::to_string(tags.TaggedKilobytes()) + "kB.",
      "Downld Today: " + std::to_string(user.today_k) + "kB.",
  };
  panel.status_bar = session.node.local_mode
                         ? "Local logon"
                         : "Device: COM" + std::to_string(session.comm.port_number()) + " - " +
                               session.comm.settings();
  return panel;
}

}  // namespace vx::session
