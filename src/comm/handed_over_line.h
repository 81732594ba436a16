// The line for a connection handed over with -H<fd>: a TCP socket speaks telnet, a tty is put in
// raw mode, anything else (a local socket, a pipe) passes bytes as they are. A descriptor that is
// not open gets a line whose OpenPort says so.
#pragma once

#include <memory>

#include "comm/comm_control.h"
#include "platform/event_loop.h"

namespace vx::comm {

enum class LineKind { kTelnet, kTty, kRaw };

// What the descriptor is, as the line for it is chosen.
LineKind HandedOverLineKind(int fd);
// Takes ownership of `fd`.
std::unique_ptr<CommControl> MakeHandedOverLine(platform::EventLoop& loop, int fd);

}  // namespace vx::comm
