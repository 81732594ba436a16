// JAM message base records, field by field.
#include "messages/jam_records.h"

#include <cstring>

namespace vx::messages {

namespace {

bool ReadSignature(core::RecordStream& in) {
  char sig[4] = {};
  in.ReadBytes(sig, 4);
  return std::memcmp(sig, kJamSignature, 4) == 0;
}

}  // namespace

JamBaseHeader ReadJamBaseHeader(core::RecordStream& in) {
  JamBaseHeader h;
  h.signature_ok = ReadSignature(in);
  h.date_created = in.ReadUInt32();
  h.mod_counter = in.ReadUInt32();
  h.active = in.ReadUInt32();
  h.password_crc = in.ReadUInt32();
  h.base_number = in.ReadUInt32();
  in.SkipBytes(1000);
  return h;
}

void WriteJamBaseHeader(const JamBaseHeader& h, core::RecordStream& out) {
  out.WriteBytes(kJamSignature, 4);
  out.WriteUInt32(h.date_created);
  out.WriteUInt32(h.mod_counter);
  out.WriteUInt32(h.active);
  out.WriteUInt32(h.password_crc);
  out.WriteUInt32(h.base_number);
  out.WriteZeros(1000);
}

JamMessageHeader ReadJamMessageHeader(core::RecordStream& in) {
  JamMessageHeader h;
  h.signature_ok = ReadSignature(in);
  h.revision = in.ReadWord();
  h.reserved = in.ReadWord();
  h.subfield_length = in.ReadUInt32();
  h.times_read = in.ReadUInt32();
  h.msgid_crc = in.ReadUInt32();
  h.reply_crc = in.ReadUInt32();
  h.reply_to = in.ReadUInt32();
  h.first_reply = in.ReadUInt32();
  h.next_reply = in.ReadUInt32();
  h.date_written = in.ReadUInt32();
  h.date_received = in.ReadUInt32();
  h.date_processed = in.ReadUInt32();
  h.number = in.ReadUInt32();
  h.attributes = in.ReadUInt32();
  h.attributes2 = in.ReadUInt32();
  h.text_offset = in.ReadUInt32();
  h.text_length = in.ReadUInt32();
  h.password_crc = in.ReadUInt32();
  h.cost = in.ReadUInt32();
  return h;
}

void WriteJamMessageHeader(const JamMessageHeader& h, core::RecordStream& out) {
  out.WriteBytes(kJamSignature, 4);
  out.WriteWord(h.revision);
  out.WriteWord(h.reserved);
  for (uint32_t v : {h.subfield_length, h.times_read, h.msgid_crc, h.reply_crc, h.reply_to,
                     h.first_reply, h.next_reply, h.date_written, h.date_received,
                     h.date_processed, h.number, h.attributes, h.attributes2, h.text_offset,
                     h.text_length, h.password_crc, h.cost}) {
    out.WriteUInt32(v);
  }
}

std::vector<JamSubfield> ReadJamSubfields(core::RecordStream& in, uint32_t length,
                                          bool* complete) {
  std::vector<JamSubfield> fields;
  uint64_t used = 0;
  bool ok = true;
  while (used < length) {
    if (used + 8 > length || in.Tell() + 8 > in.Size()) {
      ok = false;
      break;
    }
    JamSubfield s;
    s.id = in.ReadWord();
    s.high_id = in.ReadWord();
    const uint32_t size = in.ReadUInt32();
    used += 8;
    if (used + size > length || in.Tell() + size > in.Size()) {
      ok = false;
      break;
    }
    std::vector<uint8_t> data = in.ReadRaw(size);
    s.data.assign(data.begin(), data.end());
    used += size;
    fields.push_back(std::move(s));
  }
  if (complete != nullptr) *complete = ok;
  return fields;
}

void WriteJamSubfield(const JamSubfield& s, core::RecordStream& out) {
  out.WriteWord(s.id);
  out.WriteWord(s.high_id);
  out.WriteUInt32(static_cast<long long>(s.data.size()));
  out.WriteBytes(s.data.data(), s.data.size());
}

JamIndexRecord ReadJamIndexRecord(core::RecordStream& in) {
  JamIndexRecord r;
  r.receiver_crc = in.ReadUInt32();
  r.header_offset = in.ReadUInt32();
  return r;
}

void WriteJamIndexRecord(const JamIndexRecord& r, core::RecordStream& out) {
  out.WriteUInt32(r.receiver_crc);
  out.WriteUInt32(r.header_offset);
}

JamLastRead ReadJamLastRead(core::RecordStream& in) {
  JamLastRead r;
  r.user_crc = in.ReadUInt32();
  r.user_id = in.ReadUInt32();
  r.last_read = in.ReadUInt32();
  r.high_read = in.ReadUInt32();
  return r;
}

void WriteJamLastRead(const JamLastRead& r, core::RecordStream& out) {
  for (uint32_t v : {r.user_crc, r.user_id, r.last_read, r.high_read}) out.WriteUInt32(v);
}

std::string JamSubfieldName(uint16_t id) {
  switch (id) {
    case 0: return "OADDRESS";
    case 1: return "DADDRESS";
    case 2: return "SENDERNAME";
    case 3: return "RECEIVERNAME";
    case 4: return "MSGID";
    case 5: return "REPLYID";
    case 6: return "SUBJECT";
    case 7: return "PID";
    case 8: return "TRACE";
    case 9: return "ENCLOSEDFILE";
    case 10: return "ENCLOSEDFILEWALIAS";
    case 11: return "ENCLOSEDFREQ";
    case 12: return "ENCLOSEDFILEWCARD";
    case 13: return "ENCLOSEDINDIRECTFILE";
    case 1000: return "EMBINDAT";
    case 2000: return "FTSKLUDGE";
    case 2001: return "SEENBY2D";
    case 2002: return "PATH2D";
    case 2003: return "FLAGS";
    case 2004: return "TZUTCINFO";
    default: return "";
  }
}

}  // namespace vx::messages
