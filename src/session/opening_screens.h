// The opening screens of a call: the caller's screen cleared, the LOGO display file and the
// program's build lines.
#pragma once

#include "session/node_session.h"

namespace vx::session {

void ShowOpeningScreens(NodeSession& session);

}  // namespace vx::session
