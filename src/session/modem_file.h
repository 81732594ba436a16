// MODEM.VX as the node finds it: in the node's own directory first, then in the system directory;
// a file counts only when it is there and not empty.
#pragma once

#include <optional>

#include "core/modem_settings.h"
#include "session/node_session.h"

namespace vx::session {

// nullopt when neither directory has a MODEM.VX with data (nothing is shown).
std::optional<core::ModemSettings> FindModemSettings(NodeSession& session);

// The configuration error of a missing MODEM.VX (7999).
void ShowMissingModemFile(NodeSession& session);

}  // namespace vx::session
