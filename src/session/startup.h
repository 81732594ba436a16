// The node's start-up: from the command line to the moment the caller is asked for a name.
// Reads the configuration, applies the command line, checks that the node is free, loads the
// languages and colours, decides how the call begins, marks the node busy and shows the opening
// screens. Every failure ends the process (platform::ProcessExit) with a message and a clear exit
// status; none before the semaphore is created leaves a semaphore behind.
#pragma once

#include <string_view>

#include "session/node_session.h"

namespace vx::session {

// Exit statuses of start-up failures.
inline constexpr int kExitStartupFailed = 1;
inline constexpr int kExitBadNodeNumber = 2;

void RunStartup(NodeSession& session, std::string_view command_line);

// Start-up, then the call. Until the logon exists, the call ends cleanly after the opening screens.
[[noreturn]] void RunNode(NodeSession& session, std::string_view command_line);

// "Sunday, December 06, 2026": the long date of the log header.
std::string LongDate(const std::tm& t);

}  // namespace vx::session
