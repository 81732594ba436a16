// TerminateCall and EndNodeProgram.
#include "session/call_end.h"

#include "platform/process_exit.h"

namespace vx::session {

void TerminateCall(NodeSession& session) {
  // Only the semaphore this process created is removed: a node that ends because another one is
  // running must not take that node's semaphore away.
  if (session.semaphore && session.semaphore->created()) session.semaphore->Remove();
  if (session.comm.port_open() && !session.node.local_mode) {
    session.loop.WaitUntil([&] { return session.comm.output_count() == 0; },
                           std::chrono::seconds(30));
    session.comm.ClosePort();
  }
  session.log.WriteLog("User off-line");
}

int FinalExitCode(const NodeSession& session) {
  if (session.call.echomail_entered && session.call.netmail_entered) return 5;
  if (session.call.netmail_entered) return 4;
  if (session.call.echomail_entered) return 3;
  return session.call.exit_code;
}

void EndNodeProgram(NodeSession& session) {
  if (!session.call.terminating) {
    session.call.terminating = true;
    TerminateCall(session);
  }
  platform::EndProcess(FinalExitCode(session));
}

void ExitWithErrorlevel(NodeSession& session, int code) {
  if (!session.call.terminating) {
    session.call.terminating = true;
    TerminateCall(session);
  }
  platform::EndProcess(code);
}

}  // namespace vx::session
