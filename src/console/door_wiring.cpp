// The menu functions of the door layer.
#include "console/wiring.h"

namespace vx::console {

void WireDoorFunctions(session::NodeSession& session, menus::MenuEngine& engine,
                       menus::MenuFunctions& functions) {
  (void)session;
  (void)engine;
  (void)functions;
}

}  // namespace vx::console
