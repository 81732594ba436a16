// A line over one descriptor: non-blocking reads and writes driven by the event loop.
#include "comm/descriptor_line.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace vx::comm {

DescriptorLine::DescriptorLine(platform::EventLoop& loop, int fd)
    : loop_(loop),
      fd_(fd),
      carrier_wake_(loop, kCarrierWake, [] {}),
      flush_soon_(loop, std::chrono::milliseconds(0), [this] {
        flush_soon_.SetEnabled(false);
        Flush();
        if (hung_up_) Retire();
        UpdateEvents();
      }) {}

DescriptorLine::~DescriptorLine() {
  watcher_.reset();
  if (fd_ >= 0) ::close(fd_);
}

bool DescriptorLine::Attach(std::string& error) {
  if (fd_ < 0 || ::fcntl(fd_, F_GETFL) < 0) {
    error = "no connected line on descriptor " + std::to_string(fd_);
    SetOpenError(kPortInvalid);
    return false;
  }
  return true;
}

bool DescriptorLine::OpenPort(std::string& error) {
  if (open_) return true;
  SetOpenError(0);
  if (!Attach(error)) return false;
  ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) | O_NONBLOCK);
  // The node's own children (doors, front-end programs) get the line only when handed it.
  ::fcntl(fd_, F_SETFD, ::fcntl(fd_, F_GETFD) | FD_CLOEXEC);
  open_ = true;
  hung_up_ = false;
  retired_ = false;
  watcher_ = std::make_unique<platform::FdWatcher>(loop_, fd_, POLLIN,
                                                   [this](short revents) { OnReady(revents); });
  // Whatever Attach queued (a greeting, option requests) goes out now.
  Flush();
  if (hung_up_) Retire();
  UpdateEvents();
  return true;
}

void DescriptorLine::ClosePort() {
  if (!open_) return;
  Flush();  // what the descriptor takes without waiting; the end of a call waits for the rest
  carrier_wake_.SetEnabled(false);
  flush_soon_.SetEnabled(false);
  watcher_.reset();
  Detach();
  ::close(fd_);
  fd_ = -1;
  open_ = false;
  input_.clear();
  output_.clear();
}

void DescriptorLine::UpdateEvents() {
  if (!watcher_) return;
  short events = 0;
  if (!hung_up_) {
    if (input_.size() < kInputLimit && output_.size() < kOutputLimit) events |= POLLIN;
    if (!output_.empty()) events |= POLLOUT;
  }
  watcher_->SetEvents(events);
}

void DescriptorLine::OnReady(short revents) {
  const size_t before = input_.size();
  if (revents & POLLIN) {
    // Decoding never makes text longer than the bytes read, so the buffer stays within its limit.
    char chunk[kInputLimit];
    const size_t room = kInputLimit - std::min(kInputLimit, input_.size());
    const ssize_t n = room == 0 ? 0 : ::read(fd_, chunk, room);
    if (n > 0) {
      Decode(std::string_view(chunk, static_cast<size_t>(n)));
    } else if (room > 0 &&
               (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))) {
      hung_up_ = true;
    }
  } else if (revents & (POLLHUP | POLLERR | POLLNVAL)) {
    hung_up_ = true;
  }
  if ((revents & POLLOUT) || !output_.empty()) Flush();
  if (hung_up_) Retire();
  UpdateEvents();
  if (input_.size() > before) NotifyReceived();
}

// poll() reports a hang-up even for a descriptor watched for nothing, which would wake the loop
// for ever. The dead connection is replaced in place by /dev/null, which poll() leaves quiet; the
// watcher (which may be the caller of this) stays registered with the same number.
//
// The hang-up may be found where no wait looks at the carrier afterwards before it blocks (a
// write in the middle of an echo, a nested round of events): from then on a slow timer wakes the
// loop, so every wait gets to check the carrier again and the call ends promptly.
void DescriptorLine::Retire() {
  output_.clear();
  if (retired_) return;
  retired_ = true;
  carrier_wake_.SetEnabled(true);
  const int quiet = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  if (quiet >= 0) {
    ::dup2(quiet, fd_);
    ::close(quiet);
  }
}

void DescriptorLine::Flush() {
  while (!output_.empty() && !hung_up_) {
    // send() with MSG_NOSIGNAL: a caller who hung up must not kill the node with SIGPIPE.
    ssize_t n = ::send(fd_, output_.data(), output_.size(), MSG_NOSIGNAL);
    if (n < 0 && errno == ENOTSOCK) n = ::write(fd_, output_.data(), output_.size());
    if (n > 0) {
      output_.erase(0, static_cast<size_t>(n));
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      break;
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      hung_up_ = true;
      output_.clear();
    }
  }
}

// Text sent in pieces within one round of events (an echo of "\b \b", a colour code and its
// text) leaves in one write when the round ends: the timer fires before the loop next blocks.
void DescriptorLine::SendText(std::string_view bytes) {
  if (!open_ || hung_up_ || bytes.empty()) return;
  Encode(bytes);
  if (output_.size() >= kFlushAt) {
    Flush();
    if (hung_up_) Retire();
  } else {
    flush_soon_.SetEnabled(true);
  }
  UpdateEvents();
  if (output_.size() > kOutputLimit) {
    loop_.WaitUntil([this] { return output_.size() <= kOutputLimit / 2 || hung_up_ || !open_; });
  }
}

std::string DescriptorLine::ReadReceived() {
  std::string taken;
  taken.swap(input_);
  UpdateEvents();
  return taken;
}

void DescriptorLine::DiscardInput() {
  input_.clear();
  UpdateEvents();
}

}  // namespace vx::comm
