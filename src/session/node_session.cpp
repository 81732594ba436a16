// The services of the node session that need more than a member.
#include "session/node_session.h"

#include "platform/dos_path.h"

namespace vx::session {

core::LockWait NodeSession::LockWaiting() const {
  platform::EventLoop* event_loop = &loop;
  return core::LockWait{[event_loop](std::chrono::milliseconds pause) { event_loop->WaitFor(pause); },
                        std::chrono::milliseconds(5000)};
}

core::UserBase NodeSession::Users() const {
  return core::UserBase(platform::HostPath(config.msgbase_path + "USERS.BBS", env),
                        platform::HostPath(config.msgbase_path + "USERSIDX.BBS", env), LockWaiting());
}

}  // namespace vx::session
