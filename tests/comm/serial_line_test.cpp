// The serial port on a pseudo-terminal (the tests' fake modem), and the choice of line for a
// handed-over descriptor.
#include "comm/serial_line.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>

#include "comm/handed_over_line.h"
#include "comm/tty_line.h"
#include "platform/clock.h"
#include "platform/event_loop.h"
#include "support/fake_modem.h"
#include "support/loopback.h"

namespace vx::comm {
namespace {

using namespace std::chrono_literals;

TEST(SerialDevice, ComesFromTheEnvironmentElseTheStandardDevice) {
  platform::Environment env({"VX_COM2=/dev/ttyUSB0"});
  EXPECT_EQ(SerialDevicePath(2, env), "/dev/ttyUSB0");
  EXPECT_EQ(SerialDevicePath(1, env), "/dev/ttyS0");
  EXPECT_EQ(SerialDevicePath(4, env), "/dev/ttyS3");
  EXPECT_EQ(SerialDevicePath(0, env), "");
  EXPECT_EQ(SettingsSpeed("57600,N,8,1"), 57600);
  EXPECT_EQ(SettingsSpeed(""), 0);
  EXPECT_EQ(TermiosRate(38400), B38400);
  EXPECT_EQ(TermiosRate(28800), B0);  // no such port rate
}

class SerialLineTest : public ::testing::Test {
 protected:
  SerialLineTest() : modem(loop), env({"VX_COM1=" + modem.device()}) {}

  std::unique_ptr<SerialLine> Line(const std::string& settings = "57600,N,8,1") {
    auto line = std::make_unique<SerialLine>(loop, env);
    line->SetPortNumber(1);
    line->SetSettings(settings);
    return line;
  }
  termios Settings() {
    termios t{};
    const int fd = ::open(modem.device().c_str(), O_RDWR | O_NOCTTY);
    ::tcgetattr(fd, &t);
    ::close(fd);
    return t;
  }

  platform::ManualClock clock;
  platform::EventLoop loop{clock};
  test::FakeModem modem;
  platform::Environment env;
};

TEST_F(SerialLineTest, OpensRaw8N1AtTheLineSpeedAndPassesBytesUnchanged) {
  auto line = Line();
  std::string error;
  ASSERT_TRUE(line->OpenPort(error)) << error;
  EXPECT_TRUE(line->IsModemLine());
  EXPECT_EQ(line->device(), modem.device());
  const termios t = Settings();
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
  EXPECT_EQ(t.c_oflag & OPOST, 0u);
  EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(t.c_cflag & (CSTOPB | PARENB), 0u);
  EXPECT_NE(t.c_cflag & CLOCAL, 0u);
  EXPECT_NE(t.c_cflag & HUPCL, 0u);
  EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B57600));

  const std::string bytes("\xff\x00\r\n\x1b[1m", 7);
  modem.AnswerAll("");  // the bytes hold a CR: no answer to them as a command
  line->SendText(bytes);
  loop.WaitUntil([&] { return modem.received().size() >= 7; }, 1s);
  EXPECT_EQ(modem.received(), bytes);
  modem.Send(bytes);
  loop.WaitUntil([&] { return line->input_count() >= 7; }, 1s);
  EXPECT_EQ(line->ReadReceived(), bytes);
  EXPECT_TRUE(line->CarrierDetect());  // a pseudo-terminal has no carrier line: open is carrier
}

TEST_F(SerialLineTest, TheModemHangingUpDropsTheCarrier) {
  auto line = Line();
  std::string error;
  ASSERT_TRUE(line->OpenPort(error)) << error;
  modem.HangUp();
  loop.WaitUntil([&] { return !line->CarrierDetect(); }, 1s);
  EXPECT_FALSE(line->CarrierDetect());
  const auto before = clock.Monotonic();
  loop.RunOnce(true, 50ms);  // the dead tty does not wake the loop again and again
  EXPECT_GE(clock.Monotonic() - before, 50ms);
}

TEST_F(SerialLineTest, APortInUseOrMissingIsToldApart) {
  auto first = Line();
  std::string error;
  ASSERT_TRUE(first->OpenPort(error)) << error;
  auto second = Line();
  EXPECT_FALSE(second->OpenPort(error));
  EXPECT_EQ(second->open_error(), kPortAlreadyOpen);
  first->ClosePort();
  EXPECT_TRUE(second->OpenPort(error)) << error;

  platform::Environment missing({"VX_COM1=/dev/no-such-port"});
  SerialLine absent(loop, missing);
  absent.SetPortNumber(1);
  EXPECT_FALSE(absent.OpenPort(error));
  EXPECT_EQ(absent.open_error(), kPortInvalid);
  EXPECT_NE(error.find("/dev/no-such-port"), std::string::npos);

  platform::Environment not_a_tty({"VX_COM1=/dev/null"});
  SerialLine null_device(loop, not_a_tty);
  null_device.SetPortNumber(1);
  EXPECT_FALSE(null_device.OpenPort(error));
  EXPECT_EQ(null_device.open_error(), kPortInvalid);

  SerialLine no_port(loop, env);  // COM0
  EXPECT_FALSE(no_port.OpenPort(error));
  EXPECT_EQ(no_port.open_error(), kPortInvalid);

  auto odd_speed = Line("28800,N,8,1");
  second->ClosePort();
  EXPECT_FALSE(odd_speed->OpenPort(error));
  EXPECT_EQ(odd_speed->open_error(), kPortOtherError);
}

TEST_F(SerialLineTest, KeepingTheCallOnCloseClearsHangUpOnClose) {
  auto line = Line();
  std::string error;
  ASSERT_TRUE(line->OpenPort(error)) << error;
  line->SetHangUpOnClose(false);
  EXPECT_EQ(Settings().c_cflag & HUPCL, 0u);
  line->ClosePort();
  line->SetHangUpOnClose(true);  // comes back with the next open
  ASSERT_TRUE(line->OpenPort(error)) << error;
  EXPECT_NE(Settings().c_cflag & HUPCL, 0u);
}

TEST(HandedOverLine, TheKindOfDescriptorChoosesTheLine) {
  auto [node, caller] = test::LoopbackTcpPair();
  EXPECT_EQ(HandedOverLineKind(node), LineKind::kTelnet);
  int pair[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
  EXPECT_EQ(HandedOverLineKind(pair[0]), LineKind::kRaw);
  int pipe_ends[2];
  ASSERT_EQ(::pipe(pipe_ends), 0);
  EXPECT_EQ(HandedOverLineKind(pipe_ends[0]), LineKind::kRaw);
  platform::ManualClock clock;
  platform::EventLoop loop(clock);
  test::FakeModem modem(loop);
  const int tty = ::open(modem.device().c_str(), O_RDWR | O_NOCTTY);
  EXPECT_EQ(HandedOverLineKind(tty), LineKind::kTty);
  for (int fd : {node, caller, pair[0], pair[1], pipe_ends[0], pipe_ends[1], tty}) ::close(fd);

  // A closed descriptor: a line that says so when it is opened.
  auto line = MakeHandedOverLine(loop, 250);
  std::string error;
  EXPECT_FALSE(line->OpenPort(error));
  EXPECT_EQ(error, "no connected line on descriptor 250");
}

TEST(TtyLine, AHandedOverTtyIsPutInRawModeAndKeepsItsSpeed) {
  platform::ManualClock clock;
  platform::EventLoop loop(clock);
  test::FakeModem modem(loop);
  const int fd = ::open(modem.device().c_str(), O_RDWR | O_NOCTTY);
  termios t{};
  ::tcgetattr(fd, &t);
  t.c_lflag |= ICANON | ECHO;
  ::cfsetospeed(&t, B9600);
  ::cfsetispeed(&t, B9600);
  ::tcsetattr(fd, TCSANOW, &t);
  auto line = MakeHandedOverLine(loop, fd);
  std::string error;
  ASSERT_TRUE(line->OpenPort(error)) << error;
  EXPECT_FALSE(line->IsModemLine());
  ::tcgetattr(fd, &t);
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO), 0u);
  EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B9600));
  modem.Send("k\r");
  loop.WaitUntil([&] { return line->input_count() >= 2; }, std::chrono::seconds(1));
  EXPECT_EQ(line->ReadReceived(), "k\r");  // no CR to LF mapping
}

}  // namespace
}  // namespace vx::comm
