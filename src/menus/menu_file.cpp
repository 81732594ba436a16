// Menu file records, field by field.
#include "menus/menu_file.h"

#include <cstdio>

namespace vx::menus {

MenuHeader ReadMenuHeader(core::RecordStream& in) {
  const uint64_t start = in.Tell();
  MenuHeader h;
  h.highlight_colour = in.ReadByte();
  in.Seek(start + 131);
  h.prompt = in.ReadPascalString(128);
  in.Seek(start + 412);
  h.prompt_colour = in.ReadByte();
  in.Seek(start + kMenuRecordSize);
  return h;
}

void WriteMenuHeader(const MenuHeader& h, core::RecordStream& out) {
  out.WriteByte(h.highlight_colour);
  out.WriteZeros(130);
  out.WritePascalString(h.prompt, 128);
  out.WriteZeros(152);
  out.WriteByte(h.prompt_colour);
  out.WriteZeros(51);
}

MenuEntry ReadMenuEntry(core::RecordStream& in) {
  const uint64_t start = in.Tell();
  MenuEntry e;
  e.type = in.ReadByte();
  e.min_security = in.ReadWord();
  e.max_security = in.ReadWord();
  in.ReadInto(e.forbidden_flags);
  in.ReadInto(e.required_flags);
  e.min_minutes_left = in.ReadWord();
  e.min_minutes_online = in.ReadWord();
  e.byte17 = in.ReadByte();
  e.byte18 = in.ReadByte();
  e.min_speed = in.ReadInt32();
  e.max_speed = in.ReadInt32();
  for (auto& l : e.longs27) l = in.ReadInt32();
  in.ReadInto(e.set39);
  in.ReadInto(e.set71);
  for (auto& m : e.start_minutes) m = in.ReadWord();
  for (auto& m : e.stop_minutes) m = in.ReadWord();
  e.display_text = in.ReadPascalString(135);
  e.hot_key = in.ReadPascalString(8);
  e.data = in.ReadPascalString(135);
  e.colour = in.ReadByte();
  e.colour2 = in.ReadByte();
  in.Seek(start + kMenuRecordSize);
  return e;
}

void WriteMenuEntry(const MenuEntry& e, core::RecordStream& out) {
  out.WriteByte(e.type);
  out.WriteWord(e.min_security);
  out.WriteWord(e.max_security);
  out.WriteFrom(e.forbidden_flags);
  out.WriteFrom(e.required_flags);
  out.WriteWord(e.min_minutes_left);
  out.WriteWord(e.min_minutes_online);
  out.WriteByte(e.byte17);
  out.WriteByte(e.byte18);
  out.WriteInt32(e.min_speed);
  out.WriteInt32(e.max_speed);
  for (int32_t l : e.longs27) out.WriteInt32(l);
  out.WriteFrom(e.set39);
  out.WriteFrom(e.set71);
  for (uint16_t m : e.start_minutes) out.WriteWord(m);
  for (uint16_t m : e.stop_minutes) out.WriteWord(m);
  out.WritePascalString(e.display_text, 135);
  out.WritePascalString(e.hot_key, 8);
  out.WritePascalString(e.data, 135);
  out.WriteByte(e.colour);
  out.WriteByte(e.colour2);
  out.WriteZeros(50);
}

MenuFile ReadMenuFile(core::RecordStream& in) {
  MenuFile menu;
  const uint64_t records = in.Size() / kMenuRecordSize;
  in.Seek(0);
  if (records == 0) return menu;
  menu.header = ReadMenuHeader(in);
  for (uint64_t r = 1; r < records; ++r) menu.entries.push_back(ReadMenuEntry(in));
  return menu;
}

void WriteMenuFile(const MenuFile& menu, core::RecordStream& out) {
  WriteMenuHeader(menu.header, out);
  for (const MenuEntry& e : menu.entries) WriteMenuEntry(e, out);
}

std::string MinutesToTime(uint16_t minutes) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d", minutes / 60, minutes % 60);
  return text;
}

std::pair<std::string, std::string> DayWindow(const MenuEntry& e, int day) {
  if (day < 0 || day > 6) return {};
  const uint16_t start = e.start_minutes[static_cast<size_t>(day)];
  const uint16_t stop = e.stop_minutes[static_cast<size_t>(day)];
  if (start == 0 && stop == 0) return {};
  return {MinutesToTime(start), MinutesToTime(stop)};
}

}  // namespace vx::menus
