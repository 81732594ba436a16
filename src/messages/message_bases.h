// The message bases as the session opens them (the Hudson base in the message base directory, a
// JAM base at an area's base path, both with the session's lock waits), and the figures of the
// caller's current area that the display codes show.
#pragma once

#include <string>

#include "messages/hudson_base.h"
#include "messages/jam_base.h"
#include "session/node_session.h"
#include "session/session_codes.h"

namespace vx::messages {

HudsonBase SessionHudsonBase(const session::NodeSession& session);
JamBase SessionJamBase(const session::NodeSession& session, const std::string& base_path);

// The messages of an area's base as the read function and the display codes count them. A Hudson
// area counts its board's active messages (msginfo.bbs) and shows the lowest and highest numbers
// of the whole base, which is what its messages are numbered in; a JAM area counts the active
// messages of its base header, from its base number to the last message of its index. An area
// without a base (no record, a Hudson number outside 1 to 200, an unreadable JAM base) has none.
struct AreaFigures {
  long count = 0;
  long lowest = 0;
  long highest = 0;
};
// `problem`, when given, says what was wrong with the base (a short msginfo.bbs, a damaged base
// header).
AreaFigures ReadAreaFigures(const session::NodeSession& session,
                            const core::MessageAreaRecord& area, uint32_t area_number,
                            std::string* problem = nullptr);

// The figures of the caller's current message area, read afresh each time (another node's post
// shows at once).
session::MessageFigures CurrentAreaFigures(const session::NodeSession& session);

}  // namespace vx::messages
