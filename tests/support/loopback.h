// Test support: a connected TCP pair on the loopback interface, as a listener hands a node its
// caller: the first descriptor is the node's end, the second the caller's.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <utility>

namespace vx::test {

inline std::pair<int, int> LoopbackTcpPair() {
  const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::listen(listener, 1);
  ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
  const int caller = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  ::connect(caller, reinterpret_cast<sockaddr*>(&address), sizeof address);
  const int node = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
  ::close(listener);
  // Small writes go out at once, as a person's keys do.
  const int one = 1;
  ::setsockopt(caller, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  return {node, caller};
}

}  // namespace vx::test
