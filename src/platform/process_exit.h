// Ending the process from inside any wait. The end of a call throws ProcessExit; it unwinds every
// nested wait and is caught once, in main, which restores the terminal and exits with the code.
// It deliberately derives from nothing, so `catch (const std::exception&)` does not swallow it.
#pragma once

namespace vx::platform {

struct ProcessExit {
  int code;
};

[[noreturn]] inline void EndProcess(int code) { throw ProcessExit{code}; }

}  // namespace vx::platform
