// ReportError.
#include "session/report_error.h"

#include <string>

namespace vx::session {

void DisplayText(NodeSession& session, std::string_view text) { session.terminal.Display(text); }

int ReportError(NodeSession& session, std::string_view message, int style, std::string_view title) {
  if (session.node.local_mode) return session.console.MessageBox(message, title, style);
  DisplayText(session, "\r\n");
  DisplayText(session, "ERROR! Check LOG file");
  session.log.Alarm(message);
  if (!session.console.interactive()) {
    // Headless, nobody reads the caller's screen at the node: the sysop learns of it here too.
    platform::WriteStandardError(platform::HeadlessConsole::FormatBox(message, title));
  }
  return -1;
}

}  // namespace vx::session
