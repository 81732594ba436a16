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
// The caller's settings (types 16 to 18, 57, 58, 60, 63, 64, 67, 74), the functions the new-user
// questionnaire of the logon asks with.
void RegisterSettings(session::NodeSession& session, MenuFunctions& functions);

// ChangeFlags: words of three characters in `data`, set letter A..D, flag 1..8 and "+" (set),
// "-" (clear) or "*" (invert); other words are skipped.
void ChangeFlags(std::array<std::string, 4>& flags, std::string_view data);

}  // namespace vx::menus
