// RunDoor and the values it hands the door.
#include "doors/run_door.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/exit_info.h"
#include "core/record_stream.h"
#include "doors/drop_file_set.h"
#include "doors/read_back.h"
#include "platform/dos_path.h"
#include "session/call_end.h"
#include "session/node_directory_claim.h"
#include "session/report_error.h"

namespace vx::doors {

namespace {

constexpr int kYellow = 14;
constexpr int kBlack = 0;
constexpr int kStartingDoor = 472;

// SYSINFO.BBS and TIMELOG.BBS as EXITINFO.BBS copies them: at most their field's width, nothing
// when the file is missing. SYSINFO.BBS is read under a shared lock, as other nodes rewrite it.
std::vector<uint8_t> StatusFileBytes(const session::NodeSession& session, const char* name,
                                     size_t width, bool locked) {
  auto file = core::RecordFile::Open(platform::HostPath(session.config.system_path + name, session.env),
                                     core::RecordFile::Mode::kRead);
  if (!file) return {};
  std::optional<core::RecordLock> lock;
  if (locked) lock.emplace(*file, 0, width, false, session.LockWaiting());
  if (file->Size() > width) {
    session.log.Debug(std::string(name) + " is longer than its " + std::to_string(width) +
                      " bytes in EXITINFO.BBS: cut");
  }
  std::vector<uint8_t> bytes = file->ReadRaw(std::min<uint64_t>(file->Size(), width));
  return bytes;
}

// A failure the sysop must hear of: a box in a local session, the log always.
void Report(session::NodeSession& session, const std::string& message) {
  if (session.node.local_mode) session.log.Alarm(message);
  session::ReportError(session, message, platform::box::kOkOnly + platform::box::kExclamation,
                       "Door");
}

// The program's own name, when it is a path: a DOS path ("C:\DOORS\GAME") becomes a host path, a
// name given in another case is found as DOS names are. A name without a directory is looked up
// on the PATH when the program starts.
bool MapProgramPath(std::string& program, const platform::Environment& env, std::string& error) {
  const bool dos = program.find('\\') != std::string::npos ||
                   (program.size() >= 2 && program[1] == ':');
  if (!dos && !platform::IsHostPath(program)) return true;
  const platform::HostPathResult host = platform::ResolveHostPath(program, env);
  if (!host.ok()) {
    error = program + ": " + host.error;
    return false;
  }
  program = host.path;
  return true;
}

DoorState StateOf(const session::NodeSession& session) {
  DoorState state;
  state.user = session.caller.user;
  state.minutes_left = session.clock.time_left;
  state.echomail_entered = session.call.echomail_entered;
  state.netmail_entered = session.call.netmail_entered;
  state.logon_time = session.caller.logon_time;
  state.logon_date = session.caller.logon_date;
  return state;
}

void Apply(const DoorState& state, session::NodeSession& session) {
  session.caller.user = state.user;
  session.clock.time_left = state.minutes_left;
  session.call.echomail_entered = state.echomail_entered;
  session.call.netmail_entered = state.netmail_entered;
  session.caller.logon_time = state.logon_time;
  session.caller.logon_date = state.logon_date;
}

// The door's minutes count as minutes of the call and of the day, and come off the minutes left.
void Charge(session::NodeSession& session, int minutes) {
  session.clock.session_minutes += minutes;
  session.clock.time_left -= minutes;
  const int elapsed = session.caller.user.elapsed + minutes;
  session.caller.user.elapsed = static_cast<int16_t>(std::min(elapsed, 32767));
}

}  // namespace

int MinutesCharged(double seconds) {
  if (!(seconds > 0)) return 0;
  return static_cast<int>(std::min(std::lround(seconds / 60.0), 1000000L));
}

DoorCodeValues CodeValuesOf(const session::NodeSession& session) {
  DoorCodeValues v;
  v.speed = session.node.connect_speed;
  const std::string comspec = session.env.ExactValue("COMSPEC");
  v.command_interpreter = comspec.empty() ? "/bin/sh" : comspec;
  v.first_name = FirstName(session.caller.user.name);
  v.last_name = LastName(session.caller.user.name);
  v.display_mode = session.terminal.output().terminal_type;
  v.extra_record = session.caller.user.long962;
  v.node = session.node.number;
  v.port = session.node.com_port;
  v.minutes_left = session.clock.time_left;
  v.message_area = session.areas.message.number;
  return v;
}

DropFileValues DropValuesOf(const session::NodeSession& session) {
  DropFileValues v;
  v.port = session.node.com_port;
  v.speed = session.node.connect_speed;
  v.node = session.node.number;
  v.minutes_left = session.clock.time_left;
  v.display_mode = session.terminal.output().terminal_type;
  v.system_name = session.Config().SystemName();
  v.sysop_name = session.Config().SysopName();
  v.default_colour = session.Config().ColourSet(1).first;
  v.download_limit = session.clock.daily_download_k;
  v.message_base_path = session.config.msgbase_path;
  v.logon_time = session.caller.logon_time;
  v.logon_date = session.caller.logon_date;
  v.echomail_entered = session.call.echomail_entered;
  v.netmail_entered = session.call.netmail_entered;
  v.time_limit = session.clock.daily_time;
  v.system_info = StatusFileBytes(session, "SYSINFO.BBS", core::kExitInfoSysInfoWidth, true);
  v.time_log = StatusFileBytes(session, "TIMELOG.BBS", core::kExitInfoTimeLogWidth, false);
  v.user = session.caller.user;
  return v;
}

void RunDoor(session::NodeSession& session, session::LineProgramRunner& runner,
             std::string_view command_line) {
  session.log.WriteLog("DOS shell : " + std::string(command_line));
  std::vector<std::string> argv = ExpandDoorCommand(command_line, CodeValuesOf(session));

  terminal::Terminal& terminal = session.terminal;
  terminal.ClearScreen();
  terminal.SetForeground(kYellow);
  terminal.SetBackground(kBlack);
  terminal.ShowPromptLn(kStartingDoor);

  platform::Clock& clock = session.loop.clock();
  const platform::MonoTime started = clock.Monotonic();
  // Another node started in this directory must not get this caller's drop files, nor give its own.
  const session::NodeDirectoryClaim claim(session.node.startup_path, session.node.number);
  if (!claim.held()) {
    Report(session, "The node directory " + session.node.startup_path + " is " + claim.error() +
                        ": the door cannot run there (start each node with its own -D)");
    return;
  }
  DropFileSet files(session.node.startup_path, session.env);
  std::string error;
  if (!files.Write(DropValuesOf(session), error)) {
    Report(session, "Drop file not written, the door does not run: " + error);
    return;
  }

  session::LineProgramOutcome outcome;
  if (argv.empty()) {
    outcome.error = "the menu entry names no program";
  } else if (MapProgramPath(argv[0], session.env, outcome.error)) {
    outcome = runner.RunOnLine(argv);
  }
  if (!outcome.started) {
    Report(session, "Unable to start the door: " + outcome.error);
  } else {
    session.program_exit_code = outcome.exit_code;
    session.log.Debug("The door ended with exit code " + std::to_string(outcome.exit_code));
  }

  DoorState state = StateOf(session);
  files.ReadBack(state, session.log);
  Apply(state, session);
  const double seconds = std::chrono::duration<double>(clock.Monotonic() - started).count();
  Charge(session, MinutesCharged(seconds));

  if (outcome.end_call) session::EndNodeProgram(session);
}

}  // namespace vx::doors
