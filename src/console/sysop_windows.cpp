// The page window and the chat window of the node window.
//
// The page window is a box over the caller's screen: who pages and why, a progress bar counting
// the page's seconds, and the sysop's keys A (accept) and D (decline). The chat window takes the
// caller's screen's place: the caller's frame above, the sysop's below, captioned with the names,
// the subject and the chat's length; every key typed goes to the chat, and Esc ends it.
#define NCURSES_WIDECHAR 1
#include <curses.h>

#include <algorithm>
#include <vector>

#include "comm/terminal_model.h"
#include "console/screen_text.h"
#include "console/curses_console.h"

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
  Put(top, 2, std::string(" ") + std::string(caption) + " ", static_cast<int>(caption.size()) + 2, A_BOLD);
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
  for (size_t i = 0; i < lines.size(); ++i) Put(top + 1 + static_cast<int>(i), 2, lines[i], kWidth - 4);
}

}  // namespace

bool CursesConsole::OpenPage(std::string_view label, int duration_seconds,
                             std::function<void(bool)> answer) {
  page_ = PageState{std::string(label), duration_seconds, 0, std::move(answer), legend_};
  SetToolBarLegend("A Accept the page   D Decline it");
  SetScreenOverride([this] { DrawPage(); }, [this](int code, bool command) { return PageKey(code, command); });
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
  for (size_t i = 0; i < lines.size() && i < 3; ++i) Put(top + 1 + static_cast<int>(i), 2, lines[i], kWidth - 4);
  const int bar = kWidth - 4;
  const int filled = page_.duration > 0 ? std::min(bar, page_.elapsed * bar / page_.duration) : bar;
  Put(top + 5, 2, std::string(static_cast<size_t>(filled), '\xdb') + std::string(static_cast<size_t>(bar - filled), '\xb0'), bar);
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
  chat_ = ChatState{std::string(caller_name), std::string(sysop_name), std::string(subject), "00:00",
                    {}, {}, std::move(sysop_key), std::move(close), legend_, true};
  SetToolBarLegend("Type to chat   Esc End the chat");
  SetScreenOverride([this] { DrawChat(); }, [this](int code, bool command) { return ChatKey(code, command); });
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

}  // namespace vx::console
