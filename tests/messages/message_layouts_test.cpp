// The Hudson and JAM layouts that vxcfg writes and dumps, against bytes written out by hand.
#include <gtest/gtest.h>

#include "core/record_stream.h"
#include "messages/hudson_records.h"
#include "messages/jam_records.h"

namespace vx::messages {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(HudsonRecords, HeaderAndInfoOffsets) {
  HudsonHeader h;
  h.number = 300;
  h.start_block = 2;
  h.block_count = 1;
  h.orig_net = 280;
  h.orig_node = 1;
  h.orig_zone = 2;
  h.attributes = 16;
  h.board = 7;
  h.time = "12:34";
  h.date = "01-02-27";
  h.to = "Sam";
  h.from = "Pat";
  h.subject = "Hi";
  core::MemoryStream m;
  WriteHudsonHeader(h, m);
  const Bytes& b = m.bytes();
  ASSERT_EQ(b.size(), 187u);
  EXPECT_EQ(b[0] | (b[1] << 8), 300);
  EXPECT_EQ(b[8], 2);
  EXPECT_EQ(b[10], 1);
  EXPECT_EQ(b[16] | (b[17] << 8), 280);
  EXPECT_EQ(b[21], 2);
  EXPECT_EQ(b[24], 16);
  EXPECT_EQ(b[26], 7);
  EXPECT_EQ(b[27], 5);
  EXPECT_EQ(b[33], 8);
  EXPECT_EQ(b[42], 3);
  EXPECT_EQ(b[78], 3);
  EXPECT_EQ(b[114], 2);
  HudsonInfo info;
  info.high = 9;
  info.board_active[199] = 4;
  core::MemoryStream mi;
  WriteHudsonInfo(info, mi);
  ASSERT_EQ(mi.bytes().size(), 406u);
  EXPECT_EQ(mi.bytes()[2], 9);
  EXPECT_EQ(mi.bytes()[6 + 2 * 199], 4);
}

TEST(JamRecords, BaseHeaderAndSubfields) {
  JamBaseHeader h;
  h.date_created = 0x01020304;
  h.mod_counter = 1;
  core::MemoryStream m;
  WriteJamBaseHeader(h, m);
  const Bytes& b = m.bytes();
  ASSERT_EQ(b.size(), 1024u);
  EXPECT_EQ((Bytes(b.begin(), b.begin() + 8)), (Bytes{'J', 'A', 'M', 0, 4, 3, 2, 1}));
  EXPECT_EQ(b[8], 1);
  EXPECT_EQ(b[20], 1);  // base message number
  core::MemoryStream in(b);
  EXPECT_TRUE(ReadJamBaseHeader(in).signature_ok);

  core::MemoryStream s;
  WriteJamSubfield({2, 0, "Sam"}, s);
  EXPECT_EQ(s.bytes(), (Bytes{2, 0, 0, 0, 3, 0, 0, 0, 'S', 'a', 'm'}));
  core::MemoryStream back(s.bytes());
  bool complete = false;
  auto fields = ReadJamSubfields(back, 11, &complete);
  ASSERT_EQ(fields.size(), 1u);
  EXPECT_TRUE(complete);
  EXPECT_EQ(fields[0].data, "Sam");
  core::MemoryStream short_data(Bytes{2, 0, 0, 0, 200, 0, 0, 0, 'x'});
  ReadJamSubfields(short_data, 208, &complete);
  EXPECT_FALSE(complete);
}

}  // namespace
}  // namespace vx::messages
