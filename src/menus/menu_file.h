// Menu files NAME.MNU: fixed 464-byte records, the first a header, every further one an entry.
// Number of entries = file length / 464 - 1. Pure layout; the menu engine interprets it.
//
// Header record:
//   off  width  field
//   0    1      highlight colour (IBM attribute) for the text between "^" marks
//   1    130    not read
//   131  129    String[128] prompt
//   260  152    not read
//   412  1      prompt colour
//   413  51     not read
//
// Entry record:
//   off  width  field                          off  width  field
//   0    1      menu type (0..75)              103  14     7 x word start minute, Sunday first
//   1    2      word minimum security          117  14     7 x word stop minute, Sunday first
//   3    2      word maximum security (0 none) 131  136    String[135] display text
//   5    4      forbidden flags A..D           267  9      String[8] hot key (^A first: automatic)
//   9    4      required flags A..D            276  136    String[135] optional data
//   13   2      word minimum minutes left      412  1      entry colour
//   15   2      word minimum minutes online    413  1      second colour byte (kept)
//   17   2      two bytes (kept)               414  50     not read
//   19   4      int32 minimum speed
//   23   4      int32 maximum speed (0 none)
//   27   12     3 x int32 (kept)
//   39   32     32-byte set (kept)
//   71   32     32-byte set (kept)
// A weekday whose start and stop minutes are both 0 has no time window.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/record_stream.h"

namespace vx::menus {

inline constexpr int kMenuRecordSize = 464;

struct MenuHeader {
  uint8_t highlight_colour = 0;
  std::string prompt;
  uint8_t prompt_colour = 0;
};

struct MenuEntry {
  uint8_t type = 0;
  uint16_t min_security = 0, max_security = 0;
  std::array<uint8_t, 4> forbidden_flags{}, required_flags{};
  uint16_t min_minutes_left = 0, min_minutes_online = 0;
  uint8_t byte17 = 0, byte18 = 0;
  int32_t min_speed = 0, max_speed = 0;
  std::array<int32_t, 3> longs27{};
  std::array<uint8_t, 32> set39{}, set71{};
  std::array<uint16_t, 7> start_minutes{}, stop_minutes{};
  std::string display_text;
  std::string hot_key;
  std::string data;
  uint8_t colour = 0;
  uint8_t colour2 = 0;

  bool IsAutomatic() const { return !hot_key.empty() && hot_key[0] == '\x01'; }
};

struct MenuFile {
  MenuHeader header;
  std::vector<MenuEntry> entries;
};

// Each reads or writes exactly one 464-byte record at the stream's position.
MenuHeader ReadMenuHeader(core::RecordStream& in);
void WriteMenuHeader(const MenuHeader& h, core::RecordStream& out);
MenuEntry ReadMenuEntry(core::RecordStream& in);
void WriteMenuEntry(const MenuEntry& e, core::RecordStream& out);

// The whole file; a remainder shorter than a record is ignored.
MenuFile ReadMenuFile(core::RecordStream& in);
void WriteMenuFile(const MenuFile& menu, core::RecordStream& out);

// "hh:mm" of a minute count since midnight.
std::string MinutesToTime(uint16_t minutes);
// The time window of weekday `day` (0 = Sunday) as "hh:mm" texts; both empty when the weekday has
// no window (start and stop both 0).
std::pair<std::string, std::string> DayWindow(const MenuEntry& e, int day);

}  // namespace vx::menus
