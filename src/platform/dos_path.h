// DOS paths on a Linux file system. Paths inside the data files are DOS paths ("C:\BBS\MENUS\")
// or host paths ("/srv/bbs/menus/"); the node's string logic works on them unchanged and this
// module turns one into a host path at the moment a file is opened: backslashes become "/", a drive
// "X:" becomes the directory named by VX_DRIVE_X, and each component that does not exist with its
// exact spelling is found case-insensitively, as DOS names are.
#pragma once

#include <string>
#include <string_view>

#include "platform/environment.h"

namespace vx::platform {

struct HostPathResult {
  std::string path;   // the host path (best effort even on error)
  std::string error;  // empty when the path could be mapped
  bool ok() const { return error.empty(); }
};

// Maps a DOS or host path to a host path. Components that exist under another case are replaced
// by their spelling on disk; components that do not exist at all keep the given spelling (so a new
// file gets the name the node gives it). Relative paths stay relative to the current directory.
HostPathResult ResolveHostPath(std::string_view path, const Environment& env);

// Convenience for callers that only want a usable path: the mapped path, or the plain
// backslash-to-slash translation when the drive is unmapped (opening it will then fail).
std::string HostPath(std::string_view path, const Environment& env);

// The process's current directory (no trailing "/"); "." when it cannot be read.
std::string CurrentDirectory();

// True when the text names a host path rather than a DOS one (it contains "/").
inline bool IsHostPath(std::string_view path) { return path.find('/') != std::string_view::npos; }

}  // namespace vx::platform
