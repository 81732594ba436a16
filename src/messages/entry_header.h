// The header of a new message as the caller gives it: the heading of the entry, the addressee
// and the subject (taken from the replied message for a reply, asked otherwise), the confirmation
// with its changes, and the private flag by the area's message kinds.
//
// Every empty answer ends the entry. In a local area a typed addressee must be a user of the
// system (by name or handle); a name given by the menu entry or a reply is taken as it is.
// Names and subjects never hold control characters: the line input refuses them, and those taken
// from a replied message (another system's) lose theirs.
#pragma once

#include <optional>
#include <string>

#include "messages/message_reader.h"
#include "session/current_areas.h"
#include "session/node_session.h"

namespace vx::messages {

struct EntryHeader {
  std::string from, to, subject;
  // 1 private, 2 public as the caller answered, 0 not asked (public unless the area's kinds make
  // every message private).
  int private_flag = 0;
  bool is_private() const { return private_flag == 1; }
};

// The sender: the caller's handle in an area that shows aliases (when the caller has one), else
// the user name.
std::string SenderName(const core::UserRecord& user, const core::MessageAreaRecord& area);

// nullopt when the caller ended the entry.
std::optional<EntryHeader> AskEntryHeader(session::NodeSession& session,
                                          const session::CurrentMessageArea& area,
                                          const std::optional<std::string>& addressee,
                                          const Message* replied);

}  // namespace vx::messages
