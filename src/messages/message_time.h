// Time stamps of stored messages: seconds since 01-01-1970 counted in local time (the wall clock's
// date and time of day as if they were UTC), as DOS message tools write them, and the texts made
// from them.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

#include "core/config.h"

namespace vx::messages {

// The local date and time as seconds since 1970.
uint32_t LocalEpochSeconds(const std::tm& local);
// "mm-dd-yy" of a time stamp (whole days since 1970).
std::string JamDateText(uint32_t seconds);
// "hh:mm" of a time stamp.
std::string JamTimeText(uint32_t seconds);
// Seconds from 01-01-1970 to the start of the given "MM-DD-YY" (or "MM-DD-YYYY") date; 0 when it
// is not a date.
uint32_t UnixTime(std::string_view date_text);
// zone ":" net "/" node, and "." point when the point is not 0.
std::string AddressText(const core::NetAddress& address);
// Lower-case hexadecimal, as MSGID serial numbers are written.
std::string LowerHex(uint32_t value);

}  // namespace vx::messages
