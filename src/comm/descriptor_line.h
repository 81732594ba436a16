// A line over one descriptor (a socket, a tty, a serial port), with the buffering rules every
// line shares. The telnet, tty, serial and raw lines build on it and differ only in how they get
// their descriptor and how bytes are turned into received text and back.
//
// Buffering: received text waits in a buffer of at most kInputLimit bytes; while it is full the
// descriptor is not read, so a caller who floods the line is held back by the connection itself
// and costs no memory. Output is gathered for the rest of the current round of events and then
// written without blocking; what the descriptor does not take at once waits for POLLOUT. When more
// than kOutputLimit bytes are waiting, SendText runs the event loop until the caller has taken
// enough (or the connection is gone), so a caller who stops reading cannot make the node's memory
// grow either. Bytes the line itself must answer (telnet option replies) also count: while the
// output is over its limit nothing more is read.
//
// Carrier: present while the descriptor is open and has not reported end of file, an error or a
// hang-up (a serial line may narrow this down with its carrier-detect line).
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

#include "comm/comm_control.h"
#include "platform/event_loop.h"

namespace vx::comm {

class DescriptorLine : public CommControl {
 public:
  static constexpr size_t kInputLimit = 4096;
  static constexpr size_t kOutputLimit = 256 * 1024;
  // Output waits for the end of the round of events unless this much is waiting.
  static constexpr size_t kFlushAt = 16 * 1024;
  // After a hang-up the loop wakes this often until the port is closed (see Retire).
  static constexpr std::chrono::milliseconds kCarrierWake{100};

  ~DescriptorLine() override;
  DescriptorLine(const DescriptorLine&) = delete;
  DescriptorLine& operator=(const DescriptorLine&) = delete;

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

 protected:
  // `fd` is the descriptor when it is handed over (-1 when Attach finds its own); the line owns
  // it from here on and closes it when the port is closed.
  DescriptorLine(platform::EventLoop& loop, int fd);

  // Makes the descriptor ready when the port opens: checks it, or opens a device and sets it up.
  // On failure `error` says why (and SetOpenError gives its number).
  virtual bool Attach(std::string& error);
  // Bytes read from the descriptor; the default takes them as they are.
  virtual void Decode(std::string_view raw) { Received(raw); }
  // Text to send; the default sends it as it is.
  virtual void Encode(std::string_view text) { Queue(text); }
  // The port is about to close its descriptor.
  virtual void Detach() {}

  void Received(std::string_view text) { input_.append(text); }
  void Queue(std::string_view bytes) { output_.append(bytes); }
  int fd() const { return fd_; }
  void set_fd(int fd) { fd_ = fd; }
  bool hung_up() const { return hung_up_; }
  platform::EventLoop& loop() { return loop_; }

 private:
  void OnReady(short revents);
  void Flush();
  void Retire();
  void UpdateEvents();

  platform::EventLoop& loop_;
  int fd_;
  bool open_ = false;
  bool hung_up_ = false;
  bool retired_ = false;  // the dead descriptor has been replaced by /dev/null
  std::string input_;
  std::string output_;
  std::unique_ptr<platform::FdWatcher> watcher_;
  platform::Timer carrier_wake_;
  platform::Timer flush_soon_;
};

}  // namespace vx::comm
