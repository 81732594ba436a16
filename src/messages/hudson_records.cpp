// Hudson message base records, field by field.
#include "messages/hudson_records.h"

namespace vx::messages {

HudsonHeader ReadHudsonHeader(core::RecordStream& in) {
  HudsonHeader h;
  h.number = in.ReadInt16();
  h.prev_reply = in.ReadWord();
  h.next_reply = in.ReadWord();
  h.times_read = in.ReadWord();
  h.start_block = in.ReadWord();
  h.block_count = in.ReadWord();
  h.dest_net = in.ReadWord();
  h.dest_node = in.ReadWord();
  h.orig_net = in.ReadWord();
  h.orig_node = in.ReadWord();
  h.dest_zone = in.ReadByte();
  h.orig_zone = in.ReadByte();
  h.cost = in.ReadWord();
  h.attributes = in.ReadByte();
  h.net_attributes = in.ReadByte();
  h.board = in.ReadByte();
  h.time = in.ReadPascalString(5);
  h.date = in.ReadPascalString(8);
  h.to = in.ReadPascalString(35);
  h.from = in.ReadPascalString(35);
  h.subject = in.ReadPascalString(72);
  return h;
}

void WriteHudsonHeader(const HudsonHeader& h, core::RecordStream& out) {
  out.WriteInt16(h.number);
  out.WriteWord(h.prev_reply);
  out.WriteWord(h.next_reply);
  out.WriteWord(h.times_read);
  out.WriteWord(h.start_block);
  out.WriteWord(h.block_count);
  out.WriteWord(h.dest_net);
  out.WriteWord(h.dest_node);
  out.WriteWord(h.orig_net);
  out.WriteWord(h.orig_node);
  out.WriteByte(h.dest_zone);
  out.WriteByte(h.orig_zone);
  out.WriteWord(h.cost);
  out.WriteByte(h.attributes);
  out.WriteByte(h.net_attributes);
  out.WriteByte(h.board);
  out.WritePascalString(h.time, 5);
  out.WritePascalString(h.date, 8);
  out.WritePascalString(h.to, 35);
  out.WritePascalString(h.from, 35);
  out.WritePascalString(h.subject, 72);
}

HudsonIndexEntry ReadHudsonIndexEntry(core::RecordStream& in) {
  HudsonIndexEntry e;
  e.number = in.ReadInt16();
  e.board = in.ReadByte();
  return e;
}

void WriteHudsonIndexEntry(const HudsonIndexEntry& e, core::RecordStream& out) {
  out.WriteInt16(e.number);
  out.WriteByte(e.board);
}

HudsonInfo ReadHudsonInfo(core::RecordStream& in) {
  HudsonInfo info;
  info.low = in.ReadWord();
  info.high = in.ReadWord();
  info.active = in.ReadWord();
  for (auto& n : info.board_active) n = in.ReadWord();
  return info;
}

void WriteHudsonInfo(const HudsonInfo& info, core::RecordStream& out) {
  out.WriteWord(info.low);
  out.WriteWord(info.high);
  out.WriteWord(info.active);
  for (uint16_t n : info.board_active) out.WriteWord(n);
}

}  // namespace vx::messages
