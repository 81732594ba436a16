// The five files of the Hudson message base, shared by all Hudson areas (told apart by the board
// number, 1..200). Pure layouts; the message base code decides what is written when.
//
// msghdr.bbs, one 187-byte header per message, in writing order:
//   off  width  field                        off  width  field
//   0    2      int16 message number         21   1      byte origin zone
//   2    2      word previous reply          22   2      word cost
//   4    2      word next reply              24   1      byte message attributes (16 received)
//   6    2      word times read              25   1      byte network attributes
//   8    2      word start block (msgtxt)    26   1      byte board
//   10   2      word number of blocks        27   6      String[5] time posted "hh:mm"
//   12   2      word destination net         33   9      String[8] date posted "MM-DD-YY"
//   14   2      word destination node        42   36     String[35] to
//   16   2      word origin net              78   36     String[35] from
//   18   2      word origin node             114  73     String[72] subject
//   20   1      byte destination zone
// msgtxt.bbs: 256-byte blocks, each a String[255]; block b at 256 * b.
// msgidx.bbs: 3 bytes per message, parallel to msghdr.bbs: int16 number, byte board.
// msgtoidx.bbs: 36 bytes per message, parallel: String[35] addressee (" * Received * " once read).
// msginfo.bbs, 406 bytes: word lowest number, word highest number, word active messages,
//   200 x word active messages per board, board 1 first.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/record_stream.h"

namespace vx::messages {

inline constexpr int kHudsonHeaderSize = 187;
inline constexpr int kHudsonTextBlockSize = 256;
inline constexpr int kHudsonIndexSize = 3;
inline constexpr int kHudsonToIndexSize = 36;
inline constexpr int kHudsonInfoSize = 406;
inline constexpr int kHudsonBoards = 200;

struct HudsonHeader {
  int16_t number = 0;
  uint16_t prev_reply = 0, next_reply = 0, times_read = 0;
  uint16_t start_block = 0, block_count = 0;
  uint16_t dest_net = 0, dest_node = 0, orig_net = 0, orig_node = 0;
  uint8_t dest_zone = 0, orig_zone = 0;
  uint16_t cost = 0;
  uint8_t attributes = 0, net_attributes = 0, board = 0;
  std::string time, date, to, from, subject;
};

struct HudsonIndexEntry {
  int16_t number = 0;
  uint8_t board = 0;
};

struct HudsonInfo {
  uint16_t low = 0, high = 0, active = 0;
  std::array<uint16_t, kHudsonBoards> board_active{};
};

HudsonHeader ReadHudsonHeader(core::RecordStream& in);
void WriteHudsonHeader(const HudsonHeader& h, core::RecordStream& out);
HudsonIndexEntry ReadHudsonIndexEntry(core::RecordStream& in);
void WriteHudsonIndexEntry(const HudsonIndexEntry& e, core::RecordStream& out);
HudsonInfo ReadHudsonInfo(core::RecordStream& in);
void WriteHudsonInfo(const HudsonInfo& info, core::RecordStream& out);

}  // namespace vx::messages
