// Front-end mode.
#include "session/front_end.h"

#include "platform/dos_path.h"
#include "session/call_end.h"
#include "session/report_error.h"
#include "session/startup.h"

namespace vx::session {

namespace {

constexpr char kCr = '\r';

// The program word as a host path: a DOS path or a path in another case is found as a file
// would be; a bare name is looked up on PATH.
std::vector<std::string> ProgramWords(NodeSession& session, const std::string& command) {
  std::vector<std::string> words = platform::SplitCommandLine(command);
  if (!words.empty() && words[0].find_first_of("/\\:") != std::string::npos) {
    words[0] = platform::HostPath(words[0], session.env);
  }
  return words;
}

// The port goes back to the node; failures here show when the call needs the port.
void ReopenPort(NodeSession& session) {
  if (session.comm.port_open()) return;
  std::string ignored;
  session.comm.OpenPort(ignored);
}

}  // namespace

int FindErrorlevelSlot(const std::array<int, 51>& table, int errorlevel) {
  for (size_t slot = 0; slot < table.size(); ++slot) {
    if (table[slot] == errorlevel) return static_cast<int>(slot);
  }
  return -1;
}

void RunFrontEnd(NodeSession& session, platform::ProcessRunner& runner,
                 const std::string& command) {
  // The front-end program has the port while it runs. The node lets go of it without dropping
  // DTR, so a call the program answers is still there when it hands the port back.
  if (!session.comm.port_open()) {
    std::string ignored;
    session.comm.OpenPort(ignored);
  }
  session.comm.SetHangUpOnClose(false);
  session.comm.ClosePort();
  platform::Delay(session.loop, 0.5);

  const platform::ProcessOutcome outcome = runner.RunAndWait(ProgramWords(session, command));
  ReopenPort(session);
  if (!outcome.started) {
    // Not an errorlevel of the program: the table is not consulted, and the node does not end
    // with a code a batch file would take for a call.
    session.log.Alarm("Front-end program " + session.node.front_end_command +
                      " could not be started: " + outcome.error);
    session.console.MessageBox(
        "Unable to start the front-end program!" + std::string(1, kCr) + outcome.error, "Error!",
        platform::box::kOkOnly + platform::box::kCritical);
    ExitWithErrorlevel(session, kExitStartupFailed);
  }
  const int errorlevel = outcome.exit_code;
  session.log.WriteLog(session.node.front_end_command + " returned with errorlevel" +
                       std::to_string(errorlevel));

  const int slot = FindErrorlevelSlot(session.node.exit_errorlevels, errorlevel);
  if (slot == 0) {
    session.node.connect_speed = 0;
    session.node.com_port = 0;
    session.comm.SetPortNumber(0);
    session.node.local_mode = true;
    session.comm.ClosePort();
    if (!session.console.interactive()) {
      session.console.MessageBox(std::string("A local session needs a terminal.") + kCr +
                                     "The front-end program asked for a local logon (errorlevel " +
                                     std::to_string(errorlevel) + ") and nobody is at the node.",
                                 "Error!", platform::box::kOkOnly + platform::box::kCritical);
      ExitWithErrorlevel(session, kExitStartupFailed);
    }
    return;
  }
  if (slot < 1 || slot > 19) {
    session.log.WriteLog("Errorlevel " + std::to_string(errorlevel) +
                         " not to be handled by ngVX32");
    ExitWithErrorlevel(session, errorlevel);
  }
  session.node.connect_speed = kErrorlevelSpeeds[static_cast<size_t>(slot - 1)];
  session.comm.SetHangUpOnClose(true);
  if (!session.comm.port_open()) {
    // A caller the node cannot reach: say so instead of running a session into a closed port.
    std::string error;
    session.comm.OpenPort(error);
    ReportError(
        session,
        error + " : Unable to open port! (Port: " + std::to_string(session.node.com_port) + ")",
        platform::box::kOkOnly + platform::box::kCritical, "Error!");
    ExitWithErrorlevel(session, kExitStartupFailed);
  }
}

}  // namespace vx::session
