// Ttys as lines. A tty handed over with -H (a serial line a getty-like front-end answered, a
// pseudo-terminal) is put in raw 8N1 mode at the speed it has and hung up by closing it. The
// termios set-up is shared with the serial port.
#pragma once

#include <termios.h>

#include "comm/descriptor_line.h"

namespace vx::comm {

// Raw 8N1 with the receiver on and reads that return what is there. `speed` in bits per second
// (0: keep the tty's speed); `hardware_flow` turns RTS/CTS on (a real modem). False when the
// speed has no termios rate or the tty refuses the settings.
bool MakeRaw8N1(int fd, long speed, bool hardware_flow, std::string& error);
// The termios rate for a speed in bits per second (B0 when there is none).
speed_t TermiosRate(long speed);

class TtyLine final : public DescriptorLine {
 public:
  // Takes ownership of `fd`.
  TtyLine(platform::EventLoop& loop, int fd) : DescriptorLine(loop, fd) {}

 private:
  bool Attach(std::string& error) override;
};

}  // namespace vx::comm
