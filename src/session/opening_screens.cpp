// Opening screens.
#include "session/opening_screens.h"

#include <string>

#include "core/config.h"
#include "session/report_error.h"

namespace vx::session {

void ShowOpeningScreens(NodeSession& session) {
  DisplayText(session, "\r\n\r\n");
  DisplayText(session, std::string("This is build ") + core::kBuildNumber + "\r\n");
  DisplayText(session, std::string("ngFarlink32 ") + core::kVersionText + "\r\n");
}

}  // namespace vx::session
