// Posting the described messages into new bases.
#include "tools/message_seeding.h"

#include <algorithm>
#include <ctime>
#include <set>

#include "messages/hudson_base.h"
#include "messages/jam_base.h"
#include "platform/environment.h"
#include "tools/source_error.h"

namespace vx::tools {

namespace {

constexpr uint8_t kHudsonLocal = 96;  // local message, as message entry writes them
constexpr uint8_t kHudsonPrivate = 8;
constexpr uint32_t kJamLocal = 1;

// The JAM message type of an area type: local, netmail or echomail.
uint32_t JamType(uint8_t area_type) {
  switch (area_type) {
    case 0:
      return 0x00800000;
    case 1:
      return 0x02000000;
    case 2:
      return 0x01000000;
    default:
      return 0;
  }
}

const MessageAreaSpec& AreaOf(const SystemDescription& d, uint16_t number) {
  for (const MessageAreaSpec& a : d.message_areas) {
    if (a.record.area_number == number) return a;
  }
  throw SourceError(d.file, 0, "message area " + std::to_string(number) + " is not described");
}

}  // namespace

int SeedMessages(const SystemDescription& d, const SeedBases& bases,
                 const core::ConfigRecord& config) {
  const platform::Environment env;
  const std::time_t now_seconds = std::time(nullptr);
  std::tm now{};
  localtime_r(&now_seconds, &now);
  // Messages posted so far, by area: their numbers and where their headers are.
  std::map<uint16_t, std::map<uint32_t, uint64_t>> posted;
  int count = 0;
  for (const MessageSpec& m : d.messages) {
    const MessageAreaSpec& area = AreaOf(d, m.area);
    const core::NetAddress address =
        config.Address(core::kAddressFields[std::min<size_t>(area.record.address_index, 9)]);
    std::map<uint32_t, uint64_t>& numbers = posted[m.area];
    messages::PostResult result;
    if (area.record.IsJam()) {
      const auto base_path = bases.jam_bases.find(m.area);
      if (base_path == bases.jam_bases.end() || !bases.jam_new.at(m.area)) continue;
      const messages::JamBase base(base_path->second, env);
      messages::JamPost post;
      post.from = m.from;
      post.to = m.to;
      post.subject = m.subject;
      post.text = m.text;
      post.attributes = kJamLocal | JamType(area.record.area_type) |
                        (m.is_private ? messages::kJamAttributePrivate : 0);
      post.reply_to = m.reply_to;
      // A first answer becomes the replied message's first reply, a later one the next reply of
      // the last answer so far.
      post.link_reply = m.reply_to != 0;
      post.address = address;
      post.now = now;
      post.version = "vxcfg";
      result = base.WriteMessage(post);
    } else {
      if (!bases.hudson_new) continue;
      const messages::HudsonBase base(bases.hudson_dir, env);
      messages::HudsonPost post;
      post.from = m.from;
      post.to = m.to;
      post.subject = m.subject;
      post.text = m.text;
      post.attributes = static_cast<uint8_t>(kHudsonLocal | (m.is_private ? kHudsonPrivate : 0));
      post.board = m.area;
      post.reply_to = static_cast<int>(m.reply_to);
      if (m.reply_to != 0 && numbers.count(m.reply_to)) post.link_header = numbers.at(m.reply_to);
      post.address = address;
      post.now = now;
      post.version = "vxcfg";
      result = base.WriteMessage(post);
    }
    if (!result.ok) throw SourceError(d.file, m.line, result.error);
    if (!result.link_problem.empty()) throw SourceError(d.file, m.line, result.link_problem);
    numbers[result.number] = result.header_index;
    ++count;
  }
  return count;
}

}  // namespace vx::tools
