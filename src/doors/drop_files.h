// The three drop files a door reads in the node directory, built as bytes from the call's values.
//
// DORINFO1.DEF, one value a line, each ended by CR LF:
//   1 system name*   2 sysop's first name*   3 sysop's last name*   4 "COM" + port
//   5 speed + " BAUD,N,8,1"   6 "0"   7 caller's first name*   8 caller's last name*
//   9 location*   10 display mode   11 security level   12 minutes left       (* upper case)
//
// DOOR.SYS, 52 lines, each ended by CR LF, numbers without blanks:
//   1 "COM" port ":"   2 speed   3 "8"   4 node   5 ""   6 "Y"   7 "N"   8 "N"   9 "Y"
//   10 user name   11 location   12 voice phone   13 data phone   14 ""   15 security
//   16 calls   17 date of last call   18 minutes left x 60   19 minutes left
//   20 "GR" with a display mode above 0, else "NG"   21 screen length   22 "N"   23 ""   24 ""
//   25 subscription date ("00-00-00" when blank)   26 extra record number
//   27 protocol letter   28 uploads   29 downloads   30 ""   31 daily download limit
//   32 birth date   33, 34 message base path, upper case   35 sysop name   36 alias   37 ""
//   38 "Y"   39 "N"   40 "Y"   41 default colour   42 "0"   43 date of last call
//   44 logon time   45 time of last call   46 "32768"   47 ""   48 kilobytes uploaded
//   49 kilobytes downloaded   50 comment   51 "0"   52 messages posted
//
// EXITINFO.BBS: see core/exit_info.h.
//
// A control character in any text (a CR or LF in a location would shift every later line) is
// written as a blank.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/user_record.h"

namespace vx::doors {

struct DropFileValues {
  int port = 0;
  long speed = 0;  // 0 in a local session
  int node = 1;
  int minutes_left = 0;
  int display_mode = 1;
  std::string system_name, sysop_name;
  int default_colour = 7;
  long download_limit = 0;
  std::string message_base_path;
  std::string logon_time, logon_date;
  bool echomail_entered = false, netmail_entered = false;
  int time_limit = 0;
  std::vector<uint8_t> system_info, time_log;  // SYSINFO.BBS and TIMELOG.BBS as they are
  core::UserRecord user;
};

// The subscription date as DOOR.SYS gives it: "00-00-00" when the stored one is blank.
std::string SubscriptionDate(const std::string& stored);

std::string DorinfoText(const DropFileValues& v);
std::string DoorSysText(const DropFileValues& v);
std::vector<uint8_t> ExitInfoBytes(const DropFileValues& v);

}  // namespace vx::doors
