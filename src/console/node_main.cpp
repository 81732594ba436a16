// vxnode's entry.
#include "console/node_main.h"

#include <unistd.h>

#include <exception>
#include <memory>
#include <string>

#include "comm/comm_control.h"
#include "console/curses_console.h"
#include "core/node_log.h"
#include "platform/clock.h"
#include "platform/console.h"
#include "platform/environment.h"
#include "platform/event_loop.h"
#include "platform/process_exit.h"
#include "platform/signal_watcher.h"
#include "session/call_end.h"
#include "session/node_session.h"
#include "session/startup.h"

namespace vx::console {

int NodeMain(int argc, char** argv) {
  std::string command_line;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) command_line += ' ';
    command_line += argv[i];
  }

  platform::SystemClock clock;
  platform::EventLoop loop(clock);
  const platform::Environment env = platform::Environment::FromProcess();
  core::NodeLog log(clock, env);
  comm::LocalCommControl comm;
  // At a terminal the sysop gets the node window; otherwise boxes go to standard error and the log.
  platform::HeadlessConsole headless(
      [&log](std::string_view line) { log.Alarm(line); });
  std::unique_ptr<CursesConsole> curses;
  if (CursesConsole::Wanted(env)) curses = std::make_unique<CursesConsole>(loop, comm.terminal());
  platform::Console& console = curses ? static_cast<platform::Console&>(*curses) : headless;
  session::NodeSession session(loop, console, log, comm, env);
  if (curses) {
    session.window = curses.get();
    curses->SetKeyHandler([&session](int code) { session.terminal.LocalKey(code); });
    curses->SetStatusBarSource([&session]() -> std::string {
      if (session.node.local_mode) return "Local logon";
      return "Device: COM" + std::to_string(session.comm.port_number()) + " - " + session.comm.settings();
    });
  }
  // A sysop's kill or a hang-up of the controlling terminal ends the call as any other end does:
  // the node is released and the caller written back.
  platform::SignalWatcher signals(loop, [&session](int signal) {
    session.log.Alarm("Ended by signal " + std::to_string(signal));
    session::EndNodeProgram(session);
  });

  try {
    session::RunNode(session, command_line);
  } catch (const platform::ProcessExit& exit) {
    return exit.code;
  } catch (const std::exception& e) {
    log.WriteLog(std::string("\aInternal error: ") + e.what());
    platform::WriteStandardError(std::string("vxnode: internal error: ") + e.what());
    if (!session.call.terminating) {
      session.call.terminating = true;
      session::TerminateCall(session);
    }
    return 1;
  }
  return session.call.exit_code;
}

}  // namespace vx::console
