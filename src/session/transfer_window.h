// The transfer window of a download or an upload as the file functions drive it: opened for the
// transfer, shown once a second, given the list lines of each finished file, closed at the end.
// Without a console window (headless) the progress goes to the node log instead, one line when
// the transfer has run for a while and then every half minute, so that a long transfer leaves a
// trace without filling the log.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "platform/clock.h"
#include "session/sysop_views.h"

namespace vx::session {

struct NodeSession;

// Seconds as "hh:mm:ss" (negative counts as 0).
std::string TransferClock(int seconds);
// The share done, 0 to 100; 0 when the size is not known.
int TransferPercent(const TransferState& state);
// The file's name for a field of `width` characters: a longer name shows ".." and its end.
std::string TransferFileField(std::string_view name, size_t width);
// The state as one line of the log.
std::string TransferProgressLine(const TransferState& state);

class TransferWindow {
 public:
  static constexpr std::chrono::seconds kLogEvery{30};

  TransferWindow(NodeSession& session, std::string_view title);
  ~TransferWindow();
  TransferWindow(const TransferWindow&) = delete;
  TransferWindow& operator=(const TransferWindow&) = delete;

  void Show(const TransferState& state);
  // A line of the window's list ("[Sent: NAME]"); the log has its own lines for these.
  void AddLine(std::string_view line);
  bool headless() const { return !open_; }

 private:
  NodeSession& session_;
  bool open_ = false;
  platform::MonoTime last_logged_;
};

}  // namespace vx::session
