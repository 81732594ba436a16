// The communications control: the line to the caller, the caller's screen as the node sees it,
// and (with the transfer work) the file transfer engine. Start-up sets the port number, the line
// settings and the inherited handle; the rest of the node sends text, takes received text and
// asks for the carrier. The lines themselves (local, inherited socket or tty, serial port) are
// implementations of this interface.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "comm/terminal_model.h"

namespace vx::comm {

// Why a port could not be opened, numbered as the node's messages number them.
inline constexpr int kPortInvalid = 8002;      // no such port
inline constexpr int kPortAlreadyOpen = 8005;  // another program (or node) has it
inline constexpr int kPortOtherError = 8010;   // anything else: the error text says what

class CommControl {
 public:
  virtual ~CommControl() = default;

  // What start-up sets and the console reports.
  void SetPortNumber(int port) { port_number_ = port; }
  int port_number() const { return port_number_; }
  void SetSettings(std::string settings) { settings_ = std::move(settings); }
  const std::string& settings() const { return settings_; }
  // The descriptor of an already connected line handed over with -H (0: none).
  void SetHandle(int handle) { handle_ = handle; }
  int handle() const { return handle_; }

  // Opens the line; on failure `error` describes why and open_error() gives its number.
  virtual bool OpenPort(std::string& error) = 0;
  int open_error() const { return open_error_; }
  virtual void ClosePort() = 0;
  virtual bool port_open() const = 0;

  // Sends bytes to the caller as they are (the terminal model is fed by the caller of this).
  virtual void SendText(std::string_view bytes) = 0;
  virtual size_t input_count() const = 0;
  virtual void DiscardInput() = 0;
  virtual size_t output_count() const = 0;
  virtual void DiscardOutput() = 0;
  // Returns and removes all received text.
  virtual std::string ReadReceived() = 0;
  virtual bool CarrierDetect() const = 0;
  virtual void SendBreak() = 0;
  // The break condition on or off; a break is sent by setting it, waiting, and clearing it.
  virtual void SetBreak(bool on) { (void)on; }
  // Whether closing the port drops the line (DTR on a serial port). A front-end program that takes
  // the port over while the node waits must find the caller still there when it hands back.
  virtual void SetHangUpOnClose(bool on) { (void)on; }
  // Raw input for a file transfer: received bytes reach the input buffer exactly as the caller's
  // program sent them (telnet's escaping undone, but no line ends joined), for the transfer
  // engine and not for the keyboard.
  void SetRawInput(bool on) { raw_input_ = on; }
  bool raw_input() const { return raw_input_; }
  // Whether the caller's side takes every byte as it is (telnet BINARY); false when a transfer
  // must keep control characters out of the stream.
  virtual bool BinaryPath() const { return true; }
  // A modem on a serial port: the end of a call hangs it up with its escape and ATH0. Every other
  // line (a socket, a tty) is hung up by closing it, and never sees a modem command.
  virtual bool IsModemLine() const { return false; }

  // Called from the event loop when received text is waiting (the control's event code 2).
  void SetReceiveHandler(std::function<void()> handler) { on_receive_ = std::move(handler); }
  // Puts another handler in place for a while (the waiting window reads the modem's answers
  // itself) and returns the one it replaces, to be put back afterwards.
  std::function<void()> ExchangeReceiveHandler(std::function<void()> handler) {
    std::swap(on_receive_, handler);
    return handler;
  }

  // The caller's screen.
  TerminalModel& terminal() { return terminal_; }
  const TerminalModel& terminal() const { return terminal_; }
  int cursor_row() const { return terminal_.cursor_row(); }
  int cursor_column() const { return terminal_.cursor_column(); }
  int foreground() const { return terminal_.foreground(); }
  int background() const { return terminal_.background(); }

 protected:
  void NotifyReceived() {
    if (on_receive_) on_receive_();
  }
  void SetOpenError(int number) { open_error_ = number; }

 private:
  int port_number_ = 0;
  std::string settings_ = "115200,N,8,1";
  int handle_ = 0;
  int open_error_ = 0;
  bool raw_input_ = false;
  std::function<void()> on_receive_;
  TerminalModel terminal_;
};

// No line at all: the sysop at the node's own keyboard. Output reaches the terminal model only;
// keys come from the console.
class LocalCommControl final : public CommControl {
 public:
  bool OpenPort(std::string& error) override {
    error = "a local session has no port";
    return false;
  }
  void ClosePort() override {}
  bool port_open() const override { return false; }
  void SendText(std::string_view) override {}
  size_t input_count() const override { return 0; }
  void DiscardInput() override {}
  size_t output_count() const override { return 0; }
  void DiscardOutput() override {}
  std::string ReadReceived() override { return {}; }
  bool CarrierDetect() const override { return false; }
  void SendBreak() override {}
};

}  // namespace vx::comm
