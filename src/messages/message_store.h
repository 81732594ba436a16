// Storing a new message in the current area's base: the attributes by area type and privacy, the
// area's address, and a reply's link to the message it answers (set by the base under the lock of
// the append, to the number the message got).
//
//   Hudson  attributes 96, + 8 private; board = the area number; the replied header's next reply
//   JAM     attributes 1, + 0x800000 local, 0x2000000 netmail, 0x1000000 echomail, + 4 private;
//           the first reply of the replied message, or the next reply of its chain's last message
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

#include "messages/message_reader.h"
#include "session/current_areas.h"
#include "session/node_session.h"

namespace vx::messages {

// The message answered, as the reader read it.
struct RepliedMessage {
  BaseKind base = BaseKind::kHudson;
  uint32_t number = 0;
  std::optional<uint64_t> header;  // Hudson header index or JAM header offset
};

struct NewMessage {
  std::string from, to, subject;
  std::string text;  // as stored: lines ended by CR, tear and origin lines included
  bool is_private = false;
  std::optional<RepliedMessage> replied;
};

struct StoredMessage {
  bool ok = false;
  uint32_t number = 0;
  std::string error;         // why nothing was stored
  std::string link_problem;  // why a reply's link was not set (the message is stored)
};

uint8_t HudsonAttributes(bool is_private);
uint32_t JamAttributes(uint8_t area_type, bool is_private);
// The address of an area: its entry of the system's address table.
core::NetAddress AreaAddress(const session::NodeSession& session,
                             const core::MessageAreaRecord& area);

// The number the next message of the area will get (for MSGINF); 0 when the base cannot say.
uint32_t NextMessageNumber(const session::NodeSession& session,
                           const session::CurrentMessageArea& area);

StoredMessage StoreMessage(const session::NodeSession& session,
                           const session::CurrentMessageArea& area, const NewMessage& message,
                           const std::tm& now);

}  // namespace vx::messages
