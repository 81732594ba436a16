// Text helpers, CRC-32 and packed dates.
#include <gtest/gtest.h>

#include "core/crc32.h"
#include "core/dos_date.h"
#include "core/text.h"

namespace vx::core {
namespace {

TEST(Text, AddBackslashTrimsOnlyWhenItAppends) {
  EXPECT_EQ(AddBackslash("C:\\BBS"), "C:\\BBS\\");
  EXPECT_EQ(AddBackslash("C:\\BBS   "), "C:\\BBS\\");
  EXPECT_EQ(AddBackslash("C:\\BBS\\"), "C:\\BBS\\");
  EXPECT_EQ(AddBackslash(""), "\\");
}

TEST(Text, CompleteDirectoryKeepsTheKindOfPath) {
  EXPECT_EQ(CompleteDirectory("C:\\BBS "), "C:\\BBS\\");
  EXPECT_EQ(CompleteDirectory("/srv/bbs"), "/srv/bbs/");
  EXPECT_EQ(CompleteDirectory("/srv/bbs/"), "/srv/bbs/");
  EXPECT_EQ(CompleteDirectory("   "), "");
  EXPECT_EQ(UpperChar('q'), 'Q');
  EXPECT_EQ(UpperChar('\x82'), '\x82');  // code page 437 letters are left alone
}

TEST(Text, BitStringsInBothOrders) {
  EXPECT_EQ(ByteToBits(0x81), "10000001");
  EXPECT_EQ(ByteToBits(0x02), "00000010");
  EXPECT_EQ(FlagByteToText(0x02), "01000000");
  EXPECT_EQ(LongToBits(1), std::string(31, '0') + "1");
  EXPECT_EQ(BitsToNumber("  101 "), 5u);
  EXPECT_EQ(BitsToNumber(LongToBits(0xDEADBEEF)), 0xDEADBEEFu);
  std::string bits = LongToBits(0x80000001);
  EXPECT_EQ(GetFlag32(bits, 1), '1');
  EXPECT_EQ(GetFlag32(bits, 32), '1');
  EXPECT_EQ(GetFlag32(bits, 2), '0');
  EXPECT_EQ(GetFlag32(bits, 0), '0');
  EXPECT_EQ(GetFlag32("1", 5), '0');
}

TEST(Text, LeadingNumberRule) {
  EXPECT_EQ(LeadingNumber("3"), 3);
  EXPECT_EQ(LeadingNumber(""), 0);
  EXPECT_EQ(LeadingNumber("abc"), 0);
  EXPECT_EQ(LeadingNumber("  -12x"), -12);
  EXPECT_GT(LeadingNumber("99999999999999999999999"), 0);  // saturates
  EXPECT_EQ(NumToText(-5), "-5");
  EXPECT_EQ(ToUnsigned32(-1), 4294967295LL);
  EXPECT_EQ(ToSigned32(4294967295LL), -1);
  EXPECT_EQ(DotsToSlashes("12.06.26"), "12/06/26");
}

TEST(Crc32, MatchesTheIndexConvention) {
  EXPECT_EQ(Crc32(""), 0xFFFFFFFFu);
  EXPECT_EQ(Crc32("all"), 0xC4E78E22u);  // the JAM "all" name
  // The standard check value of "123456789" is CBF43926; without the final inversion it is its
  // complement.
  EXPECT_EQ(Crc32("123456789"), ~0xCBF43926u);
}

TEST(DosDate, PacksWithTheFullYearSinceDos) {
  // 12-06-26: year 2026 - 1980 = 46, month 12, day 6 -> 0101110 1100 00110 = 0x5D86.
  EXPECT_EQ(PackDate("12-06-26"), 0x5D860000u);
  EXPECT_EQ(UnpackDate(0x5D860000u), "12-06-26");
  // 01-01-80 is the DOS epoch: year 0, month 1, day 1.
  EXPECT_EQ(PackDate("01-01-80"), 0x00210000u);
  EXPECT_EQ(PackDate("12/31/99"), 0x279F0000u);
  EXPECT_EQ(UnpackDate(0x279F0000u), "12-31-99");
  EXPECT_EQ(PackDate("02.29.24"), PackDate("02-29-2024"));
}

TEST(DosDate, RejectsWhatIsNotADate) {
  EXPECT_EQ(PackDate(""), 0u);
  EXPECT_EQ(PackDate("13-01-26"), 0u);
  EXPECT_EQ(PackDate("02-30-26"), 0u);
  EXPECT_EQ(PackDate("hello"), 0u);
  EXPECT_EQ(UnpackDate(0), "Invalid");
  EXPECT_EQ(UnpackDate(0x5D800000u), "Invalid");  // day 0
}

}  // namespace
}  // namespace vx::core
