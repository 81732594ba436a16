// Loading the current message and file areas.
#include "session/current_areas.h"

namespace vx::session {

void CurrentAreas::LoadMessageArea(const core::AreaFiles& areas, const core::UserRecord& user) {
  message = CurrentMessageArea{};
  message.number = user.msg_area;
  if (auto record = areas.MessageArea(user.msg_area)) {
    message.record = *record;
    message.has_record = true;
  } else {
    message.record.message_kinds = 3;
  }
}

void CurrentAreas::LoadFileArea(const core::AreaFiles& areas, const core::UserRecord& user) {
  file = CurrentFileArea{};
  file.number = user.file_area == 0 ? 1 : user.file_area;
  file.group = user.file_group == 0 ? 1 : user.file_group;
  if (auto record = areas.FileArea(file.number)) {
    file.record = *record;
    file.has_record = true;
  }
}

}  // namespace vx::session
