// Drawing the waiting window and taking its keys.
#define NCURSES_WIDECHAR 1
#include "console/wait_window.h"

#include <curses.h>

#include <algorithm>
#include <vector>

#include "comm/terminal_model.h"
#include "console/screen_text.h"

namespace vx::console {

namespace {

constexpr int kTop = 1;  // below the title line
constexpr int kRows = comm::TerminalModel::kRows;
constexpr int kLabelColumn = 2;
constexpr int kValueColumn = 16;
constexpr int kBoxTop = kTop + 11;

// Text at a position within the window's rows.
void Put(int row, int column, std::string_view text, int width, attr_t attributes = A_NORMAL) {
  if (row >= kTop + kRows) return;
  PutText(row, column, text, width, attributes);
}

std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines(1);
  for (char c : text) {
    if (c == '\r' || c == '\n') {
      if (!lines.back().empty()) lines.emplace_back();
    } else {
      lines.back() += c;
    }
  }
  if (lines.back().empty()) lines.pop_back();
  return lines;
}

}  // namespace

void WaitWindow::Open(Keys keys) {
  keys_ = std::move(keys);
  if (open_) return;
  open_ = true;
  saved_legend_ = console_.tool_bar_legend();
  console_.SetToolBarLegend(kLegend);
  console_.SetScreenOverride([this] { Draw(); },
                             [this](int code, bool command) { return Key(code, command); });
}

void WaitWindow::Close() {
  if (!open_) return;
  open_ = false;
  keys_ = {};
  console_.SetScreenOverride({}, {});
  console_.SetToolBarLegend(saved_legend_);
}

void WaitWindow::Refresh() {
  if (open_) console_.Redraw();
}

void WaitWindow::SetTitle(std::string_view title) { console_.SetTitle(title); }

void WaitWindow::SetStatus(std::string_view status) {
  status_ = status;
  Refresh();
}

void WaitWindow::SetLabels(const session::WaitLabels& labels) {
  labels_ = labels;
  Refresh();
}

void WaitWindow::SetClock(std::string_view text) {
  clock_ = text;
  Refresh();
}

void WaitWindow::SetModemLog(std::string_view text) {
  modem_log_ = text;
  Refresh();
}

void WaitWindow::SetTraffic(std::string_view text) {
  traffic_ = text;
  Refresh();
}

void WaitWindow::Beep() { beep(); }

void WaitWindow::Draw() {
  const int width = std::min(COLS, comm::TerminalModel::kColumns);
  for (int r = kTop; r < kTop + kRows; ++r) Put(r, 0, "", width);
  Put(kTop + 1, kLabelColumn, status_, width - kLabelColumn, A_BOLD);
  const std::pair<const char*, const std::string*> rows[] = {
      {"Node:", &labels_.node},
      {"Port:", &labels_.port},
      {"Next Event:", &labels_.next_event},
      {"Last Caller:", &labels_.last_caller},
      {"All Nodes:", &labels_.all_nodes},
  };
  int row = kTop + 3;
  for (const auto& [caption, value] : rows) {
    Put(row, kLabelColumn, caption, kValueColumn - kLabelColumn);
    Put(row, kValueColumn, *value, width - kValueColumn);
    ++row;
  }
  Put(kTop + 9, kLabelColumn, clock_, width - kLabelColumn);
  // The fold key's caption shows which way it goes, as the window's arrow did.
  Put(kBoxTop - 1, 0, folded_ ? "\x1f Log boxes (F3)" : "\x1e Log boxes (F3)", width, A_REVERSE);
  if (folded_) return;
  const int half = width / 2;
  Put(kBoxTop, 0, "Events", half - 1, A_UNDERLINE);
  Put(kBoxTop, half, "Traffic", width - half, A_UNDERLINE);
  const std::vector<std::string> events = Lines(modem_log_);
  std::vector<std::string> traffic = Lines(traffic_);
  const int room = kTop + kRows - (kBoxTop + 1);
  // The newest traffic is at the end: show the last lines that fit.
  if (static_cast<int>(traffic.size()) > room) {
    traffic.erase(traffic.begin(), traffic.end() - room);
  }
  for (int i = 0; i < room; ++i) {
    const auto k = static_cast<size_t>(i);
    if (k < events.size()) Put(kBoxTop + 1 + i, 0, events[k], half - 1);
    if (k < traffic.size()) Put(kBoxTop + 1 + i, half, traffic[k], width - half);
  }
}

bool WaitWindow::Key(int code, bool command) {
  if (!open_) return false;
  const bool local = command ? code == CursesConsole::kFunction1 : (code == 'l' || code == 'L');
  const bool fold = command ? code == CursesConsole::kFunction1 + 2 : (code == 't' || code == 'T');
  const bool quit = command ? code == CursesConsole::kFunction1 + 9 : (code == 'q' || code == 'Q');
  if (fold) {
    folded_ = !folded_;
    Refresh();
  } else if (local && keys_.local_logon) {
    // The handler closes this window: keep it alive for the call.
    auto logon = keys_.local_logon;
    logon();
  } else if (quit && keys_.quit) {
    auto end = keys_.quit;
    end();
  }
  return true;  // no key reaches the caller's input while the node waits
}

}  // namespace vx::console
