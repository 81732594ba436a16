// Clock helpers shared by the real and the manual clock.
#include "platform/clock.h"

#include <algorithm>
#include <stdexcept>

namespace vx::platform {

namespace {
// How long a manual clock really blocks before it treats the wait as idle.
constexpr int kManualSliceMs = 20;
}  // namespace

int Clock::RealTimeoutMs(Duration wanted, bool watching) const {
  (void)watching;
  if (wanted < Duration::zero()) return -1;
  // Round up so that a timer is never polled for early, which would spin.
  auto ms = std::chrono::ceil<std::chrono::milliseconds>(wanted).count();
  return static_cast<int>(std::min<long long>(ms, 24 * 3600 * 1000LL));
}

std::tm Clock::LocalTime() const {
  std::time_t t = std::chrono::system_clock::to_time_t(Wall());
  std::tm out{};
  localtime_r(&t, &out);
  return out;
}

int ManualClock::RealTimeoutMs(Duration wanted, bool watching) const {
  if (!auto_advance_) return Clock::RealTimeoutMs(wanted, watching);
  if (wanted == Duration::zero() || !watching) return 0;
  return kManualSliceMs;
}

void ManualClock::IdleWaited(Duration wanted) {
  if (!auto_advance_ || wanted <= Duration::zero()) return;
  elapsed_ += wanted;
  if (elapsed_ > horizon_) throw std::logic_error("manual clock: a wait that nothing ends");
}

}  // namespace vx::platform
