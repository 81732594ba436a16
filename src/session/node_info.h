// Who this node is and how its call came in: the command line as start-up applied it and the
// line it chose. Start-up fills it; the rest of the node reads it (waiting for a call fills in the
// line when a caller is answered).
#pragma once

#include <array>
#include <string>

namespace vx::session {

struct NodeInfo {
  std::string command_line;  // upper-cased
  int number = 1;
  std::string startup_path;  // the node's own directory, a host path ending in "/"
  std::string log_file_name;
  bool debug_mode = false;

  // The line.
  int com_port = 0;
  bool com_port_forced = false;  // -C given
  bool local_mode = false;       // the sysop at the node's own keyboard; no line
  bool connected_start = false;  // -B: the caller is connected when the node starts
  long connect_speed = 0;        // bits per second; 0 in a local session
  std::string front_end_command;
  // Errorlevels of a front-end program: slot 0 a local session, 1..19 the speeds; -1 never matches.
  std::array<int, 51> exit_errorlevels{};

  std::string system_name;
  std::string window_title;
};

// How the call ends: the process's exit code and what the call did that changes it.
struct CallOutcome {
  int exit_code = 0;  // -E, 1..255; 0 otherwise
  bool echomail_entered = false;
  bool netmail_entered = false;
  bool connected = false;    // a caller came on the line (the end hangs it up)
  bool terminating = false;  // the end of the call has begun
  bool terminated = false;   // TerminateCall has run (it runs once)
  // A program runs on the caller's line: an end asked for from outside (a signal) waits until the
  // program is stopped and its results are taken back (RequestEndOfCall).
  bool end_deferred = false;
  bool end_requested = false;
};

}  // namespace vx::session
