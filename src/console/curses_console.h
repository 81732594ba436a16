// The sysop's console on a terminal (ncurses): message boxes, and the node window with the
// caller's screen as the caller sees it, a title line, a tool bar line, a status bar and room for
// the status panel beside the caller's screen.
//
//   row 0        title (the node window's caption)
//   rows 1..25   the caller's 80 x 25 screen, drawn from the terminal model: code page 437 glyphs
//                as Unicode, the IBM colours (bright colours as real colours where the terminal
//                has 16, as bold otherwise), the caller's cursor
//   columns 82.. the status panel, when the terminal is wide enough
//   row 26       the tool bar: the keys and what they do
//   row 27       the status bar
// A smaller terminal shows what fits. Keys typed at the console are local keys: code page 437
// codes go to the key handler (Enter as 13, Backspace as 8); arrows and function keys go to the
// command key handler.
//
// The console takes the terminal over when it is made and gives it back, as it found it, when it
// is destroyed, so every way out of the node (including the end of the call unwinding to main)
// restores the sysop's terminal.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "comm/terminal_model.h"
#include "platform/console.h"
#include "platform/environment.h"
#include "platform/event_loop.h"
#include "session/node_window.h"

struct screen;  // ncurses' SCREEN, kept out of this header with curses.h and its macros

namespace vx::console {

class CursesConsole final : public platform::Console, public session::NodeWindow {
 public:
  // Command keys as the handler receives them.
  enum CommandKey { kUp = 1, kDown, kLeft, kRight, kFunction1 = 100 };  // F-n = kFunction1 + n - 1

  // True when the node runs at a terminal (standard input and output) and VXCONSOLE is not
  // "none".
  static bool Wanted(const platform::Environment& env);

  CursesConsole(platform::EventLoop& loop, comm::TerminalModel& screen);
  ~CursesConsole() override;
  CursesConsole(const CursesConsole&) = delete;
  CursesConsole& operator=(const CursesConsole&) = delete;

  int MessageBox(std::string_view text, std::string_view title, int style) override;
  bool interactive() const override { return true; }

  void Show() override;
  void SetTitle(std::string_view title) override;
  void RefreshStatusPanel() override;

  // The page and chat windows (sysop_windows.cpp).
  bool OpenPage(std::string_view label, int duration_seconds,
                std::function<void(bool accepted)> answer) override;
  void PageProgress(int elapsed_seconds) override;
  void RingBell() override;
  void ClosePage() override;
  bool OpenChat(std::string_view caller_name, std::string_view sysop_name, std::string_view subject,
                std::function<void(int key)> sysop_key, std::function<void()> close) override;
  void ChatCallerText(std::string_view box) override;
  void ChatSysopText(std::string_view box) override;
  void ChatElapsed(std::string_view text) override;
  void CloseChat() override;
  // The transfer window (sysop_windows.cpp).
  bool OpenTransfer(std::string_view title) override;
  void ShowTransfer(const session::TransferState& state) override;
  void AddTransferLine(std::string_view line) override;
  void CloseTransfer() override;

  void SetKeyHandler(std::function<void(int code)> handler) { on_key_ = std::move(handler); }
  void SetCommandKeyHandler(std::function<void(int key)> handler) {
    on_command_key_ = std::move(handler);
  }
  // The status bar's text, asked for at every refresh ("Local logon", "Device: COM1 - ...").
  void SetStatusBarSource(std::function<std::string()> source) {
    status_source_ = std::move(source);
  }
  void SetStatusPanel(std::vector<std::string> lines);
  // The status panel's lines, asked for at every RefreshStatusPanel.
  void SetStatusPanelSource(std::function<std::vector<std::string>()> source) {
    panel_source_ = std::move(source);
  }
  void SetToolBarLegend(std::string legend);
  const std::string& tool_bar_legend() const { return legend_; }

  // Another window in place of the caller's screen (the waiting window): `draw` paints rows
  // 1..25 and `key` gets every key first (`command`: a CommandKey) and says whether it took it.
  // Empty functions give the caller's screen back.
  void SetScreenOverride(std::function<void()> draw,
                         std::function<bool(int code, bool command)> key);

  // Draws everything now.
  void Redraw();
  // The caller's screen in rows 1..25 (an override may draw it and put a box over it).
  void DrawCallerScreen();

 private:
  void OnKeyboard(short revents);
  void Key(int code, bool command);
  void DrawPage();
  bool PageKey(int code, bool command);
  void DrawChat();
  bool ChatKey(int code, bool command);
  void DrawTransfer();
  void DrawLine(int row, std::string_view text, bool highlighted);
  int PairFor(int foreground, int background, bool& bold) const;

  platform::EventLoop& loop_;
  comm::TerminalModel& screen_;
  ::screen* terminal_ = nullptr;
  bool sixteen_colours_ = false;
  std::string title_;
  std::string legend_;
  std::vector<std::string> panel_;
  std::function<std::string()> status_source_;
  std::function<std::vector<std::string>()> panel_source_;
  std::function<void(int)> on_key_;
  std::function<void(int)> on_command_key_;
  std::function<void()> override_draw_;
  std::function<bool(int, bool)> override_key_;
  std::unique_ptr<platform::FdWatcher> keyboard_;
  bool keyboard_gone_ = false;

  struct PageState {
    std::string label;
    int duration = 0;
    int elapsed = 0;
    std::function<void(bool)> answer;
    std::string saved_legend;
  } page_;
  struct ChatState {
    std::string caller_name, sysop_name, subject, elapsed;
    std::string caller_box, sysop_box;
    std::function<void(int)> key;
    std::function<void()> close;
    std::string saved_legend;
    bool open = false;
  } chat_;
  struct TransferWindowState {
    std::string title;
    session::TransferState state;
    std::vector<std::string> lines;  // the newest few
    std::string saved_legend;
    bool open = false;
  } transfer_;
  platform::Timer redraw_timer_;
};

}  // namespace vx::console
