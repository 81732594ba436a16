// The node-in-use semaphore "VxBusy.<node>": an empty file, as DOS tools expect, in the semaphore
// directory (the system directory when that setting is empty). While a Linux node runs it also
// holds an open-file-description lock on the file, so a semaphore that is present but unlocked is
// known to be left behind by a crash.
#pragma once

#include <string>

#include "platform/environment.h"

namespace vx::session {

class NodeSemaphore {
 public:
  // `create_dir` is where the node creates it; `system_dir` is the other place it may be found.
  NodeSemaphore(std::string name, int node, std::string create_dir, std::string system_dir,
                const platform::Environment& env);
  ~NodeSemaphore();
  NodeSemaphore(const NodeSemaphore&) = delete;
  NodeSemaphore& operator=(const NodeSemaphore&) = delete;

  // Present in the semaphore or the system directory.
  bool Exists() const;
  // Present and locked by a running node (this process excluded).
  bool HeldByRunningNode() const;
  // Creates the file and takes its lock; false when another node holds the lock.
  bool Create();
  // Takes over a claim made for this node by the program that started it: `fd` is an open file
  // of this node's semaphore that holds its lock. False (and nothing taken) when it is not.
  bool Adopt(int fd);
  // Gives the open file (and with it the lock) to the caller without removing the semaphore:
  // vxspawn hands it to the node it starts. -1 when nothing was created.
  int Release();
  // Removes the file from where Create puts it (and releases the lock).
  void Remove();
  // Removes a semaphore left by a crash from both places it may be found.
  void RemoveStale();
  bool created() const { return fd_ >= 0; }

  std::string CreatePath() const;   // host path
  std::string SystemPath() const;   // host path
  const std::string& file_name() const { return file_name_; }

 private:
  std::string file_name_;
  std::string create_dir_, system_dir_;
  const platform::Environment& env_;
  int fd_ = -1;
};

}  // namespace vx::session
