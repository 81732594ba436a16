// The caller's current message area and file area: the area records as the caller last chose
// them (the numbers live in the caller's record, MsgArea and FileArea). The menus, the display
// codes and the message and file functions read them.
#pragma once

#include <cstdint>

#include "core/area_files.h"
#include "core/area_records.h"
#include "core/user_record.h"

namespace vx::session {

struct CurrentMessageArea {
  uint32_t number = 0;  // the area number the caller chose (a Hudson board: 1 to 200)
  bool has_record = false;
  core::MessageAreaRecord record;  // message kinds 3 (nothing may be written) without a record
};

struct CurrentFileArea {
  uint32_t number = 0;  // 0 in the caller's record counts as 1
  uint32_t group = 0;   // likewise
  bool has_record = false;
  core::FileAreaRecord record;
};

struct CurrentAreas {
  CurrentMessageArea message;
  CurrentFileArea file;

  // Loads the message area numbered `user.msg_area`. An area without a record (index entry 0 or
  // past the index) gets message kinds 3 and nothing else.
  void LoadMessageArea(const core::AreaFiles& areas, const core::UserRecord& user);
  // Loads the file area numbered `user.file_area` in group `user.file_group` (0 counts as 1).
  void LoadFileArea(const core::AreaFiles& areas, const core::UserRecord& user);
};

}  // namespace vx::session
