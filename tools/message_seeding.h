// The first messages of a new system: the [[message]] entries of the description posted into the
// bases the build creates (an existing base keeps its messages and gets none), through the node's
// own writers, replies linked to the messages they answer as message entry links them.
#pragma once

#include <map>
#include <string>

#include "core/config_fields.h"
#include "tools/system_description.h"

namespace vx::tools {

struct SeedBases {
  std::string hudson_dir;                     // host directory of the Hudson base, ends in "/"
  bool hudson_new = false;                    // the Hudson base was empty before the build
  std::map<uint16_t, std::string> jam_bases;  // JAM area number -> host base path
  std::map<uint16_t, bool> jam_new;           // ... and whether that base was empty
};

// Returns the number of messages posted; throws SourceError for a post the base refuses. (The
// description has checked that a reply answers an earlier message of its area.)
int SeedMessages(const SystemDescription& d, const SeedBases& bases,
                 const core::ConfigRecord& config);

}  // namespace vx::tools
