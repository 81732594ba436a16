// Access checks of the message layer.
#include "messages/message_access.h"

#include <algorithm>

#include "core/area_files.h"
#include "core/text.h"

namespace vx::messages {

namespace {
constexpr uint8_t kAreaTypeEchomail = 2;
constexpr uint8_t kInEveryGroup = 1;
}  // namespace

bool MayReadArea(const core::MessageAreaRecord& area, const core::UserRecord& user) {
  const core::FlagSet flags = CallerFlags(user);
  return !core::Trim(area.name).empty() && user.security >= area.read_security &&
         core::AllowsFlags(area.read_flags, flags) &&
         core::ForbidsFlags(area.read_not_flags, flags);
}

bool AreaInGroup(const core::MessageAreaRecord& area, uint32_t group) {
  return area.attribute2 == kInEveryGroup || area.group == group ||
         std::find(area.further_groups.begin(), area.further_groups.end(), group) !=
             area.further_groups.end();
}

bool SkipsEchomail(const core::MessageAreaRecord& area, const core::UserRecord& user) {
  return area.area_type == kAreaTypeEchomail && user.attribute2.size() >= 6 &&
         user.attribute2[5] == '1';
}

bool IsCaller(std::string_view name, const core::UserRecord& user) {
  const std::string upper = core::UpperCase(core::Trim(name));
  if (upper.empty()) return false;
  return upper == core::UpperCase(core::Trim(user.name)) ||
         upper == core::UpperCase(core::Trim(user.handle));
}

}  // namespace vx::messages
