// The menu functions of the door layer, and the runner of programs on the caller's line that
// message entry's external editor uses too.
#include <memory>

#include "console/wiring.h"
#include "doors/line_relay.h"
#include "doors/run_door.h"

namespace vx::console {

void WireDoorFunctions(session::NodeSession& session, menus::MenuEngine& engine,
                       menus::MenuFunctions& functions) {
  (void)engine;
  auto runner = std::make_shared<doors::LineRelayRunner>(session);
  session.hooks.line_programs = runner;
  functions.Register(7, [&session, runner](const menus::MenuEntry& entry) {
    doors::RunDoor(session, *runner, entry.data);
    return menus::MenuResult::kDone;
  });
}

}  // namespace vx::console
