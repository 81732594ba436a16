// `vxcfg build SRC DIR`: a complete system directory from a source directory (system.toml, the
// language and menu sources, display files, file area files, further directories). Everything is
// checked first and written into a temporary directory beside DIR, which then replaces DIR in one
// step, so a failed build leaves no half-written system. Paths written into the files are absolute
// host paths of DIR and must fit their fields (60 characters, 40 for a file area's path).
#pragma once

#include <string>
#include <vector>

namespace vx::tools {

struct BuildOptions {
  bool fresh = false;  // start from nothing instead of keeping users, messages and uploads
};

struct BuildReport {
  std::string system_dir;           // absolute, ends in "/"
  std::vector<std::string> notes;   // what was written, for the sysop
};

// Throws SourceError (file, line and what is wrong) on any problem; nothing is changed then.
BuildReport BuildSystem(const std::string& source_dir, const std::string& target_dir,
                        const BuildOptions& options);

// The absolute form of a directory that may not exist yet (its parent must).
std::string AbsoluteDirectory(const std::string& dir);

}  // namespace vx::tools
