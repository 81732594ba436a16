// Display-code values of the session.
#include "session/session_codes.h"

#include "session/node_session.h"

namespace vx::session {

long SessionCodeValues::NodeNumber() const { return session_.node.number; }
long SessionCodeValues::ConnectSpeed() const { return session_.node.connect_speed; }
long SessionCodeValues::MinutesOnline() const { return session_.clock.session_minutes; }
long SessionCodeValues::MinutesLeft() const { return session_.clock.time_left; }
long SessionCodeValues::TotalCalls() const { return session_.system_info.total_calls; }
std::string SessionCodeValues::LastCallerName() const { return session_.system_info.last_caller_name; }
std::string SessionCodeValues::LastCallerHandle() const {
  return session_.system_info.last_caller_handle;
}

}  // namespace vx::session

namespace vx::session {

std::string SessionCodeValues::MessageAreaName() const { return session_.areas.message.record.name; }
std::string SessionCodeValues::FileAreaName() const { return session_.areas.file.record.name; }
std::string SessionCodeValues::MessageGroupName() const {
  return session_.AreaFiles().MessageGroupName(session_.caller.user.msg_group);
}
std::string SessionCodeValues::FileGroupName() const {
  return session_.AreaFiles().FileGroupName(session_.caller.user.file_group);
}

long SessionCodeValues::TaggedFiles() const { return session_.terminal.tagging().TaggedCount(); }
long SessionCodeValues::TaggedKilobytes() const {
  return session_.terminal.tagging().TaggedKilobytes();
}

}  // namespace vx::session
