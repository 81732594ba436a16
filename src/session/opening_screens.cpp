// Opening screens.
#include "session/opening_screens.h"

#include <string>

#include "core/config.h"
#include "session/report_error.h"

namespace vx::session {

void ShowOpeningScreens(NodeSession& session) {
  terminal::Terminal& terminal = session.terminal;
  terminal.ClearScreen();
  terminal.ShowTextFile("LOGO");
  terminal.NewLine();
  terminal.NewLine();
  terminal.SetColorPreset(0);
  DisplayText(session, std::string("This is build ") + core::kBuildNumber + "\r\n");
  DisplayText(session, std::string("ngFarlink32 ") + core::kVersionText + "\r\n");
}

}  // namespace vx::session
