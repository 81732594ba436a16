// The ncurses console: drawing the node window and reading the sysop's keys.
#define NCURSES_WIDECHAR 1
#include "console/curses_console.h"

#include <curses.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <clocale>

#include "console/cp437.h"
#include "console/screen_text.h"

namespace vx::console {

namespace {
constexpr int kScreenTop = 1;
constexpr int kToolBarRow = kScreenTop + comm::TerminalModel::kRows;
constexpr int kStatusBarRow = kToolBarRow + 1;
constexpr int kPanelColumn = comm::TerminalModel::kColumns + 2;
// Changes of the caller's screen are drawn together, at most this often.
constexpr std::chrono::milliseconds kRedrawDelay(30);

// IBM colour order (black, blue, green, cyan, red, magenta, brown, grey) to curses colours.
constexpr short kIbmToCurses[8] = {COLOR_BLACK, COLOR_BLUE,    COLOR_GREEN,  COLOR_CYAN,
                                   COLOR_RED,   COLOR_MAGENTA, COLOR_YELLOW, COLOR_WHITE};

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines(1);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lines.emplace_back();
    } else {
      lines.back() += text[i];
    }
  }
  return lines;
}
}  // namespace

bool CursesConsole::Wanted(const platform::Environment& env) {
  if (!::isatty(STDIN_FILENO) || !::isatty(STDOUT_FILENO)) return false;
  std::string choice = env.Value("VXCONSOLE");
  std::transform(choice.begin(), choice.end(), choice.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return choice != "none";
}

CursesConsole::CursesConsole(platform::EventLoop& loop, comm::TerminalModel& screen)
    : loop_(loop), screen_(screen), redraw_timer_(loop, kRedrawDelay, [this] {
        redraw_timer_.SetEnabled(false);
        Redraw();
      }) {
  // The sysop's locale decides how the glyphs reach the terminal (UTF-8 nearly everywhere).
  std::setlocale(LC_CTYPE, "");
  terminal_ = newterm(nullptr, stdout, stdin);
  set_term(terminal_);
  cbreak();  // Ctrl-C stays a signal, which ends the call in an orderly way
  noecho();
  nonl();
  keypad(stdscr, TRUE);
  nodelay(stdscr, TRUE);
  set_escdelay(25);
  if (has_colors()) {
    start_color();
    sixteen_colours_ = COLORS >= 16 && COLOR_PAIRS > 16 * 8;
    for (int fg = 0; fg < (sixteen_colours_ ? 16 : 8); ++fg) {
      for (int bg = 0; bg < 8; ++bg) {
        const int pair = 1 + fg * 8 + bg;
        if (pair >= COLOR_PAIRS) continue;
        const short curses_fg = static_cast<short>(kIbmToCurses[fg & 7] + (fg >= 8 ? 8 : 0));
        init_pair(static_cast<short>(pair), curses_fg, kIbmToCurses[bg]);
      }
    }
  }
  screen_.SetChangeHandler([this] {
    if (!redraw_timer_.enabled()) redraw_timer_.SetEnabled(true);
  });
  keyboard_ = std::make_unique<platform::FdWatcher>(loop_, STDIN_FILENO, POLLIN,
                                                    [this](short revents) { OnKeyboard(revents); });
}

CursesConsole::~CursesConsole() {
  screen_.SetChangeHandler({});
  keyboard_.reset();
  endwin();
  delscreen(terminal_);
}

int CursesConsole::PairFor(int foreground, int background, bool& bold) const {
  bold = false;
  if (!has_colors()) return 0;
  if (!sixteen_colours_ && foreground >= 8) {
    bold = true;
    foreground -= 8;
  }
  const int pair = 1 + foreground * 8 + (background & 7);
  return pair < COLOR_PAIRS ? pair : 0;
}

void CursesConsole::DrawCallerScreen() {
  const int rows = std::min(comm::TerminalModel::kRows, LINES - kScreenTop);
  const int columns = std::min(comm::TerminalModel::kColumns, COLS);
  // A caller with a longer screen than the 25 rows shown here: the rows around the cursor.
  const int top = std::clamp(screen_.cursor_row() - rows, 0, std::max(0, screen_.rows() - rows));
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      const comm::TerminalModel::Cell& cell = screen_.CellAt(top + r, c);
      bool bold = false;
      const int pair = PairFor(cell.attribute & 0x0F, (cell.attribute >> 4) & 0x07, bold);
      PutGlyph(kScreenTop + r, c, cell.character, bold ? A_BOLD : A_NORMAL,
               static_cast<short>(pair));
    }
  }
}

void CursesConsole::DrawLine(int row, std::string_view text, bool highlighted) {
  if (row >= LINES) return;
  const attr_t attributes = highlighted ? A_REVERSE : A_NORMAL;
  for (int c = 0; c < COLS; ++c) {
    const uint8_t byte = static_cast<size_t>(c) < text.size()
                             ? static_cast<uint8_t>(text[static_cast<size_t>(c)])
                             : ' ';
    PutGlyph(row, c, byte, attributes, 0);
  }
}

void CursesConsole::Redraw() {
  DrawLine(0, title_, true);
  if (override_draw_) {
    override_draw_();
  } else {
    DrawCallerScreen();
  }
  if (COLS >= kPanelColumn + 10) {
    for (int r = 0; r < comm::TerminalModel::kRows && kScreenTop + r < LINES; ++r) {
      const std::string& line =
          static_cast<size_t>(r) < panel_.size() ? panel_[static_cast<size_t>(r)] : std::string();
      for (int c = kPanelColumn; c < COLS; ++c) {
        const size_t i = static_cast<size_t>(c - kPanelColumn);
        PutGlyph(kScreenTop + r, c, i < line.size() ? static_cast<uint8_t>(line[i]) : ' ', A_NORMAL,
                 0);
      }
    }
  }
  DrawLine(std::max(kToolBarRow, 0), legend_, false);
  const int status_row = std::min(kStatusBarRow, LINES - 1);
  DrawLine(status_row, status_source_ ? status_source_() : std::string(), true);
  const int shown = std::min(comm::TerminalModel::kRows, LINES - kScreenTop);
  const int top = std::clamp(screen_.cursor_row() - shown, 0, std::max(0, screen_.rows() - shown));
  const int cursor_row = kScreenTop + screen_.cursor_row() - 1 - top;
  if (cursor_row < LINES && screen_.cursor_column() < COLS)
    move(cursor_row, screen_.cursor_column());
  refresh();
}

void CursesConsole::Show() { Redraw(); }

void CursesConsole::SetTitle(std::string_view title) {
  title_ = title;
  Redraw();
}

void CursesConsole::RefreshStatusPanel() {
  if (panel_source_) panel_ = panel_source_();
  Redraw();
}

void CursesConsole::SetStatusPanel(std::vector<std::string> lines) {
  panel_ = std::move(lines);
  Redraw();
}

void CursesConsole::SetToolBarLegend(std::string legend) {
  legend_ = std::move(legend);
  Redraw();
}

void CursesConsole::SetScreenOverride(std::function<void()> draw,
                                      std::function<bool(int, bool)> key) {
  override_draw_ = std::move(draw);
  override_key_ = std::move(key);
  clear();
  Redraw();
}

void CursesConsole::Key(int code, bool command) {
  // A copy: the handler may replace itself (a window that closes on this key).
  const auto override_key = override_key_;
  if (override_key && override_key(code, command)) return;
  if (command) {
    if (on_command_key_) on_command_key_(code);
  } else if (on_key_) {
    on_key_(code);
  }
}

void CursesConsole::OnKeyboard(short revents) {
  if (revents & (POLLHUP | POLLERR | POLLNVAL)) {
    // The sysop's terminal is gone (its hang-up signal ends the call). Stop listening to it.
    keyboard_->SetEvents(0);
    keyboard_gone_ = true;
    const int quiet = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (quiet >= 0) {
      ::dup2(quiet, STDIN_FILENO);
      ::close(quiet);
    }
    return;
  }
  for (;;) {
    wint_t key = 0;
    const int kind = get_wch(&key);
    if (kind == ERR) return;
    if (kind == KEY_CODE_YES) {
      switch (key) {
        case KEY_ENTER:
          Key(13, false);
          break;
        case KEY_BACKSPACE:
          Key(8, false);
          break;
        case KEY_RESIZE:
          clear();
          Redraw();
          break;
        case KEY_UP:
          Key(kUp, true);
          break;
        case KEY_DOWN:
          Key(kDown, true);
          break;
        case KEY_LEFT:
          Key(kLeft, true);
          break;
        case KEY_RIGHT:
          Key(kRight, true);
          break;
        default:
          if (key >= KEY_F(1) && key <= KEY_F(12)) {
            Key(kFunction1 + static_cast<int>(key - KEY_F(1)), true);
          }
          break;
      }
      continue;
    }
    if (key == L'\n' || key == L'\r') {
      Key(13, false);
    } else if (key == 127 || key == 8) {
      Key(8, false);
    } else if (key < 128) {
      Key(static_cast<int>(key), false);
    } else if (const auto byte = UnicodeToCp437(static_cast<char32_t>(key))) {
      Key(*byte, false);
    }
  }
}

int CursesConsole::MessageBox(std::string_view text, std::string_view title, int style) {
  const bool yes_no = (style & 0x0F) == platform::box::kYesNo;
  std::vector<std::string> lines = SplitLines(text);
  const std::string buttons = yes_no ? "[Y]es   [N]o" : "[ OK ]";
  size_t width = std::max(title.size() + 4, buttons.size() + 4);
  for (const std::string& line : lines) width = std::max(width, line.size() + 4);
  width = std::min<size_t>(width, static_cast<size_t>(std::max(COLS, 10)));
  const int height = std::min(static_cast<int>(lines.size()) + 4, std::max(LINES, 5));
  const int top = std::max(0, (LINES - height) / 2);
  const int left = std::max(0, (COLS - static_cast<int>(width)) / 2);

  WINDOW* box_window = newwin(height, static_cast<int>(width), top, left);
  if (box_window == nullptr) return yes_no ? platform::box::kNo : platform::box::kOk;
  keypad(box_window, TRUE);
  box(box_window, 0, 0);
  mvwaddnstr(box_window, 0, 2, std::string(title).c_str(), static_cast<int>(width) - 4);
  for (size_t i = 0; i < lines.size() && static_cast<int>(i) + 1 < height - 2; ++i) {
    for (size_t c = 0; c < lines[i].size() && c + 4 <= width; ++c) {
      wchar_t glyph[2] = {static_cast<wchar_t>(Cp437ToUnicode(static_cast<uint8_t>(lines[i][c]))),
                          0};
      cchar_t cell;
      setcchar(&cell, glyph, A_NORMAL, 0, nullptr);
      mvwadd_wch(box_window, static_cast<int>(i) + 1, static_cast<int>(c) + 2, &cell);
    }
  }
  mvwaddstr(box_window, height - 2,
            std::max(1, (static_cast<int>(width) - static_cast<int>(buttons.size())) / 2),
            buttons.c_str());
  wrefresh(box_window);

  // The box is modal for the sysop, not for the node: its keys are read inside the event loop, so
  // signals, the line and the clocks keep working while it waits (a SIGTERM ends the node with
  // the box open). The node window's own keyboard watcher rests meanwhile, as it may be the one
  // whose key opened the box.
  const int safe_answer = yes_no ? platform::box::kNo : platform::box::kOk;
  int answer = 0;
  struct Cleanup {
    WINDOW* window;
    platform::FdWatcher* keyboard;
    short events;
    ~Cleanup() {
      delwin(window);
      if (keyboard) keyboard->SetEvents(events);
    }
  } cleanup{box_window, keyboard_.get(), keyboard_gone_ ? short{0} : short{POLLIN}};
  if (keyboard_) keyboard_->SetEvents(0);
  nodelay(box_window, TRUE);
  platform::FdWatcher box_keys(loop_, STDIN_FILENO, POLLIN, [&](short revents) {
    if (revents & (POLLHUP | POLLERR | POLLNVAL)) {
      answer = safe_answer;  // no keyboard any more
      return;
    }
    for (int key = wgetch(box_window); key != ERR && answer == 0; key = wgetch(box_window)) {
      if (yes_no) {
        if (key == 'y' || key == 'Y') answer = platform::box::kYes;
        if (key == 'n' || key == 'N' || key == 27) answer = platform::box::kNo;
      } else if (key == '\n' || key == '\r' || key == KEY_ENTER || key == ' ' || key == 27) {
        answer = platform::box::kOk;
      }
    }
  });
  if (keyboard_gone_) answer = safe_answer;
  loop_.WaitUntil([&] { return answer != 0; });
  touchwin(stdscr);
  Redraw();
  return answer;
}

}  // namespace vx::console
