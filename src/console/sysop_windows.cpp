// The page window, the chat window and the transfer window of the node window.
//
// The page window is a box over the caller's screen: who pages and why, a progress bar counting
// the page's seconds, and the sysop's keys A (accept) and D (decline). The chat window takes the
// caller's screen's place: the caller's frame above, the sysop's below, captioned with the names,
// the subject and the chat's length; every key typed goes to the chat, and Esc ends it. The
// transfer window is a box over the caller's screen with the file on its way, its bytes, the times,
// the status, a bar with the percentage and the list of finished files; the file functions show it
// once a second.
#define NCURSES_WIDECHAR 1
#include <curses.h>

#include <algorithm>
#include <vector>

#include "comm/terminal_model.h"
#include "console/curses_console.h"
#include "console/screen_text.h"
#include "session/transfer_window.h"

namespace vx::console {

namespace {

constexpr int kTop = 1;
constexpr int kRows = comm::TerminalModel::kRows;
constexpr int kWidth = comm::TerminalModel::kColumns;

// Names, reasons and chat text are shown as glyphs: never as the terminal's own controls.
void Put(int row, int column, std::string_view text, int width, attr_t attributes = A_NORMAL) {
  PutText(row, column, text, width, attributes);
}

std::vector<std::string> Lines(std::string_view text, size_t width) {
  std::vector<std::string> lines(1);
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lines.emplace_back();
      continue;
    }
    if (lines.back().size() >= width) lines.emplace_back();
    lines.back() += c;
  }
  return lines;
}

void Frame(int top, int height, std::string_view caption) {
  Put(top, 0, "\xda" + std::string(kWidth - 2, '\xc4') + "\xbf", kWidth);
  Put(top, 2, std::string(" ") + std::string(caption) + " ", static_cast<int>(caption.size()) + 2,
      A_BOLD);
  for (int r = 1; r < height - 1; ++r) {
    Put(top + r, 0, "\xb3", 1);
    Put(top + r, 1, "", kWidth - 2);
    Put(top + r, kWidth - 1, "\xb3", 1);
  }
  Put(top + height - 1, 0, "\xc0" + std::string(kWidth - 2, '\xc4') + "\xd9", kWidth);
}

void Text(int top, int height, std::string_view text) {
  std::vector<std::string> lines = Lines(text, kWidth - 4);
  const int room = height - 2;
  if (static_cast<int>(lines.size()) > room) lines.erase(lines.begin(), lines.end() - room);
  for (size_t i = 0; i < lines.size(); ++i)
    Put(top + 1 + static_cast<int>(i), 2, lines[i], kWidth - 4);
}

}  // namespace

bool CursesConsole::OpenPage(std::string_view label, int duration_seconds,
                             std::function<void(bool)> answer) {
  page_ = PageState{std::string(label), duration_seconds, 0, std::move(answer), legend_};
  SetToolBarLegend("A Accept the page   D Decline it");
  SetScreenOverride([this] { DrawPage(); },
                    [this](int code, bool command) { return PageKey(code, command); });
  return true;
}

void CursesConsole::PageProgress(int elapsed_seconds) {
  page_.elapsed = elapsed_seconds;
  Redraw();
}

void CursesConsole::RingBell() { beep(); }

void CursesConsole::ClosePage() {
  page_.answer = {};
  SetScreenOverride({}, {});
  SetToolBarLegend(page_.saved_legend);
}

void CursesConsole::DrawPage() {
  DrawCallerScreen();
  const int top = kTop + 7;
  const int height = 8;
  Frame(top, height, "Page");
  const std::vector<std::string> lines = Lines(page_.label, kWidth - 4);
  for (size_t i = 0; i < lines.size() && i < 3; ++i)
    Put(top + 1 + static_cast<int>(i), 2, lines[i], kWidth - 4);
  const int bar = kWidth - 4;
  const int filled = page_.duration > 0 ? std::min(bar, page_.elapsed * bar / page_.duration) : bar;
  Put(top + 5, 2,
      std::string(static_cast<size_t>(filled), '\xdb') +
          std::string(static_cast<size_t>(bar - filled), '\xb0'),
      bar);
  Put(top + 6, 2, "[A]ccept   [D]ecline", kWidth - 4, A_BOLD);
}

bool CursesConsole::PageKey(int code, bool command) {
  if (command) return true;
  if ((code == 'a' || code == 'A') && page_.answer) {
    auto answer = page_.answer;
    answer(true);
  } else if ((code == 'd' || code == 'D' || code == 27) && page_.answer) {
    auto answer = page_.answer;
    answer(false);
  }
  return true;
}

bool CursesConsole::OpenChat(std::string_view caller_name, std::string_view sysop_name,
                             std::string_view subject, std::function<void(int)> sysop_key,
                             std::function<void()> close) {
  chat_ = ChatState{std::string(caller_name),
                    std::string(sysop_name),
                    std::string(subject),
                    "00:00",
                    {},
                    {},
                    std::move(sysop_key),
                    std::move(close),
                    legend_,
                    true};
  SetToolBarLegend("Type to chat   Esc End the chat");
  SetScreenOverride([this] { DrawChat(); },
                    [this](int code, bool command) { return ChatKey(code, command); });
  return true;
}

void CursesConsole::ChatCallerText(std::string_view box) {
  chat_.caller_box = box;
  Redraw();
}

void CursesConsole::ChatSysopText(std::string_view box) {
  chat_.sysop_box = box;
  Redraw();
}

void CursesConsole::ChatElapsed(std::string_view text) {
  chat_.elapsed = text;
  Redraw();
}

void CursesConsole::CloseChat() {
  if (!chat_.open) return;
  chat_.open = false;
  chat_.key = {};
  chat_.close = {};
  SetScreenOverride({}, {});
  SetToolBarLegend(chat_.saved_legend);
}

void CursesConsole::DrawChat() {
  Put(kTop, 0, chat_.subject + "   " + chat_.elapsed, kWidth, A_REVERSE);
  const int half = (kRows - 1) / 2;
  Frame(kTop + 1, half, chat_.caller_name);
  Text(kTop + 1, half, chat_.caller_box);
  Frame(kTop + 1 + half, kRows - 1 - half, chat_.sysop_name);
  Text(kTop + 1 + half, kRows - 1 - half, chat_.sysop_box);
}

bool CursesConsole::ChatKey(int code, bool command) {
  if (command) return true;  // the time keys and tool-bar actions wait until the chat ends
  if (code == 27) {
    if (chat_.close) {
      auto close = chat_.close;
      close();
    }
    return true;
  }
  if (chat_.key) {
    auto key = chat_.key;
    key(code);
  }
  return true;
}

bool CursesConsole::OpenTransfer(std::string_view title) {
  transfer_ = TransferWindowState{std::string(title), {}, {}, legend_, true};
  SetToolBarLegend("Transfer in progress");
  // Keys go to the node as ever (the sysop's controls still work); the box is only drawn over.
  SetScreenOverride([this] { DrawTransfer(); }, [](int, bool) { return false; });
  return true;
}

void CursesConsole::ShowTransfer(const session::TransferState& state) {
  if (!transfer_.open) return;
  transfer_.state = state;
  Redraw();
}

void CursesConsole::AddTransferLine(std::string_view line) {
  if (!transfer_.open) return;
  constexpr size_t kKept = 4;
  transfer_.lines.emplace_back(line);
  if (transfer_.lines.size() > kKept) transfer_.lines.erase(transfer_.lines.begin());
  Redraw();
}

void CursesConsole::CloseTransfer() {
  if (!transfer_.open) return;
  transfer_.open = false;
  SetScreenOverride({}, {});
  SetToolBarLegend(transfer_.saved_legend);
}

void CursesConsole::DrawTransfer() {
  DrawCallerScreen();
  const session::TransferState& t = transfer_.state;
  const int top = kTop + 5;
  const int height = 14;
  const int inner = kWidth - 4;
  Frame(top, height, transfer_.title);
  constexpr int kLabel = 17;
  const auto field = [&](int row, std::string_view label, const std::string& value) {
    Put(top + row, 2, label, kLabel, A_BOLD);
    Put(top + row, 2 + kLabel, value, inner - kLabel);
  };
  field(1, "File: ", session::TransferFileField(t.file, static_cast<size_t>(inner - kLabel)));
  field(2, "Size: ", t.size > 0 ? std::to_string(t.size) + " bytes" : std::string("unknown"));
  field(3, "Transferred: ", std::to_string(t.bytes) + " bytes");
  field(4, "Transfer Time: ", session::TransferClock(t.elapsed + t.remaining));
  field(5, "Elapsed Time: ", session::TransferClock(t.elapsed));
  field(6, "Remaining Time: ", session::TransferClock(t.remaining));
  field(7, "Status: ", t.status);
  const int percent = session::TransferPercent(t);
  const int bar = inner - 6;
  const int filled = bar * percent / 100;
  Put(top + 8, 2,
      std::string(static_cast<size_t>(filled), '\xdb') +
          std::string(static_cast<size_t>(bar - filled), '\xb0'),
      bar);
  Put(top + 8, 2 + bar, " " + std::to_string(percent) + "%", 6, A_BOLD);
  for (size_t i = 0; i < transfer_.lines.size(); ++i) {
    Put(top + 9 + static_cast<int>(i), 2, transfer_.lines[i], inner);
  }
}

}  // namespace vx::console
