// A line over an already connected descriptor (a socket or a pipe pair), bytes passed as they
// are: no telnet, no modem. Tests drive whole calls over it on loopback; the telnet and serial
// lines of the communications work build on the same buffering rules.
//
// Buffering: received bytes wait in a buffer of at most kInputLimit bytes; while it is full the
// descriptor is not read, so a caller who floods the line is held back by the connection itself
// and costs no memory. Output is written without blocking; what the descriptor does not take at
// once waits for POLLOUT. When more than kOutputLimit bytes are waiting, SendText runs the event
// loop until the caller has taken enough (or the connection is gone), so a caller who stops
// reading cannot make the node's memory grow either.
//
// Carrier: present while the descriptor is open and has not reported end of file, an error or a
// hang-up.
#pragma once

#include <memory>
#include <string>

#include "comm/comm_control.h"
#include "platform/event_loop.h"

namespace vx::comm {

class RawSocketLine final : public CommControl {
 public:
  static constexpr size_t kInputLimit = 4096;
  static constexpr size_t kOutputLimit = 256 * 1024;

  // Takes ownership of `fd`; ClosePort or the destructor closes it.
  RawSocketLine(platform::EventLoop& loop, int fd);
  ~RawSocketLine() override;
  RawSocketLine(const RawSocketLine&) = delete;
  RawSocketLine& operator=(const RawSocketLine&) = delete;

  bool OpenPort(std::string& error) override;
  void ClosePort() override;
  bool port_open() const override { return open_; }

  void SendText(std::string_view bytes) override;
  size_t input_count() const override { return input_.size(); }
  void DiscardInput() override;
  size_t output_count() const override { return output_.size(); }
  void DiscardOutput() override { output_.clear(); }
  std::string ReadReceived() override;
  bool CarrierDetect() const override { return open_ && !hung_up_; }
  void SendBreak() override {}

 private:
  void OnReady(short revents);
  void Flush();
  void Retire();
  void UpdateEvents();

  platform::EventLoop& loop_;
  int fd_;
  bool open_ = false;
  bool hung_up_ = false;
  std::string input_;
  std::string output_;
  std::unique_ptr<platform::FdWatcher> watcher_;
};

}  // namespace vx::comm
