// The node directory is where the node puts the files an external program reads and writes (the
// drop files of a door, the editor's exchange files). Two nodes started in the same directory
// (without -D) would hand each other's callers those files, so a node claims the directory from
// writing them until it has taken them back: an open-file-description lock on "VXDOOR.LCK" in the
// directory, which holds the claiming node's number as text. The file stays when the claim ends
// (removing it would let two nodes lock two different files of one name).
#pragma once

#include <string>

namespace vx::session {

class NodeDirectoryClaim {
 public:
  static constexpr const char* kFileName = "VXDOOR.LCK";

  // `directory` is a host path ending in "/".
  NodeDirectoryClaim(const std::string& directory, int node);
  ~NodeDirectoryClaim();
  NodeDirectoryClaim(const NodeDirectoryClaim&) = delete;
  NodeDirectoryClaim& operator=(const NodeDirectoryClaim&) = delete;

  bool held() const { return fd_ >= 0; }
  // Why the claim was not granted ("in use by node 3", or the system's error).
  const std::string& error() const { return error_; }

 private:
  int fd_ = -1;
  std::string error_;
};

}  // namespace vx::session
