// Expansion of the ^K and ^F display codes and the text helpers it is built from.
#include "terminal/control_codes.h"

#include <sys/stat.h>

#include <cctype>
#include <cstdio>

#include "core/text.h"
#include "platform/dos_path.h"
#include "terminal/user_date.h"

namespace vx::terminal {

namespace {

constexpr std::string_view kPositionedReturn = "\x1b[255D";

std::string Num(long long value) { return core::NumToText(value); }

// A text the caller typed, without control characters.
std::string CallerText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 32) out += c;
  }
  return out;
}

// Eight characters "X" (set) or "-" (clear) for a flag string.
std::string FlagPicture(std::string_view flags) {
  std::string out(8, '-');
  for (size_t i = 0; i < 8 && i < flags.size(); ++i) {
    if (flags[i] == '1') out[i] = 'X';
  }
  return out;
}

// ^K "[" and two hexadecimal digits at `at`.
bool IsColourCode(std::string_view text, size_t at) {
  const auto hex = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
  return at + 3 < text.size() && text[at] == kCtrlK && text[at + 1] == '[' && hex(text[at + 2]) &&
         hex(text[at + 3]);
}

}  // namespace

std::string CleanValue(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (IsColourCode(text, i)) {
      out.append(text.substr(i, 4));
      i += 3;
    } else if (c == 0x1B && i + 1 < text.size() && text[i + 1] == '[') {
      // A control sequence: parameters up to its final character (@ to ~) go with it.
      i += 2;
      while (i < text.size() && !(text[i] >= 0x40 && text[i] <= 0x7E)) ++i;
    } else if (c >= 32) {
      out += text[i];
    }
  }
  return out;
}

size_t ValueLength(std::string_view clean) {
  size_t length = 0;
  for (size_t i = 0; i < clean.size(); ++i) {
    if (IsColourCode(clean, i)) {
      i += 3;
    } else {
      ++length;
    }
  }
  return length;
}

std::string SliceValue(std::string_view clean, size_t first, size_t count) {
  std::string out;
  size_t shown = 0;  // characters passed so far, codes not counted
  for (size_t i = 0; i < clean.size() && shown < first + count; ++i) {
    if (IsColourCode(clean, i)) {
      out.append(clean.substr(i, 4));
      i += 3;
    } else {
      if (shown >= first) out += clean[i];
      ++shown;
    }
  }
  return out;
}

std::string FitValue(std::string_view clean, int width, int align) {
  if (width <= 0) return {};
  std::string out = SliceValue(clean, 0, static_cast<size_t>(width));
  const std::string fill(static_cast<size_t>(width) - ValueLength(out), ' ');
  return align == 0 ? out + fill : fill + out;
}

std::string PadText(std::string_view text, int width, int align) {
  if (width <= 0) return {};
  std::string out(text.substr(0, static_cast<size_t>(width)));
  const size_t fill = static_cast<size_t>(width) - out.size();
  if (align == 0) return out + std::string(fill, ' ');
  return std::string(fill, ' ') + out;
}

std::string ReplaceText(std::string_view text, std::string_view find, std::string_view value,
                        int mode) {
  if (find.empty()) return std::string(text);
  int width = 0;
  for (char c : find) width += (c == '.');
  std::string fitted(value);
  if (width > 0 && mode == 1) fitted = PadText(value, width, 0);
  if (width > 0 && mode == 2) fitted = PadText(value, width, 1);

  std::string out;
  size_t from = 0;
  for (;;) {
    const size_t at = core::FindIgnoreCase(text, find, from);
    if (at == std::string_view::npos) break;
    out.append(text.substr(from, at - from));
    out += fitted;
    from = at + find.size();
  }
  out.append(text.substr(from));
  return out;
}

std::string PromptColorCode(const core::LanguageTable& language, int n) {
  const int colour = language.Colour(n);
  if (colour == 0) return {};
  char code[8];
  std::snprintf(code, sizeof code, "%c[%02X", kCtrlK, colour);
  return code;
}

std::string ControlCodes::Expand(std::string_view text, bool positioned) const {
  const bool has_codes =
      text.find(kCtrlK) != std::string_view::npos || text.find(kCtrlF) != std::string_view::npos;
  if (!has_codes && !positioned) return std::string(text);
  std::string out(text);
  if (has_codes) {
    ExpandTable(out, kCtrlK, true);
    ExpandTable(out, kCtrlF, false);
  }
  if (positioned) out = core::ReplaceAll(out, kPositionedReturn, "");
  return out;
}

void ControlCodes::ExpandTable(std::string& text, char marker, bool system) const {
  if (text.find(marker) == std::string::npos) return;
  std::string out;
  out.reserve(text.size());
  size_t from = 0;
  for (;;) {
    const size_t at = text.find(marker, from);
    if (at == std::string::npos) break;
    size_t letter = at + 1;
    while (letter < text.size() && text[letter] == '.') ++letter;
    if (letter >= text.size()) break;  // dots and no letter: left as they are
    const char code = core::UpperChar(text[letter]);
    const auto value = system ? SystemCode(code) : UserCode(code);
    if (!value) {
      // No such code: the control character stays and the search goes on after it.
      out.append(text, from, at + 1 - from);
      from = at + 1;
      continue;
    }
    out.append(text, from, at - from);
    const int width = static_cast<int>(letter - at - 1);
    // A ^K value may hold ^F codes: they are expanded before the value is fitted (the ^F pass
    // comes second), and nothing else of its control characters but its colour codes remains.
    std::string inner = value->text;
    if (system) ExpandTable(inner, kCtrlF, false);
    std::string clean = CleanValue(inner);
    if (value->first_chars != std::string::npos) clean = SliceValue(clean, 0, value->first_chars);
    out += width > 0 ? FitValue(clean, width, value->number ? 1 : 0) : clean;
    from = letter + 1;
  }
  out.append(text, from, std::string::npos);
  text.swap(out);
}

std::string ControlCodes::EntryWithColour(int n) const {
  return PromptColorCode(s_.language, n) + s_.language.Text(n);
}

std::string ControlCodes::OnOffText(bool on) const { return EntryWithColour(on ? 116 : 117); }

std::string ControlCodes::FlagText(std::string_view flags, int k) const {
  const bool on =
      k >= 1 && static_cast<size_t>(k) <= flags.size() && flags[static_cast<size_t>(k - 1)] == '1';
  return CleanValue(OnOffText(on));
}

int ControlCodes::WeekdayEntry() const {
  return 249 + s_.clock.LocalTime().tm_wday + 1;  // Sunday is weekday 1
}

std::string ControlCodes::LanguageName() const {
  const core::LanguageRecord* record = s_.languages.Find(s_.user.language);
  return record ? record->name : std::string();
}

long ControlCodes::FileRecords(const std::string& path, long record_size) const {
  struct stat info {};
  if (::stat(platform::HostPath(path, s_.env).c_str(), &info) != 0) return 0;
  return static_cast<long>(info.st_size / record_size);
}

std::optional<ControlCodes::Value> ControlCodes::SystemCode(char code) const {
  const CodeValues& v = *values_;
  const auto number = [](long long n) { return Value{Num(n), true}; };
  const auto text = [](std::string t) { return Value{std::move(t), false}; };
  switch (code) {
    case '&':
      return number(v.TaggedFiles());
    case '\'':
      return number(v.TaggedKilobytes());
    case '$':
      return number(FileRecords(s_.config.system_path + "LASTCALL.BBS", 118));
    case '%':
      return text(CallerText(v.LastCallerHandle()));
    case '(':
      return text(LanguageName());
    case '0':
    case 'C':
      return number(v.MessageCount());
    case 'D':
      return number(v.MessageFigureD());
    case 'E':
      return number(v.MessageFigureE());
    case '1':
      return number(s_.user.msg_area);
    case '2':
      return number(s_.user.file_area);
    case 'A':
      return number(v.TotalCalls());
    case 'B':
      return text(CallerText(v.LastCallerName()));
    case 'G':
      return text(EntryWithColour(WeekdayEntry()));
    case 'H':
      return number(FileRecords(s_.config.msgbase_path + "USERS.BBS", 1016));
    case 'I': {
      const std::tm now = s_.clock.LocalTime();
      char out[8];
      std::snprintf(out, sizeof out, "%02d:%02d", now.tm_hour % 100, now.tm_min % 100);
      return text(out);
    }
    case 'J': {
      const std::tm now = s_.clock.LocalTime();
      char today[48];
      std::snprintf(today, sizeof today, "%02d-%02d-%04d", now.tm_mon + 1, now.tm_mday,
                    (now.tm_year + 1900) % 10000);
      return text(FormatUserDate(today, s_.user.date_format));
    }
    case 'K':
      return number(v.MinutesOnline());
    case 'L':
    case 'N':
    case 'P':
      return number(0);
    case 'M':
      return number(s_.user.elapsed);
    case 'O':
      return number(v.MinutesLeft());
    case 'Q':
      return number(v.DailyTimeLimit());
    case 'R':
      return number(v.ConnectSpeed());
    case 'S':
      return Value{EntryWithColour(WeekdayEntry()), false, 3};
    case 'T':
      return number(v.DailyDownloadLimit());
    case 'W':
      return number(v.NodeNumber());
    case 'X':
      return text("");
    case 'Y':
      return text(v.MessageAreaName());
    case 'Z':
      return text(v.FileAreaName());
    default:
      return std::nullopt;
  }
}

std::optional<ControlCodes::Value> ControlCodes::UserCode(char code) const {
  const core::UserRecord& u = s_.user;
  const CodeValues& v = *values_;
  const auto number = [](long long n) { return Value{Num(n), true}; };
  const auto text = [](std::string t) { return Value{std::move(t), false}; };
  const auto date = [&](const std::string& d) { return text(FormatUserDate(d, u.date_format)); };
  switch (code) {
    case 'A':
      return text(CallerText(u.name));
    case 'B':
      return text(CallerText(u.location));
    case 'D':
      return text(CallerText(u.data_phone));
    case 'E':
      return text(CallerText(u.voice_phone));
    case 'F':
      return date(u.last_date);
    case 'G':
      return text(CallerText(u.last_time));
    case 'H':
      return text(FlagPicture(u.flags[0]));
    case 'I':
      return text(FlagPicture(u.flags[1]));
    case 'J':
      return text(FlagPicture(u.flags[2]));
    case 'K':
      return text(FlagPicture(u.flags[3]));
    case 'M':
      return number(u.msgs_posted);
    case 'N':
      return number(u.long452);
    case 'O':
      return number(u.security);
    case 'P':
      return number(u.no_calls);
    case 'Q':
      return number(u.uploads);
    case 'R':
      return number(u.uploads_k);
    case 'S':
      return number(u.downloads);
    case 'T':
      return number(u.downloads_k);
    case 'U':
      return number(u.elapsed);
    case 'V':
      return number(u.screen_length);
    case 'W': {
      const std::string name = CallerText(u.name);
      return text(name.substr(0, name.find(' ')));
    }
    // Attribute and Attribute2 bits: bit b is character b + 1 of the flag string.
    case 'X':
      return text(FlagText(u.attribute, 4));
    case 'Y':
      return text(FlagText(u.attribute, 3));
    case 'Z':
      return text(FlagText(u.attribute, 2));
    case '0':
      return text(FlagText(u.attribute, 7));
    case '1':
      return text(FlagText(u.attribute, 8));
    case '2':
      return text(FlagText(u.attribute2, 1));
    case '8':
      return text(FlagText(u.attribute2, 2));
    case ';':
      return text(FlagText(u.attribute2, 3));
    case '(':
      return text(FlagText(u.attribute2, 8));
    case '3':
      return text(CallerText(u.handle));
    case '4':
      return date(u.first_date);
    case '5':
      return date(u.birth_date);
    case '6':
      return date(u.date905);
    case '!':
      return text(CallerText(std::string(1, u.default_protocol)));
    case '#':
      return text(v.FileGroupName());
    case ')':
      return text(v.MessageGroupName());
    case '*':
      return number(u.file_group);
    case '+':
      return number(u.msg_group);
    case '$':
      return text(CallerText(u.address1));
    case '%':
      return text(CallerText(u.address2));
    case '&':
      return text(CallerText(u.address3));
    case '\\':
      return text(LanguageName());
    case '<':
      return text(EntryWithColour(475 + u.date_format));
    case '=':
      return text(OnOffText(!core::Trim(u.forward_to).empty()));
    case '>':
      return text(core::Trim(u.forward_to).empty() ? EntryWithColour(488)
                                                   : CallerText(u.forward_to));
    case '@': {
      if (u.uploads_k == 0) return text("");
      // The ratio with up to two decimals, trailing zeros dropped ("2.5", "3").
      char out[32];
      std::snprintf(out, sizeof out, "%.2f",
                    static_cast<double>(u.downloads_k) / static_cast<double>(u.uploads_k));
      std::string ratio = out;
      while (ratio.back() == '0') ratio.pop_back();
      if (ratio.back() == '.') ratio.pop_back();
      return text(ratio);
    }
    case '9':
      return number(v.DownloadLimitFigure1());
    case ':':
      return number(v.DownloadLimitFigure2());
    case '[':
      return number(v.DailyDownloadLimit() - u.today_k);
    case ']':
      return text(CallerText(u.comment));
    case '^':
      return number(v.StatusDownloadFigure());
    case '_':
      return number(v.MinutesLeft());
    default:
      return std::nullopt;
  }
}

}  // namespace vx::terminal
