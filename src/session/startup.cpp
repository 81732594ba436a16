// The start-up sequence.
#include "session/startup.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "core/record_stream.h"
#include "core/text.h"
#include "platform/dos_path.h"
#include "platform/process_exit.h"
#include "session/call_end.h"
#include "session/command_line.h"
#include "session/languages.h"
#include "session/logon.h"
#include "session/modem_file.h"
#include "session/opening_screens.h"
#include "session/report_error.h"
#include "session/session_clock.h"
#include "session/system_info.h"
#include "session/wait_call.h"

namespace vx::session {

namespace {

constexpr char kCr = '\r';
constexpr char kEsc = 27;

using platform::box::kCritical;
using platform::box::kExclamation;
using platform::box::kOkOnly;
using platform::box::kYes;
using platform::box::kYesNo;

// A failure before the call could begin: the message box, then the end of the process. Nothing
// has been created yet that the end of a call would have to release.
[[noreturn]] void FailEarly(NodeSession& session, const std::string& text, const std::string& title,
                            int code) {
  session.console.MessageBox(text, title, kOkOnly + kExclamation);
  platform::EndProcess(code);
}

// The current directory as the start-up path: a host path ending in "/".
std::string StartupDirectory() { return core::CompleteDirectory(platform::CurrentDirectory()); }

void ApplyStartupDirectory(NodeSession& session, const std::string& value) {
  if (value.empty()) {
    session.node.startup_path = StartupDirectory();
    return;
  }
  // The command line was upper-cased; the directory is found case-insensitively.
  platform::HostPathResult dir = platform::ResolveHostPath(value, session.env);
  if (!dir.ok() || ::chdir(dir.path.c_str()) != 0) {
    session.console.MessageBox("Startup Path (" + value + ") not found! " + kCr + kCr +
                                   "Change -D startup parameter. ",
                               "Error!", kOkOnly + kCritical);
    ExitWithErrorlevel(session, kExitStartupFailed);
  }
  session.node.startup_path = StartupDirectory();
}

void ApplyLineOptions(NodeSession& session, const CommandLine& cl) {
  if (cl.com_port > -1) {
    session.node.com_port = static_cast<int>(std::min<long long>(cl.com_port, 255));
    session.node.com_port_forced = true;
    session.comm.SetPortNumber(session.node.com_port);
  }
  session.call.exit_code = (cl.exit_code > 0 && cl.exit_code < 256) ? static_cast<int>(cl.exit_code) : 0;
  if (cl.local) {
    session.node.local_mode = true;
    session.node.connect_speed = 0;
    session.comm.SetPortNumber(1);
    session.comm.SetSettings("115200,N,8,1");
    if (!session.console.interactive()) {
      session.console.MessageBox(
          std::string("Local mode (-L) needs a terminal.") + kCr +
              "Start the node from a terminal, without VXCONSOLE=none, for a local logon.",
          "Error!", kOkOnly + kCritical);
      ExitWithErrorlevel(session, kExitStartupFailed);
    }
  }
  if (cl.baud > -1 && !cl.local) {
    session.node.connected_start = true;
    session.node.connect_speed = NormaliseSpeed(cl.baud);
    std::string settings = std::to_string(session.node.connect_speed) + ",N,8,1";
    session.comm.SetSettings(settings);
    session.log.Debug("Trying to set modem settings: " + settings);
  } else if (!cl.local && session.comm.handle() > 0) {
    // A handed-over connection is a caller already there, never a modem to initialise: without
    // -B it starts as a connected call at the speed a telnet caller is given.
    session.node.connected_start = true;
    session.node.connect_speed = kHandedOverSpeed;
    session.comm.SetSettings(std::to_string(kHandedOverSpeed) + ",N,8,1");
    session.log.Debug("Handed-over line without -B: speed " + std::to_string(kHandedOverSpeed));
  }
}

// Another running node holds this node number: end at once, leaving its semaphore alone.
[[noreturn]] void EndBecauseNodeInUse(NodeSession& session) {
  session.console.MessageBox("Node " + std::to_string(session.node.number) +
                                 " is already in use by a running node.",
                             "ngFarlink32", kOkOnly + kExclamation);
  platform::EndProcess(0);
}

// A claim made for this node by the program that started it (vxspawn) is the node's own
// semaphore: the node takes it over instead of finding it and ending as "in use".
bool AdoptClaim(NodeSession& session, int claimed_fd) {
  NodeSemaphore& semaphore = *session.semaphore;
  if (!semaphore.Adopt(claimed_fd)) {
    // Not this node's claim (another node number, a file since replaced): let it go.
    ::close(claimed_fd);
    session.log.WriteLog("The semaphore claim handed to node " +
                         std::to_string(session.node.number) + " is not on " +
                         semaphore.CreatePath() + "; checked as usual");
    return false;
  }
  session.log.Debug("Semaphore " + semaphore.file_name() + " claimed for this node at its start");
  // A copy in the system directory (when the semaphores have a directory of their own) may
  // still stand for another running node, or be left by a crash.
  if (semaphore.HeldByRunningNode()) EndBecauseNodeInUse(session);
  if (semaphore.SystemPath() != semaphore.CreatePath()) ::unlink(semaphore.SystemPath().c_str());
  return true;
}

void CheckSemaphore(NodeSession& session, int claimed_fd) {
  session.log.Debug("Check Semaphores");
  NodeSemaphore& semaphore = *session.semaphore;
  if (claimed_fd >= 0 && AdoptClaim(session, claimed_fd)) return;
  if (!semaphore.Exists()) return;
  if (semaphore.HeldByRunningNode()) EndBecauseNodeInUse(session);
  if (session.console.interactive()) {
    std::string node = " " + std::to_string(session.node.number);  // Str() gives a leading blank
    int answer = session.console.MessageBox(
        "It was found that Node" + node + " is already in use by another session." + kCr + kCr +
            "It is possible that this information is incorrect due to an abnormal" + kCr +
            "program termination. If you did experience an abnormal program" + kCr +
            "termination it is probably safe to correct this information and" + kCr +
            "continue. " + kCr + kCr + "Do you want correct this information and continue?",
        "ngFarlink32", kYesNo + kExclamation);
    if (answer != kYes) platform::EndProcess(0);
  } else {
    session.log.WriteLog("Semaphore " + semaphore.file_name() +
                         " was left behind by an abnormal end (no node holds it); removed");
  }
  semaphore.RemoveStale();
}

// MODEM.VX's port, when no port was forced with -C.
bool ReadModemPort(NodeSession& session) {
  session.log.Debug("Try to import MODEM.VX data");
  std::optional<core::ModemSettings> modem = FindModemSettings(session);
  if (!modem) {
    // Going on would only fail to open a port; the message says what to do.
    ShowMissingModemFile(session);
    return false;
  }
  session.log.Debug("Get MODEM.VX info");
  if (session.node.com_port <= 0) {
    session.log.Debug("No forced comport, using MODEM.VX");
    session.node.com_port = modem->port;
    session.comm.SetPortNumber(modem->port);
  }
  return true;
}

void StartConnectedCall(NodeSession& session) {
  session.log.Debug("Front-End mode");
  // The connection handed over with -H is the line: MODEM.VX's port is neither needed nor opened.
  const bool handed_over = session.comm.handle() > 0;
  if (!handed_over && !session.node.com_port_forced && !ReadModemPort(session)) {
    ExitWithErrorlevel(session, kExitStartupFailed);
  }
  session.log.Debug("Open port " + std::to_string(session.node.com_port) + " and start BBS");
  if (session.comm.port_open()) return;
  std::string error;
  if (!session.comm.OpenPort(error)) {
    ReportError(session, error + " : Unable to open port! (Port: " + std::to_string(session.node.com_port) + ")",
                kOkOnly + kCritical, "Error!");
    ExitWithErrorlevel(session, kExitStartupFailed);
  }
}

// The waiting window, on the console when it offers one, otherwise headless (the log).
void WaitForTheCall(NodeSession& session, const StartupServices& services,
                    const std::string& front_end_as_given) {
  HeadlessWaitView headless(session.log);
  std::unique_ptr<platform::SpawnProcessRunner> spawn;
  platform::ProcessRunner* runner = services.runner;
  if (runner == nullptr) {
    spawn = std::make_unique<platform::SpawnProcessRunner>(session.loop);
    runner = spawn.get();
  }
  WaitView& view = services.wait_view ? *services.wait_view : headless;
  WaitCall(session, CallWaiting{view, *runner, front_end_as_given});
}

void WriteLogHeader(NodeSession& session) {
  if (session.log.FileExists()) session.log.WriteLog(std::string(1, kEsc));
  session.log.WriteLog(std::string(1, kEsc) + "----------  " + LongDate(session.loop.clock().LocalTime()) +
                       ", ngVX32 " + core::kVersionText + " build " + core::kBuildNumber +
                       ", Line #" + std::to_string(session.node.number));
}

}  // namespace

std::string LongDate(const std::tm& t) {
  char buf[96];
  std::strftime(buf, sizeof buf, "%A, %B %d, %Y", &t);
  return buf;
}

void RunStartup(NodeSession& session, std::string_view command_line,
                const StartupServices& services) {
  // Every input wait checks the line: a remote caller whose carrier is gone ends the call at once.
  session.terminal.SetPollHook([&session] { CheckCarrier(session); });

  // 1. The configuration.
  core::ConfigLoad load = core::ReadConfiguration(session.env);
  if (!load.ok) FailEarly(session, load.text, load.title, kExitStartupFailed);
  session.config = load.config;
  session.config_snapshot.SetSystemPath(session.config.system_path);
  const core::ConfigSnapshot& config = session.Config();

  // 2. Settings of the output and the file lists.
  char echo = config.MaskEchoCharacter();
  session.mask_echo_character = echo ? std::string(1, echo) : std::string();
  session.terminal.input().echo_character = session.mask_echo_character;
  session.file_list_colour = config.FileListColour();
  session.file_list_text1 = config.FileListFormat();
  session.file_list_text2 = config.SecondFileListText();
  ReadSystemInfo(session);

  // 4. Node number, log and debug mode. A node number outside 1..255 would put the node's status
  // records at a wrong offset, so it is refused before anything is written.
  CommandLine cl = ParseCommandLine(command_line);
  session.node.command_line = cl.text;
  session.node.number = cl.node == -1 ? 1 : static_cast<int>(std::clamp<long long>(cl.node, -1, 100000));
  if (cl.node != -1 && (cl.node < 1 || cl.node > 255)) {
    FailEarly(session,
              "Node number (" + core::NumToText(cl.node) + ") out of range!" + kCr +
                  "Give the node number directly after -N, from 1 to 255 (for example -N2).",
              "Error!", kExitBadNodeNumber);
  }
  const std::string node = std::to_string(session.node.number);
  if (session.config.log_file_setting.empty()) {
    // No log file configured: one per node in the system directory rather than none at all.
    session.node.log_file_name = session.config.system_path + "NODE" + node + ".LOG";
  } else {
    session.node.log_file_name = core::ReplaceAll(session.config.log_file_name, "*N", node);
  }
  session.log.SetFileName(session.node.log_file_name);
  if (!load.warning.empty()) session.log.Alarm(load.warning);
  if (cl.debug) {
    session.node.debug_mode = true;
    session.log.SetDebug(true);
    session.log.WriteLog("");
    session.log.WriteLog("===== DEBUG MODE =====");
    session.log.WriteLog("Debug Mode Activated!");
  }
  if (cl.handle > 0) session.comm.SetHandle(static_cast<int>(std::min<long long>(cl.handle, 65535)));
  std::string semaphore_dir =
      session.config.semaphore_setting.empty() ? session.config.system_path : session.config.semaphore_path;
  session.semaphore = std::make_unique<NodeSemaphore>("VxBusy", session.node.number, semaphore_dir,
                                                      session.config.system_path, session.env);

  // 5, 6. Start-up directory and the line.
  ApplyStartupDirectory(session, cl.startup_dir);
  ApplyLineOptions(session, cl);

  // 7. Errorlevels of a front-end program.
  session.log.Debug("Read Errorlevel Info");
  session.node.exit_errorlevels = core::ReadExitErrorlevelTable(config);

  // 8, 9. Languages.
  session.log.Debug("Update Screen Info");
  session.caller.user.language = 1;
  session.log.Debug("Check Existence Language Defenitions");
  if (!core::FileExists(platform::HostPath(session.config.system_path + "language.vx", session.env)) ||
      !ReadLanguageList(session)) {
    session.console.MessageBox(
        std::string("(7997) ") + kCr +
            "No valid language configuration file (LANGUAGE.VX) found in nodepath or systempath." + kCr +
            "Please create a language configuration file using the configuration utility.",
        "Configuration Error", kOkOnly + kExclamation);
    ExitWithErrorlevel(session, kExitStartupFailed);
  }
  session.log.Debug("Loading language.vx");
  session.log.Debug("Loading default language");
  const core::LanguageRecord* language = session.languages.Find(session.caller.user.language);
  if (!language || !LoadLanguageFile(session, language->definition_file)) {
    ReportError(session, "Unable to load default language file!, Check the path to the VXL file",
                kOkOnly + kCritical, "Fatal Error!");
    ExitWithErrorlevel(session, kExitStartupFailed);
  }
  if (!language->menu_path.empty()) session.config.menu_path = language->menu_path;

  // 10, 11. Colours and the node window.
  session.log.Debug("Retrieve Color Sets");
  for (int k = 1; k <= 5; ++k) session.colour_sets[static_cast<size_t>(k - 1)] = config.ColourSet(k);
  session.log.Debug("Launch Main Window");
  session.window->Show();

  // 12. Is the node free?
  CheckSemaphore(session, services.claimed_semaphore_fd);

  // 13, 14. System information and new-user defaults.
  session.log.Debug("Retrieve SystemInfo");
  session.node.system_name = config.SystemName();
  session.node.window_title = session.node.system_name + " Node " + node + " - ngFarlink32 " + core::kVersionText;
  session.window->SetTitle(session.node.window_title);
  session.clock.inactivity_timeout = config.InactivityTimeout();
  session.caller.user.name.clear();
  session.log.Debug("Retrieve Hudson Info");
  session.log.Debug("Retrieve New User Defaults");
  session.new_user_settings = core::ReadNewUserSettings(config);
  if (session.new_user_settings) {
    session.caller.user.flags = session.new_user_settings->flags;
  } else {
    ReportError(session, "'" + session.config.system_path + "CONFIG.VX' not found!",
                kOkOnly + kCritical, "Fatal Error!");
  }
  session.window->RefreshStatusPanel();

  // 15. Log header.
  WriteLogHeader(session);

  // 16. How the call begins.
  session.log.Debug("Start up Call-Waiting procedure");
  if (!session.node.local_mode && session.node.connected_start) {
    StartConnectedCall(session);
  } else if (!session.node.local_mode) {
    session.node.front_end_command = cl.has_front_end ? cl.front_end : std::string();
    WaitForTheCall(session, services, cl.front_end_as_given);
    session.node.front_end_command.clear();
  }

  // A caller is on the line from here on (or the sysop at the keyboard).
  session.call.connected = true;

  // 17. A port rate passed instead of a line rate.
  if (session.node.connect_speed > 64000) session.node.connect_speed /= 4;
  session.log.Debug("Line: port " + std::to_string(session.comm.port_number()) + ", settings " +
                    session.comm.settings() + ", handle " + std::to_string(session.comm.handle()) +
                    ", speed " + std::to_string(session.node.connect_speed));

  // 18. The node is busy from here on.
  session.window->RefreshStatusPanel();
  if (!session.semaphore->Create()) {
    if (session.semaphore->HeldByRunningNode()) EndBecauseNodeInUse(session);
    session.log.Alarm("Cannot create the semaphore " + session.semaphore->CreatePath());
  }

  // 19, 20. Opening screens and the logon allowance. The clocks run from here: the inactivity
  // watch only once a caller is connected (the waiting for a call has no carrier to watch).
  ShowOpeningScreens(session);
  session.clock.time_left = config.LogonMinutes();
  session.timers.StartTimeLeft();
  session.timers.StartTimeOut();
  session.window->RefreshStatusPanel();
}

void RunNode(NodeSession& session, std::string_view command_line, const StartupServices& services) {
  RunStartup(session, command_line, services);
  // A remote session without a line has no caller to log on.
  if (!session.node.local_mode && !session.comm.port_open()) EndNodeProgram(session);
  Logon(session);
}

}  // namespace vx::session
