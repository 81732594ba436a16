// The menu functions of the sysop's console: paging the sysop.
#include "console/wiring.h"
#include "session/paging.h"

namespace vx::console {

void WireConsoleFunctions(session::NodeSession& session, menus::MenuEngine& engine,
                          menus::MenuFunctions& functions) {
  (void)engine;
  functions.Register(11, [&session](const menus::MenuEntry&) {
    session::PageSysop(session);
    return menus::MenuResult::kDone;
  });
}

}  // namespace vx::console
