// Who may see which file groups and file areas. The area list, the listings, the searches and
// tagging by name all ask here, so that a file in an area the caller may not see is never shown
// and never tagged, whichever way the caller looks for it.
#pragma once

#include <cstdint>
#include <vector>

#include "core/area_files.h"
#include "core/area_records.h"
#include "core/user_record.h"

namespace vx::files {

// The caller's flags as the access checks compare them.
using core::CallerFlags;

// A group is shown when it has a name, the caller's security reaches its level and the caller's
// flags hold every flag it requires and none it forbids.
bool MaySeeFileGroup(const core::GroupRecord& group, const core::UserRecord& user);
// An area is open to the caller when it has a name, the caller's security reaches its level
// (offset 138) and the caller's flags pass its flags and "not" flags (offsets 140 and 144).
bool MaySeeFileArea(const core::FileAreaRecord& area, const core::UserRecord& user);
// The area belongs to file group `group`: the group is 0 (no group asked for), the area is in
// every group (offset 113 is 1), or its group (offset 111) or one of its four further groups
// (offset 148) is `group`.
bool AreaInFileGroup(const core::FileAreaRecord& area, uint32_t group);

// The area number of each record of FILES.VX: element r - 1 is the number whose FILES.VDX entry
// points at record r (the lowest such number), 0 when none does. Such a record has no number to
// name its database by and is passed over.
std::vector<uint32_t> FileAreaNumbers(const std::vector<uint16_t>& index, size_t records);

}  // namespace vx::files
