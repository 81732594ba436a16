// Nodes running on a system directory: a node holds an open-file-description write lock on its
// semaphore "VxBusy.<n>" (in the semaphore directory of CONFIG.VX, or the system directory) for as
// long as it runs. A semaphore without a lock was left behind by a node that ended abnormally.
#pragma once

#include <string>
#include <vector>

namespace vx::tools {

// Host paths of the semaphores of `system_dir` that a running process holds locked; empty when
// the directory does not exist.
std::vector<std::string> HeldSemaphores(const std::string& system_dir);

}  // namespace vx::tools
