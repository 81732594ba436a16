// Filling the menu engine's table.
#include "console/wiring.h"

#include "menus/engine_functions.h"

namespace vx::console {

void WireMenuFunctions(session::NodeSession& session, menus::MenuEngine& engine,
                       menus::MenuFunctions& functions) {
  menus::RegisterEngineFunctions(engine, session, functions);
  WireMessageFunctions(session, engine, functions);
  WireFileFunctions(session, engine, functions);
  WireDoorFunctions(session, engine, functions);
  WireConsoleFunctions(session, engine, functions);
}

}  // namespace vx::console
