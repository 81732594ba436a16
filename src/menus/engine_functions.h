// The families of the menu engine's own functions, each registering its menu types.
#pragma once

#include "menus/menu_functions.h"
#include "session/node_session.h"

namespace vx::menus {

// The toggles of the caller's settings flags (types 19 to 21, 41, 42, 53, 61, 62, 73, 75) and the
// flag changes of type 65.
void RegisterToggles(session::NodeSession& session, MenuFunctions& functions);
// The directory listing of a file area (type 30) and the users on line (type 52).
void RegisterListings(session::NodeSession& session, MenuFunctions& functions);

// ChangeFlags: words of three characters in `data`, set letter A..D, flag 1..8 and "+" (set),
// "-" (clear) or "*" (invert); other words are skipped.
void ChangeFlags(std::array<std::string, 4>& flags, std::string_view data);

}  // namespace vx::menus
