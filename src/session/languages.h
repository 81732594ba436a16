// Loading the installed languages and a compiled language file into the session's entry table.
#pragma once

#include <string>

#include "session/node_session.h"

namespace vx::session {

// Reads LANGUAGE.VX from the system directory; false when it cannot be opened.
bool ReadLanguageList(NodeSession& session);
// Loads a compiled language file (".VXL" added when the name has no extension, the system
// directory put in front when it has no path). False when the file cannot be opened; a damaged
// file loads what can be read and says what is wrong in the log.
bool LoadLanguageFile(NodeSession& session, const std::string& name);

}  // namespace vx::session
