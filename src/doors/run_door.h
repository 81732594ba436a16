// Running a door (menu type 7): the command line's codes, the three drop files in the node
// directory, the program on the caller's line, what it changed taken back, and the minutes it took
// charged to the caller.
#pragma once

#include <string_view>

#include "doors/door_command.h"
#include "doors/drop_files.h"
#include "session/line_program.h"
#include "session/node_session.h"

namespace vx::doors {

// The door of a menu entry; `command_line` is the entry's data. A door that cannot run (another
// node uses the node directory, a drop file cannot be written, the program cannot be started) is
// reported and the caller goes back to the menu. When the line drops or the node is told to end
// while the door runs, the call ends once the door's results are taken back.
void RunDoor(session::NodeSession& session, session::LineProgramRunner& runner,
             std::string_view command_line);

// What the codes and the drop files take from the call.
DoorCodeValues CodeValuesOf(const session::NodeSession& session);
DropFileValues DropValuesOf(const session::NodeSession& session);
// The minutes a run of `seconds` costs: rounded to the nearest minute, never below 0.
int MinutesCharged(double seconds);

}  // namespace vx::doors
