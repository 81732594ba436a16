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

template <typename T>
bool Contains(const std::vector<T*>& list, const T* item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

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
    if (!t->enabled_) continue;
    Duration left = std::max(Duration::zero(), Duration(t->due_ - now));
    if (best < Duration::zero() || left < best) best = left;
  }
  return best;
}

void EventLoop::FireDueTimers() {
  // Copy the list: a tick may create or destroy timers.
  const std::vector<Timer*> snapshot = timers_;
  for (Timer* t : snapshot) {
    if (!Contains(timers_, t) || !t->enabled_) continue;
    const MonoTime now = clock_.Monotonic();
    if (now < t->due_) continue;
    // The next tick counts from now: a late loop does not fire a burst of catch-up ticks.
    t->due_ = now + t->interval_;
    t->on_tick_();
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
  const std::vector<FdWatcher*> watched = watchers_;
  fds.reserve(watched.size());
  for (const FdWatcher* w : watched) fds.push_back(pollfd{w->fd_, w->events_, 0});

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
    FdWatcher* w = watched[i];
    if (!Contains(watchers_, w)) continue;
    w->on_ready_(fds[i].revents);
  }
}

Timer::Timer(EventLoop& loop, std::chrono::milliseconds interval, std::function<void()> on_tick)
    : loop_(loop), interval_(interval), on_tick_(std::move(on_tick)) {
  loop_.timers_.push_back(this);
}

Timer::~Timer() { std::erase(loop_.timers_, this); }

void Timer::SetEnabled(bool enabled) {
  if (enabled && !enabled_) due_ = loop_.clock_.Monotonic() + interval_;
  enabled_ = enabled;
}

void Timer::SetInterval(std::chrono::milliseconds interval) {
  interval_ = interval;
  if (enabled_) due_ = loop_.clock_.Monotonic() + interval_;
}

FdWatcher::FdWatcher(EventLoop& loop, int fd, short events, std::function<void(short)> on_ready)
    : loop_(loop), fd_(fd), events_(events), on_ready_(std::move(on_ready)) {
  loop_.watchers_.push_back(this);
}

FdWatcher::~FdWatcher() { std::erase(loop_.watchers_, this); }

}  // namespace vx::platform
