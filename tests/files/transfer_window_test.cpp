// The transfer window's texts, and its headless stand-in that logs the progress now and then.
#include "session/transfer_window.h"

#include "file_fixture.h"

namespace vx::files::testing {
namespace {

using session::TransferState;

TEST(TransferWindowTexts, ClockPercentAndFileField) {
  EXPECT_EQ(session::TransferClock(0), "00:00:00");
  EXPECT_EQ(session::TransferClock(3723), "01:02:03");
  EXPECT_EQ(session::TransferClock(-5), "00:00:00");

  TransferState t;
  t.bytes = 50;
  EXPECT_EQ(session::TransferPercent(t), 0);  // no declared size (XModem)
  t.size = 200;
  EXPECT_EQ(session::TransferPercent(t), 25);
  t.bytes = 199;
  EXPECT_EQ(session::TransferPercent(t), 99);
  t.bytes = 256;  // YModem's last block passes the size
  EXPECT_EQ(session::TransferPercent(t), 100);
  t.size = 3'000'000'000LL;
  t.bytes = 1'500'000'000LL;
  EXPECT_EQ(session::TransferPercent(t), 50);

  EXPECT_EQ(session::TransferFileField("SHORT.ZIP", 12), "SHORT.ZIP");
  EXPECT_EQ(session::TransferFileField("a very long file name.txt", 10), "..name.txt");
  EXPECT_EQ(session::TransferFileField("abc", 1), ".");
}

TEST(TransferWindowTexts, ProgressLine) {
  TransferState t;
  t.file = "KNOTS.TXT";
  t.size = 4000;
  t.bytes = 1000;
  t.elapsed = 65;
  t.remaining = 195;
  t.status = "Sending";
  EXPECT_EQ(session::TransferProgressLine(t),
            "Transfer: KNOTS.TXT, 1000 of 4000 bytes, elapsed 00:01:05, remaining 00:03:15, 25%, "
            "Sending");
  t.size = 0;
  t.status.clear();
  EXPECT_EQ(session::TransferProgressLine(t),
            "Transfer: KNOTS.TXT, 1000 bytes, elapsed 00:01:05, remaining 00:03:15");
}

class TransferWindowTest : public FileTest {};

TEST_F(TransferWindowTest, HeadlessTheProgressGoesToTheLogEveryHalfMinute) {
  TransferState t;
  t.file = "BIG.ZIP";
  t.size = 1000;
  {
    session::TransferWindow window(*session, "Download");
    EXPECT_TRUE(window.headless());
    // A short transfer leaves no progress lines.
    for (int second = 1; second < 30; ++second) {
      clock.Advance(std::chrono::seconds(1));
      t.bytes = second;
      window.Show(t);
    }
    EXPECT_EQ(LogText().find("Transfer: "), std::string::npos) << LogText();
    for (int second = 30; second <= 75; ++second) {
      clock.Advance(std::chrono::seconds(1));
      t.bytes = second * 10;
      t.elapsed = second;
      window.Show(t);
    }
    window.AddLine("[Sent: BIG.ZIP]");  // the log has its own line for it
  }
  const std::string text = LogText();
  EXPECT_NE(text.find("Transfer: BIG.ZIP, 300 of 1000 bytes, elapsed 00:00:30"), std::string::npos)
      << text;
  EXPECT_NE(text.find("Transfer: BIG.ZIP, 600 of 1000 bytes, elapsed 00:01:00"), std::string::npos)
      << text;
  size_t lines = 0;
  for (size_t at = text.find("Transfer: "); at != std::string::npos;
       at = text.find("Transfer: ", at + 1)) {
    ++lines;
  }
  EXPECT_EQ(lines, 2u);
  EXPECT_EQ(text.find("[Sent:"), std::string::npos);
}

}  // namespace
}  // namespace vx::files::testing
