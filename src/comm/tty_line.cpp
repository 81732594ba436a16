// Raw ttys.
#include "comm/tty_line.h"

#include <cerrno>
#include <cstring>

namespace vx::comm {

speed_t TermiosRate(long speed) {
  static constexpr std::pair<long, speed_t> kRates[] = {
      {300, B300},       {600, B600},       {1200, B1200},     {2400, B2400},   {4800, B4800},
      {9600, B9600},     {19200, B19200},   {38400, B38400},   {57600, B57600}, {115200, B115200},
      {230400, B230400}, {460800, B460800}, {921600, B921600},
  };
  for (auto [bps, rate] : kRates) {
    if (bps == speed) return rate;
  }
  return B0;
}

bool MakeRaw8N1(int fd, long speed, bool hardware_flow, std::string& error) {
  termios t{};
  if (::tcgetattr(fd, &t) != 0) {
    error = std::string("cannot read the line settings: ") + std::strerror(errno);
    return false;
  }
  ::cfmakeraw(&t);
  t.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | PARENB | CSIZE);
  t.c_cflag |= CS8 | CLOCAL | CREAD;
  if (hardware_flow) {
    t.c_cflag |= CRTSCTS;
  } else {
    t.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
  }
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
  if (speed > 0) {
    const speed_t rate = TermiosRate(speed);
    if (rate == B0) {
      error = "no serial line runs at " + std::to_string(speed) + " bits per second";
      return false;
    }
    ::cfsetispeed(&t, rate);
    ::cfsetospeed(&t, rate);
  }
  if (::tcsetattr(fd, TCSANOW, &t) != 0) {
    error = std::string("cannot set the line to raw 8N1: ") + std::strerror(errno);
    return false;
  }
  return true;
}

bool TtyLine::Attach(std::string& error) {
  if (!DescriptorLine::Attach(error)) return false;
  if (!MakeRaw8N1(fd(), 0, false, error)) {
    SetOpenError(kPortOtherError);
    return false;
  }
  return true;
}

}  // namespace vx::comm
