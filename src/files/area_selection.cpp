// File group and area selection.
#include "files/area_selection.h"

#include <algorithm>
#include <bitset>
#include <memory>

#include "core/text.h"
#include "files/file_access.h"
#include "terminal/control_codes.h"

namespace vx::files {

namespace {

constexpr int kListColumn2 = 40;  // 0-based: the second column starts at column 41
constexpr int kAreaNameWidth = 30;
// Group names are shown in the colour of colour set 3 (preset 2), area names in cyan.
constexpr int kGroupNamePreset = 2;
constexpr int kAreaNameColour = 3;

using ListedNumbers = std::bitset<65536>;

// Entries in one or two columns. Each row starts with a line end, so that the page pause comes
// before a row is shown; a No at the more prompt ends the list.
class ColumnList {
 public:
  ColumnList(terminal::Terminal& terminal, bool one_column)
      : terminal_(terminal), one_column_(one_column) {}

  // False when the caller stopped the list at a more prompt.
  bool Next() {
    if (second_column_) {
      terminal_.MoveToColumn(kListColumn2);
    } else {
      terminal_.NewLine();
      if (terminal_.output().stop_answer == "N") return false;
    }
    if (!one_column_) second_column_ = !second_column_;
    return true;
  }

 private:
  terminal::Terminal& terminal_;
  bool one_column_;
  bool second_column_ = false;
};

void ShowHeading(terminal::Terminal& terminal, const std::string& text) {
  terminal.NewLine();
  terminal.SetForeground(15);
  terminal.SetBackground(0);
  terminal.Display(text);
  terminal.NewLine();
}

// Asks with prompt `entry` for one of the listed numbers: nullopt for Enter alone.
std::optional<uint16_t> AskListed(session::NodeSession& session, int entry,
                                  const ListedNumbers& listed) {
  terminal::Terminal& terminal = session.terminal;
  terminal.NewLine();
  terminal.NewLine();
  for (;;) {
    terminal.SetForeground(15);
    terminal.SetBackground(0);
    terminal.Display(session.language.Text(entry));
    const std::optional<long long> number = ParseListNumber(terminal.InputDigits(5));
    terminal.NewLine();
    if (!number) return std::nullopt;
    if (*number < 1) {
      terminal.ShowPrompt(58);
      terminal.Display(" 1-65535");
      terminal.NewLine();
      continue;
    }
    if (!listed.test(static_cast<size_t>(*number))) {
      terminal.SetForeground(12);
      terminal.SetBackground(0);
      terminal.Display(session.language.Text(230));
      terminal.Delay(1);
      terminal.NewLine();
      continue;
    }
    return static_cast<uint16_t>(*number);
  }
}

void SelectGroup(session::NodeSession& session, bool one_column) {
  terminal::Terminal& terminal = session.terminal;
  const core::UserRecord& user = session.caller.user;
  ShowHeading(terminal, session.language.Text(644));
  std::string problem;
  const std::vector<core::GroupRecord> groups = session.AreaFiles().FileGroups(&problem);
  if (!problem.empty()) session.log.WriteLog("File groups: " + problem);

  auto listed = std::make_unique<ListedNumbers>();
  ColumnList list(terminal, one_column);
  terminal.output().stop_answer.clear();
  for (const core::GroupRecord& group : groups) {
    if (group.number == 0 || listed->test(group.number) || !MaySeeFileGroup(group, user)) continue;
    if (!list.Next()) break;
    terminal.SetForeground(14);
    terminal.Display(std::to_string(group.number));
    terminal.SetForeground(7);
    terminal.Display("... ");
    terminal.SetColorPreset(kGroupNamePreset);
    terminal.Display(group.name);
    listed->set(group.number);
  }
  terminal.EndListing();
  if (const auto chosen = AskListed(session, 645, *listed)) {
    session.caller.user.file_group = *chosen;
    session.areas.file.group = *chosen;
  }
}

// The group of "/FG=n": n when it is a group number; nullopt (ask) for 0 and anything else.
std::optional<uint16_t> GroupOption(const std::string& data, bool* present) {
  const size_t at = data.find("/FG=");
  *present = at != std::string::npos;
  if (!*present) return std::nullopt;
  const size_t start = at + 4;
  const std::optional<long long> number =
      ParseListNumber(std::string_view(data).substr(start, data.find(' ', start) - start));
  if (!number || *number < 1) return std::nullopt;
  return static_cast<uint16_t>(*number);
}

}  // namespace

std::optional<long long> ParseListNumber(std::string_view typed, long long highest) {
  const std::string text = core::Trim(typed);
  if (text.empty()) return std::nullopt;
  const bool digits =
      std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
  if (!digits || text.size() > 12) return -1;
  const long long number = std::stoll(text);
  return number >= 1 && number <= highest ? number : -1;
}

void LoadFileArea(session::NodeSession& session) {
  session.areas.LoadFileArea(session.AreaFiles(), session.caller.user);
}

void SelectFileArea(session::NodeSession& session, std::string_view optional_data) {
  terminal::Terminal& terminal = session.terminal;
  core::UserRecord& user = session.caller.user;
  const std::string data = core::UpperCase(core::Trim(optional_data));
  const bool one_column = data.find("/1") != std::string::npos;
  const bool group_filter = !data.empty();
  const uint16_t group_on_entry = user.file_group;
  const uint32_t current_group_on_entry = session.areas.file.group;

  bool group_option = false;
  if (const std::optional<uint16_t> group = GroupOption(data, &group_option)) {
    user.file_group = *group;
    session.areas.file.group = *group;
  } else if (group_option || data.find("/FG") != std::string::npos) {
    SelectGroup(session, one_column);
  }

  ShowHeading(terminal, session.language.Text(228));
  const core::AreaFiles area_files = session.AreaFiles();
  std::string problem;
  const std::vector<core::FileAreaRecord> areas = area_files.FileAreas(&problem);
  if (!problem.empty()) session.log.WriteLog("File areas: " + problem);
  const std::vector<uint32_t> numbers = FileAreaNumbers(area_files.FileAreaIndex(), areas.size());
  const uint32_t group = session.areas.file.group;

  auto listed = std::make_unique<ListedNumbers>();
  ColumnList list(terminal, one_column);
  terminal.output().stop_answer.clear();
  for (size_t r = 0; r < areas.size(); ++r) {
    const core::FileAreaRecord& area = areas[r];
    const uint32_t number = numbers[r];
    if (number == 0 || listed->test(number) || !MaySeeFileArea(area, user)) continue;
    if (group_filter && !AreaInFileGroup(area, group)) continue;
    if (!list.Next()) break;
    terminal.SetForeground(14);
    terminal.Display(std::to_string(number));
    terminal.SetForeground(7);
    terminal.Display(". ");
    terminal.SetForeground(kAreaNameColour);
    terminal.Display(terminal::SliceValue(terminal::CleanValue(area.name), 0, kAreaNameWidth));
    listed->set(number);
  }
  terminal.EndListing();

  const std::optional<uint16_t> chosen = AskListed(session, 235, *listed);
  if (!chosen) {
    user.file_group = group_on_entry;
    session.areas.file.group = current_group_on_entry;
    return;
  }
  user.file_area = *chosen;
  LoadFileArea(session);
}

}  // namespace vx::files
