// What the sysop's console shows of a page and a chat, as the session drives them. The ncurses
// console draws windows and takes the sysop's answers and keys; without a terminal nobody can
// answer, so the defaults log the page and leave it unanswered, and open no chat.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace vx::session {

class PageView {
 public:
  virtual ~PageView() = default;
  // Opens the page window. `answer` is to be called with true when the sysop accepts, false when
  // the sysop declines. Returns false when nobody can answer (headless).
  virtual bool OpenPage(std::string_view label, int duration_seconds,
                        std::function<void(bool accepted)> answer) {
    (void)label;
    (void)duration_seconds;
    (void)answer;
    return false;
  }
  virtual void PageProgress(int elapsed_seconds) { (void)elapsed_seconds; }
  // One ring of the terminal bell (a page without a sound file rings once a second).
  virtual void RingBell() {}
  virtual void ClosePage() {}
};

class ChatView {
 public:
  virtual ~ChatView() = default;
  // Opens the chat window with its frames captioned by the two names and the subject line. The
  // sysop's keys go to `sysop_key`; `close` is to be called when the sysop ends the chat. Returns
  // false when there is nobody to chat with (headless).
  virtual bool OpenChat(std::string_view caller_name, std::string_view sysop_name,
                        std::string_view subject, std::function<void(int key)> sysop_key,
                        std::function<void()> close) {
    (void)caller_name;
    (void)sysop_name;
    (void)subject;
    (void)sysop_key;
    (void)close;
    return false;
  }
  // The caller's box as it is now (the newest 1024 characters), and the sysop's.
  virtual void ChatCallerText(std::string_view box) { (void)box; }
  virtual void ChatSysopText(std::string_view box) { (void)box; }
  // The chat's length as "hh:nn".
  virtual void ChatElapsed(std::string_view text) { (void)text; }
  virtual void CloseChat() {}
};

// The transfer window: the file on its way, its progress and a list of what was sent or received.
// Headless the window's lines go to the node log.
struct TransferState {
  std::string file;
  long long size = 0;    // bytes; 0 when the sender declared none
  long long bytes = 0;   // so far
  int elapsed = 0;       // seconds since the transfer began
  int remaining = 0;     // seconds, estimated from the rate so far
  std::string status;
};

class TransferView {
 public:
  virtual ~TransferView() = default;
  // Returns false when there is no window (headless): the lines then go to the log.
  virtual bool OpenTransfer(std::string_view title) {
    (void)title;
    return false;
  }
  virtual void ShowTransfer(const TransferState& state) { (void)state; }
  virtual void AddTransferLine(std::string_view line) { (void)line; }
  virtual void CloseTransfer() {}
};

}  // namespace vx::session
