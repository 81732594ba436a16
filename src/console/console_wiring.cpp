// The menu functions of the console layer.
#include "console/wiring.h"

namespace vx::console {

void WireConsoleFunctions(session::NodeSession& session, menus::MenuEngine& engine,
                       menus::MenuFunctions& functions) {
  (void)session;
  (void)engine;
  (void)functions;
}

}  // namespace vx::console
