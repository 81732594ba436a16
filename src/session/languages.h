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

// Makes language record `record` the session's: its texts, and its menu directory as the menu
// path. False (and nothing changed) when there is no such record or its file cannot be loaded.
bool UseLanguage(NodeSession& session, int record);
// The first language, in record order, that the caller may use (available, security not above the
// caller's); the search stops at the first record without a name. 0 when there is none.
int FirstLanguageFor(const core::LanguageList& languages, int security);

}  // namespace vx::session
