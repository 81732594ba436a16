// File group and area selection.
#include "files/area_selection.h"

#include <algorithm>
#include <bitset>
#include <memory>

#include "core/text.h"
#include "files/file_access.h"
#include "session/area_list.h"
#include "terminal/control_codes.h"

namespace vx::files {

namespace {

constexpr int kAreaNameWidth = 30;
// Group names are shown in the colour of colour set 3 (preset 2), area names in cyan.
constexpr int kGroupNamePreset = 2;
constexpr int kAreaNameColour = 3;

void SelectGroup(session::NodeSession& session, bool one_column) {
  terminal::Terminal& terminal = session.terminal;
  const core::UserRecord& user = session.caller.user;
  session::ShowListHeading(terminal, session.language.Text(644));
  std::string problem;
  const std::vector<core::GroupRecord> groups = session.AreaFiles().FileGroups(&problem);
  if (!problem.empty()) session.log.WriteLog("File groups: " + problem);

  auto listed = std::make_unique<session::ListedNumbers>();
  session::ColumnList list(terminal, one_column);
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
  if (const auto chosen = session::AskListedNumber(session, 645, *listed)) {
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

  session::ShowListHeading(terminal, session.language.Text(228));
  const core::AreaFiles area_files = session.AreaFiles();
  std::string problem;
  const std::vector<core::FileAreaRecord> areas = area_files.FileAreas(&problem);
  if (!problem.empty()) session.log.WriteLog("File areas: " + problem);
  const std::vector<uint32_t> numbers = FileAreaNumbers(area_files.FileAreaIndex(), areas.size());
  const uint32_t group = session.areas.file.group;

  auto listed = std::make_unique<session::ListedNumbers>();
  session::ColumnList list(terminal, one_column);
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

  const std::optional<uint16_t> chosen = session::AskListedNumber(session, 235, *listed);
  if (!chosen) {
    user.file_group = group_on_entry;
    session.areas.file.group = current_group_on_entry;
    return;
  }
  user.file_area = *chosen;
  LoadFileArea(session);
}

}  // namespace vx::files
