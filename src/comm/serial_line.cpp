// The serial port.
#include "comm/serial_line.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "comm/tty_line.h"
#include "core/text.h"

namespace vx::comm {

std::string SerialDevicePath(int port, const platform::Environment& env) {
  if (port < 1) return {};
  const std::string named = env.Value("VX_COM" + std::to_string(port));
  if (!named.empty()) return named;
  return "/dev/ttyS" + std::to_string(port - 1);
}

long SettingsSpeed(const std::string& settings) {
  return static_cast<long>(core::LeadingNumber(settings));
}

bool SerialLine::Attach(std::string& error) {
  const int port = port_number();
  device_ = SerialDevicePath(port, env_);
  if (device_.empty()) {
    error = "no serial port COM" + std::to_string(port);
    SetOpenError(kPortInvalid);
    return false;
  }
  const int fd = ::open(device_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const int e = errno;
    error = device_ + ": " + std::strerror(e);
    SetOpenError(e == ENOENT || e == ENXIO || e == ENODEV || e == ENOTDIR ? kPortInvalid
                 : e == EBUSY                                             ? kPortAlreadyOpen
                                                                          : kPortOtherError);
    return false;
  }
  if (!::isatty(fd)) {
    ::close(fd);
    error = device_ + " is not a serial device";
    SetOpenError(kPortInvalid);
    return false;
  }
  // Another node (or this one twice) on the same port would steal each other's bytes.
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  if (::fcntl(fd, F_OFD_SETLK, &lock) != 0) {
    ::close(fd);
    error = device_ + " is in use by another program";
    SetOpenError(kPortAlreadyOpen);
    return false;
  }
  int bits = 0;
  modem_lines_ = ::ioctl(fd, TIOCMGET, &bits) == 0;
  if (!MakeRaw8N1(fd, SettingsSpeed(settings()), modem_lines_, error)) {
    ::close(fd);
    error = device_ + ": " + error;
    SetOpenError(kPortOtherError);
    return false;
  }
  set_fd(fd);
  SetHangUpOnClose(hang_up_on_close_);
  return true;
}

bool SerialLine::CarrierDetect() const {
  if (!DescriptorLine::CarrierDetect()) return false;
  if (!modem_lines_) return true;
  int bits = 0;
  if (::ioctl(fd(), TIOCMGET, &bits) != 0) return false;
  return (bits & TIOCM_CAR) != 0;
}

void SerialLine::DiscardInput() {
  if (port_open() && !hung_up()) ::tcflush(fd(), TCIFLUSH);
  DescriptorLine::DiscardInput();
}

void SerialLine::SetBreak(bool on) {
  if (!port_open() || hung_up()) return;
  ::ioctl(fd(), on ? TIOCSBRK : TIOCCBRK);  // a pseudo-terminal has no break: ignored
}

void SerialLine::SendBreak() {
  SetBreak(true);
  platform::Delay(loop(), 0.25);
  SetBreak(false);
}

void SerialLine::SetHangUpOnClose(bool on) {
  hang_up_on_close_ = on;
  if (fd() < 0 || hung_up()) return;
  termios t{};
  if (::tcgetattr(fd(), &t) != 0) return;
  if (on) {
    t.c_cflag |= HUPCL;
  } else {
    t.c_cflag &= ~static_cast<tcflag_t>(HUPCL);
  }
  ::tcsetattr(fd(), TCSANOW, &t);
}

}  // namespace vx::comm
