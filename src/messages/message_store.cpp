// Storing a new message.
#include "messages/message_store.h"

#include <algorithm>

#include "core/config.h"
#include "messages/message_bases.h"

namespace vx::messages {

namespace {
constexpr uint8_t kHudsonNew = 96;
constexpr uint8_t kHudsonPrivate = 8;
constexpr uint32_t kJamLocal = 1;
constexpr uint32_t kJamTypeLocal = 0x00800000;
constexpr uint32_t kJamTypeNet = 0x02000000;
constexpr uint32_t kJamTypeEcho = 0x01000000;
}  // namespace

uint8_t HudsonAttributes(bool is_private) {
  return static_cast<uint8_t>(kHudsonNew + (is_private ? kHudsonPrivate : 0));
}

uint32_t JamAttributes(uint8_t area_type, bool is_private) {
  uint32_t attributes = kJamLocal;
  if (area_type == 0) attributes += kJamTypeLocal;
  if (area_type == 1) attributes += kJamTypeNet;
  if (area_type == 2) attributes += kJamTypeEcho;
  if (is_private) attributes += kJamAttributePrivate;
  return attributes;
}

core::NetAddress AreaAddress(const session::NodeSession& session,
                             const core::MessageAreaRecord& area) {
  const size_t slot = std::min<size_t>(area.address_index, session.config.addresses.size() - 1);
  return session.config.addresses[slot];
}

uint32_t NextMessageNumber(const session::NodeSession& session,
                           const session::CurrentMessageArea& area) {
  if (area.record.IsJam()) {
    const JamBase base = SessionJamBase(session, area.record.jam_base_path);
    const auto header = base.ReadBaseHeader();
    // A base not made yet gets its header with base number 1 from the first post.
    const uint32_t base_number = header ? header->base_number : 1;
    return static_cast<uint32_t>(base.IndexCount() + base_number);
  }
  return static_cast<uint32_t>(SessionHudsonBase(session).ReadInfo().high) + 1;
}

StoredMessage StoreMessage(const session::NodeSession& session,
                           const session::CurrentMessageArea& area, const NewMessage& message,
                           const std::tm& now) {
  const core::MessageAreaRecord& record = area.record;
  const BaseKind base = record.IsJam() ? BaseKind::kJam : BaseKind::kHudson;
  // A reply links only into the base it was read from.
  const RepliedMessage* replied =
      message.replied && message.replied->base == base ? &*message.replied : nullptr;
  PostResult result;
  if (base == BaseKind::kJam) {
    JamPost post;
    post.from = message.from;
    post.to = message.to;
    post.subject = message.subject;
    post.text = message.text;
    post.attributes = JamAttributes(record.area_type, message.is_private);
    if (replied) {
      post.reply_to = replied->number;
      post.link_reply = true;
      post.replied_offset = replied->header;
    }
    post.address = AreaAddress(session, record);
    post.now = now;
    post.version = core::kVersionText;
    result = SessionJamBase(session, record.jam_base_path).WriteMessage(post);
  } else {
    HudsonPost post;
    post.from = message.from;
    post.to = message.to;
    post.subject = message.subject;
    post.text = message.text;
    post.attributes = HudsonAttributes(message.is_private);
    post.board = static_cast<int>(area.number);
    if (replied && replied->number <= 32767) {
      post.reply_to = static_cast<int>(replied->number);
      post.link_header = replied->header;
    }
    post.address = AreaAddress(session, record);
    post.now = now;
    post.version = core::kVersionText;
    result = SessionHudsonBase(session).WriteMessage(post);
  }
  StoredMessage stored;
  stored.ok = result.ok;
  stored.number = result.number;
  stored.error = result.error;
  stored.link_problem = result.link_problem;
  return stored;
}

}  // namespace vx::messages
