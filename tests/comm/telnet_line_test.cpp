// The telnet line over a real loopback TCP connection, the caller's side written byte by byte:
// the node's offers, option traffic kept out of the input, the line ends of telnet clients, 0xFF
// both ways, and what a misbehaving peer can and cannot do to the node.
#include "comm/telnet_line.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "platform/clock.h"
#include "platform/event_loop.h"
#include "support/loopback.h"

namespace vx::comm {
namespace {

using namespace std::chrono_literals;

constexpr char kOffers[] =
    "\xff\xfb\x01"   // IAC WILL ECHO
    "\xff\xfb\x03"   // IAC WILL SUPPRESS-GO-AHEAD
    "\xff\xfb\x00"   // IAC WILL BINARY
    "\xff\xfd\x00";  // IAC DO BINARY

class TelnetLineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto [node, caller] = test::LoopbackTcpPair();
    line_ = std::make_unique<TelnetLine>(loop_, node);
    line_fd_ = node;
    caller_ = caller;
    std::string error;
    ASSERT_TRUE(line_->OpenPort(error)) << error;
  }
  void TearDown() override {
    line_.reset();
    if (caller_ >= 0) ::close(caller_);
  }

  void Send(const std::string& bytes) {
    ASSERT_EQ(::send(caller_, bytes.data(), bytes.size(), 0), static_cast<ssize_t>(bytes.size()));
  }
  // Everything the caller has been sent within `wait` of quiet.
  std::string Drain(std::chrono::milliseconds wait = 50ms) {
    std::string got;
    for (;;) {
      loop_.RunOnce(true, 1ms);
      pollfd p{caller_, POLLIN, 0};
      if (::poll(&p, 1, static_cast<int>(wait.count())) <= 0) break;
      char buffer[65536];
      const ssize_t n = ::recv(caller_, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      got.append(buffer, static_cast<size_t>(n));
    }
    return got;
  }
  // The text the node takes once `expected` bytes of it have come in (or a second has passed).
  std::string Receive(size_t expected) {
    std::string got;
    loop_.WaitUntil(
        [&] {
          got += line_->ReadReceived();
          return got.size() >= expected;
        },
        1s);
    for (int i = 0; i < 3; ++i) loop_.RunOnce(true, 1ms);
    return got + line_->ReadReceived();
  }

  platform::SystemClock clock_;
  platform::EventLoop loop_{clock_};
  std::unique_ptr<TelnetLine> line_;
  int caller_ = -1;
  int line_fd_ = -1;
};

TEST_F(TelnetLineTest, OffersEchoGoAheadAndBinaryAtOnceAndIsNoModem) {
  EXPECT_EQ(Drain(), std::string(kOffers, sizeof kOffers - 1));
  EXPECT_FALSE(line_->IsModemLine());
  EXPECT_TRUE(line_->CarrierDetect());
  // The caller agrees; nothing of it reaches the input and nothing more is answered.
  Send(std::string("\xff\xfd\x01\xff\xfd\x03\xff\xfd\x00\xff\xfb\x00", 12));
  Send("hi");
  EXPECT_EQ(Receive(2), "hi");
  EXPECT_EQ(Drain(), "");
}

TEST_F(TelnetLineTest, OptionsTheNodeDoesNotUseAreRefused) {
  Drain();
  Send("\xff\xfb\x18");  // IAC WILL TERMINAL-TYPE
  Send("\xff\xfd\x1f");  // IAC DO NAWS
  EXPECT_EQ(Receive(0), "");
  EXPECT_EQ(Drain(), "\xff\xfe\x18\xff\xfc\x1f");  // IAC DONT TTYPE, IAC WONT NAWS
}

TEST_F(TelnetLineTest, LineEndsOfTelnetClientsArriveAsOneCr) {
  Drain();
  Send(std::string("a\r\nb\r\0c\rd\n", 10));
  EXPECT_EQ(Receive(6), "a\rb\rc\rd\n");
  // The CR may end one packet and its LF or NUL begin the next.
  Send("e\r");
  EXPECT_EQ(Receive(2), "e\r");
  Send(std::string("\0f", 2));
  EXPECT_EQ(Receive(1), "f");
  // NUL elsewhere is a key like any other (binary mode).
  Send(std::string("g\0h", 3));
  EXPECT_EQ(Receive(3), std::string("g\0h", 3));
}

TEST_F(TelnetLineTest, FfIsDoubledOnTheWireAndUndoubledComingIn) {
  Drain();
  line_->SendText("\xff\xfe x \xff");
  EXPECT_EQ(Drain(), "\xff\xff\xfe x \xff\xff");
  Send(
      "1\xff\xff"
      "2");
  EXPECT_EQ(Receive(3),
            "1\xff"
            "2");
}

TEST_F(TelnetLineTest, ASequenceSplitAcrossPacketsIsUnderstood) {
  Drain();
  Send("a\xff");
  EXPECT_EQ(Receive(1), "a");
  Send("\xfd");
  loop_.RunOnce(true, 5ms);
  Send(
      "\x18"
      "b\xff");
  EXPECT_EQ(Receive(1), "b");
  Send(
      "\xff"
      "c");  // the doubled 0xFF, split after its first byte
  EXPECT_EQ(Receive(2),
            "\xff"
            "c");
  EXPECT_EQ(Drain(), "\xff\xfc\x18");  // the split DO TTYPE was answered once
}

TEST_F(TelnetLineTest, AnEndlessSubnegotiationNeverBecomesKeys) {
  Drain();
  std::string flood = "\xff\xfa\x18";  // IAC SB TERMINAL-TYPE ... without an end for 200 KB
  flood += std::string(200 * 1024, 'x');
  size_t sent = 0;
  std::string taken;
  while (sent < flood.size()) {
    const ssize_t n = ::send(caller_, flood.data() + sent, flood.size() - sent, MSG_DONTWAIT);
    if (n > 0) sent += static_cast<size_t>(n);
    loop_.RunOnce(true, 1ms);
    taken += line_->ReadReceived();
  }
  Send(
      "\xff\xf0"
      "ok");
  taken += Receive(2);
  EXPECT_EQ(taken, "ok");
}

TEST_F(TelnetLineTest, AnOptionFloodFromAPeerThatNeverReadsStaysBounded) {
  // Each DO TTYPE costs the node a 3-byte WONT; a peer that never reads is held back by its own
  // connection once the node's answers pile up to the output limit.
  Drain();
  const int small = 4096;  // the kernel keeps little, so the node's answers pile up in the node
  ::setsockopt(caller_, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
  ::setsockopt(line_fd_, SOL_SOCKET, SO_SNDBUF, &small, sizeof small);
  std::string requests;
  for (int i = 0; i < 4096; ++i) requests += "\xff\xfd\x18";
  size_t total = 0, most = 0;
  int refused = 0;
  while (total < 4 * DescriptorLine::kOutputLimit && refused < 50) {
    const ssize_t n = ::send(caller_, requests.data(), requests.size(), MSG_DONTWAIT);
    if (n > 0) total += static_cast<size_t>(n);
    refused = n > 0 ? 0 : refused + 1;
    loop_.RunOnce(true, 1ms);
    ASSERT_LE(line_->output_count(), DescriptorLine::kOutputLimit + DescriptorLine::kInputLimit);
    most = std::max(most, line_->output_count());
  }
  EXPECT_GE(most, DescriptorLine::kOutputLimit);  // the limit was reached, and held
  EXPECT_EQ(line_->input_count(), 0u);
  // Still a working line: once the peer reads its answers, keys come through.
  const int large = 1 << 20;
  ::setsockopt(caller_, SOL_SOCKET, SO_RCVBUF, &large, sizeof large);
  ::setsockopt(line_fd_, SOL_SOCKET, SO_SNDBUF, &large, sizeof large);
  Send("z");
  std::string got;
  char buffer[1 << 16];
  loop_.WaitUntil(
      [&] {
        while (::recv(caller_, buffer, sizeof buffer, MSG_DONTWAIT) > 0) {
        }
        got += line_->ReadReceived();
        return !got.empty();
      },
      5s);
  EXPECT_EQ(got, "z");
}

TEST_F(TelnetLineTest, ClosingInTheMiddleOfASequenceDropsTheCarrier) {
  Drain();
  Send("x\xff\xfa");
  ::close(caller_);
  caller_ = -1;
  loop_.WaitUntil([&] { return !line_->CarrierDetect(); }, 1s);
  EXPECT_FALSE(line_->CarrierDetect());
  EXPECT_EQ(line_->ReadReceived(), "x");
  line_->SendText("nobody");  // no SIGPIPE, nothing kept
  EXPECT_EQ(line_->output_count(), 0u);
}

}  // namespace
}  // namespace vx::comm
