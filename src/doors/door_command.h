// A door's command line, as the menu entry's data gives it, turned into the words of the program to
// start. The line keeps its case; it is split into words first (a word in double quotes keeps its
// blanks) and the codes are replaced inside each word, all in one pass, so that a value never
// becomes a code or a word of its own, and the program starts without a shell:
//
//   *B  connection speed          *M  nothing              *T  minutes left
//   *C  the command interpreter   *N  node number          *!  nothing
//   *F  caller's first name       *P  port number          *1  current message area
//   *G  1 with ANSI display, 0    *R  extra record number
//   *L  caller's last name        *U  the code and the rest of its word go, and the next word
//                                     continues the word ("X *UABC Y" is "X Y")
//
// Codes are matched in either case; a "*" before any other character stays as it is. In *F and
// *L every character other than a letter, a digit, "-" or "." becomes "_": a caller's name
// cannot run anything even when the door hands it to a shell.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vx::doors {

struct DoorCodeValues {
  long speed = 0;
  std::string command_interpreter = "/bin/sh";  // $COMSPEC when set
  std::string first_name, last_name;
  int display_mode = 1;
  long extra_record = 0;
  int node = 1;
  int port = 0;
  int minutes_left = 0;
  uint32_t message_area = 0;
};

// The first name: before the first blank; the last name: after it (empty without a blank).
std::string FirstName(std::string_view name);
std::string LastName(std::string_view name);
// A caller's text made harmless as one word of a command: letters, digits, "-" and "." stay.
std::string SafeWord(std::string_view text);

std::vector<std::string> ExpandDoorCommand(std::string_view command_line,
                                           const DoorCodeValues& values);

}  // namespace vx::doors
