// A caller on a TCP socket handed over by a listener: the telnet protocol (libtelnet) between the
// socket and the node. The node offers to echo and to suppress go-ahead, and asks for binary
// both ways, so that code page 437 and transfers pass unchanged; everything else is refused.
// Option traffic never reaches the node's input; a CR followed by LF or NUL (the line ends of
// telnet clients) arrives as one CR; a 0xFF in the output is doubled on the wire.
#pragma once

#include "comm/descriptor_line.h"

struct telnet_t;
union telnet_event_t;

namespace vx::comm {

class TelnetLine final : public DescriptorLine {
 public:
  // Takes ownership of `fd`.
  TelnetLine(platform::EventLoop& loop, int fd);
  ~TelnetLine() override;

  // Both sides agreed on BINARY: a transfer may send every byte as it is.
  bool BinaryPath() const override { return binary_in_ && binary_out_; }

 private:
  bool Attach(std::string& error) override;
  void Decode(std::string_view raw) override;
  void Encode(std::string_view text) override;
  void Detach() override;
  static void OnTelnetEvent(telnet_t* telnet, telnet_event_t* event, void* self);
  void TakeData(std::string_view data);

  telnet_t* telnet_ = nullptr;
  bool after_cr_ = false;
  bool in_long_subnegotiation_ = false;
  bool binary_in_ = false;   // the caller sends binary
  bool binary_out_ = false;  // the caller takes binary
};

}  // namespace vx::comm
