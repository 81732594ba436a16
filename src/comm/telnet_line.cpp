// The telnet line: libtelnet parses and builds the protocol; this file wires it to the line.
#include "comm/telnet_line.h"

#include <libtelnet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <cstddef>  // libtelnet 0.21 uses size_t without including it
#include <cstring>

namespace vx::comm {

namespace {
// What the node does itself (us) and lets the caller do (him).
constexpr telnet_telopt_t kOptions[] = {
    {TELNET_TELOPT_ECHO, TELNET_WILL, TELNET_DONT},
    {TELNET_TELOPT_SGA, TELNET_WILL, TELNET_DO},
    {TELNET_TELOPT_BINARY, TELNET_WILL, TELNET_DO},
    {-1, 0, 0},
};
}  // namespace

TelnetLine::TelnetLine(platform::EventLoop& loop, int fd) : DescriptorLine(loop, fd) {}

TelnetLine::~TelnetLine() { Detach(); }

bool TelnetLine::Attach(std::string& error) {
  if (!DescriptorLine::Attach(error)) return false;
  // A caller's keys are echoed one by one: each echo goes out at once, not held back for more.
  const int one = 1;
  ::setsockopt(fd(), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  telnet_ = telnet_init(kOptions, &TelnetLine::OnTelnetEvent, 0, this);
  if (telnet_ == nullptr) {
    error = "cannot set up the telnet protocol";
    SetOpenError(kPortOtherError);
    return false;
  }
  telnet_negotiate(telnet_, TELNET_WILL, TELNET_TELOPT_ECHO);
  telnet_negotiate(telnet_, TELNET_WILL, TELNET_TELOPT_SGA);
  telnet_negotiate(telnet_, TELNET_WILL, TELNET_TELOPT_BINARY);
  telnet_negotiate(telnet_, TELNET_DO, TELNET_TELOPT_BINARY);
  return true;
}

void TelnetLine::Detach() {
  if (telnet_ != nullptr) telnet_free(telnet_);
  telnet_ = nullptr;
  after_cr_ = false;
  in_long_subnegotiation_ = false;
  binary_in_ = binary_out_ = false;
}

void TelnetLine::Decode(std::string_view raw) {
  if (telnet_ != nullptr) telnet_recv(telnet_, raw.data(), raw.size());
}

void TelnetLine::Encode(std::string_view text) {
  if (telnet_ != nullptr) telnet_send(telnet_, text.data(), text.size());
}

void TelnetLine::TakeData(std::string_view data) {
  if (raw_input()) {
    after_cr_ = false;
    Received(data);
    return;
  }
  std::string text;
  text.reserve(data.size());
  for (char c : data) {
    // The CR may have ended the previous packet: the state carries over.
    if (after_cr_ && (c == '\n' || c == '\0')) {
      after_cr_ = false;
      continue;
    }
    after_cr_ = c == '\r';
    text += c;
  }
  Received(text);
}

void TelnetLine::OnTelnetEvent(telnet_t*, telnet_event_t* event, void* self) {
  TelnetLine& line = *static_cast<TelnetLine*>(self);
  switch (event->type) {
    case TELNET_EV_DATA:
      if (!line.in_long_subnegotiation_) {
        line.TakeData(std::string_view(event->data.buffer, event->data.size));
      }
      break;
    case TELNET_EV_SEND:
      line.Queue(std::string_view(event->data.buffer, event->data.size));
      break;
    case TELNET_EV_WARNING:
      // A subnegotiation longer than libtelnet keeps: it gives up on it and passes the rest on
      // as data. That is option traffic, never the caller's keys: dropped up to its IAC SE.
      // (0.21 leaves the event's error code unset: the message tells which warning it is.)
      if (event->error.msg != nullptr &&
          std::strstr(event->error.msg, "subnegotiation buffer") != nullptr) {
        line.in_long_subnegotiation_ = true;
      }
      break;
    case TELNET_EV_WILL:
      if (event->neg.telopt == TELNET_TELOPT_BINARY) line.binary_in_ = true;
      break;
    case TELNET_EV_WONT:
      if (event->neg.telopt == TELNET_TELOPT_BINARY) line.binary_in_ = false;
      break;
    case TELNET_EV_DO:
      if (event->neg.telopt == TELNET_TELOPT_BINARY) line.binary_out_ = true;
      break;
    case TELNET_EV_DONT:
      if (event->neg.telopt == TELNET_TELOPT_BINARY) line.binary_out_ = false;
      break;
    case TELNET_EV_IAC:
      if (event->iac.cmd == TELNET_SE) line.in_long_subnegotiation_ = false;
      break;
    default:
      // Negotiation answers are libtelnet's; other subnegotiations and commands are of no use to
      // the node.
      break;
  }
}

}  // namespace vx::comm
