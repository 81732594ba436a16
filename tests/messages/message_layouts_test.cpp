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

TEST(JamRecords, MessageHeaderIndexAndLastReadByHand) {
  JamMessageHeader h;
  h.revision = 1;
  h.reserved = 1;
  h.subfield_length = 0x11;
  h.times_read = 0x12;
  h.msgid_crc = 0x13;
  h.reply_crc = 0x14;
  h.reply_to = 0x15;
  h.first_reply = 0x16;
  h.next_reply = 0x17;
  h.date_written = 0x18;
  h.date_received = 0x19;
  h.date_processed = 0x1A;
  h.number = 0x1B;
  h.attributes = 0x80000008;
  h.attributes2 = 0x1D;
  h.text_offset = 0x1E;
  h.text_length = 0x1F;
  h.password_crc = 0x20;
  h.cost = 0x21;
  core::MemoryStream m;
  WriteJamMessageHeader(h, m);
  Bytes expected = {'J', 'A', 'M', 0, 1, 0, 1, 0};
  // Offsets 8 to 72: seventeen u32 fields in file order.
  for (uint32_t v : {0x11u, 0x12u, 0x13u, 0x14u, 0x15u, 0x16u, 0x17u, 0x18u, 0x19u, 0x1Au,
                     0x1Bu, 0x80000008u, 0x1Du, 0x1Eu, 0x1Fu, 0x20u, 0x21u}) {
    for (int i = 0; i < 4; ++i) expected.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  ASSERT_EQ(expected.size(), 76u);
  EXPECT_EQ(m.bytes(), expected);
  core::MemoryStream in(expected);
  JamMessageHeader back = ReadJamMessageHeader(in);
  EXPECT_TRUE(back.signature_ok);
  EXPECT_EQ(back.number, 0x1Bu);         // offset 48
  EXPECT_EQ(back.attributes, 0x80000008u);  // offset 52, read unsigned
  EXPECT_EQ(back.text_offset, 0x1Eu);    // offset 60
  EXPECT_EQ(in.Tell(), 76u);

  core::MemoryStream x;
  WriteJamIndexRecord({0xC4E78E22u, 1024}, x);
  EXPECT_EQ(x.bytes(), (Bytes{0x22, 0x8E, 0xE7, 0xC4, 0x00, 0x04, 0, 0}));
  core::MemoryStream lr_in(Bytes{1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF});
  JamLastRead lr = ReadJamLastRead(lr_in);
  EXPECT_EQ(lr.user_crc, 1u);
  EXPECT_EQ(lr.user_id, 2u);
  EXPECT_EQ(lr.last_read, 3u);
  EXPECT_EQ(lr.high_read, 0xFFFFFFFFu);
}

}  // namespace
}  // namespace vx::messages
