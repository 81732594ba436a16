// Programs on the caller's line: the door runs on a pseudo-terminal of its own (80 x 25, in the
// node directory) and the node relays, inside its event loop, what the caller and the sysop type
// to the program and what the program writes to the line and the node window's screen.
//
// While the program runs the session clocks stand still and the sysop's console keys that act on
// the call wait (the session's activity is kDoor). The line is watched: when it drops, or the node
// is told to end (a signal), the program's session is hung up (SIGHUP), killed when it has not
// gone after a few seconds, and the runner reports that the call must end. A program that leaves
// processes behind when it ends has them hung up and killed the same way, so nothing of a door
// outlives it. Output is read only as fast as the line takes it, so a door that floods its
// terminal cannot fill the node's memory.
#pragma once

#include <chrono>
#include <vector>

#include "session/line_program.h"
#include "session/node_session.h"

namespace vx::doors {

class LineRelayRunner final : public session::LineProgramRunner {
 public:
  // How long a hung-up program may take to end before it is killed.
  static constexpr std::chrono::seconds kHangUpGrace{3};
  // Program output is not read while this much is waiting to go out on the line.
  static constexpr size_t kLineBacklog = 16 * 1024;
  // Keys waiting for a program that does not read them; beyond this they are dropped.
  static constexpr size_t kInputBacklog = 4096;

  explicit LineRelayRunner(session::NodeSession& session) : session_(session) {}

  session::LineProgramOutcome RunOnLine(const std::vector<std::string>& argv) override;

 private:
  session::NodeSession& session_;
};

}  // namespace vx::doors
