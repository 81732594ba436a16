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
  explicit RequestGuard(InputRequest& request) : request_(request) {}
  ~RequestGuard() {
    request_.maximum = 0;
    request_.count = 0;
  }
  InputRequest& request_;
};

// A prompt shown while another input waits (a timer's message that reaches a page pause, say) is
// a request inside a request: the whole input state but its live counters is put aside and comes
// back as it was, however the inner prompt ends.
class OuterInput {
 public:
  explicit OuterInput(InputState& state) : state_(state), active_(state.request.maximum != 0) {
    if (active_) saved_ = state;
  }
  ~OuterInput() {
    if (!active_) return;
    const char last_key = state_.last_key;
    const int idle = state_.idle_seconds;
    const bool hint = state_.hint;
    state_ = saved_;
    state_.last_key = last_key;
    state_.idle_seconds = idle;
    state_.hint = hint;
  }
  OuterInput(const OuterInput&) = delete;
  OuterInput& operator=(const OuterInput&) = delete;

 private:
  InputState& state_;
  bool active_;
  InputState saved_;
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

// Sets auto-accept for a one-key prompt and puts the session's setting back afterwards: a hot
// key must not leave the next line input ending without Enter.
struct AutoAcceptGuard {
  explicit AutoAcceptGuard(InputState& state) : state_(state), saved_(state.auto_accept) {
    state_.auto_accept = true;
  }
  ~AutoAcceptGuard() { state_.auto_accept = saved_; }
  InputState& state_;
  bool saved_;
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
  std::string diverted;
  for (char c : bytes) {
    if (last_received_cr_ && (c == '\n' || c == '\0')) {
      last_received_cr_ = false;
      continue;
    }
    last_received_cr_ = (c == '\r');
    input_.last_key = c;
    if (divert_) {
      diverted += c;
      continue;
    }
    if (receive_buffer_.size() - receive_head_ >= kReceiveHardLimit) continue;
    receive_buffer_ += c;
  }
  input_.idle_seconds = 0;
  if (divert_ && !diverted.empty()) divert_(diverted);
}

void Terminal::DivertReceived(std::function<void(std::string_view)> divert) {
  divert_ = std::move(divert);
  if (divert_ && receive_head_ < receive_buffer_.size()) {
    // Keys typed ahead of the diversion belong to it too, not to a later input.
    const std::string waiting = receive_buffer_.substr(receive_head_);
    receive_buffer_.clear();
    receive_head_ = 0;
    divert_(waiting);
  }
}

void Terminal::LocalKey(int code) {
  if (code < 0 || code > 255) return;
  const char key = static_cast<char>(code);
  Receive(std::string_view(&key, 1));
}

std::optional<char> Terminal::TakeKeyNoWait() {
  context_.loop.ProcessEvents();
  if (poll_hook_) poll_hook_();
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
  InputRequest& request = input_.request;
  if (request.maximum == 0) return code;

  const auto end_request = [&](bool by_enter) {
    request.maximum = 0;
    request.count = 0;
    request.ended_by_enter = by_enter;
  };
  if (code == kEnter) {
    end_request(true);
    return code;
  }
  const bool masked = request.mode == InputMode::kMasked;
  if (code == kBackspace || code == kDelete) {
    if (request.count == 0) return 0;
    --request.count;
    request.buffer.pop_back();
    // A masked field without an echo character showed nothing, so there is nothing to erase.
    if (!(masked && request.echo.empty())) {
      Emit("\b");
      Display(" \b");
    }
    return code;
  }
  const bool digit_or_minus = (code >= '0' && code <= '9') || code == '-';
  if (request.mode == InputMode::kNumOnly && !digit_or_minus) return 0;
  // Control characters have no place in a typed line (they would act as display codes when the
  // text is shown); single keys (hot keys, "press any key") take them.
  if (code < 32 && request.maximum > 1) return 0;
  if (request.count >= request.maximum) return 0;

  char key = static_cast<char>(code);
  if (request.capitalise && (request.buffer.empty() || request.buffer.back() == ' ')) {
    key = core::UpperChar(key);
  }
  ++request.count;
  request.buffer += key;
  // The request may end inside the echo (a page pause); keep what the caller needs first.
  const bool full = (request.auto_accept || request.word_wrap) && request.count >= request.maximum;
  Emit(masked ? std::string_view(request.echo) : std::string_view(&key, 1));
  if (full) end_request(false);
  return code;
}

void Terminal::WaitForRequest() {
  while (input_.request.maximum != 0) {
    context_.loop.WaitUntil([this] {
      PollInput();
      return input_.request.maximum == 0 || receive_head_ < receive_buffer_.size();
    });
  }
}

// The common part of the line inputs. The field starts at the cursor and is shortened so that it
// never reaches column 80; a field that would have no room left keeps one character, so a
// one-key input at the end of a line still waits for its key.
std::string Terminal::ReadField(int max_len, InputMode mode, bool draw_field, bool word_wrap) {
  if (max_len <= 0) return {};
  OuterInput outer(input_);
  const int column = context_.comm.cursor_column();
  if (column + max_len >= 80) max_len = std::max(1, 79 - column);
  if (draw_field) {
    Display(std::string(static_cast<size_t>(max_len), ' '));
    MoveToColumn(column);
  }
  InputRequest request;
  request.mode = mode;
  request.echo = input_.echo_character;
  request.auto_accept = input_.auto_accept;
  request.capitalise = input_.capitalise;
  request.word_wrap = word_wrap;
  if (word_wrap && !input_.carried_text.empty()) {
    // The word carried from the previous line starts this one and can be continued or erased.
    std::string carried = std::move(input_.carried_text);
    input_.carried_text.clear();
    if (carried.size() >= static_cast<size_t>(max_len))
      carried.resize(static_cast<size_t>(max_len) - 1);
    Display(carried);
    request.buffer = carried;
    request.count = static_cast<int>(carried.size());
  }
  request.maximum = max_len;
  input_.request = std::move(request);
  {
    RequestGuard guard(input_.request);
    WaitForRequest();
  }

  std::string line = input_.request.buffer;
  if (word_wrap && !input_.request.ended_by_enter && !line.empty() && line.back() != ' ') {
    const size_t blank = line.rfind(' ');
    if (blank != std::string::npos) {
      input_.carried_text = line.substr(blank + 1);
      line.resize(blank + 1);
      const size_t n = input_.carried_text.size();
      Display(std::string(n, '\b') + std::string(n, ' '));
    }
  }
  return line;
}

std::string Terminal::InputLine(int max_len) {
  return ReadField(max_len, InputMode::kNormal, true, input_.word_wrap);
}

std::string Terminal::InputMasked(int max_len) {
  return ReadField(max_len, InputMode::kMasked, !input_.echo_character.empty(), false);
}

long long Terminal::InputNumber(int max_len, long long default_value) {
  const std::string digits = ReadField(max_len, InputMode::kNumOnly, true, false);
  return digits.empty() ? default_value : core::LeadingNumber(digits);
}

std::string Terminal::InputDigits(int max_len) {
  return ReadField(max_len, InputMode::kNumOnly, true, false);
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
  AutoAcceptGuard accept(input_);
  for (;;) {
    const std::string key = InputMasked(1);
    const char pressed = key.empty() ? '\r' : core::UpperChar(key[0]);
    if (wanted.find(pressed) != std::string::npos) return pressed;
  }
}

}  // namespace vx::terminal
