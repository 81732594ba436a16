// The four files of a JAM message base (base path + .JHR, .JDX, .JDT, .JLR), in the published JAM
// layout. Pure layouts; the message base code decides what is written when. Dates are seconds
// since 01-01-1970 in local time.
//
// .JHR base header, 1024 bytes:
//   0 "JAM\0"; 4 u32 date created; 8 u32 modification counter; 12 u32 active messages;
//   16 u32 password CRC; 20 u32 base message number; 24 1000 reserved bytes.
// .JHR message header, 76 fixed bytes, then `subfield_length` bytes of subfields:
//   off  field                      off  field                      off  field
//   0    "JAM\0"                    28   u32 first reply            56   u32 second attributes
//   4    u16 revision (1)           32   u32 next reply             60   u32 text offset in .JDT
//   6    u16 reserved               36   u32 date written           64   u32 text length
//   8    u32 subfield length        40   u32 date received          68   u32 password CRC
//   12   u32 times read             44   u32 date processed         72   u32 cost
//   16   u32 MSGID CRC              48   u32 message number
//   20   u32 REPLY CRC              52   u32 attributes (8: read by the addressee)
//   24   u32 reply to
// Subfield: u16 id, u16 high id, u32 data length, the data (no terminator).
// .JDX, 8 bytes per message: u32 CRC of the lower-cased receiver name, u32 header offset
//   (all ones: no message).
// .JLR, 16 bytes per user: u32 user CRC, u32 user id, u32 last read, u32 highest read.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/record_stream.h"

namespace vx::messages {

inline constexpr int kJamBaseHeaderSize = 1024;
inline constexpr int kJamFixedHeaderSize = 76;
inline constexpr int kJamIndexSize = 8;
inline constexpr int kJamLastReadSize = 16;
inline constexpr char kJamSignature[4] = {'J', 'A', 'M', '\0'};
// The reply links in a message header.
inline constexpr int kJamFirstReplyOffset = 28;
inline constexpr int kJamNextReplyOffset = 32;

struct JamBaseHeader {
  bool signature_ok = true;
  uint32_t date_created = 0;
  uint32_t mod_counter = 0;
  uint32_t active = 0;
  uint32_t password_crc = 0;
  uint32_t base_number = 1;
};

struct JamSubfield {
  uint16_t id = 0;
  uint16_t high_id = 0;
  std::string data;
};

struct JamMessageHeader {
  bool signature_ok = true;
  uint16_t revision = 1;
  uint16_t reserved = 0;
  uint32_t subfield_length = 0;
  uint32_t times_read = 0, msgid_crc = 0, reply_crc = 0;
  uint32_t reply_to = 0, first_reply = 0, next_reply = 0;
  uint32_t date_written = 0, date_received = 0, date_processed = 0;
  uint32_t number = 0, attributes = 0, attributes2 = 0;
  uint32_t text_offset = 0, text_length = 0;
  uint32_t password_crc = 0, cost = 0;
};

struct JamIndexRecord {
  uint32_t receiver_crc = 0;
  uint32_t header_offset = 0;
};

struct JamLastRead {
  uint32_t user_crc = 0, user_id = 0, last_read = 0, high_read = 0;
};

JamBaseHeader ReadJamBaseHeader(core::RecordStream& in);
void WriteJamBaseHeader(const JamBaseHeader& h, core::RecordStream& out);
// The fixed 76 bytes; the subfields follow at the stream's position afterwards.
JamMessageHeader ReadJamMessageHeader(core::RecordStream& in);
void WriteJamMessageHeader(const JamMessageHeader& h, core::RecordStream& out);
// Reads subfields until `length` bytes are used; stops early (and says so through `complete`)
// when a subfield runs past them or past the end of the data.
std::vector<JamSubfield> ReadJamSubfields(core::RecordStream& in, uint32_t length, bool* complete);
void WriteJamSubfield(const JamSubfield& s, core::RecordStream& out);
JamIndexRecord ReadJamIndexRecord(core::RecordStream& in);
void WriteJamIndexRecord(const JamIndexRecord& r, core::RecordStream& out);
JamLastRead ReadJamLastRead(core::RecordStream& in);
void WriteJamLastRead(const JamLastRead& r, core::RecordStream& out);

// The name of a subfield id, for readers that show them ("" when unknown).
std::string JamSubfieldName(uint16_t id);

}  // namespace vx::messages
