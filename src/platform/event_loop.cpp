// The poll()-based event loop behind every wait of the node.
#include "platform/event_loop.h"

#include <poll.h>

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <stdexcept>

namespace vx::platform {

namespace {
// Waits nest (a wait for a key inside a more prompt inside a display inside a menu function...),
// but never deeply; a runaway recursion is a bug worth stopping loudly.
constexpr int kMaxNesting = 64;

struct DepthGuard {
  explicit DepthGuard(int& depth) : depth_(depth) {
    if (++depth_ > kMaxNesting) {
      --depth_;
      throw std::logic_error("event loop: waits nested too deeply");
    }
  }
  ~DepthGuard() { --depth_; }
  int& depth_;
};
}  // namespace

// Still registered, and still the same object: a new one may live at a destroyed one's address.
template <typename T>
bool EventLoop::Alive(const std::vector<T*>& list, const T* item, uint64_t serial) {
  return std::find(list.begin(), list.end(), item) != list.end() && item->serial_ == serial;
}

// Marks a callback as running for its duration, and clears the mark afterwards unless the object
// was destroyed meanwhile (by its own callback, say).
template <typename T>
class EventLoop::RunningMark {
 public:
  RunningMark(const std::vector<T*>& list, T* item) : list_(list), item_(item), serial_(item->serial_) {
    item_->running_ = true;
  }
  ~RunningMark() {
    if (Alive(list_, item_, serial_)) item_->running_ = false;
  }
  RunningMark(const RunningMark&) = delete;
  RunningMark& operator=(const RunningMark&) = delete;

 private:
  const std::vector<T*>& list_;
  T* item_;
  uint64_t serial_;
};

void EventLoop::WaitUntil(const std::function<bool()>& done) {
  DepthGuard guard(depth_);
  while (!done()) RunOnce(true, Duration(-1));
}

bool EventLoop::WaitUntil(const std::function<bool()>& done, Duration timeout) {
  DepthGuard guard(depth_);
  const MonoTime end = clock_.Monotonic() + timeout;
  while (!done()) {
    const MonoTime now = clock_.Monotonic();
    if (now >= end) return false;
    RunOnce(true, end - now);
  }
  return true;
}

void EventLoop::WaitFor(Duration d) {
  WaitUntil([] { return false; }, d);
}

Duration EventLoop::TimeToNextTimer() const {
  Duration best(-1);
  const MonoTime now = clock_.Monotonic();
  for (const Timer* t : timers_) {
    if (!t->enabled_ || t->running_) continue;
    Duration left = std::max(Duration::zero(), Duration(t->due_ - now));
    if (best < Duration::zero() || left < best) best = left;
  }
  return best;
}

void EventLoop::FireDueTimers() {
  // Copy the list: a tick may create or destroy timers.
  std::vector<std::pair<Timer*, uint64_t>> snapshot;
  snapshot.reserve(timers_.size());
  for (Timer* t : timers_) snapshot.emplace_back(t, t->serial_);
  for (auto [t, serial] : snapshot) {
    if (!Alive(timers_, t, serial) || !t->enabled_ || t->running_) continue;
    const MonoTime now = clock_.Monotonic();
    if (now < t->due_) continue;
    // The next tick counts from now: a late loop does not fire a burst of catch-up ticks.
    t->due_ = now + t->interval_;
    const auto tick = t->on_tick_;  // kept alive even if the tick destroys its timer
    RunningMark<Timer> mark(timers_, t);
    (*tick)();
  }
}

void EventLoop::RunOnce(bool block, Duration max_block) {
  FireDueTimers();

  Duration wait = Duration::zero();
  if (block) {
    wait = TimeToNextTimer();
    if (max_block >= Duration::zero() && (wait < Duration::zero() || max_block < wait)) {
      wait = max_block;
    }
  }

  std::vector<pollfd> fds;
  std::vector<std::pair<FdWatcher*, uint64_t>> watched;
  fds.reserve(watchers_.size());
  watched.reserve(watchers_.size());
  for (FdWatcher* w : watchers_) {
    if (w->running_ || w->invalid_) continue;
    fds.push_back(pollfd{w->fd_, w->events_, 0});
    watched.emplace_back(w, w->serial_);
  }

  if (fds.empty() && wait < Duration::zero()) {
    throw std::logic_error("event loop: blocking wait with nothing that could end it");
  }

  const int timeout_ms = block ? clock_.RealTimeoutMs(wait, !fds.empty()) : 0;
  int ready = ::poll(fds.data(), fds.size(), timeout_ms);
  if (ready < 0) {
    if (errno == EINTR) return;
    throw std::runtime_error("event loop: poll failed");
  }
  if (ready == 0) {
    if (block) clock_.IdleWaited(wait);
    FireDueTimers();
    return;
  }
  for (size_t i = 0; i < fds.size(); ++i) {
    if (fds[i].revents == 0) continue;
    auto [w, serial] = watched[i];
    if (!Alive(watchers_, w, serial) || w->running_) continue;
    if (fds[i].revents & POLLNVAL) w->invalid_ = true;
    const auto on_ready = w->on_ready_;
    RunningMark<FdWatcher> mark(watchers_, w);
    (*on_ready)(fds[i].revents);
  }
}

Timer::Timer(EventLoop& loop, std::chrono::milliseconds interval, std::function<void()> on_tick)
    : loop_(loop),
      serial_(loop.next_serial_++),
      interval_(interval),
      on_tick_(std::make_shared<std::function<void()>>(std::move(on_tick))) {
  loop_.timers_.push_back(this);
}

Timer::~Timer() { std::erase(loop_.timers_, this); }

void Timer::SetEnabled(bool enabled) {
  if (enabled && !enabled_) due_ = loop_.clock_.Monotonic() + interval_;
  enabled_ = enabled;
  paused_ = false;
}

void Timer::Pause() {
  if (!enabled_) return;
  left_when_paused_ = std::max(Duration::zero(), Duration(due_ - loop_.clock_.Monotonic()));
  enabled_ = false;
  paused_ = true;
}

void Timer::Resume() {
  if (!paused_) return;
  due_ = loop_.clock_.Monotonic() + left_when_paused_;
  enabled_ = true;
  paused_ = false;
}

void Timer::SetInterval(std::chrono::milliseconds interval) {
  interval_ = interval;
  if (enabled_) due_ = loop_.clock_.Monotonic() + interval_;
}

FdWatcher::FdWatcher(EventLoop& loop, int fd, short events, std::function<void(short)> on_ready)
    : loop_(loop),
      serial_(loop.next_serial_++),
      fd_(fd),
      events_(events),
      on_ready_(std::make_shared<std::function<void(short)>>(std::move(on_ready))) {
  loop_.watchers_.push_back(this);
}

FdWatcher::~FdWatcher() { std::erase(loop_.watchers_, this); }

}  // namespace vx::platform
