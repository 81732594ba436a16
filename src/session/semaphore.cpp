// The node-in-use semaphore.
#include "session/semaphore.h"

#include <fcntl.h>
#include <unistd.h>

#include "core/record_stream.h"
#include "platform/dos_path.h"

namespace vx::session {

namespace {

// True when some other process holds a lock on the file.
bool LockedByOther(const std::string& host_path) {
  int fd = ::open(host_path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct flock fl {};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  bool locked = ::fcntl(fd, F_GETLK, &fl) == 0 && fl.l_type != F_UNLCK;
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
  return LockedByOther(CreatePath()) || LockedByOther(SystemPath());
}

bool NodeSemaphore::Create() {
  if (fd_ >= 0) return true;
  int fd = ::open(CreatePath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  struct flock fl {};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  if (::fcntl(fd, F_SETLK, &fl) != 0) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  return true;
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
