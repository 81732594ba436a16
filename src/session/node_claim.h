// Claiming a free node for a new connection (vxspawn). The claim is the node's own semaphore,
// VxBusy.<n>, created and locked (an open-file-description lock) exactly as a running node holds
// it; its open file is handed to the node, which adopts it. Two connections arriving at once can
// never get the same node: only one of them gets the lock.
#pragma once

#include <string>

#include "platform/environment.h"

namespace vx::session {

// The environment variable through which the node learns the descriptor of its claim.
inline constexpr char kSemaphoreFdVariable[] = "VX_SEMAPHORE_FD";

struct NodeClaim {
  int node = 0;  // 0: every node is busy (or `error` says why none could be claimed)
  int fd = -1;   // the open semaphore holding the lock
  std::string error;
};

// The first node of first..last that no running node holds: a semaphore left behind by a crash
// (present, unlocked) is reclaimed. `create_dir` is where semaphores are made, `system_dir` the
// other place a node may have one.
NodeClaim ClaimFreeNode(int first, int last, const std::string& create_dir,
                        const std::string& system_dir, const platform::Environment& env);

}  // namespace vx::session
