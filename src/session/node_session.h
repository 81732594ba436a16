// NodeSession: the per-node state for the life of the process, and the objects it works with.
// main creates the collaborators (clock, event loop, console, log, communications control) in a
// fixed order and passes them in by reference; the session owns nothing global.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "comm/comm_control.h"
#include "core/config.h"
#include "core/language.h"
#include "core/node_log.h"
#include "core/status_records.h"
#include "core/user_record.h"
#include "platform/console.h"
#include "platform/environment.h"
#include "platform/event_loop.h"
#include "session/caller_account.h"
#include "session/current_areas.h"
#include "session/node_info.h"
#include "session/node_window.h"
#include "session/semaphore.h"
#include "session/session_clock.h"
#include "session/session_codes.h"
#include "session/session_hooks.h"
#include "terminal/terminal.h"

namespace vx::session {

// What the call is doing beside the menus: the sysop's console acts on the call (forced chat,
// line noise, ending it) only when nothing else runs.
enum class SessionActivity { kNone, kPage, kChat, kTransfer, kDoor };

// The per-node state, as a few owned services that features take by reference: the node and its
// line (`node`), how the call ends (`call`), the configuration and languages, the caller's account
// (`caller`), the session clock (`clock`) and the caller's terminal.
struct NodeSession {
  NodeSession(platform::EventLoop& loop_, platform::Console& console_, core::NodeLog& log_,
              comm::CommControl& comm_, const platform::Environment& env_)
      : loop(loop_), console(console_), log(log_), comm(comm_), env(env_) {
    terminal.SetCodeValues(&code_values);
  }

  platform::EventLoop& loop;
  platform::Console& console;
  core::NodeLog& log;
  comm::CommControl& comm;
  const platform::Environment& env;
  NodeWindow* window = &no_window;  // the console's node window, when there is one

  NodeInfo node;
  CallOutcome call;
  std::unique_ptr<NodeSemaphore> semaphore;  // known once the node number and paths are

  // Configuration and languages.
  core::Configuration config;
  core::ConfigSnapshot config_snapshot{env};  // CONFIG.VX during the call, through Config()
  core::LanguageList languages;
  core::LanguageTable language;
  std::array<std::pair<int, int>, 5> colour_sets{};  // (foreground, background), sets 1..5
  std::string mask_echo_character;
  int file_list_colour = 7;
  std::string file_list_text1, file_list_text2;
  std::optional<core::NewUserSettings> new_user_settings;
  core::SysInfoRecord system_info;  // SYSINFO.BBS as last read

  CallerAccount caller;
  SessionClock clock;
  CurrentAreas areas;
  SessionActivity activity = SessionActivity::kNone;
  int program_exit_code = 0;  // the last door's exit code: kept, used by nothing yet
  SessionTimers timers{*this};  // TimeLeftClock and TimeOutClock
  std::string protocol_name;    // the caller's transfer protocol, from the account at logon

  // What the layers above bring to the call (menus, message entry, scans); set by main.
  SessionHooks hooks;

  NodeWindow no_window;

  // The caller's terminal: all output, input and display files (built on the members above).
  terminal::Terminal terminal{terminal::TerminalContext{
      loop, comm, env, config, config_snapshot, languages, language, caller.user, colour_sets}};
  SessionCodeValues code_values{*this};

  const core::ConfigSnapshot& Config() const { return config_snapshot; }
  core::AreaFiles AreaFiles() const { return core::AreaFiles(config.system_path, env); }
  // The user base, whose lock waits run the event loop.
  core::UserBase Users() const;
  // A lock wait of this node: it runs the event loop, so signals, the line and the clocks keep
  // working while another node holds a shared file.
  core::LockWait LockWaiting() const;
};

}  // namespace vx::session
