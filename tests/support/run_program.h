// Test support: runs a program of ours as a sysop's script would, without a terminal (standard
// input /dev/null), and returns its exit status and what it wrote to standard error. Descriptors
// may be handed to it as 3, 4, ... in the order given, and another descriptor may be its standard
// input (a connection, as inetd-style listeners give it).
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace vx::test {

struct ProgramResult {
  int exit_code = -1;
  std::string error_output;
  std::string output;
};

inline ProgramResult RunProgram(const std::vector<std::string>& args,
                                const std::vector<std::string>& env, const std::string& cwd,
                                const std::vector<int>& hand_over = {}, int standard_input = -1) {
  TempDir scratch;
  std::string err_path = scratch / "stderr";
  std::string out_path = scratch / "stdout";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (standard_input >= 0) {
    posix_spawn_file_actions_adddup2(&actions, standard_input, 0);
  } else {
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  }
  posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
  // Copies above the targets first, so that no dup2 is one of a descriptor onto itself (which
  // would keep its close-on-exec flag).
  std::vector<int> copies;
  for (int fd : hand_over) copies.push_back(::fcntl(fd, F_DUPFD_CLOEXEC, 100));
  for (size_t i = 0; i < copies.size(); ++i) {
    posix_spawn_file_actions_adddup2(&actions, copies[i], 3 + static_cast<int>(i));
  }
  // Nothing else of ours (or of the test runner's) reaches the program.
  posix_spawn_file_actions_addclosefrom_np(&actions, 3 + static_cast<int>(copies.size()));
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);
  pid_t pid = -1;
  ProgramResult result;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  posix_spawn_file_actions_destroy(&actions);
  for (int fd : copies) ::close(fd);
  result.error_output = ReadFile(err_path);
  result.output = ReadFile(out_path);
  return result;
}

}  // namespace vx::test
