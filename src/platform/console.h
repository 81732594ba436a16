// The sysop's console as the start-up and the rest of the node see it: message boxes and whether a
// terminal is present. The terminal user interface implements it in console/; without a terminal
// the headless console below stands in.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace vx::platform {

// Button and icon codes of a message box, combined by adding, and the answers, as the node's
// dialogs name them.
namespace box {
inline constexpr int kOkOnly = 0;
inline constexpr int kYesNo = 4;
inline constexpr int kCritical = 16;
inline constexpr int kExclamation = 48;

inline constexpr int kOk = 1;
inline constexpr int kYes = 6;
inline constexpr int kNo = 7;
}  // namespace box

class Console {
 public:
  virtual ~Console() = default;
  // Shows a message box and returns the button pressed (box::kOk, kYes, kNo).
  virtual int MessageBox(std::string_view text, std::string_view title, int style) = 0;
  // True when a sysop sits at a terminal and can answer questions.
  virtual bool interactive() const = 0;
};

// Writes one line (a line end is added) to standard error, ignoring failures: it is the last
// resort of a node that has nobody else to tell.
void WriteStandardError(std::string_view line);

// Without a terminal every box goes to standard error and to the node log (once one is known),
// and takes its safe answer: OK for information, No for a yes/no question (nothing is changed or
// removed on a guess).
class HeadlessConsole final : public Console {
 public:
  using LogSink = std::function<void(std::string_view line)>;
  explicit HeadlessConsole(LogSink log = {}) : log_(std::move(log)) {}
  void SetLogSink(LogSink log) { log_ = std::move(log); }

  int MessageBox(std::string_view text, std::string_view title, int style) override;
  bool interactive() const override { return false; }

  // The one-line form in which a box is written: "TITLE: text" with CRs turned into blanks.
  static std::string FormatBox(std::string_view text, std::string_view title);

 private:
  LogSink log_;
};

}  // namespace vx::platform
