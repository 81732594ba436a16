// Programs that run on the caller's line: doors and the external message editor. The layers beside
// the menus run them through this interface, which the doors layer implements, so that message
// entry needs no door code (and none of those layers includes another).
#pragma once

#include <string>
#include <vector>

namespace vx::session {

struct LineProgramOutcome {
  bool started = false;
  int exit_code = -1;  // 128 + N when the program was ended by signal N
  std::string error;   // why it could not be started
  // The line dropped, or the node was told to end, while the program ran: the program has been
  // stopped. Whoever ran it takes back what it wrote and then ends the call (EndNodeProgram).
  bool end_call = false;
};

class LineProgramRunner {
 public:
  virtual ~LineProgramRunner() = default;
  // Starts argv[0] (looked up on the PATH when it names no directory) in the node directory with
  // the caller's line as its terminal, and waits until it ends. The session clocks stand still
  // meanwhile; the line and the node's signals are watched.
  virtual LineProgramOutcome RunOnLine(const std::vector<std::string>& argv) = 0;
};

}  // namespace vx::session
