// The file listing, the searches and the new files.
#include "files/file_listings.h"

#include <algorithm>

#include "core/text.h"
#include "files/file_access.h"
#include "files/file_database.h"
#include "files/file_search.h"
#include "files/listing_frame.h"
#include "files/listing_line.h"
#include "files/tag_prompt.h"
#include "terminal/control_codes.h"
#include "terminal/user_date.h"

namespace vx::files {

namespace {

constexpr int kAreaNumberWidth = 5;

// The number of an option: the digits up to the next blank or the end, 0 to 65535.
std::optional<uint32_t> OptionNumber(std::string_view data, size_t start) {
  const std::string_view value = data.substr(start, data.find(' ', start) - start);
  if (value.empty() || value.size() > 5) return std::nullopt;
  uint32_t n = 0;
  for (char c : value) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + static_cast<uint32_t>(c - '0');
  }
  if (n > 65535) return std::nullopt;
  return n;
}

// The heading of an area in a search: its number and "... " in white on black, its name in
// yellow.
void ShowAreaHeading(session::NodeSession& session, uint32_t number, const std::string& name) {
  terminal::Terminal& terminal = session.terminal;
  terminal.SetForeground(15);
  terminal.SetBackground(0);
  terminal.Display(terminal::PadText(std::to_string(number), kAreaNumberWidth, 0) + "... ");
  terminal.SetForeground(14);
  terminal.Display(name);
  terminal.NewLine();
}

// The search line: the entry, a blank and what is looked for; then the listing heading.
void ShowSearchHeading(session::NodeSession& session, int entry, const std::string& value) {
  terminal::Terminal& terminal = session.terminal;
  terminal.ClearScreen();
  terminal.ShowPrompt(entry);
  terminal.Display(" ");
  terminal.DisplayVerbatim(terminal::PlainField(value));
  terminal.NewLine();
  ShowListingHeading(session);
}

// The common frame of the searches: every area of FILES.VX, in file order, that the caller may
// see and the options take, is scanned; each hit is shown. A No at a page pause ends the search,
// and so does "S" between two areas.
void RunSearch(session::NodeSession& session, ListingPage& page, const SearchCriterion& criterion,
               const SearchScope& scope) {
  if (!scope.problem.empty()) {
    session.log.WriteLog("File search: " + scope.problem);
    return;
  }
  const core::AreaFiles area_files = session.AreaFiles();
  std::string problem;
  const std::vector<core::FileAreaRecord> areas = area_files.FileAreas(&problem);
  if (!problem.empty()) session.log.WriteLog("File areas: " + problem);
  const std::vector<uint32_t> numbers = FileAreaNumbers(area_files.FileAreaIndex(), areas.size());
  const ListingSettings settings = ListingSettingsFor(session);

  for (size_t r = 0; r < areas.size(); ++r) {
    const core::FileAreaRecord& area = areas[r];
    const uint32_t number = numbers[r];
    if (number == 0 || !MaySeeFileArea(area, session.caller.user)) continue;
    if (scope.one_area && number != scope.area) continue;
    if (!AreaInFileGroup(area, scope.group)) continue;
    ShowAreaHeading(session, number, area.name);
    if (Stopped(session)) return;
    DatabaseProblems problems(session.log, number);
    if (const auto db =
            FileDatabase::Open(session.config.filebase_path, number, session.env, problems)) {
      ScanArea(*db, criterion, problems, [&](uint64_t k) {
        ShowListingLine(session, page, db->ReadFileHeader(k, area.path, problems), settings);
        return !Stopped(session);
      });
    }
    if (Stopped(session) || StopOrHold(session)) return;
  }
}

void Search(session::NodeSession& session, ListingPage& page, const SearchCriterion& criterion,
            std::string_view data, uint16_t mode, int heading, const std::string& shown) {
  const SearchScope scope =
      ParseSearchScope(data, session.areas.file.number, session.areas.file.group);
  {
    ListingScope listing(session.terminal, scope.tagging ? mode : 0);
    ShowSearchHeading(session, heading, shown);
    RunSearch(session, page, criterion, scope);
  }
  if (scope.tagging) TagPrompt(session, page);
}

// What the caller typed after prompt `entry`, trimmed and in upper case.
std::string AskSearchValue(session::NodeSession& session, int entry, int length) {
  terminal::Terminal& terminal = session.terminal;
  terminal.NewLine();  // below the menu's prompt, where the field has its room
  terminal.ShowPrompt(entry);
  const std::string value = core::UpperCase(core::Trim(terminal.InputLine(length)));
  terminal.NewLine();
  return value;
}

// The date of the new-files list: the caller's last call, or (choice 2) a date the caller types
// in the own date format; nullopt when the caller gives none.
std::optional<core::CalendarDate> AskNewFilesDate(session::NodeSession& session) {
  terminal::Terminal& terminal = session.terminal;
  terminal.NewLine();
  if (terminal.AskPromptLn(247) != 2) return LastCallDate(session);
  const int format = terminal::TypedDateFormat(session.caller.user.date_format);
  const int format_entry = 475 + format;
  const size_t length =
      terminal::ValueLength(terminal::CleanValue(session.language.Text(format_entry)));
  for (;;) {
    terminal.ShowPrompt(248);
    terminal.ShowPrompt(format_entry);
    terminal.Display(": ");
    const std::string typed =
        core::Trim(terminal.InputLine(static_cast<int>(std::max<size_t>(length, 1))));
    terminal.NewLine();
    if (typed.empty()) return std::nullopt;
    if (auto date = terminal::ParseUserDate(typed, format)) return date;
    terminal.SetForeground(14);
    terminal.SetBackground(0);
    terminal.Display(session.language.Text(497));
    terminal.NewLine();
  }
}

}  // namespace

SearchScope ParseSearchScope(std::string_view data, uint32_t current_area, uint32_t current_group) {
  const std::string upper = core::UpperCase(data);
  SearchScope scope;
  scope.tagging = upper.find("/T") != std::string::npos;
  for (size_t at = upper.find("/F"); at != std::string::npos; at = upper.find("/F", at + 2)) {
    const size_t next = at + 2;
    const char c = next < upper.size() ? upper[next] : '\0';
    if (c == 'G') {
      if (next + 1 < upper.size() && upper[next + 1] == '=') {
        const auto group = OptionNumber(upper, next + 2);
        if (!group) scope.problem = "no group number in \"" + terminal::PlainField(data) + "\"";
        scope.group = group.value_or(0);
      } else {
        scope.group = current_group;
      }
    } else if (c == '=') {
      const auto area = OptionNumber(upper, next + 1);
      if (!area) scope.problem = "no area number in \"" + terminal::PlainField(data) + "\"";
      scope.one_area = true;
      scope.area = area.value_or(0);
    } else {
      scope.one_area = true;
      scope.area = current_area;
    }
  }
  return scope;
}

void ListFileArea(session::NodeSession& session, ListingPage& page, std::string_view data) {
  terminal::Terminal& terminal = session.terminal;
  const bool tagging = core::UpperCase(data).find("/T") != std::string::npos;
  {
    ListingScope listing(terminal, tagging ? kAreaListing : 0);
    terminal.ClearScreen();
    ShowListingHeading(session);
    const session::CurrentFileArea& area = session.areas.file;
    DatabaseProblems problems(session.log, area.number);
    std::optional<FileDatabase> db;
    if (area.has_record && !MaySeeFileArea(area.record, session.caller.user)) {
      session.log.WriteLog("File area " + std::to_string(area.number) + " is not open to " +
                           terminal::PlainField(session.caller.user.name));
    } else {
      if (area.has_record) {
        db = FileDatabase::Open(session.config.filebase_path, area.number, session.env, problems);
      }
      if (!db) session.log.WriteLog("Area does not exist: " + std::to_string(area.number));
    }
    if (db) {
      const ListingSettings settings = ListingSettingsFor(session);
      for (uint64_t k = 1; k <= db->header_count() && !Stopped(session); ++k) {
        ShowListingLine(session, page, db->ReadFileHeader(k, area.record.path, problems), settings);
      }
    }
  }
  if (tagging) TagPrompt(session, page);
}

void SearchFileName(session::NodeSession& session, ListingPage& page, std::string_view data) {
  const std::string pattern = AskSearchValue(session, 240, 12);
  if (pattern.empty()) return;
  Search(session, page, SearchCriterion::Name(pattern), data, kNameSearchListing, 241, pattern);
}

void SearchFileText(session::NodeSession& session, ListingPage& page, std::string_view data) {
  const std::string text = AskSearchValue(session, 236, 50);
  if (text.empty()) return;
  Search(session, page, SearchCriterion::Text(text), data, kTextSearchListing, 237, text);
}

void ListNewFiles(session::NodeSession& session, ListingPage& page, std::string_view data) {
  const std::optional<core::CalendarDate> since = AskNewFilesDate(session);
  if (!since) return;
  const std::string shown =
      terminal::FormatUserDate(core::FormatDateText(*since), session.caller.user.date_format);
  // The configuration may offer tagging at the pause of this list without "/T".
  const SearchScope scope =
      ParseSearchScope(data, session.areas.file.number, session.areas.file.group);
  const bool tagging_at_pause = scope.tagging || session.Config().NewFilesListTagging();
  {
    ListingScope listing(session.terminal, tagging_at_pause ? kNewFilesListing : 0);
    ShowSearchHeading(session, 249, shown);
    RunSearch(session, page, SearchCriterion::NewSince(*since), scope);
  }
  if (scope.tagging) TagPrompt(session, page);
}

}  // namespace vx::files
