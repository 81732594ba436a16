// The caller's settings as menu functions: each runs the session's settings function of its type.
#include "menus/engine_functions.h"
#include "session/settings.h"

namespace vx::menus {

void RegisterSettings(session::NodeSession& session, MenuFunctions& functions) {
  terminal::Terminal& terminal = session.terminal;
  core::UserRecord& user = session.caller.user;
  const auto add = [&functions](uint8_t type, std::function<void()> change) {
    functions.Register(type, [change = std::move(change)](const MenuEntry&) {
      change();
      return MenuResult::kDone;
    });
  };
  add(16, [&terminal, &user] { session::ChangeLocation(terminal, user); });
  add(17, [&session, &terminal, &user] {
    session::ChangePassword(terminal, user, session.Config().MinimumPasswordLength());
  });
  add(18, [&terminal, &user] { session::ChangeScreenLength(terminal, user); });
  add(57, [&terminal, &user] { session::ChangeVoicePhone(terminal, user); });
  add(58, [&terminal, &user] { session::ChangeDataPhone(terminal, user); });
  add(60, [&terminal, &user] { session::ChangeHandle(terminal, user); });
  add(63, [&session] { session::ChangeLanguage(session); });
  add(64, [&terminal, &user] { session::ChangeDateFormat(terminal, user); });
  add(67,
      [&session, &terminal, &user] { session::ChangeForwardTo(terminal, user, session.Users()); });
  add(74, [&terminal, &user] { session::ChangeAddress(terminal, user); });
}

}  // namespace vx::menus
