// SYSINFO.BBS as the node shows it: the total number of calls and the last caller.
#pragma once

#include "session/node_session.h"

namespace vx::session {

// Reads SYSINFO.BBS from the system directory into the session; a missing file reads as no calls.
void ReadSystemInfo(NodeSession& session);

}  // namespace vx::session
