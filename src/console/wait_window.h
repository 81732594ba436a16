// The waiting window on the sysop's terminal: it takes the place of the caller's screen in the
// node window while the node waits for a call, with its status line, the information labels, the
// clock and the two log boxes (the modem's events, newest first, and the raw traffic), and its
// keys: F1 (or L) local logon, F3 (or T) folds the log boxes away and back, F10 (or Q) quits.
#pragma once

#include <string>

#include "console/curses_console.h"
#include "session/wait_view.h"

namespace vx::console {

class WaitWindow final : public session::WaitView {
 public:
  static constexpr const char* kLegend = "F1/L Local logon   F3/T Fold log boxes   F10/Q Quit";

  explicit WaitWindow(CursesConsole& console) : console_(console) {}
  ~WaitWindow() override { Close(); }

  void Open(Keys keys) override;
  void Close() override;
  void SetTitle(std::string_view title) override;
  void SetStatus(std::string_view status) override;
  void SetLabels(const session::WaitLabels& labels) override;
  void SetClock(std::string_view text) override;
  void SetModemLog(std::string_view text) override;
  void SetTraffic(std::string_view text) override;
  void Beep() override;

 private:
  void Draw();
  bool Key(int code, bool command);
  void Refresh();

  CursesConsole& console_;
  Keys keys_;
  bool open_ = false;
  bool folded_ = false;
  std::string saved_legend_;
  std::string status_, clock_, modem_log_, traffic_;
  session::WaitLabels labels_;
};

}  // namespace vx::console
