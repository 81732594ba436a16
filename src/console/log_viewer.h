// The log viewer: the node log's lines over the caller's screen, newest at the bottom, while the
// call goes on. Esc or F1 closes it.
#pragma once

#include "console/curses_console.h"
#include "core/node_log.h"

namespace vx::console {

void ShowLog(CursesConsole& console, const core::NodeLog& log);

}  // namespace vx::console
