// The process entry of vxspawn, the program a socket-activation engine (systemd, xinetd, socat)
// starts once per connection: it claims the first free node of a range for the connection and
// replaces itself with the vxnode beside it, handing over the connection and the claim.
#pragma once

namespace vx::console {

int SpawnMain(int argc, char** argv);

}  // namespace vx::console
