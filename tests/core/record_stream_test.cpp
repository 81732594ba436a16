// Field readers and writers against bytes written out by hand.
#include "core/record_stream.h"

#include <gtest/gtest.h>

namespace vx::core {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Written(const std::function<void(MemoryStream&)>& write) {
  MemoryStream m;
  write(m);
  return m.bytes();
}

TEST(RecordStream, StringFieldsAreLengthByteThenNulPaddedText) {
  EXPECT_EQ(Written([](MemoryStream& m) { m.WritePascalString("ABC", 5); }),
            (Bytes{0x03, 'A', 'B', 'C', 0x00, 0x00}));
  // Longer text is cut to the field.
  EXPECT_EQ(Written([](MemoryStream& m) { m.WritePascalString("ABCDEFG", 3); }),
            (Bytes{0x03, 'A', 'B', 'C'}));
  EXPECT_EQ(Written([](MemoryStream& m) { m.WriteChars("AB", 4); }), (Bytes{'A', 'B', 0, 0}));
}

TEST(RecordStream, StringFieldReadsOnlyItsLengthOrWidth) {
  MemoryStream junk(Bytes{0x00, 'J', 'U', 'N', 'K', 0x05, 'H', 'E', 'L', 'L', 'O', 0xFF, 'a', 'b'});
  EXPECT_EQ(junk.ReadPascalString(4), "");       // length 0 with junk behind it
  EXPECT_EQ(junk.ReadPascalString(5), "HELLO");  // exactly its length
  EXPECT_EQ(junk.ReadPascalString(2), "ab");     // a length above the width gives the width
  EXPECT_FALSE(junk.short_read());
}

TEST(RecordStream, IntegersAreLittleEndian) {
  EXPECT_EQ(Written([](MemoryStream& m) {
              m.WriteInt16(-2);
              m.WriteInt32(0x01020304);
              m.WriteByte(0xAB);
            }),
            (Bytes{0xFE, 0xFF, 0x04, 0x03, 0x02, 0x01, 0xAB}));
  MemoryStream in(Bytes{0xFE, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x80});
  EXPECT_EQ(in.ReadInt16(), -2);
  EXPECT_EQ(in.ReadWord(), 65534);
  EXPECT_EQ(in.ReadInt32(), -1);
  EXPECT_EQ(in.ReadUInt32(), 0x80000000u);
}

TEST(RecordStream, WordWriterDividesLargeValuesAndNeverWraps) {
  EXPECT_EQ(Written([](MemoryStream& m) { m.WriteWord(70000); }), (Bytes{0x58, 0x1B}));  // 7000
  EXPECT_EQ(Written([](MemoryStream& m) { m.WriteWord(65535); }), (Bytes{0xFF, 0xFF}));
  EXPECT_EQ(Written([](MemoryStream& m) { m.WriteWord(40000); }), (Bytes{0x40, 0x9C}));
  EXPECT_EQ(Written([](MemoryStream& m) { m.WriteWord(700000); }), (Bytes{0xFF, 0xFF}));
  EXPECT_EQ(Written([](MemoryStream& m) { m.WriteWord(655350); }), (Bytes{0xFF, 0xFF}));
}

TEST(RecordStream, UnsignedWriterStoresHighValuesAsTheirBitPattern) {
  EXPECT_EQ(Written([](MemoryStream& m) { m.WriteUInt32(4294967295LL); }),
            (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(Written([](MemoryStream& m) { m.WriteUInt32(2147483648LL); }),
            (Bytes{0x00, 0x00, 0x00, 0x80}));
}

TEST(RecordStream, FlagBytesAreBitZeroFirst) {
  MemoryStream in(Bytes{0x81, 0x01, 0x00});
  EXPECT_EQ(in.ReadFlagByte(), "10000001");
  EXPECT_EQ(in.ReadFlagByte(), "10000000");
  EXPECT_EQ(in.ReadFlagByte(), "00000000");
  EXPECT_EQ(Written([](MemoryStream& m) { m.WriteFlagByte("01000001"); }), (Bytes{0x82}));
}

TEST(RecordStream, ReadingPastTheEndGivesZerosAndSaysSo) {
  MemoryStream in(Bytes{0x05, 'A', 'B'});
  EXPECT_EQ(in.ReadPascalString(10), std::string("AB\0\0\0", 5));
  EXPECT_TRUE(in.short_read());
  EXPECT_EQ(in.ReadInt32(), 0);
  MemoryStream empty;
  EXPECT_EQ(empty.ReadPascalString(35), "");
  EXPECT_EQ(empty.ReadWord(), 0);
}

TEST(RecordStream, PositionsAreOneBased) {
  MemoryStream in(Bytes{10, 20, 30, 40});
  in.SeekPosition(3);
  EXPECT_EQ(in.ReadByte(), 30);
  in.SkipBytes(0);
  EXPECT_EQ(in.ReadByte(), 40);
}

}  // namespace
}  // namespace vx::core
