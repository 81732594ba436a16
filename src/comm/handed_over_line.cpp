// Choosing the line for a handed-over descriptor.
#include "comm/handed_over_line.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include "comm/raw_socket_line.h"
#include "comm/telnet_line.h"
#include "comm/tty_line.h"

namespace vx::comm {

LineKind HandedOverLineKind(int fd) {
  struct stat st {};
  if (fd < 0 || ::fstat(fd, &st) != 0) return LineKind::kRaw;
  if (S_ISSOCK(st.st_mode)) {
    int domain = 0;
    socklen_t length = sizeof domain;
    if (::getsockopt(fd, SOL_SOCKET, SO_DOMAIN, &domain, &length) == 0 &&
        (domain == AF_INET || domain == AF_INET6)) {
      return LineKind::kTelnet;
    }
    return LineKind::kRaw;
  }
  if (::isatty(fd)) return LineKind::kTty;
  return LineKind::kRaw;
}

std::unique_ptr<CommControl> MakeHandedOverLine(platform::EventLoop& loop, int fd) {
  switch (HandedOverLineKind(fd)) {
    case LineKind::kTelnet:
      return std::make_unique<TelnetLine>(loop, fd);
    case LineKind::kTty:
      return std::make_unique<TtyLine>(loop, fd);
    case LineKind::kRaw:
      break;
  }
  return std::make_unique<RawSocketLine>(loop, fd);
}

}  // namespace vx::comm
