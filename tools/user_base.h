// The user base of a system: USERS.BBS and USERSIDX.BBS in the message base directory, kept in
// step (index record r always belongs to user record r). Used by `vxcfg user` and by the build.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/user_record.h"

namespace vx::tools {

// Records of a USERS.BBS image; a remainder shorter than a record is reported in `problem`.
std::vector<core::UserRecord> ParseUsers(const std::vector<uint8_t>& bytes, std::string* problem);
std::vector<uint8_t> UsersBytes(const std::vector<core::UserRecord>& users);
std::vector<uint8_t> UserIndexBytes(const std::vector<core::UserRecord>& users);

// Index (0-based) of the first user whose name or handle matches, ignoring case; nullopt if none.
std::optional<size_t> FindUser(const std::vector<core::UserRecord>& users, const std::string& name);

// The directory that holds USERS.BBS for the system in `system_dir` (the message base path of its
// CONFIG.VX, the system directory when that is empty), as a host path ending in "/".
std::string UserBaseDirectory(const std::string& system_dir);

// The `vxcfg user` commands. Each throws SourceError with a clear message on failure; changes are
// written under an exclusive record lock, in place, so running nodes keep their own records.
void AddUser(const std::string& system_dir, const core::UserRecord& user);
std::string ListUsers(const std::string& system_dir);
// Sets one field (name, handle, location, password, security, flags, screen_length, comment,
// deleted) of the user named `name`.
void SetUser(const std::string& system_dir, const std::string& name, const std::string& field,
             const std::string& value);

}  // namespace vx::tools
