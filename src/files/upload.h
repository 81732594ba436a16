// Uploads (UploadFiles): the engine receives into a fresh directory inside the upload directory;
// each file is checked when the engine announces it (its name, the free space, a file of the same
// name in the file base), the growth of the file is watched against the free space, and only a
// complete file that passed every check is moved into the upload directory, under its short
// name and never over an existing file. The caller describes each file and it is added to the
// database of the area that holds it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "session/node_session.h"

namespace vx::files {

void UploadFiles(session::NodeSession& session);

// The bare name an upload may be stored under, or empty when the received name must be refused:
// "", "." and "..", names with a directory part (after its last "/" or "\", the whole name is
// checked, so "a/b" and "C:\X" are refused), control characters, "*" or "?", DOS device names,
// names longer than 255 characters.
std::string SafeUploadName(std::string_view received);

// Whether a file of this name (any letter case) lies in `directory` (a host path).
bool NameTakenInDirectory(const std::string& directory, std::string_view name);

// CheckQueuedFile's duplicate check: the first area with the duplicate-check flag whose database
// holds a name matching `name`; 0 when none does.
uint32_t FindDuplicate(session::NodeSession& session, std::string_view name);

}  // namespace vx::files
