// What the layers above the session bring to a call, as callbacks that the program's entry sets
// when those layers are built in: the menu loop after the logon, message entry and the scans the
// logon offers. An empty hook means the layer is not there; the
// session then goes on without it and says so in the log where a caller would miss something.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "session/line_program.h"

namespace vx::session {

struct SessionHooks {
  // The menu loop: the global menu, the menu TOP and its rounds until the call ends. It does not
  // return while the call goes on; empty, the call ends after the logon.
  std::function<void()> run_menus;
  // Message entry with a menu entry's data ("area /T=Name_With_Underscores") and a prepared text
  // (empty: the caller writes the message).
  std::function<void(const std::string& data, const std::string& prepared_text)> post_message;
  // The personal-mail scan and the new-files search the logon offers.
  std::function<void()> scan_personal_mail;
  std::function<void()> scan_new_files;
  // Programs on the caller's line (doors, the external editor); empty when none can run.
  std::shared_ptr<LineProgramRunner> line_programs;
};

}  // namespace vx::session
