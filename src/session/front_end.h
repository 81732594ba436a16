// Front-end mode: a front-end program (a mailer that answers the phone itself) runs while the
// node waits; its errorlevel, looked up in the errorlevel table of CONFIG.VX, says how the call
// begins: slot 0 a local session, slots 1 to 19 a caller at a speed, anything else is not the
// node's to handle and becomes the node's own exit code, so the batch file around it sees it.
#pragma once

#include <array>
#include <string>

#include "platform/process_runner.h"
#include "session/node_session.h"

namespace vx::session {

// The connection speeds of slots 1 to 19.
inline constexpr std::array<long, 19> kErrorlevelSpeeds = {
    300,   1200,  2400,  4800,  7200,  9600,  12000, 14400, 16800, 19200,
    21600, 24000, 26400, 28800, 31200, 33600, 38400, 57600, 64000};

// The first slot (from 0 up) whose value is `errorlevel`; -1 when none is.
int FindErrorlevelSlot(const std::array<int, 51>& table, int errorlevel);

// Runs `command` (the front-end command line as given, its case kept) and waits for it; returns
// with the session set up for the call (the local flag, or the speed with the port open), or ends
// the process with the program's errorlevel.
void RunFrontEnd(NodeSession& session, platform::ProcessRunner& runner, const std::string& command);

}  // namespace vx::session
