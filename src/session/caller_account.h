// The caller's account for the call: the user record held in memory, where it lives in USERS.BBS,
// and how it goes back there. Only what this call changed is written back (see core::UserBase),
// and only for a caller who logged on or registered: an account whose password was never given
// stays as it is, however long somebody sat at its password prompt.
#pragma once

#include <cstdint>
#include <string>

#include "core/user_base.h"
#include "core/user_record.h"

namespace vx::session {

class CallerAccount {
 public:
  // The record as the call sees and changes it.
  core::UserRecord user;

  // The account in record `r` (1-based), read as `as_read`, is the one the caller named. It is
  // not yet the caller's: nothing is written back before LogOn().
  void Load(uint64_t r, const core::UserRecord& as_read) {
    record_ = r;
    as_read_ = as_read;
    user = as_read;
    new_user_ = false;
    logged_on_ = false;
    previous_call_date = as_read.last_date;
  }
  // The password was right: the account is the caller's, and the call counts as one of its calls.
  void LogOn() {
    if (logged_on_) return;
    logged_on_ = true;
    ++user.no_calls;
  }
  // A new caller, registered: the record in `user` is appended when the call ends.
  void Register() {
    record_ = 0;
    new_user_ = true;
    logged_on_ = true;
    previous_call_date.clear();
  }
  void Forget() {
    record_ = 0;
    new_user_ = false;
    logged_on_ = false;
    previous_call_date.clear();
  }

  // 1-based record number in USERS.BBS; 0 = none (or not yet appended).
  uint64_t record() const { return record_; }
  // UserRecordPos: the record's 1-based byte position in USERS.BBS, 0 when there is none.
  uint64_t record_position() const { return record_ == 0 ? 0 : (record_ - 1) * core::kUserRecordSize + 1; }
  bool is_new_user() const { return new_user_; }
  bool logged_on() const { return logged_on_; }
  const core::UserRecord& as_read() const { return as_read_; }

  // Writes the record back (a new user is appended, with the index entry) and its index entry.
  // Does nothing unless the caller logged on or registered.
  core::WriteResult WriteBack(const core::UserBase& base);

  // LastDate as the account had it when it was found ("MM-DD-YY"; empty for a new caller). The
  // logon sets LastDate to today, so "new since the last call" is new since this date.
  std::string previous_call_date;

  // Session state of the logon.
  bool user_on_line = false;  // the status files show the caller on this node
  std::string logon_time;     // "hh:mm"
  std::string logon_date;     // "MM-DD-YY"

 private:
  uint64_t record_ = 0;
  bool new_user_ = false;
  bool logged_on_ = false;
  core::UserRecord as_read_;
};

}  // namespace vx::session
