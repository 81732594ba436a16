// Message entry: a new message or a reply written into a message area (menu type 27, the reader's
// reply keys), and the notices the logon posts with a prepared text (the watchdog's).
//
// The area is the one the options name (entry_options.h), made current for the entry and put
// back afterwards. An area that takes no messages (message kinds 3, no record, a Hudson area
// numbered outside 1 to 200) is refused before anything is asked. The caller gives the header
// (entry_header.h) and writes the text (entry_text.h); the text is completed (single CRs, the
// tear and origin lines of an area whose attribute bit 0 is set) before the base is opened, and
// stored with a reply's link (message_store.h). A stored message counts in the caller's
// MsgsPosted, marks the call as one that entered echomail or netmail (exit codes 3, 4, 5) and
// gets the log line "Message #n posted in <type> area #<number> <name>". With "/L" the call
// then ends as a log-off does.
//
// A prepared text skips the questions and the editor: the sender is the sysop, the subject
// "Watchdog Alert!" and the addressee the one of "/T=".
#pragma once

#include <optional>
#include <string>

#include "messages/entry_text.h"
#include "messages/message_reader.h"
#include "session/node_session.h"

namespace vx::messages {

struct EntryRequest {
  std::string data;                          // the menu entry's optional data
  const Message* replied = nullptr;          // a reply to this message, as the reader read it
  std::optional<std::string> prepared_text;  // a notice: the text to post
};

inline constexpr const char* kPreparedSubject = "Watchdog Alert!";

void PostMessage(session::NodeSession& session, const EditorRunner& editor,
                 const EntryRequest& request);

// The message-entry seam of the reader: a reply (position 4) answers the message read; the second
// mode (position 5) writes a new message in the message's area.
MessageEntry ReaderMessageEntry(session::NodeSession& session, const EditorRunner& editor);

}  // namespace vx::messages
