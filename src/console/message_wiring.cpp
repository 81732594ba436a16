// The menu functions of the message layer: the personal-mail scan (type 22, and at logon),
// reading (type 23) and area selection (type 49), and the figures of the current area behind the
// display codes.
// Message entry (type 27) fills the reader's message-entry seam when it is built in.
#include <memory>

#include "console/wiring.h"
#include "messages/area_selection.h"
#include "messages/message_bases.h"
#include "messages/personal_mail.h"
#include "messages/read_messages.h"

namespace vx::console {

void WireMessageFunctions(session::NodeSession& session, menus::MenuEngine& engine,
                          menus::MenuFunctions& functions) {
  (void)engine;
  // Empty until message entry is built: the reader then says that it is not available.
  auto entry = std::make_shared<messages::MessageEntry>();
  session.code_values.SetMessageFigures(
      [&session] { return messages::CurrentAreaFigures(session); });
  session.hooks.scan_personal_mail = [&session, entry] {
    messages::ScanPersonalMail(session, *entry);
  };
  functions.Register(22, [&session, entry](const menus::MenuEntry&) {
    messages::ScanPersonalMail(session, *entry);
    return menus::MenuResult::kDone;
  });
  functions.Register(23, [&session, entry](const menus::MenuEntry& e) {
    messages::ReadMessages(session, e.data, *entry);
    return menus::MenuResult::kDone;
  });
  functions.Register(49, [&session](const menus::MenuEntry& e) {
    messages::SelectMessageArea(session, e.data);
    return menus::MenuResult::kDone;
  });
}

}  // namespace vx::console
