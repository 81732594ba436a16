// A line over an already connected descriptor (a local socket, a pipe) with bytes passed as they
// are: no telnet, no modem. Tests drive whole calls over it; `-H` gives it any handed-over
// descriptor that is neither a TCP socket nor a tty.
#pragma once

#include "comm/descriptor_line.h"

namespace vx::comm {

class RawSocketLine final : public DescriptorLine {
 public:
  // Takes ownership of `fd`; ClosePort or the destructor closes it.
  RawSocketLine(platform::EventLoop& loop, int fd) : DescriptorLine(loop, fd) {}
};

}  // namespace vx::comm
