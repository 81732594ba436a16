// The listing line.
#include "files/listing_line.h"

#include <algorithm>

#include "core/text.h"
#include "terminal/control_codes.h"
#include "terminal/user_date.h"

namespace vx::files {

namespace {

// The description starts on the next line when the line leaves it fewer columns than this.
constexpr int kNarrowestDescription = 20;
// ... in the column after the mark and the number.
constexpr int kDescriptionColumnBelow = 3;
constexpr int kScreenColumns = 80;

std::string RightAligned(std::string text, size_t width, char pad = ' ') {
  if (text.size() < width) text.insert(0, width - text.size(), pad);
  return text;
}

std::string DateValue(uint32_t packed, int date_format) {
  return terminal::FormatUserDate(core::UnpackDate(packed), date_format);
}

// The value of the code letters `letters`, or nullopt when they are not a code.
std::optional<std::string> CodeValue(std::string_view letters, const FileHeaderRecord& h,
                                     const ListingSettings& s) {
  const std::string name = terminal::PlainField(core::Trim(h.name));
  if (letters == "NE") return terminal::PadText(name, 12, 0);
  if (letters == "NN") return terminal::PadText(name.substr(0, name.find('.')), 9, 0);
  if (letters == "SB") return RightAligned(std::to_string(h.size), 7);
  if (letters == "SK") return RightAligned(std::to_string(h.size / 1024), 4);
  if (letters == "UL") return terminal::PadText(terminal::PlainField(h.uploader), 35, 0);
  if (letters == "UD") return DateValue(h.upload_date, s.date_format);
  if (letters == "FD") return DateValue(h.file_date, s.date_format);
  if (letters == "LD") return DateValue(h.last_download, s.date_format);
  if (letters == "TD") return RightAligned(std::to_string(h.times_downloaded), 4, '0');
  if (letters == "NW") {
    const auto uploaded = core::UnpackCalendarDate(h.upload_date);
    return std::string(s.last_call && uploaded && *uploaded >= *s.last_call ? "*" : " ");
  }
  return std::nullopt;
}

std::string TwoDigits(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

// A description made plain, its line ends all CR LF and none at its end.
std::string StoredDescription(std::string_view description) {
  const std::string plain = PlainText(description);
  std::string out;
  out.reserve(plain.size());
  for (size_t i = 0; i < plain.size(); ++i) {
    const char c = plain[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < plain.size() && plain[i + 1] == '\n') ++i;
      out += "\r\n";
    } else {
      out += c;
    }
  }
  while (!out.empty() && (out.back() == '\r' || out.back() == '\n')) out.pop_back();
  return out;
}

bool Stopped(session::NodeSession& session) { return session.terminal.output().stop_answer == "N"; }

void ShowComment(session::NodeSession& session, const ListedFile& file) {
  terminal::Terminal& terminal = session.terminal;
  terminal.SetForeground(15);
  terminal.SetBackground(0);
  terminal.DisplayVerbatim(StoredDescription(file.description));
  if (!Stopped(session)) terminal.NewLine();
}

// The description beside the line, from the column where the line ended.
void ShowBeside(session::NodeSession& session, const std::string& description) {
  terminal::Terminal& terminal = session.terminal;
  int column = session.comm.cursor_column();
  int width = kScreenColumns - column - 1;
  const bool below = width < kNarrowestDescription;
  if (below) {
    column = kDescriptionColumnBelow;
    width = kScreenColumns - column - 1;
  }
  const std::vector<std::string> rows = DescriptionRows(description, width);
  for (size_t i = 0; i < rows.size(); ++i) {
    if (i > 0 || below) {
      terminal.DisplayVerbatim("\r\n");
      if (Stopped(session)) return;
      terminal.MoveToColumn(column);
    }
    terminal.DisplayVerbatim(rows[i]);
    if (Stopped(session)) return;
  }
}

}  // namespace

core::CalendarDate LastCallDate(const session::NodeSession& session) {
  if (auto date = core::ParseDateText(session.caller.previous_call_date)) return *date;
  if (auto date = core::ParseDateText(session.caller.user.last_date)) return *date;
  const std::tm now = session.loop.clock().LocalTime();
  return {now.tm_year + 1900, now.tm_mon + 1, now.tm_mday};
}

ListingSettings ListingSettingsFor(const session::NodeSession& session) {
  ListingSettings settings;
  const core::ConfigSnapshot& config = session.Config();
  settings.format = config.FileListFormat();
  settings.colour = config.FileListColour();
  settings.date_format = session.caller.user.date_format;
  settings.last_call = LastCallDate(session);
  return settings;
}

DescriptionForm FormOf(std::string_view format) {
  if (format.size() < 3) return DescriptionForm::kNone;
  const std::string end = core::UpperCase(format.substr(format.size() - 3));
  if (end == "@DF") return DescriptionForm::kBeside;
  if (end == "@DU") return DescriptionForm::kBelow;
  return DescriptionForm::kNone;
}

std::string ExpandListingCodes(std::string_view format, const FileHeaderRecord& header,
                               const ListingSettings& settings) {
  std::string out;
  out.reserve(format.size() + 64);
  size_t i = 0;
  while (i < format.size()) {
    const char prefix = format[i];
    if ((prefix == '@' || prefix == '%' || prefix == '^') && i + 2 < format.size()) {
      if (auto value = CodeValue(format.substr(i + 1, 2), header, settings)) {
        if (prefix == '%') *value = core::LowerCase(*value);
        if (prefix == '^') *value = core::UpperCase(*value);
        out += *value;
        i += 3;
        continue;
      }
    }
    out += prefix;
    ++i;
  }
  return out;
}

std::vector<std::string> DescriptionRows(std::string_view description, int width) {
  const size_t room = static_cast<size_t>(std::max(width, 1));
  std::vector<std::string> rows;
  const std::string text = StoredDescription(description);
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    std::string_view line = std::string_view(text).substr(start, end - start);
    if (line.empty()) rows.emplace_back();
    while (!line.empty()) {
      if (line.size() <= room) {
        rows.emplace_back(line);
        break;
      }
      // The last blank that lets the row fit (a blank just after it fits too).
      size_t cut = line.substr(0, room + 1).rfind(' ');
      std::string_view row = line.substr(0, cut == std::string_view::npos || cut == 0 ? room : cut);
      rows.emplace_back(core::RTrim(row));
      line.remove_prefix(row.size());
      while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
    }
    if (end == text.size()) break;
    start = end + 2;
  }
  if (text.empty()) rows.clear();
  return rows;
}

void ShowListingLine(session::NodeSession& session, ListingPage& page, const ListedFile& file,
                     const ListingSettings& settings) {
  terminal::Terminal& terminal = session.terminal;
  if (core::Trim(file.header.name).empty()) {
    ShowComment(session, file);
    return;
  }
  terminal.SetColor(settings.colour);
  std::string text = ExpandListingCodes(settings.format, file.header, settings);
  const DescriptionForm form = FormOf(settings.format);
  if (form == DescriptionForm::kNone) {
    terminal.Display(text);
    if (!Stopped(session)) terminal.NewLine();
    return;
  }
  text.resize(text.size() - 3);
  const bool tagged = page.tags().Contains(file.full_path);
  const int number = page.Add(file);
  if (form == DescriptionForm::kBeside) {
    terminal.Display((tagged ? "+" : " ") + TwoDigits(number) + text);
    if (Stopped(session)) return;
    ShowBeside(session, file.description);
  } else {
    terminal.Display(" " + TwoDigits(number) + text);
    if (Stopped(session)) return;
    terminal.DisplayVerbatim(StoredDescription(file.description));
  }
  if (!Stopped(session)) terminal.NewLine();
}

}  // namespace vx::files
