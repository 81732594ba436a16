// Text that other callers and other systems wrote (message texts, senders, subjects) made safe to
// show: it never passes through the display codes or the embedded actions of Display, so a ^K!
// in a message cannot show a file and a ^A cannot wait for a key on the reader's node.
//
// A message text is cut into lines at CR LF, a CR alone or an LF alone. Lines that start with ^A
// are kludge lines for the mail software and are left out. ANSI colour sequences (ESC "[" digits
// and ";" ending in "m") pass; every other escape sequence and control character is dropped, a tab
// becomes blanks to the next multiple of eight. A line longer than the screen is wrapped at the
// last blank that fits (or cut where there is none), so that every line on the screen is counted
// by the page pause. Each line goes out ended by CR LF.
#pragma once

#include <string>
#include <string_view>

namespace vx::terminal {

// The lines of a stored message text as they are sent, each ended by CR LF, none wider than
// `width` - 1 characters on the screen.
std::string PrepareStoredText(std::string_view text, int width);

// A one-line field of a stored message (a name, a subject) without any control character, so
// that it can be shown through Display as plain text.
std::string PlainField(std::string_view text);

}  // namespace vx::terminal
