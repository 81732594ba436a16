// The node log: one line per event, appended to the node's log file and mirrored in the LogBook
// rows of the sysop console.
//
//   normal line   marker, blank, hh:mm:ss, two blanks, text   (marker ">" or, for alarms, "!")
//   plain line    the text alone
// A text that starts with BEL is an alarm line; one that starts with ESC is a plain line. Trailing
// CRs and LFs are dropped. Lines end in CR LF. The file is opened, appended to and closed for every
// line, so it is complete at any moment.
#pragma once

#include <deque>
#include <string>
#include <string_view>

#include "platform/clock.h"
#include "platform/environment.h"

namespace vx::core {

struct LogBookRow {
  std::string date;  // mm-dd-yyyy
  std::string time;  // hh:mm:ss
  std::string text;
};

class NodeLog {
 public:
  NodeLog(const platform::Clock& clock, const platform::Environment& env)
      : clock_(clock), env_(env) {}

  // The log file (a DOS or host path); empty: rows only.
  void SetFileName(std::string name) { file_name_ = std::move(name); }
  const std::string& file_name() const { return file_name_; }
  bool FileExists() const;

  void WriteLog(std::string_view text);
  // An alarm line (marker "!"): the same as WriteLog of BEL + text.
  void Alarm(std::string_view text);
  // A debug line: written only in debug mode.
  void Debug(std::string_view text) {
    if (debug_) WriteLog(text);
  }
  void SetDebug(bool on) { debug_ = on; }
  bool debug() const { return debug_; }

  const std::deque<LogBookRow>& book() const { return book_; }

  // The line as it is written to the file, without the line end.
  static std::string FormatLine(std::string_view text, const std::tm& now);

 private:
  static constexpr size_t kMaxBookRows = 5000;
  const platform::Clock& clock_;
  const platform::Environment& env_;
  std::string file_name_;
  bool debug_ = false;
  std::deque<LogBookRow> book_;
};

}  // namespace vx::core
