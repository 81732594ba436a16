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
#include "session/node_window.h"
#include "session/semaphore.h"
#include "session/session_codes.h"
#include "terminal/terminal.h"

namespace vx::session {

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

  // Start-up and command line.
  std::string command_line;  // upper-cased
  int node_number = 1;
  std::string startup_path;  // ends in "/" (a host path)
  int com_port = 0;
  bool com_port_forced = false;  // -C given
  bool local_mode = false;
  bool connected_start = false;
  long connect_speed = 0;
  int exit_code = 0;
  bool debug_mode = false;
  std::string front_end_command;
  bool echomail_entered = false;
  bool netmail_entered = false;
  bool terminating = false;
  std::string log_file_name;
  std::array<int, 51> exit_errorlevels{};
  std::string system_name;
  std::array<std::pair<int, int>, 5> colour_sets{};  // (foreground, background), sets 1..5
  std::string window_title;
  std::unique_ptr<NodeSemaphore> semaphore;  // known once the node number and paths are

  // Configuration and languages.
  core::Configuration config;
  core::LanguageList languages;
  core::LanguageTable language;
  std::string mask_echo_character;
  int file_list_colour = 7;
  std::string file_list_text1, file_list_text2;
  std::optional<core::NewUserSettings> new_user_settings;
  core::SysInfoRecord system_info;  // SYSINFO.BBS as last read

  // The caller.
  core::UserRecord user;
  long user_record_pos = 0;  // byte position (1-based) in USERS.BBS; 0 = no user
  std::string user_name;

  // Session clock.
  int time_left = 0;
  int session_minutes = 0;
  int inactivity_timeout = 0;

  NodeWindow no_window;

  // The caller's terminal: all output, input and display files (built on the members above).
  terminal::Terminal terminal{terminal::TerminalContext{loop, comm, env, config, languages, language,
                                                        user, colour_sets}};
  SessionCodeValues code_values{*this};

  core::ConfigAccessors Config() const { return core::ConfigAccessors(config.system_path, env); }
};

}  // namespace vx::session
