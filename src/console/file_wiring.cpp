// The menu functions of the file layer.
#include "console/wiring.h"

namespace vx::console {

void WireFileFunctions(session::NodeSession& session, menus::MenuEngine& engine,
                       menus::MenuFunctions& functions) {
  (void)session;
  (void)engine;
  (void)functions;
}

}  // namespace vx::console
