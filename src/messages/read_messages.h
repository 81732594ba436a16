// Reading the messages of an area (menu type 23): the reading modes, the count of the area, the
// starting message number, then the messages one after another through the reader loop.
//
// Modes are the hot keys of language entries 445 to 451 and 458, in that order: 1 and 3 read
// forwards, 2 backwards, 4 shows the help (entry 268 and the display file MAILHELP) and asks
// again, and the others leave. The starting number is a message number (Enter: the first message,
// or the last one when reading backwards). Optional data "/M n" reads area n; the area that was
// current before comes back at the end, however the reading ends.
#pragma once

#include <string_view>

#include "messages/message_reader.h"
#include "session/node_session.h"

namespace vx::messages {

void ReadMessages(session::NodeSession& session, std::string_view optional_data,
                  const MessageEntry& entry);

}  // namespace vx::messages
