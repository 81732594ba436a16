// Taking back what a door changed in its drop files, in this order: EXITINFO.BBS (the caller's
// record, the entered-mail flags, the logon time and date), DORINFO1.DEF (security level, minutes
// left), DOOR.SYS (location, phones, security, minutes left, screen length, subscription date,
// protocol, transfer counts, alias, comment, messages posted). Each file is taken back only when
// its bytes differ from what was written.
//
// Nothing a door writes is trusted beyond its field: an EXITINFO.BBS of the wrong length is not
// taken back at all; a line that is not a number, or a number outside its field's range, keeps
// the call's value; a text is cut to its field and its control characters become blanks. The
// record's Text969 and reserved bytes stay as the call holds them (the file carries Text969
// empty).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/user_record.h"

namespace vx::doors {

// What a door may change, as the call holds it.
struct DoorState {
  core::UserRecord user;
  int minutes_left = 0;
  bool echomail_entered = false, netmail_entered = false;
  std::string logon_time, logon_date;
};

// The lines of a text file: ended by CR LF, LF or CR (the last one may have no end).
std::vector<std::string> SplitLines(std::string_view text);

// False (with `problem` set) when the file is not taken back.
bool ReadBackExitInfo(const std::vector<uint8_t>& bytes, DoorState& state, std::string& problem);
void ReadBackDorinfo(std::string_view text, DoorState& state);
void ReadBackDoorSys(std::string_view text, DoorState& state);

}  // namespace vx::doors
