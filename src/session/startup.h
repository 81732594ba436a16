// The node's start-up: from the command line to the moment the caller is asked for a name.
// Reads the configuration, applies the command line, checks that the node is free, loads the
// languages and colours, decides how the call begins, marks the node busy and shows the opening
// screens. Every failure ends the process (platform::ProcessExit) with a message and a clear exit
// status; none before the semaphore is created leaves a semaphore behind.
#pragma once

#include <string_view>

#include "platform/process_runner.h"
#include "session/node_session.h"
#include "session/wait_view.h"

namespace vx::session {

// Exit statuses of start-up failures.
inline constexpr int kExitStartupFailed = 1;
inline constexpr int kExitBadNodeNumber = 2;

// The speed a caller on a handed-over connection gets when -B does not give one. 38400 is the
// fastest speed that start-up keeps as it is (-B rounds up to the port rates 38400, 115200,
// 230400, and a speed above 64000 is taken for a port rate and divided by four); the download
// limits of LIMITS.VX and the transfer estimates have an entry for it.
inline constexpr long kHandedOverSpeed = 38400;

// What start-up uses beyond the session, each with a default when not given.
struct StartupServices {
  platform::ProcessRunner* runner = nullptr;  // front-end programs (default: posix_spawn)
  WaitView* wait_view = nullptr;              // the waiting window (default: headless, the log)
  // An open file of VxBusy.<node> holding its lock, claimed for this node by the program that
  // started it (vxspawn); -1: none. Start-up adopts it, or closes it when it is not this node's.
  int claimed_semaphore_fd = -1;
};

void RunStartup(NodeSession& session, std::string_view command_line,
                const StartupServices& services = {});

// Start-up, then the call: the logon and what follows it, until the call ends.
[[noreturn]] void RunNode(NodeSession& session, std::string_view command_line,
                          const StartupServices& services = {});

// "Sunday, December 06, 2026": the long date of the log header.
std::string LongDate(const std::tm& t);

}  // namespace vx::session
