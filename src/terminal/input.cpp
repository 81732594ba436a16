// Keys from the caller and the sysop: the receive buffer with its type-ahead, PollInput, the key
// handler and the line inputs built on it.
//
// Keys are taken one per input round. What a caller sends in one packet (a typed-ahead line, a
// pasted text) waits in the receive buffer for the following rounds and requests, so nothing is
// lost; the menu loop discards it on purpose with FlushInput. A CR followed by LF or NUL (the line
// ends of telnet clients) counts as one Enter.
#include <cctype>

#include "core/text.h"
#include "terminal/terminal.h"

namespace vx::terminal {

namespace {
constexpr int kEnter = 13;
constexpr int kBackspace = 8;
constexpr int kDelete = 127;


// Ends the request if the wait is left by an exception (the end of the call), so that no stale
// request survives the unwinding.
struct RequestGuard {
  explicit RequestGuard(InputState& state) : state_(state) {}
  ~RequestGuard() {
    state_.maximum = 0;
    state_.count = 0;
  }
  InputState& state_;
};

// A prompt shown while another input waits (a timer's message that reaches a page pause, say) is
// a request inside a request: the outer one is put aside and comes back as it was.
struct OuterRequest {
  explicit OuterRequest(InputState& state) : state_(state), active_(state.maximum != 0) {
    if (!active_) return;
    buffer_ = state.buffer;
    maximum_ = state.maximum;
    count_ = state.count;
    mode_ = state.mode;
  }
  ~OuterRequest() {
    if (!active_) return;
    state_.buffer = buffer_;
    state_.maximum = maximum_;
    state_.count = count_;
    state_.mode = mode_;
  }
  InputState& state_;
  bool active_;
  std::string buffer_;
  int maximum_ = 0;
  int count_ = 0;
  std::string mode_;
};

// Clears the echo character for a prompt that must not echo, and puts it back however the prompt
// ends.
struct EchoGuard {
  explicit EchoGuard(InputState& state) : state_(state), saved_(state.echo_character) {
    state_.echo_character.clear();
  }
  ~EchoGuard() { state_.echo_character = saved_; }
  InputState& state_;
  std::string saved_;
};
}  // namespace

void Terminal::OnReceived() {
  // Beyond the type-ahead limit the text stays in the line, which then stops reading.
  if (receive_buffer_.size() - receive_head_ < kTypeAheadLimit) FillReceiveBuffer();
}

void Terminal::FillReceiveBuffer() {
  comm::CommControl& comm = context_.comm;
  if (!comm.port_open()) return;
  while (receive_buffer_.size() - receive_head_ < kTypeAheadLimit && comm.input_count() > 0) {
    Receive(comm.ReadReceived());
  }
}

void Terminal::Receive(std::string_view bytes) {
  if (bytes.empty()) return;
  if (receive_head_ > 0 && receive_head_ * 2 >= receive_buffer_.size()) {
    receive_buffer_.erase(0, receive_head_);
    receive_head_ = 0;
  }
  for (char c : bytes) {
    if (last_received_cr_ && (c == '\n' || c == '\0')) {
      last_received_cr_ = false;
      continue;
    }
    last_received_cr_ = (c == '\r');
    if (receive_buffer_.size() - receive_head_ >= kReceiveHardLimit) continue;
    receive_buffer_ += c;
    input_.last_key = c;
  }
  input_.idle_seconds = 0;
}

void Terminal::LocalKey(int code) {
  if (code < 0 || code > 255) return;
  const char key = static_cast<char>(code);
  Receive(std::string_view(&key, 1));
}

std::optional<char> Terminal::TakeKeyNoWait() {
  context_.loop.ProcessEvents();
  FillReceiveBuffer();
  if (receive_head_ >= receive_buffer_.size()) return std::nullopt;
  const char key = receive_buffer_[receive_head_++];
  if (receive_head_ == receive_buffer_.size()) {
    receive_buffer_.clear();
    receive_head_ = 0;
  }
  input_.idle_seconds = 0;
  input_.last_key = key;
  return key;
}

void Terminal::FlushInput() {
  receive_buffer_.clear();
  receive_head_ = 0;
  if (context_.comm.port_open()) context_.comm.DiscardInput();
}

void Terminal::PollInput() {
  context_.loop.ProcessEvents();
  if (poll_hook_) poll_hook_();
  FillReceiveBuffer();
  if (receive_head_ >= receive_buffer_.size()) return;
  const char key = receive_buffer_[receive_head_++];
  if (receive_head_ == receive_buffer_.size()) {
    receive_buffer_.clear();
    receive_head_ = 0;
  }
  KeyInput(static_cast<unsigned char>(key));
}

int Terminal::KeyInput(int code) {
  if (code < 0 || code > 255) return 0;
  input_.idle_seconds = 0;
  input_.last_key = static_cast<char>(code);
  if (input_.maximum == 0) return code;

  const auto end_request = [&](bool by_enter) {
    input_.maximum = 0;
    input_.count = 0;
    input_.ended_by_enter = by_enter;
  };
  if (code == kEnter) {
    end_request(true);
    return code;
  }
  const bool masked = input_.mode == "Masked";
  if (code == kBackspace || code == kDelete) {
    if (input_.count == 0) return 0;
    --input_.count;
    input_.buffer.pop_back();
    // A masked field without an echo character showed nothing, so there is nothing to erase.
    if (!(masked && input_.echo_character.empty())) {
      Emit("\b");
      Display(" \b");
    }
    return code;
  }
  const bool digit_or_minus = (code >= '0' && code <= '9') || code == '-';
  if (input_.mode == "NumOnly" && !digit_or_minus) return 0;
  // Control characters have no place in a typed line (they would act as display codes when the
  // text is shown); single keys (hot keys, "press any key") take them.
  if (code < 32 && input_.maximum > 1) return 0;
  if (input_.count >= input_.maximum) return 0;

  char key = static_cast<char>(code);
  if (input_.capitalise && (input_.buffer.empty() || input_.buffer.back() == ' ')) {
    key = core::UpperChar(key);
  }
  ++input_.count;
  input_.buffer += key;
  Emit(masked ? std::string_view(input_.echo_character) : std::string_view(&key, 1));
  if ((input_.auto_accept || input_.word_wrap) && input_.count >= input_.maximum) {
    end_request(false);
  }
  return code;
}

void Terminal::WaitForRequest() {
  while (input_.maximum != 0) {
    context_.loop.WaitUntil([this] {
      PollInput();
      return input_.maximum == 0 || receive_head_ < receive_buffer_.size();
    });
  }
}

// The common part of the line inputs. The field starts at the cursor and is shortened so that it
// never reaches column 80; a field that would have no room left keeps one character, so a
// one-key input at the end of a line still waits for its key.
std::string Terminal::ReadField(int max_len, const char* mode, bool draw_field, bool word_wrap) {
  if (max_len <= 0) return {};
  OuterRequest outer(input_);
  const int column = context_.comm.cursor_column();
  if (column + max_len >= 80) max_len = std::max(1, 79 - column);
  if (draw_field) {
    Display(std::string(static_cast<size_t>(max_len), ' '));
    MoveToColumn(column);
  }
  input_.buffer.clear();
  input_.count = 0;
  if (word_wrap && !input_.carried_text.empty()) {
    // The word carried from the previous line starts this one and can be continued or erased.
    std::string carried = std::move(input_.carried_text);
    input_.carried_text.clear();
    if (carried.size() >= static_cast<size_t>(max_len))
      carried.resize(static_cast<size_t>(max_len) - 1);
    Display(carried);
    input_.buffer = carried;
    input_.count = static_cast<int>(carried.size());
  }
  input_.mode = mode;
  input_.maximum = max_len;
  input_.ended_by_enter = false;
  {
    RequestGuard guard(input_);
    WaitForRequest();
  }

  std::string& line = input_.buffer;
  if (word_wrap && !input_.ended_by_enter && !line.empty() && line.back() != ' ') {
    const size_t blank = line.rfind(' ');
    if (blank != std::string::npos) {
      input_.carried_text = line.substr(blank + 1);
      line.resize(blank + 1);
      const size_t n = input_.carried_text.size();
      Display(std::string(n, '\b') + std::string(n, ' '));
    }
  }
  return std::string(line);  // a copy: an outer request may take the buffer back
}

std::string Terminal::InputLine(int max_len) {
  return ReadField(max_len, "", true, input_.word_wrap);
}

std::string Terminal::InputMasked(int max_len) {
  return ReadField(max_len, "Masked", !input_.echo_character.empty(), false);
}

long long Terminal::InputNumber(int max_len, long long default_value) {
  const std::string digits = ReadField(max_len, "NumOnly", true, false);
  return digits.empty() ? default_value : core::LeadingNumber(digits);
}

std::string Terminal::InputDigits(int max_len) {
  return ReadField(max_len, "NumOnly", true, false);
}

char Terminal::GetKey() {
  EchoGuard echo(input_);
  for (;;) {
    const std::string key = InputMasked(1);
    if (!key.empty()) return key[0];
  }
}

char Terminal::GetHotKey(std::string_view keys) {
  const std::string wanted = core::UpperCase(keys);
  EchoGuard echo(input_);
  input_.auto_accept = true;
  for (;;) {
    const std::string key = InputMasked(1);
    const char pressed = key.empty() ? '\r' : core::UpperChar(key[0]);
    if (wanted.find(pressed) != std::string::npos) return pressed;
  }
}

}  // namespace vx::terminal
