// The personal-mail scan (at logon and menu type 22): every message addressed to the caller, by
// user name or handle, that the caller has not received yet, in every area the caller may read,
// in both bases; a line per area with its count, and the offer to read them.
//
// Hudson: the addressee index (msgtoidx.bbs) of the whole base is searched once; a hit counts for
// the area of its board. JAM: each JAM area without Hudson hits is searched in its index from the
// message after the caller's lastread message (looked up in that base for that caller, every
// time), by the checksums of the caller's names; a message already read or deleted is left out.
// Areas the caller may not read, echomail areas the caller skips, deleted messages and boards
// without an area are left out of both. A damaged header is passed over and logged; the rest of
// the base is still searched.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/area_records.h"
#include "core/user_record.h"
#include "messages/hudson_base.h"
#include "messages/jam_base.h"
#include "messages/message_reader.h"
#include "session/node_session.h"

namespace vx::messages {

struct FoundMessage {
  size_t area_record = 0;  // 0-based record of MESSAGES.VX
  BaseKind base = BaseKind::kHudson;
  uint32_t number = 0;
  uint8_t board = 0;    // Hudson
  uint64_t header = 0;  // Hudson: header index in msghdr.bbs; JAM: header offset in .JHR
  std::string date, time, to, from, subject;
};

// What the search reads and how it reports.
struct MailSearch {
  const core::UserRecord& user;
  const std::vector<core::MessageAreaRecord>& areas;  // MESSAGES.VX in file order
  const std::vector<uint16_t>& area_index;            // MESSAGES.VDX
  const HudsonBase& hudson;
  std::function<JamBase(const std::string& base_path)> jam;
  std::function<void(std::string_view)> debug;    // the scan's debug lines
  std::function<void(std::string_view)> problem;  // damaged files, for the log
  uint64_t areas_file_size = 0;                   // for the debug lines
};

struct PersonalMail {
  std::vector<FoundMessage> found;  // in the order found
  std::vector<int> counts;          // per record of MESSAGES.VX
};

PersonalMail FindPersonalMail(const MailSearch& search);

// The scan with its output and the reading of what it found.
void ScanPersonalMail(session::NodeSession& session, const MessageEntry& entry);

}  // namespace vx::messages
