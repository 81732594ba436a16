// Time for the node: a monotonic clock for intervals and a wall clock for dates and times of day.
// Abstract so that tests can drive a whole call with a manual clock.
#pragma once

#include <chrono>
#include <ctime>

namespace vx::platform {

using Duration = std::chrono::nanoseconds;
using MonoTime = std::chrono::steady_clock::time_point;
using WallTime = std::chrono::system_clock::time_point;

class Clock {
 public:
  virtual ~Clock() = default;
  virtual MonoTime Monotonic() const = 0;
  virtual WallTime Wall() const = 0;

  // The event loop is about to block for at most `wanted` (negative: no timer due), watching
  // descriptors or not; returns the real poll() timeout in milliseconds (-1 = forever).
  virtual int RealTimeoutMs(Duration wanted, bool watching) const;
  // poll() returned with nothing ready after being asked to wait `wanted`.
  virtual void IdleWaited(Duration wanted) { (void)wanted; }

  // The wall clock as local broken-down time.
  std::tm LocalTime() const;
};

class SystemClock final : public Clock {
 public:
  MonoTime Monotonic() const override { return std::chrono::steady_clock::now(); }
  WallTime Wall() const override { return std::chrono::system_clock::now(); }
};

// A clock that moves only when told. With auto-advance on, an idle wait of the event loop (nothing
// ready on any descriptor within a short real slice, or at once when no descriptor is watched)
// jumps the clock to the next timer, so a sixty-second timer fires in microseconds of real time.
class ManualClock final : public Clock {
 public:
  explicit ManualClock(WallTime wall_start = WallTime{}) : wall_start_(wall_start) {}

  MonoTime Monotonic() const override { return MonoTime{} + elapsed_; }
  WallTime Wall() const override {
    return wall_start_ + std::chrono::duration_cast<WallTime::duration>(elapsed_);
  }
  void Advance(Duration d) { elapsed_ += d; }
  void SetAutoAdvance(bool on) { auto_advance_ = on; }
  // Auto-advance stops with an error beyond this much clock time: a wait that nothing ends would
  // otherwise run forever in a test instead of failing.
  void SetHorizon(Duration horizon) { horizon_ = horizon; }
  void SetWall(WallTime wall) { wall_start_ = wall - std::chrono::duration_cast<WallTime::duration>(elapsed_); }

  int RealTimeoutMs(Duration wanted, bool watching) const override;
  void IdleWaited(Duration wanted) override;

 private:
  WallTime wall_start_;
  Duration elapsed_{0};
  bool auto_advance_ = true;
  Duration horizon_ = std::chrono::hours(24 * 400);
};

}  // namespace vx::platform
