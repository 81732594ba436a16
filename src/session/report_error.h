// ReportError: the one way the node reports a failure during a call. In a local session the sysop
// sees a message box; a remote caller sees only "ERROR! Check LOG file" and the log gets an alarm
// line with the message.
#pragma once

#include <string_view>

#include "session/node_session.h"

namespace vx::session {

// Returns the button pressed in a local session, -1 otherwise.
int ReportError(NodeSession& session, std::string_view message, int style, std::string_view title);

// Text to the caller through the output routine.
void DisplayText(NodeSession& session, std::string_view text);

}  // namespace vx::session
