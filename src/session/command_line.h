// The node's command line. Options are found anywhere in the upper-cased line by substring search;
// an option's value is the text right after it up to the next blank, so "-N3" gives 3 and "-N 3"
// gives an empty value (0 as a number).
#pragma once

#include <string>
#include <string_view>

namespace vx::session {

// The numeric value of the first occurrence of `option`, or -1 when the option is absent.
long long GetNumericOption(std::string_view command_line, std::string_view option);
// The value text of the first occurrence of `option`; empty when absent.
std::string GetTextOption(std::string_view command_line, std::string_view option);
bool HasOption(std::string_view command_line, std::string_view option);
// The standard line speed that n falls in (300 ... 230400).
long NormaliseSpeed(long long n);

// The options as start-up applies them (values as the line gives them, before any checks).
struct CommandLine {
  std::string text;         // upper-cased
  long long node = -1;      // -N
  bool debug = false;       // -X
  long long handle = -1;    // -H
  std::string startup_dir;  // -D
  long long com_port = -1;  // -C
  long long exit_code = -1; // -E
  bool local = false;       // -L
  long long baud = -1;      // -B
  bool has_front_end = false;
  std::string front_end;    // -M, "*M" removed
  std::string front_end_as_given;  // the same text in the case it was typed (a Linux path)
};

CommandLine ParseCommandLine(std::string_view raw);

}  // namespace vx::session
