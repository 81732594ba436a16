// The menu functions of the message layer.
#include "console/wiring.h"

namespace vx::console {

void WireMessageFunctions(session::NodeSession& session, menus::MenuEngine& engine,
                       menus::MenuFunctions& functions) {
  (void)session;
  (void)engine;
  (void)functions;
}

}  // namespace vx::console
