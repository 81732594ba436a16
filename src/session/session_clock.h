// The session clock: the caller's minutes and the inactivity watch, and the two timers that count
// them. TimeLeftClock ticks every minute: one more minute on line and used today, one less left,
// warnings in the last three minutes and the end of the call at none. TimeOutClock ticks every
// second while a caller is connected: the carrier, and the seconds without a key, with warnings 15,
// 10 and 5 seconds before the inactivity limit ends the call. Warnings go out as they come, inside
// whatever the caller is doing, and are not counted as lines of the page.
#pragma once

#include "platform/event_loop.h"

namespace vx::session {

struct NodeSession;

struct SessionClock {
  int time_left = 0;           // minutes the caller may still stay
  int session_minutes = 0;     // minutes of this call so far
  int inactivity_timeout = 0;  // seconds without a key before the call ends; 0: no limit
  int daily_time = 0;          // the day's limit of the caller's security level (LIMITS.VX)
  long daily_download_k = 0;   // the download limit for this call's speed (LIMITS.VX)
  long kilobyte_ratio = 0;     // downloads per upload, in kilobytes and in files (LIMITS.VX);
  long file_ratio = 0;         // 0: no ratio
};

class SessionTimers {
 public:
  explicit SessionTimers(NodeSession& session);
  SessionTimers(const SessionTimers&) = delete;
  SessionTimers& operator=(const SessionTimers&) = delete;

  // TimeLeftClock: enabled when the logon begins (and left running).
  void StartTimeLeft() { time_left_clock_.SetEnabled(true); }
  // TimeOutClock: enabled once the caller is connected.
  void StartTimeOut() { time_out_clock_.SetEnabled(true); }
  // Both stop when the call ends.
  void Stop() {
    time_left_clock_.SetEnabled(false);
    time_out_clock_.SetEnabled(false);
  }
  // While a program runs on the caller's line (a door), both clocks stand still where they are
  // and go on from there afterwards; a Stop meanwhile (the end of the call) is not undone.
  void Pause() {
    time_left_clock_.Pause();
    time_out_clock_.Pause();
  }
  void Resume() {
    time_left_clock_.Resume();
    time_out_clock_.Resume();
  }
  bool time_left_running() const { return time_left_clock_.enabled(); }
  bool time_out_running() const { return time_out_clock_.enabled(); }

  // The ticks, for the clocks and the tests.
  void TimeLeftTick();
  void TimeOutTick();
  // A transfer has ended: the time warning it held back is shown now (or the call ends when no
  // time is left), and the inactivity count starts afresh.
  void AfterTransfer();

 private:
  void ShowTimeLeft();
  bool held_warning_ = false;
  NodeSession& session_;
  platform::Timer time_left_clock_;
  platform::Timer time_out_clock_;
};

// The line of a remote caller has lost its carrier (the connection is closed). Never in a local
// session, and not once the end of the call has begun.
bool CarrierLost(const NodeSession& session);
// PollInput's part: ends the call when the carrier is lost.
void CheckCarrier(NodeSession& session);

}  // namespace vx::session
