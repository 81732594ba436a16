// Finding the semaphores that running nodes hold.
#include "tools/running_nodes.h"

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <set>

#include "core/config_fields.h"
#include "core/record_stream.h"
#include "core/text.h"
#include "platform/dos_path.h"
#include "platform/environment.h"

namespace fs = std::filesystem;

namespace vx::tools {

namespace {

// "VxBusy." and a node number, in any case.
bool IsSemaphoreName(const std::string& name) {
  const std::string upper = core::UpperCase(name);
  const std::string prefix = "VXBUSY.";
  if (upper.size() <= prefix.size() || upper.compare(0, prefix.size(), prefix) != 0) return false;
  return upper.find_first_not_of("0123456789", prefix.size()) == std::string::npos;
}

// True when another open file description holds a lock that a write lock over the whole file
// would meet (a node's lock, whichever kind of lock it takes).
bool Locked(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct flock probe {};
  probe.l_type = F_WRLCK;
  probe.l_whence = SEEK_SET;
  const bool locked = ::fcntl(fd, F_OFD_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
  ::close(fd);
  return locked;
}

}  // namespace

std::vector<std::string> HeldSemaphores(const std::string& system_dir) {
  std::error_code ec;
  if (!fs::is_directory(system_dir, ec)) return {};
  std::set<std::string> dirs = {fs::canonical(system_dir, ec).string()};
  // The semaphore directory that the running nodes read from the system's CONFIG.VX.
  const platform::Environment env = platform::Environment::FromProcess();
  const std::string config_path =
      platform::HostPath((fs::path(system_dir) / "CONFIG.VX").string(), env);
  if (auto bytes = core::ReadWholeFile(config_path)) {
    const std::string setting =
        core::Trim(core::ConfigRecord(*bytes).Text(core::config_field::kSemaphorePath));
    if (!setting.empty()) {
      const fs::path dir = platform::HostPath(core::CompleteDirectory(setting), env);
      if (fs::is_directory(dir, ec)) dirs.insert(fs::canonical(dir, ec).string());
    }
  }
  std::vector<std::string> held;
  for (const std::string& dir : dirs) {
    for (const auto& entry : fs::directory_iterator(dir, ec)) {
      if (!entry.is_regular_file(ec) || !IsSemaphoreName(entry.path().filename().string()))
        continue;
      if (Locked(entry.path().string())) held.push_back(entry.path().string());
    }
  }
  return held;
}

}  // namespace vx::tools
