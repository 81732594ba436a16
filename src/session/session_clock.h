// The session clock: the caller's minutes and the inactivity watch. The one-minute and one-second
// clocks that count them belong to the end-of-call handling.
#pragma once

namespace vx::session {

struct SessionClock {
  int time_left = 0;           // minutes the caller may still stay
  int session_minutes = 0;     // minutes of this call so far
  int inactivity_timeout = 0;  // seconds without a key before the call ends
  int daily_time = 0;          // the day's limit of the caller's security level (LIMITS.VX)
  long daily_download_k = 0;   // the download limit for this call's speed (LIMITS.VX)
};

}  // namespace vx::session
