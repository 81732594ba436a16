// The program's entry knows every layer: it puts the functions of the message, file, door and
// paging layers into the menu engine's table, each family in a file of its own.
#pragma once

#include "menus/menu_engine.h"
#include "menus/menu_functions.h"
#include "session/node_session.h"

namespace vx::console {

// All of them: the engine's own, then each family below.
void WireMenuFunctions(session::NodeSession& session, menus::MenuEngine& engine,
                       menus::MenuFunctions& functions);

// Message areas, reading and writing (types 22, 23, 27, 49).
void WireMessageFunctions(session::NodeSession& session, menus::MenuEngine& engine,
                          menus::MenuFunctions& functions);
// File areas, listings, searches and transfers (types 31, 33, 35, 36, 37, 50, 59, 72).
void WireFileFunctions(session::NodeSession& session, menus::MenuEngine& engine,
                       menus::MenuFunctions& functions);
// Doors (type 7).
void WireDoorFunctions(session::NodeSession& session, menus::MenuEngine& engine,
                       menus::MenuFunctions& functions);
// Paging the sysop (type 11).
void WireConsoleFunctions(session::NodeSession& session, menus::MenuEngine& engine,
                          menus::MenuFunctions& functions);

}  // namespace vx::console
