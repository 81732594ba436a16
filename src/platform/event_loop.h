// The node's single event loop: descriptor watchers, interval timers and the waits built on them.
// Every wait blocks in poll() until a descriptor is ready or a timer is due; nothing spins.
//
// Invariants of the callbacks:
//   - A timer's tick or a watcher's callback never runs again while it is already running: a
//     one-second tick that waits two seconds is not re-entered by its own timer (and a running
//     timer or watcher is left out of the next-timer computation and the poll set, so the nested
//     wait blocks instead of spinning on it).
//   - A timer or watcher may be destroyed from inside its own callback, or another's: the loop
//     keeps the callable alive for the call and never touches a destroyed object afterwards.
//   - Identity is by a serial number, never by address: a watcher created where a destroyed one
//     lived gets none of the events meant for the old one.
//   - A descriptor closed behind its watcher's back (POLLNVAL) is reported to the watcher once and
//     then no longer polled, so it cannot make the loop spin.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/clock.h"

namespace vx::platform {

class Timer;
class FdWatcher;

class EventLoop {
 public:
  explicit EventLoop(Clock& clock) : clock_(clock) {}
  EventLoop(const EventLoop&) = delete;
  EventLoop& operator=(const EventLoop&) = delete;

  Clock& clock() { return clock_; }

  // Runs whatever is ready now (due timers, ready descriptors) without blocking.
  void ProcessEvents() { RunOnce(false, Duration::zero()); }

  // Blocks, running events, until done() holds. done() is checked before every block.
  void WaitUntil(const std::function<bool()>& done);
  // As above but gives up after timeout; returns whether done() held.
  bool WaitUntil(const std::function<bool()>& done, Duration timeout);
  // Runs events for the given time (the node's Delay).
  void WaitFor(Duration d);

  // One round: fire due timers, poll descriptors. Blocks at most `max_block` when `block` is set
  // (and no longer than the next timer).
  void RunOnce(bool block, Duration max_block);

  int nesting_depth() const { return depth_; }

 private:
  friend class Timer;
  friend class FdWatcher;

  template <typename T>
  static bool Alive(const std::vector<T*>& list, const T* item, uint64_t serial);
  template <typename T>
  class RunningMark;

  void FireDueTimers();
  Duration TimeToNextTimer() const;  // negative when no timer is enabled

  Clock& clock_;
  std::vector<Timer*> timers_;
  std::vector<FdWatcher*> watchers_;
  uint64_t next_serial_ = 1;
  int depth_ = 0;
};

// The node's Delay: returns after `seconds`, running events all the while. Measured on the
// monotonic clock, so a wait across midnight (or a change of the wall clock) ends on time.
inline void Delay(EventLoop& loop, double seconds) {
  loop.WaitFor(std::chrono::duration_cast<Duration>(std::chrono::duration<double>(seconds)));
}

// An interval timer, disabled when created. Registered for its lifetime.
class Timer {
 public:
  Timer(EventLoop& loop, std::chrono::milliseconds interval, std::function<void()> on_tick);
  ~Timer();
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  void SetEnabled(bool enabled);
  bool enabled() const { return enabled_; }
  // Stops an enabled timer and keeps what was left of its interval; Resume goes on from there, so
  // a pause does not change when the next tick falls by more than the pause itself. SetEnabled
  // forgets a pause.
  void Pause();
  void Resume();
  bool paused() const { return paused_; }
  void SetInterval(std::chrono::milliseconds interval);
  std::chrono::milliseconds interval() const { return interval_; }
  // The tick is running (a wait inside it is going on).
  bool running() const { return running_; }

 private:
  friend class EventLoop;
  EventLoop& loop_;
  uint64_t serial_;
  std::chrono::milliseconds interval_;
  std::shared_ptr<std::function<void()>> on_tick_;
  bool enabled_ = false;
  bool running_ = false;
  bool paused_ = false;
  MonoTime due_{};
  Duration left_when_paused_{};
};

// Watches one descriptor for poll() events while it lives.
class FdWatcher {
 public:
  FdWatcher(EventLoop& loop, int fd, short events, std::function<void(short revents)> on_ready);
  ~FdWatcher();
  FdWatcher(const FdWatcher&) = delete;
  FdWatcher& operator=(const FdWatcher&) = delete;

  void SetEvents(short events) { events_ = events; }
  int fd() const { return fd_; }

 private:
  friend class EventLoop;
  EventLoop& loop_;
  uint64_t serial_;
  int fd_;
  short events_;
  std::shared_ptr<std::function<void(short)>> on_ready_;
  bool running_ = false;
  bool invalid_ = false;  // the descriptor was closed behind our back
};

}  // namespace vx::platform
