// Waiting for a call: the node's waiting window. It reads MODEM.VX, then either runs a front-end
// program (front_end.h) or drives the modem itself: initialises it with up to two command strings
// (again every 60 seconds), answers a RING with ATA, learns the speed from CONNECT and hands over
// to the session when the carrier is there. The sysop may take a local logon or quit instead.
//
// Everything runs in the event loop: three timers (the re-initialisation every 60 s, the
// answering tick 10 ms after text arrives, the one-second clock that also notices calls on other
// nodes through SYSINFO.BBS) and the line's receive event. Nothing polls while the modem is quiet.
#pragma once

#include <string>
#include <string_view>

#include "platform/process_runner.h"
#include "session/node_session.h"
#include "session/wait_view.h"

namespace vx::session {

struct CallWaiting {
  WaitView& view;
  platform::ProcessRunner& runner;
  std::string front_end_command;  // as given, its case kept; empty: no front-end program
};

// Returns when a call has begun (the speed learned, the port open) or a local logon was chosen
// (session.local_mode). Ends the process on a device or port failure, the quit key, or an
// errorlevel of the front-end program that the node does not handle.
void WaitCall(NodeSession& session, const CallWaiting& waiting);

// The speed a CONNECT result gives: the leading number of what follows "CONNECT" and the one
// character behind it (0 when there is none). `text` holds the whole result line.
long ConnectSpeedOf(std::string_view text);

}  // namespace vx::session
