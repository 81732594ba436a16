// vxnode's entry.
#include "console/node_main.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <exception>
#include <memory>
#include <random>
#include <string>

#include "comm/comm_control.h"
#include "comm/handed_over_line.h"
#include "comm/serial_line.h"
#include "console/curses_console.h"
#include "console/sysop_controls.h"
#include "console/wait_window.h"
#include "console/wiring.h"
#include "core/node_log.h"
#include "platform/clock.h"
#include "platform/console.h"
#include "platform/environment.h"
#include "platform/event_loop.h"
#include "platform/process_exit.h"
#include "platform/process_runner.h"
#include "platform/signal_watcher.h"
#include "session/call_end.h"
#include "session/command_line.h"
#include "session/node_claim.h"
#include "session/node_session.h"
#include "session/startup.h"
#include "session/status_panel.h"

namespace vx::console {

namespace {

// The line the command line asks for: none for a local logon, the handed-over connection of -H,
// otherwise the serial port (its number comes from -C or MODEM.VX during start-up).
std::unique_ptr<comm::CommControl> MakeLine(const std::string& command_line,
                                            platform::EventLoop& loop,
                                            const platform::Environment& env) {
  const session::CommandLine options = session::ParseCommandLine(command_line);
  if (options.local) return std::make_unique<comm::LocalCommControl>();
  if (options.handle > 0 && options.handle <= 65535) {
    return comm::MakeHandedOverLine(loop, static_cast<int>(options.handle));
  }
  return std::make_unique<comm::SerialLine>(loop, env);
}

// The semaphore claim vxspawn hands over: VX_SEMAPHORE_FD names an open descriptor. The variable
// is removed so that the node's own children do not see it.
int TakeSemaphoreClaim() {
  const char* value = std::getenv(session::kSemaphoreFdVariable);
  int fd = -1;
  if (value != nullptr) {
    char* end = nullptr;
    const long n = std::strtol(value, &end, 10);
    if (end != value && *end == '\0' && n >= 0 && n < 65536 &&
        ::fcntl(static_cast<int>(n), F_GETFD) >= 0) {
      fd = static_cast<int>(n);
    }
  }
  ::unsetenv(session::kSemaphoreFdVariable);
  return fd;
}

}  // namespace

int NodeMain(int argc, char** argv) {
  std::string command_line;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) command_line += ' ';
    command_line += argv[i];
  }

  const int claimed_semaphore = TakeSemaphoreClaim();
  platform::SystemClock clock;
  platform::EventLoop loop(clock);
  const platform::Environment env = platform::Environment::FromProcess();
  core::NodeLog log(clock, env);
  std::unique_ptr<comm::CommControl> comm_line = MakeLine(command_line, loop, env);
  comm::CommControl& comm = *comm_line;
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
  // The sysop's keys and, headless, SIGUSR1 and SIGUSR2 for a minute more or less.
  std::mt19937 noise_source{std::random_device{}()};
  SysopControls controls(session, curses.get(), [&noise_source] {
    return std::uniform_real_distribution<double>(0.0, 1.0)(noise_source);
  });
  if (curses) {
    curses->SetCommandKeyHandler([&controls](int key) { controls.CommandKey(key); });
    curses->SetStatusPanelSource([&session, &clock] {
      return session::BuildStatusPanel(session, session.code_values, clock.LocalTime()).lines;
    });
  }
  platform::SignalWatcher time_signals(loop, {SIGUSR1, SIGUSR2}, [&controls](int signal) {
    controls.AddMinute(signal == SIGUSR1 ? 1 : -1);
  });
  // The menus after the logon, with every layer's functions in their table.
  menus::MenuFunctions functions;
  menus::MenuEngine engine(session, functions);
  WireMenuFunctions(session, engine, functions);
  session.hooks.run_menus = [&engine] { engine.EnterMenuLoop(); };
  // A sysop's kill or a hang-up of the controlling terminal ends the call as any other end does:
  // the node is released and the caller written back.
  platform::SignalWatcher signals(loop, [&session](int signal) {
    // The end is already under way, or already asked for while a door finishes.
    if (session.call.terminating || session.call.end_requested) return;
    session.log.Alarm("Ended by signal " + std::to_string(signal));
    session::RequestEndOfCall(session);
  });

  // Front-end programs; the waiting window on the terminal (headless, the log shows its status).
  platform::SpawnProcessRunner runner(loop);
  std::unique_ptr<WaitWindow> wait_window;
  if (curses) wait_window = std::make_unique<WaitWindow>(*curses);
  session::StartupServices services;
  services.runner = &runner;
  services.wait_view = wait_window.get();
  services.claimed_semaphore_fd = claimed_semaphore;

  try {
    session::RunNode(session, command_line, services);
  } catch (const platform::ProcessExit& exit) {
    return exit.code;
  } catch (const std::exception& e) {
    log.WriteLog(std::string("\aInternal error: ") + e.what());
    platform::WriteStandardError(std::string("vxnode: internal error: ") + e.what());
    session::TerminateCall(session);  // unless it has run already
    return 1;
  }
  return session.call.exit_code;
}

}  // namespace vx::console
