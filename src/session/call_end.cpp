// TerminateCall and EndNodeProgram.
#include "session/call_end.h"

#include <chrono>

#include "platform/process_exit.h"
#include "session/status_files.h"

namespace vx::session {

namespace {

// How long the end of a call waits for the caller to take the last output: a caller who stopped
// reading cannot hold the node.
constexpr auto kOutputWait = std::chrono::seconds(30);

void WaitForOutput(NodeSession& session) {
  comm::CommControl& comm = session.comm;
  session.loop.WaitUntil([&comm] { return !comm.port_open() || comm.output_count() == 0; },
                         kOutputWait);
}

// A modem that still has its carrier is told to hang up: its escape, then ATH0, then up to five
// seconds for the carrier to drop. Only a modem on a serial port ever sees these.
void HangUpModem(NodeSession& session) {
  comm::CommControl& comm = session.comm;
  for (int i = 0; i < 3; ++i) {
    comm.SendText("+");
    platform::Delay(session.loop, 0.7);
  }
  platform::Delay(session.loop, 3);
  comm.SendText("ATH0\r");
  session.loop.WaitUntil([&comm] { return !comm.port_open() || !comm.CarrierDetect(); },
                         std::chrono::seconds(5));
}

}  // namespace

void TerminateCall(NodeSession& session) {
  if (session.call.terminated) return;
  session.call.terminated = true;
  session.call.terminating = true;
  // From here on no clock tick, lost carrier or signal starts a second end inside the waits below.
  session.timers.Stop();

  // 1, 2. The node is free, and the status files say so. Only the semaphore this process created
  // is removed: a node that ends because another one is running must not take that one's away.
  if (session.semaphore && session.semaphore->created()) session.semaphore->Remove();
  UpdateStatusAtCallEnd(session);

  // 3 to 5. The last output reaches the caller; a line that still has its carrier is hung up (a
  // modem by its commands, any other line by closing it).
  comm::CommControl& comm = session.comm;
  const bool line = comm.port_open() && !session.node.local_mode;
  if (line) {
    WaitForOutput(session);
    // Only a call is hung up: a node that ends while it waits for one leaves its modem alone.
    if (session.call.connected && comm.port_open() && comm.CarrierDetect()) {
      session.window->ShowNotice("Terminating call...");
      session.log.WriteLog("Terminating call...");
      WaitForOutput(session);
      if (comm.IsModemLine()) HangUpModem(session);
      if (comm.port_open()) {
        comm.DiscardInput();
        comm.DiscardOutput();
      }
      session.window->CloseNotice();
    }
    if (comm.port_open()) comm.ClosePort();
  }

  // 6, 7. The log, and the caller's record. A record that cannot be written is reported; the call
  // still ends with its exit code.
  session.log.WriteLog("User off-line");
  const core::WriteResult written = session.caller.WriteBack(session.Users());
  if (!written.ok) {
    session.log.Alarm("The user record of " + session.caller.user.name +
                      " could not be written: " + written.error);
  }
}

int FinalExitCode(const NodeSession& session) {
  if (session.call.echomail_entered && session.call.netmail_entered) return 5;
  if (session.call.netmail_entered) return 4;
  if (session.call.echomail_entered) return 3;
  return session.call.exit_code;
}

void EndNodeProgram(NodeSession& session) {
  session.call.terminating = true;
  TerminateCall(session);
  platform::EndProcess(FinalExitCode(session));
}

void ExitWithErrorlevel(NodeSession& session, int code) {
  session.call.terminating = true;
  TerminateCall(session);
  platform::EndProcess(code);
}

void RequestEndOfCall(NodeSession& session) {
  if (session.call.terminating) return;
  if (session.call.end_deferred) {
    session.call.end_requested = true;
    return;
  }
  EndNodeProgram(session);
}

void LogOffCaller(NodeSession& session) {
  session.terminal.ShowTextFile("GOODBYE");
  session.log.WriteLog("User requested to terminate the call");
  EndNodeProgram(session);
}

}  // namespace vx::session
