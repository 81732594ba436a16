// Termination signals through the event loop.
#include "platform/signal_watcher.h"

#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace vx::platform {

SignalWatcher::SignalWatcher(EventLoop& loop, std::function<void(int)> on_signal)
    : SignalWatcher(loop, {SIGTERM, SIGHUP, SIGINT}, std::move(on_signal)) {}

SignalWatcher::SignalWatcher(EventLoop& loop, std::initializer_list<int> signals,
                             std::function<void(int)> on_signal)
    : on_signal_(std::move(on_signal)) {
  sigset_t set;
  sigemptyset(&set);
  for (int signal : signals) sigaddset(&set, signal);
  sigprocmask(SIG_BLOCK, &set, &original_mask_);
  fd_ = ::signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
  if (fd_ < 0) return;
  watcher_ = std::make_unique<FdWatcher>(loop, fd_, POLLIN, [this](short) {
    signalfd_siginfo info;
    if (::read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
      on_signal_(static_cast<int>(info.ssi_signo));
    }
  });
}

SignalWatcher::~SignalWatcher() {
  watcher_.reset();
  if (fd_ >= 0) ::close(fd_);
  sigprocmask(SIG_SETMASK, &original_mask_, nullptr);
}

}  // namespace vx::platform
