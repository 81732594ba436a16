// The end of a call. Every way a call ends leads here: TerminateCall releases the node, updates
// the status files, hangs up and writes the caller back, exactly once; EndNodeProgram ends the
// process with the session's exit code by unwinding every wait to main.
#pragma once

#include "session/node_session.h"

namespace vx::session {

// Safe without a caller and in a local session; a second call does nothing. Once it has begun,
// the clocks are stopped and nothing else ends the call.
void TerminateCall(NodeSession& session);
[[noreturn]] void EndNodeProgram(NodeSession& session);
// Ends the process with `code` (start-up failures, a front-end program's errorlevel).
[[noreturn]] void ExitWithErrorlevel(NodeSession& session, int code);
// An end asked for from outside the call's own flow (a signal): at once, unless a program runs on
// the caller's line; then the end is noted, and whoever runs the program stops it, takes its
// results back and ends the call.
void RequestEndOfCall(NodeSession& session);
// The exit code by the session's state: the -E code; 3, 4 or 5 when echomail, netmail or both
// were entered.
int FinalExitCode(const NodeSession& session);

// The caller's own good-bye (the log-off menu function): the GOODBYE screen, the log line, and the
// end of the call with the normal exit code.
[[noreturn]] void LogOffCaller(NodeSession& session);

}  // namespace vx::session
