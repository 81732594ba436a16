// Choosing the file group and the file area (menu type 50), and loading the current file area.
//
// Options of the entry's data (any non-empty data turns the group filter on: only areas of the
// caller's file group are listed):
//   /1      one entry per line instead of two columns
//   /FG     the caller chooses a file group first
//   /FG=n   group n becomes the caller's group without asking (0: ask, as with /FG)
#pragma once

#include <optional>
#include <string_view>

#include "session/area_list.h"
#include "session/node_session.h"

namespace vx::files {

void SelectFileArea(session::NodeSession& session, std::string_view data);

// LoadFileArea: the area numbered by the caller's FileArea in group FileGroup (0 counts as 1).
void LoadFileArea(session::NodeSession& session);

// A number typed at a list prompt (see session/area_list.h).
using session::ParseListNumber;

}  // namespace vx::files
