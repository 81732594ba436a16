// Message group and area selection.
#include "messages/area_selection.h"

#include <algorithm>
#include <bitset>
#include <memory>
#include <optional>
#include <string>

#include "core/text.h"
#include "messages/message_access.h"
#include "session/area_list.h"

namespace vx::messages {

namespace {

// The group names of the group list and the area names of the personal-mail scan are shown in the
// colour of colour set 3 (preset 2), which the sysop configures.
constexpr int kNamePreset = 2;

void SelectGroup(session::NodeSession& session, bool one_column) {
  terminal::Terminal& terminal = session.terminal;
  const core::UserRecord& user = session.caller.user;
  session::ShowListHeading(terminal, session.language.Text(655));
  std::string problem;
  const std::vector<core::GroupRecord> groups = session.AreaFiles().MessageGroups(&problem);
  if (!problem.empty()) session.log.WriteLog("Message groups: " + problem);

  auto listed = std::make_unique<session::ListedNumbers>();
  session::ColumnList list(terminal, one_column);
  terminal.output().stop_answer.clear();
  for (const core::GroupRecord& group : groups) {
    if (group.number == 0 || listed->test(group.number) || !MaySeeGroup(group, user)) continue;
    if (!list.Next()) break;
    terminal.SetForeground(14);
    terminal.Display(std::to_string(group.number) + " ");
    terminal.SetForeground(7);
    terminal.Display("... ");
    terminal.SetColorPreset(kNamePreset);
    terminal.Display(group.name);
    listed->set(group.number);
  }
  terminal.EndListing();
  if (const auto chosen = session::AskListedNumber(session, 645, *listed)) {
    session.caller.user.msg_group = *chosen;
  }
}

// The group of "/MG=n": n when it is a group number, nullopt (ask) for 0 and anything else.
std::optional<uint16_t> GroupOption(const std::string& data, bool* present) {
  const size_t at = data.find("/MG=");
  *present = at != std::string::npos;
  if (!*present) return std::nullopt;
  const size_t start = at + 4;
  const std::string value = data.substr(start, data.find(' ', start) - start);
  const std::optional<long long> number = ParseListNumber(value);
  if (!number || *number < 1) return std::nullopt;
  return static_cast<uint16_t>(*number);
}

}  // namespace

void LoadMessageArea(session::NodeSession& session) {
  session.areas.LoadMessageArea(session.AreaFiles(), session.caller.user);
}

void SelectMessageArea(session::NodeSession& session, std::string_view optional_data) {
  terminal::Terminal& terminal = session.terminal;
  core::UserRecord& user = session.caller.user;
  const std::string data = core::UpperCase(core::Trim(optional_data));
  const bool one_column = data.find("/1") != std::string::npos;
  const bool group_filter = !data.empty();
  const uint16_t group_on_entry = user.msg_group;

  bool group_option = false;
  const std::optional<uint16_t> group = GroupOption(data, &group_option);
  if (group) {
    user.msg_group = *group;
  } else if (group_option || data.find("/MG") != std::string::npos) {
    SelectGroup(session, one_column);
  }

  session::ShowListHeading(terminal, session.language.Text(229));
  std::string problem;
  const std::vector<core::MessageAreaRecord> areas = session.AreaFiles().MessageAreas(&problem);
  if (!problem.empty()) session.log.WriteLog("Message areas: " + problem);

  auto listed = std::make_unique<session::ListedNumbers>();
  session::ColumnList list(terminal, one_column);
  terminal.output().stop_answer.clear();
  for (const core::MessageAreaRecord& area : areas) {
    if (area.area_number == 0 || !MayReadArea(area, user)) continue;
    if (group_filter && !AreaInGroup(area, user.msg_group)) continue;
    if (!list.Next()) break;
    terminal.SetForeground(14);
    terminal.Display(std::to_string(area.area_number) + " ");
    terminal.SetForeground(7);
    terminal.Display(". ");
    terminal.SetForeground(3);
    terminal.Display(area.name);
    listed->set(area.area_number);
  }
  terminal.EndListing();

  const std::optional<uint16_t> chosen = session::AskListedNumber(session, 235, *listed);
  if (!chosen) {
    user.msg_group = group_on_entry;
    return;
  }
  user.msg_area = *chosen;
  LoadMessageArea(session);
}

}  // namespace vx::messages
