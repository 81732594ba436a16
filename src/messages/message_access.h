// Who may see which message groups, areas and messages: the access checks of the area lists, the
// personal-mail scan and the reader, in one place so that they agree.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/area_files.h"
#include "core/area_records.h"
#include "core/user_record.h"

namespace vx::messages {

// The caller's flags as the access checks compare them.
using core::CallerFlags;

// A group is listed to the caller (see core/area_files.h).
using core::MaySeeGroup;
// An area may be read when it has a name, the caller's security reaches its read level and the
// caller's flags pass its read flags and read "not" flags.
bool MayReadArea(const core::MessageAreaRecord& area, const core::UserRecord& user);
// The area belongs to message group `group`: its second attribute byte is 1 (every group), or its
// group or one of its three further groups is `group`.
bool AreaInGroup(const core::MessageAreaRecord& area, uint32_t group);
// The caller chose to skip echomail areas (character 6 of the second attribute text) and the area
// is one.
bool SkipsEchomail(const core::MessageAreaRecord& area, const core::UserRecord& user);

// `name` (from a message) is the caller's user name or handle, compared trimmed and in upper case.
// An empty name is nobody's, so a caller without a handle matches no empty addressee.
bool IsCaller(std::string_view name, const core::UserRecord& user);

}  // namespace vx::messages
