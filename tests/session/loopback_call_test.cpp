// Whole calls in-process over a real loopback TCP connection, with a manual clock: the caller on
// the other end of the socket answers the node's prompts as they arrive, as a person would. The
// files are compared byte for byte afterwards.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "call_fixture.h"
#include "comm/raw_socket_line.h"
#include "session/call_end.h"

namespace vx::session::testing {
namespace {

using test::PutLong;
using test::PutText;

// The caller's end of the connection: what arrives is kept, and the script's keys are typed when
// their texts have arrived, in order. Hanging up closes the connection.
class SocketCaller {
 public:
  SocketCaller(platform::EventLoop& loop, int fd)
      : fd_(fd), watcher_(loop, fd, POLLIN, [this](short) { Read(); }) {}
  ~SocketCaller() { HangUp(); }

  void When(std::string text, std::string keys) {
    script_.emplace_back(std::move(text), std::move(keys));
  }
  // Whenever `text` arrives (a page pause, say), `keys` are typed.
  void Always(std::string text, std::string keys) {
    always_.emplace_back(std::move(text), std::move(keys));
  }
  // An empty key text in the script hangs up instead.
  void Type(const std::string& keys) {
    if (fd_ < 0) return;
    if (keys.empty()) return HangUp();
    ASSERT_EQ(::write(fd_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
  }
  void HangUp() {
    if (fd_ < 0) return;
    if (on_hang_up) on_hang_up();
    watcher_.SetEvents(0);
    ::close(fd_);
    fd_ = -1;
  }
  const std::string& received() const { return received_; }
  bool closed_by_node() const { return closed_by_node_; }
  std::function<void()> on_hang_up;

 private:
  void Read() {
    if (fd_ < 0) return;
    char buffer[4096];
    const ssize_t n = ::read(fd_, buffer, sizeof buffer);
    if (n <= 0) {
      closed_by_node_ = true;
      watcher_.SetEvents(0);
      return;
    }
    received_.append(buffer, static_cast<size_t>(n));
    for (auto& [text, keys] : always_) {
      for (size_t at = received_.find(text, always_seen_); at != std::string::npos;
           at = received_.find(text, always_seen_)) {
        always_seen_ = at + text.size();
        Type(keys);
      }
    }
    while (!script_.empty()) {
      const size_t at = received_.find(script_.front().first, seen_);
      if (at == std::string::npos) break;
      seen_ = at + script_.front().first.size();
      const std::string keys = script_.front().second;
      script_.erase(script_.begin());
      Type(keys);
    }
  }

  int fd_;
  platform::FdWatcher watcher_;
  std::vector<std::pair<std::string, std::string>> script_, always_;
  std::string received_;
  size_t seen_ = 0, always_seen_ = 0;
  bool closed_by_node_ = false;
};

class LoopbackCallTest : public CallTest {
 protected:
  LoopbackCallTest() {
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    EXPECT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(::listen(listener, 1), 0);
    EXPECT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
    const int caller_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    EXPECT_EQ(::connect(caller_fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const int node_fd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    ::close(listener);
    // Small writes go out at once, as an interactive caller's keys do.
    const int on = 1;
    ::setsockopt(caller_fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    ::setsockopt(node_fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    socket_line = std::make_unique<comm::RawSocketLine>(loop, node_fd);
    caller = std::make_unique<SocketCaller>(loop, caller_fd);
    caller->Always("<67 more>", "Y");
  }
  ~LoopbackCallTest() override {
    session.reset();
    caller.reset();
  }

  int CallOverTheSocket(const std::function<void(NodeSession&)>& prepare = {}) {
    return Call("", prepare, socket_line.get());
  }

  std::unique_ptr<comm::RawSocketLine> socket_line;
  std::unique_ptr<SocketCaller> caller;

  // Lets the caller's end take in what the node sent last (and its hang-up).
  void Settle() {
    for (int i = 0; i < 5; ++i) loop.RunOnce(true, std::chrono::milliseconds(2));
  }
};

TEST_F(LoopbackCallTest, AKnownCallerLogsOnAndOffOverTheConnection) {
  caller->When("Name: ", "jane doe\r");
  caller->When("<59 password?>", "secret\r");
  caller->When("Main menu: ", "G");
  EXPECT_EQ(CallOverTheSocket([](NodeSession& s) {
              s.hooks.run_menus = [&s] {
                s.terminal.input().auto_accept = true;  // one key, as at the menus
                for (;;) {
                  s.terminal.Display("Main menu: ");
                  if (s.terminal.GetKey() == 'G') LogOffCaller(s);
                }
              };
            }),
            0);
  Settle();
  EXPECT_TRUE(caller->closed_by_node());
  EXPECT_NE(caller->received().find("<319 looking>"), std::string::npos);

  std::vector<uint8_t> users = system.users;
  PutText(users, 1016 + 419, "12:05");
  PutLong(users, 1016 + 456, 42);
  EXPECT_EQ(system.Read("USERS.BBS"), users);
  EXPECT_EQ(system.Read("USERSIDX.BBS"), system.index);
  std::vector<uint8_t> useron(428, 0);
  useron[214 + 102] = 16;
  EXPECT_EQ(system.Read("USERON.BBS"), useron);
  std::vector<uint8_t> lastcall(118, 0);
  lastcall[0] = 2;
  PutText(lastcall, 1, "Jane Doe");
  PutText(lastcall, 37, "Janey");
  PutText(lastcall, 73, "Harbour");
  test::PutWordAt(lastcall, 99, 38400);
  PutLong(lastcall, 101, 42);
  PutText(lastcall, 105, "12:05");
  PutText(lastcall, 111, "12:05");
  EXPECT_EQ(system.Read("LASTCALL.BBS"), lastcall);
  std::vector<uint8_t> sysinfo(76, 0);
  PutLong(sysinfo, 0, 1);
  PutText(sysinfo, 4, "Jane Doe");
  PutText(sysinfo, 40, "Janey");
  EXPECT_EQ(system.Read("SYSINFO.BBS"), sysinfo);
  EXPECT_TRUE(Logged("User requested to terminate the call"));
  EXPECT_TRUE(Logged("Terminating call..."));
  EXPECT_FALSE(test::Exists(system.dir / "VxBusy.2"));
}

TEST_F(LoopbackCallTest, ANewCallerRegistersOverTheConnection) {
  caller->When("Name: ", "new caller\r");
  caller->When("<5 join?>", "Y");
  caller->When("<13 lines?>", "40\r");
  caller->When("<16 location?>", "quay\r");
  caller->When("<19 handle?>", "newt\r");
  caller->When("<23 new password?>", "abcd\r");
  caller->When("<24 again?>", "abcd\r");
  caller->When("<26 all right?>", "Y");
  EXPECT_EQ(CallOverTheSocket(), 0);  // no menus yet: the call ends after the logon
  std::vector<uint8_t> users = system.Read("USERS.BBS");
  ASSERT_EQ(users.size(), 4u * 1016);
  EXPECT_TRUE(std::equal(system.users.begin(), system.users.end(), users.begin()));
  const std::vector<uint8_t> added(users.begin() + 3 * 1016, users.end());
  EXPECT_EQ(added[0], 10);  // "New Caller"
  EXPECT_EQ(std::string(added.begin() + 1, added.begin() + 11), "New Caller");
  EXPECT_EQ(std::string(added.begin() + 37, added.begin() + 41), "Quay");
  EXPECT_EQ(std::string(added.begin() + 267, added.begin() + 271), "Newt");
  std::vector<uint8_t> index = system.index;
  const std::vector<uint8_t> entry = test::IndexEntry(test::crc::kNewCaller, test::crc::kNewt);
  index.insert(index.end(), entry.begin(), entry.end());
  EXPECT_EQ(system.Read("USERSIDX.BBS"), index);
}

TEST_F(LoopbackCallTest, ACallerWhoHangsUpEndsTheCallAtOnce) {
  system.SetConfigByte(1493, 2);
  caller->When("Name: ", "jane doe\r");
  caller->When("<59 password?>", "secret\r");
  caller->When("<40 mail?>", "");  // hangs up
  platform::MonoTime hung_up{};
  caller->on_hang_up = [&] { hung_up = clock.Monotonic(); };
  EXPECT_EQ(CallOverTheSocket(), 0);
  EXPECT_LT(clock.Monotonic() - hung_up, std::chrono::seconds(1));
  EXPECT_FALSE(Logged("Terminating call..."));
  std::vector<uint8_t> useron(428, 0);
  useron[214 + 102] = 16;
  EXPECT_EQ(system.Read("USERON.BBS"), useron);
  EXPECT_EQ(system.Read("LASTCALL.BBS").size(), 118u);
  std::vector<uint8_t> users = system.users;
  PutText(users, 1016 + 419, "12:05");
  PutLong(users, 1016 + 456, 42);
  EXPECT_EQ(system.Read("USERS.BBS"), users);
}

}  // namespace
}  // namespace vx::session::testing
