// The menu functions of the message layer: the personal-mail scan (type 22, and at logon),
// reading (type 23), message entry (type 27, the reader's reply keys and the logon's notices) and
// area selection (type 49), and the figures of the current area behind the display codes.
#include "console/wiring.h"
#include "messages/area_selection.h"
#include "messages/message_bases.h"
#include "messages/message_entry.h"
#include "messages/personal_mail.h"
#include "messages/read_messages.h"
#include "platform/process_runner.h"

namespace vx::console {

namespace {

// The message editor runs on the caller's line as a door does (the node directory its current
// directory, the session clocks standing still, the line and the node's signals watched).
messages::EditorRunner ProgramEditor(session::NodeSession& session) {
  return [&session](const std::string& command_line) {
    const std::vector<std::string> argv = platform::SplitCommandLine(command_line);
    if (argv.empty()) return messages::EditorRun{false, "no program named", false};
    if (!session.hooks.line_programs)
      return messages::EditorRun{false, "no program can run on this line", false};
    const session::LineProgramOutcome outcome = session.hooks.line_programs->RunOnLine(argv);
    return messages::EditorRun{outcome.started, outcome.error, outcome.end_call};
  };
}

}  // namespace

void WireMessageFunctions(session::NodeSession& session, menus::MenuEngine& engine,
                          menus::MenuFunctions& functions) {
  (void)engine;
  const messages::EditorRunner editor = ProgramEditor(session);
  const messages::MessageEntry entry = messages::ReaderMessageEntry(session, editor);
  session.code_values.SetMessageFigures(
      [&session] { return messages::CurrentAreaFigures(session); });
  session.hooks.scan_personal_mail = [&session, entry] {
    messages::ScanPersonalMail(session, entry);
  };
  // The logon's watchdog notice (a prepared text) and the failed caller's message to the sysop.
  session.hooks.post_message = [&session, editor](const std::string& data,
                                                  const std::string& prepared_text) {
    messages::EntryRequest request;
    request.data = data;
    if (!prepared_text.empty()) request.prepared_text = prepared_text;
    messages::PostMessage(session, editor, request);
  };
  functions.Register(22, [&session, entry](const menus::MenuEntry&) {
    messages::ScanPersonalMail(session, entry);
    return menus::MenuResult::kDone;
  });
  functions.Register(23, [&session, entry](const menus::MenuEntry& e) {
    messages::ReadMessages(session, e.data, entry);
    return menus::MenuResult::kDone;
  });
  functions.Register(27, [&session, editor](const menus::MenuEntry& e) {
    messages::EntryRequest request;
    request.data = e.data;
    messages::PostMessage(session, editor, request);
    return menus::MenuResult::kDone;
  });
  functions.Register(49, [&session](const menus::MenuEntry& e) {
    messages::SelectMessageArea(session, e.data);
    return menus::MenuResult::kDone;
  });
}

}  // namespace vx::console
