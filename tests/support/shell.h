// Test support: runs a shell command (tmux, vxcfg...) and returns its standard output.
#pragma once

#include <cstdio>
#include <string>

namespace vx::test {

inline std::string Shell(const std::string& command) {
  std::string out;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  ::pclose(pipe);
  return out;
}

}  // namespace vx::test
