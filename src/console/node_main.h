// The process entry of vxnode: creates the clock, event loop, console, log and communications
// control in a fixed order, runs the node, and turns the end of the call into the exit status.
#pragma once

namespace vx::console {

int NodeMain(int argc, char** argv);

}  // namespace vx::console
