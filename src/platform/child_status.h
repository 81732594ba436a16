// Small pieces every runner of child processes needs.
#pragma once

#include <sys/syscall.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vx::platform {

// A descriptor that becomes readable when the process ends (-1 where the kernel has none).
// glibc 2.36's <sys/pidfd.h> cannot be included from C++; the system call is the same.
inline int PidFdOpen(pid_t pid) { return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)); }

// A wait status as an exit code: the program's own, or 128 + N when signal N ended it.
inline int ExitCodeOf(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

}  // namespace vx::platform
