// A raw line over a connected descriptor: non-blocking reads and writes driven by the event loop.
#include "comm/raw_socket_line.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vx::comm {

RawSocketLine::RawSocketLine(platform::EventLoop& loop, int fd) : loop_(loop), fd_(fd) {}

RawSocketLine::~RawSocketLine() {
  watcher_.reset();
  if (fd_ >= 0) ::close(fd_);
}

bool RawSocketLine::OpenPort(std::string& error) {
  if (open_) return true;
  if (fd_ < 0 || ::fcntl(fd_, F_GETFL) < 0) {
    error = "no connected line on descriptor " + std::to_string(fd_);
    return false;
  }
  ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) | O_NONBLOCK);
  open_ = true;
  hung_up_ = false;
  watcher_ = std::make_unique<platform::FdWatcher>(loop_, fd_, POLLIN,
                                                   [this](short revents) { OnReady(revents); });
  return true;
}

void RawSocketLine::ClosePort() {
  if (!open_) return;
  watcher_.reset();
  ::close(fd_);
  fd_ = -1;
  open_ = false;
}

void RawSocketLine::UpdateEvents() {
  if (!watcher_) return;
  short events = 0;
  if (!hung_up_) {
    if (input_.size() < kInputLimit) events |= POLLIN;
    if (!output_.empty()) events |= POLLOUT;
  }
  watcher_->SetEvents(events);
}

void RawSocketLine::OnReady(short revents) {
  bool received = false;
  if (revents & POLLIN) {
    char chunk[kInputLimit];
    const size_t room = kInputLimit - input_.size();
    const ssize_t n = ::read(fd_, chunk, room < sizeof chunk ? room : sizeof chunk);
    if (n > 0) {
      input_.append(chunk, static_cast<size_t>(n));
      received = true;
    } else if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
      hung_up_ = true;
    }
  } else if (revents & (POLLHUP | POLLERR | POLLNVAL)) {
    hung_up_ = true;
  }
  if (revents & POLLOUT) Flush();
  if (hung_up_) Retire();
  UpdateEvents();
  if (received) NotifyReceived();
}

// poll() reports a hang-up even for a descriptor watched for nothing, which would wake the loop
// for ever. The dead connection is replaced in place by /dev/null, which poll() leaves quiet; the
// watcher (which may be the caller of this) stays registered with the same number.
void RawSocketLine::Retire() {
  output_.clear();
  const int quiet = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  if (quiet >= 0) {
    ::dup2(quiet, fd_);
    ::close(quiet);
  }
}

void RawSocketLine::Flush() {
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

void RawSocketLine::SendText(std::string_view bytes) {
  if (!open_ || hung_up_) return;
  output_.append(bytes);
  Flush();
  if (hung_up_) Retire();
  UpdateEvents();
  if (output_.size() > kOutputLimit) {
    loop_.WaitUntil([this] { return output_.size() <= kOutputLimit / 2 || hung_up_ || !open_; });
  }
}

std::string RawSocketLine::ReadReceived() {
  std::string taken;
  taken.swap(input_);
  UpdateEvents();
  return taken;
}

void RawSocketLine::DiscardInput() {
  input_.clear();
  UpdateEvents();
}

}  // namespace vx::comm
