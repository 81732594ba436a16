// Access to file groups and areas.
#include "files/file_access.h"

#include <algorithm>

#include "core/text.h"

namespace vx::files {

namespace {
constexpr uint8_t kInEveryGroup = 1;
}  // namespace

bool MaySeeFileGroup(const core::GroupRecord& group, const core::UserRecord& user) {
  return core::MaySeeGroup(group, user);
}

bool MaySeeFileArea(const core::FileAreaRecord& area, const core::UserRecord& user) {
  const core::FlagSet flags = CallerFlags(user);
  return !core::Trim(area.name).empty() && user.security >= area.security &&
         core::AllowsFlags(area.flags, flags) && core::ForbidsFlags(area.not_flags, flags);
}

bool AreaInFileGroup(const core::FileAreaRecord& area, uint32_t group) {
  return group == 0 || area.all_groups == kInEveryGroup || area.group == group ||
         std::find(area.further_groups.begin(), area.further_groups.end(), group) !=
             area.further_groups.end();
}

std::vector<uint32_t> FileAreaNumbers(const std::vector<uint16_t>& index, size_t records) {
  std::vector<uint32_t> numbers(records, 0);
  for (size_t n = 0; n < index.size(); ++n) {
    const uint16_t r = index[n];
    if (r == 0 || r > records || numbers[r - 1] != 0) continue;
    numbers[r - 1] = static_cast<uint32_t>(n + 1);
  }
  return numbers;
}

}  // namespace vx::files
