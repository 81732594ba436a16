// The caller's side of a whole call: a connected socket and an independent terminal emulator
// (libvterm, 80 columns, 25 rows unless told otherwise) showing what arrives. The caller answers
// prompts from the same event loop the node waits in, as a person at a terminal would: when a text
// appears, it types keys. Over telnet the caller's side also speaks telnet: what arrives is decoded
// (libtelnet) before the emulator sees it, while Type() sends exactly the bytes it is given.
#pragma once

#include <gtest/gtest.h>
#include <libtelnet.h>
#include <poll.h>
#include <unistd.h>
#include <vterm.h>

#include <algorithm>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/event_loop.h"

namespace vx::terminal::testing {

// The caller: a socket, an 80 x 25 emulator screen, and answers typed when texts appear.
class Caller {
 public:
  enum class Wire { kRaw, kTelnet };

  Caller(platform::EventLoop& loop, int fd, int rows = 25, Wire wire = Wire::kRaw)
      : fd_(fd),
        rows_(rows),
        vt_(vterm_new(rows, 80)),
        watcher_(loop, fd, POLLIN, [this](short) { Read(); }) {
    vterm_set_utf8(vt_, 0);
    screen_ = vterm_obtain_screen(vt_);
    vterm_screen_reset(screen_, 1);
    vterm_state_set_bold_highbright(vterm_obtain_state(vt_), 1);
    if (wire == Wire::kTelnet) telnet_ = telnet_init(kClientOptions, &Caller::OnTelnet, 0, this);
  }
  ~Caller() {
    if (telnet_ != nullptr) telnet_free(telnet_);
    vterm_free(vt_);
    if (fd_ >= 0) ::close(fd_);
  }
  // The caller hangs up.
  void Close() {
    ::close(fd_);
    fd_ = -1;
    watcher_.SetEvents(0);
  }

  // When `text` shows on the screen, `react` runs once (a snapshot, keys to type...).
  void When(std::string text, std::function<void()> react) {
    triggers_.push_back({std::move(text), std::move(react)});
  }
  void WhenType(std::string text, std::string keys) {
    When(std::move(text), [this, keys] { Type(keys); });
  }
  void Type(const std::string& keys) {
    ASSERT_EQ(::write(fd_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
  }

  std::string Row(int row) const {
    std::string text;
    for (int c = 0; c < 80; ++c) {
      VTermScreenCell cell{};
      vterm_screen_get_cell(screen_, VTermPos{row - 1, c}, &cell);
      text += cell.chars[0] == 0 ? ' ' : static_cast<char>(cell.chars[0]);
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
  }
  std::vector<std::string> Rows() const {
    std::vector<std::string> rows;
    for (int r = 1; r <= rows_; ++r) rows.push_back(Row(r));
    return rows;
  }
  VTermScreenCell Cell(int row, int column) const {
    VTermScreenCell cell{};
    vterm_screen_get_cell(screen_, VTermPos{row - 1, column}, &cell);
    return cell;
  }
  // 1-based row, 0-based column, as the node's model counts them.
  std::pair<int, int> Cursor() const {
    VTermPos pos{};
    vterm_state_get_cursorpos(vterm_obtain_state(vt_), &pos);
    return {pos.row + 1, pos.col};
  }
  // What the caller's terminal was given (after telnet decoding), and the bytes on the wire.
  const std::string& received() const { return received_; }
  const std::string& wire() const { return wire_; }

 private:
  struct Trigger {
    std::string text;
    std::function<void()> react;
  };

  // A telnet client as callers use them: it lets the node echo, suppress go-ahead and go binary.
  static constexpr telnet_telopt_t kClientOptions[] = {
      {TELNET_TELOPT_ECHO, TELNET_WONT, TELNET_DO},
      {TELNET_TELOPT_SGA, TELNET_WONT, TELNET_DO},
      {TELNET_TELOPT_BINARY, TELNET_WILL, TELNET_DO},
      {-1, 0, 0},
  };
  static void OnTelnet(telnet_t*, telnet_event_t* event, void* self) {
    Caller& caller = *static_cast<Caller*>(self);
    if (event->type == TELNET_EV_DATA) {
      caller.Show(event->data.buffer, event->data.size);
    } else if (event->type == TELNET_EV_SEND && caller.fd_ >= 0) {
      (void)!::write(caller.fd_, event->data.buffer, event->data.size);
    }
  }
  // A BBS caller's terminal homes the cursor when it clears the screen (ESC "[2J"), as ANSI.SYS
  // does; libvterm, like xterm, leaves the cursor where it was, so the home is added here. A
  // sequence cut between two reads waits for the rest.
  void Show(const char* bytes, size_t n) {
    received_.append(bytes, n);
    std::string text = held_ + std::string(bytes, n);
    held_.clear();
    static constexpr std::string_view kClear = "\x1b[2J";
    for (size_t keep = std::min(text.size(), kClear.size() - 1); keep > 0; --keep) {
      if (kClear.substr(0, keep) == std::string_view(text).substr(text.size() - keep)) {
        held_ = text.substr(text.size() - keep);
        text.resize(text.size() - keep);
        break;
      }
    }
    for (size_t at = text.find(kClear); at != std::string::npos; at = text.find(kClear, at + 1)) {
      text.insert(at + kClear.size(), "\x1b[H");
    }
    vterm_input_write(vt_, text.data(), text.size());
  }

  void Read() {
    char buffer[4096];
    const ssize_t n = ::read(fd_, buffer, sizeof buffer);
    if (n <= 0) return;
    wire_.append(buffer, static_cast<size_t>(n));
    if (telnet_ != nullptr) {
      telnet_recv(telnet_, buffer, static_cast<size_t>(n));
    } else {
      Show(buffer, static_cast<size_t>(n));
    }
    for (size_t i = 0; i < triggers_.size(); ++i) {
      bool shown = false;
      for (int r = 1; r <= rows_ && !shown; ++r)
        shown = Row(r).find(triggers_[i].text) != std::string::npos;
      if (!shown) continue;
      Trigger trigger = std::move(triggers_[i]);
      triggers_.erase(triggers_.begin() + static_cast<long>(i));
      trigger.react();
      return;
    }
  }

  int fd_;
  int rows_;
  VTerm* vt_;
  VTermScreen* screen_ = nullptr;
  platform::FdWatcher watcher_;
  std::vector<Trigger> triggers_;
  std::string received_;
  std::string wire_;
  std::string held_;  // the start of a clear-screen sequence, until its rest arrives
  telnet_t* telnet_ = nullptr;
};

}  // namespace vx::terminal::testing
