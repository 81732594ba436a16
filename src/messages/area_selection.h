// Choosing the current message group and message area (menu type 49): the lists of the groups and
// areas the caller may use, the number prompts, and loading the chosen area.
//
// The menu entry's optional data, trimmed and upper-cased, may hold (anywhere in it):
//   "/1"      one group or area per line instead of two columns
//   "/MG"     the caller chooses a group first; the area list shows only that group's areas
//   "/MG=n"   group n becomes current without asking (0, or anything that is no group number
//             1..65535, asks as "/MG" does)
// Any other non-empty data turns the group filter on as well. Only a number that was listed is
// taken at a prompt; Enter at the area prompt leaves with the group that was current before.
#pragma once

#include <optional>
#include <string_view>

#include "session/area_list.h"
#include "session/node_session.h"

namespace vx::messages {

void SelectMessageArea(session::NodeSession& session, std::string_view optional_data);

// Loads the area numbered by the caller's MsgArea as the current message area.
void LoadMessageArea(session::NodeSession& session);

// A number typed at a list prompt (see session/area_list.h).
using session::ParseListNumber;

}  // namespace vx::messages
