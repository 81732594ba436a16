// The node-in-use semaphore.
#include "session/semaphore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/record_stream.h"
#include "platform/dos_path.h"

namespace vx::session {

namespace {

// Open-file-description locks: they belong to the open file, not to the process, so opening and
// closing the semaphore file again anywhere in this process leaves the node's lock in place.
struct flock WholeFileLock(short type) {
  struct flock fl {};
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  return fl;
}

bool SameFile(int fd, const std::string& host_path) {
  struct stat by_fd, by_path;
  return ::fstat(fd, &by_fd) == 0 && ::stat(host_path.c_str(), &by_path) == 0 &&
         by_fd.st_dev == by_path.st_dev && by_fd.st_ino == by_path.st_ino;
}

// True when a lock on the file is held through another open file than `own_fd`.
bool LockedByOther(const std::string& host_path, int own_fd) {
  if (own_fd >= 0 && SameFile(own_fd, host_path)) return false;
  int fd = ::open(host_path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct flock fl = WholeFileLock(F_WRLCK);
  bool locked = ::fcntl(fd, F_OFD_GETLK, &fl) == 0 && fl.l_type != F_UNLCK;
  ::close(fd);
  return locked;
}

}  // namespace

NodeSemaphore::NodeSemaphore(std::string name, int node, std::string create_dir,
                             std::string system_dir, const platform::Environment& env)
    : file_name_(std::move(name) + "." + std::to_string(node)),
      create_dir_(std::move(create_dir)),
      system_dir_(std::move(system_dir)),
      env_(env) {}

NodeSemaphore::~NodeSemaphore() {
  if (fd_ >= 0) ::close(fd_);
}

std::string NodeSemaphore::CreatePath() const {
  return platform::HostPath(create_dir_ + file_name_, env_);
}

std::string NodeSemaphore::SystemPath() const {
  return platform::HostPath(system_dir_ + file_name_, env_);
}

bool NodeSemaphore::Exists() const {
  return core::FileExists(CreatePath()) || core::FileExists(SystemPath());
}

bool NodeSemaphore::HeldByRunningNode() const {
  return LockedByOther(CreatePath(), fd_) || LockedByOther(SystemPath(), fd_);
}

bool NodeSemaphore::Create() {
  if (fd_ >= 0) return true;
  // The file may be removed and made again by another node between our open and our lock (a
  // stale semaphore being cleared, say). The lock only counts when the path still names the file
  // we locked; otherwise two nodes could each hold a lock on a different file of the same name.
  for (int attempt = 0; attempt < 5; ++attempt) {
    const std::string path = CreatePath();
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    struct flock fl = WholeFileLock(F_WRLCK);
    if (::fcntl(fd, F_OFD_SETLK, &fl) != 0) {
      ::close(fd);
      return false;
    }
    if (SameFile(fd, path)) {
      fd_ = fd;
      return true;
    }
    ::close(fd);
  }
  return false;
}

bool NodeSemaphore::Adopt(int fd) {
  if (fd_ >= 0 || fd < 0) return false;
  struct flock fl = WholeFileLock(F_WRLCK);
  // The claim must be on this node's semaphore and still locked by the open file handed over.
  if (!SameFile(fd, CreatePath()) || ::fcntl(fd, F_OFD_SETLK, &fl) != 0) return false;
  ::fcntl(fd, F_SETFD, FD_CLOEXEC);
  fd_ = fd;
  return true;
}

int NodeSemaphore::Release() {
  const int fd = fd_;
  fd_ = -1;
  return fd;
}

void NodeSemaphore::Remove() {
  ::unlink(CreatePath().c_str());
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

void NodeSemaphore::RemoveStale() {
  Remove();
  ::unlink(SystemPath().c_str());
}

}  // namespace vx::session
