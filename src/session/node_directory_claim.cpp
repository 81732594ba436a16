// Claiming the node directory with an open-file-description lock.
#include "session/node_directory_claim.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/text.h"

namespace vx::session {

namespace {

// The whole file, however long it grows.
flock WholeFile(short type) {
  flock lock{};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = 0;
  lock.l_len = 0;
  lock.l_pid = 0;
  return lock;
}

}  // namespace

NodeDirectoryClaim::NodeDirectoryClaim(const std::string& directory, int node) {
  const std::string path = directory + kFileName;
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (fd < 0) {
    error_ = path + ": " + std::strerror(errno);
    return;
  }
  flock lock = WholeFile(F_WRLCK);
  if (::fcntl(fd, F_OFD_SETLK, &lock) != 0) {
    const int why = errno;
    if (why == EAGAIN || why == EACCES) {
      char text[16] = {};
      const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
      const long holder = n > 0 ? static_cast<long>(core::LeadingNumber(std::string(text, static_cast<size_t>(n)))) : 0;
      error_ = holder > 0 ? "in use by node " + std::to_string(holder) : "in use by another node";
    } else {
      error_ = path + ": " + std::strerror(why);
    }
    ::close(fd);
    return;
  }
  // Our own small file: it says which node holds the directory.
  const std::string text = std::to_string(node) + "\r\n";
  if (::ftruncate(fd, 0) != 0 ||
      ::pwrite(fd, text.data(), text.size(), 0) != static_cast<ssize_t>(text.size())) {
    error_ = path + ": " + std::strerror(errno);
    ::close(fd);
    return;
  }
  fd_ = fd;
}

NodeDirectoryClaim::~NodeDirectoryClaim() {
  if (fd_ >= 0) ::close(fd_);  // closing the description releases its lock
}

}  // namespace vx::session
