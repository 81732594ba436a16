// Test support: a modem on a pseudo-terminal pair. The node opens the pair's tty side as its
// serial port (VX_COM<n> names it); the modem holds the other side in the test's event loop and
// answers every command line (ended by CR) with "OK", or whatever it is told, or nothing. It rings,
// sends any bytes in as many pieces as asked, and drops the carrier by hanging up (closing its
// side, which the node's tty sees as a hang-up). After a CONNECT it is on line and only listens,
// until the node sends the escape "+++".
//
// The modem keeps the tty side open itself as well, so the node may close and open its port again
// without the modem's side seeing a hang-up.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/event_loop.h"

namespace vx::test {

class FakeModem {
 public:
  explicit FakeModem(platform::EventLoop& loop) {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ::grantpt(master_);
    ::unlockpt(master_);
    char name[128] = {};
    ::ptsname_r(master_, name, sizeof name);
    device_ = name;
    // The tty side raw from the start: nothing the modem says is echoed back to it.
    keep_open_ = ::open(device_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios t{};
    ::tcgetattr(keep_open_, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(keep_open_, TCSANOW, &t);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    watcher_ = std::make_unique<platform::FdWatcher>(loop, master_, POLLIN,
                                                     [this](short revents) { OnReady(revents); });
  }
  ~FakeModem() {
    watcher_.reset();
    if (master_ >= 0) ::close(master_);
    if (keep_open_ >= 0) ::close(keep_open_);
  }
  FakeModem(const FakeModem&) = delete;
  FakeModem& operator=(const FakeModem&) = delete;

  // The tty the node opens.
  const std::string& device() const { return device_; }

  // The answer to each command; an empty answer is silence. The default is "OK".
  void SetAnswer(std::function<std::string(const std::string& command)> answer) {
    answer_ = std::move(answer);
  }
  void AnswerAll(const std::string& result) {
    answer_ = [result](const std::string&) { return result; };
  }
  // Called for every command line after it is answered.
  void OnCommand(std::function<void(const std::string& command)> hook) { hook_ = std::move(hook); }

  // Bytes to the node, as they are. A CONNECT result puts the modem on line: from then on what
  // the node sends is the call, not commands, until the escape "+++".
  void Send(const std::string& bytes) {
    if (bytes.find("CONNECT") != std::string::npos) online_ = true;
    if (master_ >= 0) (void)!::write(master_, bytes.data(), bytes.size());
  }
  bool online() const { return online_; }
  // On line without a CONNECT of its own (a front-end program answered the call).
  void GoOnline() { online_ = true; }
  void Result(const std::string& text) { Send("\r\n" + text + "\r\n"); }
  void Ring() { Result("RING"); }
  // The carrier drops.
  void HangUp() {
    watcher_.reset();
    if (keep_open_ >= 0) ::close(keep_open_);
    keep_open_ = -1;
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }

  const std::vector<std::string>& commands() const { return commands_; }
  // Everything the node has sent (commands included).
  const std::string& received() const { return received_; }

 private:
  void OnReady(short revents) {
    char buffer[4096];
    const ssize_t n = ::read(master_, buffer, sizeof buffer);
    if (n <= 0) {
      if (revents & (POLLHUP | POLLERR)) watcher_->SetEvents(0);
      return;
    }
    received_.append(buffer, static_cast<size_t>(n));
    if (online_) {
      const size_t escape = received_.rfind("+++");
      if (escape == std::string::npos || escape + 3 != received_.size()) return;
      online_ = false;
      line_.clear();
      return;
    }
    line_.append(buffer, static_cast<size_t>(n));
    for (size_t cr = line_.find('\r'); cr != std::string::npos; cr = line_.find('\r')) {
      std::string command = line_.substr(0, cr);
      line_.erase(0, cr + 1);
      if (command.empty()) continue;
      commands_.push_back(command);
      const std::string answer = answer_ ? answer_(command) : "OK";
      if (!answer.empty()) Result(answer);
      if (hook_) hook_(command);
    }
    // Text that is not a command (the call itself) does not pile up here.
    if (line_.size() > 4096) line_.clear();
  }

  int master_ = -1;
  int keep_open_ = -1;
  std::string device_;
  std::unique_ptr<platform::FdWatcher> watcher_;
  std::function<std::string(const std::string&)> answer_;
  std::function<void(const std::string&)> hook_;
  std::vector<std::string> commands_;
  std::string received_;
  std::string line_;
  bool online_ = false;
};

}  // namespace vx::test
