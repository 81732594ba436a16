// Writing the caller's account back.
#include "session/caller_account.h"

namespace vx::session {

core::WriteResult CallerAccount::WriteBack(const core::UserBase& base) {
  if (!logged_on_) return {};
  if (new_user_) {
    std::string error;
    auto r = base.Append(user, &error);
    if (!r) return core::WriteResult::Failed(error);
    record_ = *r;
    as_read_ = user;
    new_user_ = false;
    return {};
  }
  if (record_ == 0) return {};
  core::WriteResult written = base.WriteChanges(record_, user, as_read_);
  if (!written.ok) return written;
  core::WriteResult index = base.WriteIndexEntry(record_, user);
  if (!index.ok) return index;
  as_read_ = user;  // a second write-back writes only what changed since
  return {};
}

}  // namespace vx::session
