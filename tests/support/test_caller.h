// Test support: the caller's end of a connection in the node's own event loop. It keeps what the
// node sent and types keys when a text shows up, as a person at a terminal would.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/event_loop.h"

namespace vx::test {

class TestCaller {
 public:
  TestCaller(platform::EventLoop& loop, int fd)
      : fd_(fd), watcher_(loop, fd, POLLIN, [this](short) { Read(); }) {}
  ~TestCaller() { ::close(fd_); }
  TestCaller(const TestCaller&) = delete;
  TestCaller& operator=(const TestCaller&) = delete;

  // When `text` has arrived (after what earlier triggers consumed), `react` runs once.
  void When(std::string text, std::function<void()> react) {
    triggers_.push_back({std::move(text), std::move(react)});
  }
  void WhenType(std::string text, std::string keys) {
    When(std::move(text), [this, keys] { Type(keys); });
  }
  void Type(const std::string& keys) {
    if (!keys.empty()) (void)!::write(fd_, keys.data(), keys.size());
  }
  void Hangup() {
    ::shutdown(fd_, SHUT_RDWR);
    // Nothing more can come. poll() reports a hung-up socket even when it is watched for nothing,
    // which would keep the loop from ever being idle: /dev/null, watched for nothing, stays quiet.
    const int quiet = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (quiet >= 0) {
      ::dup2(quiet, fd_);
      ::close(quiet);
    }
    watcher_.SetEvents(0);
  }
  // A caller whose terminal stops taking output for a while.
  void PauseReading(bool paused) { watcher_.SetEvents(paused ? 0 : POLLIN); }
  const std::string& received() const { return received_; }
  // What arrived since the last call.
  std::string TakeNew() {
    std::string out = received_.substr(taken_);
    taken_ = received_.size();
    return out;
  }

 private:
  struct Trigger {
    std::string text;
    std::function<void()> react;
  };
  void Read() {
    char buffer[4096];
    const ssize_t n = ::read(fd_, buffer, sizeof buffer);
    if (n <= 0) return;
    received_.append(buffer, static_cast<size_t>(n));
    // Triggers fire in order; each looks only at what came after the previous one fired.
    while (!triggers_.empty()) {
      const size_t at = received_.find(triggers_.front().text, scanned_);
      if (at == std::string::npos) break;
      scanned_ = at + triggers_.front().text.size();
      Trigger trigger = std::move(triggers_.front());
      triggers_.erase(triggers_.begin());
      trigger.react();
    }
  }

  int fd_;
  platform::FdWatcher watcher_;
  std::vector<Trigger> triggers_;
  std::string received_;
  size_t scanned_ = 0;
  size_t taken_ = 0;
};

}  // namespace vx::test
