// Test support: the pieces every in-process call on a socket pair sets up the same way.
#pragma once

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <memory>
#include <string>

#include "comm/raw_socket_line.h"
#include "session/node_session.h"
#include "support/test_caller.h"

namespace vx::test {

// The node's line on one end of a socket pair, opened, and the caller on the other end.
inline void ConnectCaller(platform::EventLoop& loop, std::unique_ptr<comm::RawSocketLine>& line,
                          std::unique_ptr<TestCaller>& caller) {
  int fds[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds), 0);
  line = std::make_unique<comm::RawSocketLine>(loop, fds[0]);
  std::string error;
  EXPECT_TRUE(line->OpenPort(error)) << error;
  caller = std::make_unique<TestCaller>(loop, fds[1]);
}

// The system, menu, text and message base directories all at `directory` (ending in "/").
inline void UseSystemDirectory(session::NodeSession& session, const std::string& directory) {
  session.config.system_path = directory;
  session.config.menu_path = directory;
  session.config.text_path = directory;
  session.config.msgbase_path = directory;
  session.config.hudson_path = directory;
}

}  // namespace vx::test
