// The raw line over a connected socket: bytes both ways, the bound on received text, carrier loss.
#include "comm/raw_socket_line.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "platform/clock.h"
#include "platform/event_loop.h"

namespace vx::comm {
namespace {

using namespace std::chrono_literals;

class RawSocketLineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    int fds[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    line_ = std::make_unique<RawSocketLine>(loop_, fds[0]);
    peer_ = fds[1];
    std::string error;
    ASSERT_TRUE(line_->OpenPort(error)) << error;
  }
  void TearDown() override {
    line_.reset();
    if (peer_ >= 0) ::close(peer_);
  }

  platform::ManualClock clock_;
  platform::EventLoop loop_{clock_};
  std::unique_ptr<RawSocketLine> line_;
  int peer_ = -1;
};

TEST_F(RawSocketLineTest, PassesBytesUnchangedBothWays) {
  int events = 0;
  line_->SetReceiveHandler([&] { ++events; });
  const std::string bytes("\xff\x00\r\n\x1b[1m", 7);
  ASSERT_EQ(::write(peer_, bytes.data(), bytes.size()), 7);
  loop_.WaitUntil([&] { return line_->input_count() == 7; }, 1s);
  EXPECT_GE(events, 1);
  EXPECT_EQ(line_->ReadReceived(), bytes);
  EXPECT_EQ(line_->input_count(), 0u);

  line_->SendText(bytes);
  EXPECT_EQ(line_->output_count(), 7u);  // gathered until the round of events ends
  line_->SendText("!");
  loop_.ProcessEvents();
  EXPECT_EQ(line_->output_count(), 0u);
  char buffer[16];
  ASSERT_EQ(::read(peer_, buffer, sizeof buffer), 8);  // one write
  EXPECT_EQ(std::string(buffer, 8), bytes + "!");
  EXPECT_TRUE(line_->CarrierDetect());
}

TEST_F(RawSocketLineTest, AFloodWaitsInTheConnection) {
  // The caller sends far more than the line keeps; the node reads only what it has room for.
  const std::string flood(64 * 1024, 'k');
  size_t written = 0;
  while (written < flood.size()) {
    const ssize_t n = ::send(peer_, flood.data() + written, flood.size() - written, MSG_DONTWAIT);
    if (n <= 0) break;
    written += static_cast<size_t>(n);
  }
  for (int i = 0; i < 10; ++i) loop_.RunOnce(true, 1ms);
  EXPECT_EQ(line_->input_count(), RawSocketLine::kInputLimit);
  // Taking the text lets the rest come in.
  size_t total = line_->ReadReceived().size();
  while (total < written) {
    loop_.WaitUntil([&] { return line_->input_count() > 0; }, 1s);
    const size_t n = line_->ReadReceived().size();
    if (n == 0) break;
    total += n;
  }
  EXPECT_EQ(total, written);
}

TEST_F(RawSocketLineTest, HangUpDropsTheCarrierAndLeavesTheLoopQuiet) {
  ::close(peer_);
  peer_ = -1;
  loop_.WaitUntil([&] { return !line_->CarrierDetect(); }, 1s);
  EXPECT_FALSE(line_->CarrierDetect());
  // A dead connection must not wake the loop again and again: a blocking round waits its time.
  const auto before = clock_.Monotonic();
  loop_.RunOnce(true, 50ms);
  EXPECT_GE(clock_.Monotonic() - before, 50ms);
  line_->SendText("nobody listens");  // no SIGPIPE, no growth
  EXPECT_EQ(line_->output_count(), 0u);
}

TEST_F(RawSocketLineTest, AHangUpFoundWhileSendingStillWakesTheWait) {
  // The wait looked at the carrier, then an echo found the caller gone: the wait must get to look
  // again soon, although the dead connection is quiet from then on.
  ::close(peer_);
  peer_ = -1;
  int checks = 0;
  const auto start = clock_.Monotonic();
  const bool ended = loop_.WaitUntil(
      [&] {
        if (++checks > 1) return !line_->CarrierDetect();
        const bool gone = !line_->CarrierDetect();
        line_->SendText("echo");
        return gone;
      },
      10s);
  EXPECT_TRUE(ended);
  EXPECT_LT(clock_.Monotonic() - start, 1s);
}

}  // namespace
}  // namespace vx::comm
