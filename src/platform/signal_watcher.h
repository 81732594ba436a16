// Termination signals (SIGTERM, SIGHUP, SIGINT) delivered through the event loop: they are blocked
// for ordinary code and read from a signalfd inside the waits, so the handler runs at a point where
// ending the call (unwinding to main) is safe. Children started later must get the original signal
// mask back (original_mask()).
#pragma once

#include <signal.h>

#include <functional>
#include <initializer_list>
#include <memory>

#include "platform/event_loop.h"

namespace vx::platform {

class SignalWatcher {
 public:
  SignalWatcher(EventLoop& loop, std::function<void(int signal)> on_signal);
  // The same for the signals of `signals` (SIGUSR1 and SIGUSR2 of the sysop's time keys, say).
  SignalWatcher(EventLoop& loop, std::initializer_list<int> signals,
                std::function<void(int signal)> on_signal);
  ~SignalWatcher();
  SignalWatcher(const SignalWatcher&) = delete;
  SignalWatcher& operator=(const SignalWatcher&) = delete;

  const sigset_t& original_mask() const { return original_mask_; }
  bool ok() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
  sigset_t original_mask_;
  std::function<void(int)> on_signal_;
  std::unique_ptr<FdWatcher> watcher_;
};

}  // namespace vx::platform
