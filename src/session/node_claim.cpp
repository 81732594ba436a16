// Claiming a free node.
#include "session/node_claim.h"

#include "session/semaphore.h"

namespace vx::session {

NodeClaim ClaimFreeNode(int first, int last, const std::string& create_dir,
                        const std::string& system_dir, const platform::Environment& env) {
  NodeClaim claim;
  for (int node = first; node <= last; ++node) {
    NodeSemaphore semaphore("VxBusy", node, create_dir, system_dir, env);
    if (semaphore.HeldByRunningNode()) continue;
    if (semaphore.Create()) {
      claim.node = node;
      claim.fd = semaphore.Release();
      return claim;
    }
    // Not created and nobody else holds it: the directory itself is the trouble.
    if (!semaphore.HeldByRunningNode()) {
      claim.error = "cannot create " + semaphore.CreatePath();
      return claim;
    }
  }
  return claim;
}

}  // namespace vx::session
