// The drop files of one door run in the node directory. Each is written whole (a temporary file
// renamed into place, so a door never sees half of one, nor the previous caller's when the write
// fails); EXITINFO.BBS, which holds the caller's password checksum, is readable by the node's own
// user only. What was written is kept, and afterwards a file is taken back only when its bytes
// differ from it (a modification time may not change within its resolution).
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/node_log.h"
#include "doors/drop_files.h"
#include "doors/read_back.h"
#include "platform/environment.h"

namespace vx::doors {

class DropFileSet {
 public:
  static constexpr const char* kDorinfo = "DORINFO1.DEF";
  static constexpr const char* kDoorSys = "DOOR.SYS";
  static constexpr const char* kExitInfo = "EXITINFO.BBS";

  // `directory` is a host path ending in "/".
  DropFileSet(std::string directory, const platform::Environment& env);

  // Writes the three files; false with `error` saying which could not be written, and why.
  bool Write(const DropFileValues& values, std::string& error);
  // Takes back into `state` the files the door changed: EXITINFO.BBS, DORINFO1.DEF, DOOR.SYS.
  void ReadBack(DoorState& state, core::NodeLog& log) const;

 private:
  struct File {
    std::string host_path;
    std::vector<uint8_t> written;
  };
  std::string Path(const char* name) const;
  // The file as the door left it, when it differs from what was written.
  bool Changed(const File& file, std::vector<uint8_t>& now, off_t& size, core::NodeLog& log) const;

  std::string directory_;
  const platform::Environment& env_;
  File exit_info_, dorinfo_, door_sys_;
};

}  // namespace vx::doors
