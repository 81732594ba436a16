// The end of a call. Every way a call ends leads here: TerminateCall releases the node and the
// line and writes the caller back; EndNodeProgram ends the process with the session's exit code
// by unwinding every wait to main.
#pragma once

#include "session/node_session.h"

namespace vx::session {

void TerminateCall(NodeSession& session);
[[noreturn]] void EndNodeProgram(NodeSession& session);
// Ends the process with `code` (start-up failures, a front-end program's errorlevel).
[[noreturn]] void ExitWithErrorlevel(NodeSession& session, int code);
// The exit code by the session's state: the -E code; 3, 4 or 5 when echomail, netmail or both
// were entered.
int FinalExitCode(const NodeSession& session);

}  // namespace vx::session
