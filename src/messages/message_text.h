// The text of a new message as the bases store it, made from what the caller wrote (the line
// editor's lines, an editor's MSGTMP, a prepared notice): lines ended by single CRs, nothing that
// would pass for a kludge line, and the tear and origin lines of an area that wants them.
#pragma once

#include <string>
#include <string_view>

#include "core/config_fields.h"

namespace vx::messages {

// CR LF, a lone LF and a lone CR each end a line and are stored as one CR. NUL bytes and ^A (the
// start of a kludge line, which only the node writes) are dropped, and so are Ctrl-Z characters
// at the end (a DOS editor's end of file, maybe padded with NULs).
std::string StoredLines(std::string_view text);

// Nothing but blanks, tabs and line ends.
bool IsBlankText(std::string_view text);

// The tear line and the origin line put under an area's messages, each ended by CR:
// "--- ngVX32 <version> build <build>" and " * Origin: <origin> (<address>)".
std::string TearAndOriginLines(std::string_view origin_line, const core::NetAddress& address);

// A name or subject: control characters (below 32, and 127) have no place in it. They would
// shift the lines of MSGINF or start a kludge line.
bool HasControlCharacters(std::string_view text);
// The text without its control characters (for names and subjects taken from other systems).
std::string WithoutControlCharacters(std::string_view text);

}  // namespace vx::messages
