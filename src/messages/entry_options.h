// The options of a message-entry menu entry (menu type 27), and of the notices the logon posts,
// in its optional data, words separated by blanks (letters in either case):
//
//   a number as the first word   the area to write in; 0 or none: the current area
//   "/M"                         the current area, whatever number comes before it
//   "/T=name"                    the addressee, "_" standing for a blank ("/T=Sam_Sysop")
//   "/L"                         the call ends once the message is saved
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vx::messages {

struct EntryOptions {
  uint32_t area = 0;                     // 0: the current area
  std::optional<std::string> addressee;  // "/T=": the name, at most 35 characters
  bool log_off = false;
  // Why the data cannot be used (an addressee with control characters, an area number past
  // 65535); empty when it can.
  std::string problem;
};

EntryOptions ParseEntryOptions(std::string_view data);

}  // namespace vx::messages
