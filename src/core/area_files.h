// Looking up message areas, file areas and their groups by number through the VDX indexes of the
// system directory. Every lookup opens, reads and closes the files it needs; nothing is kept
// between calls, so a sysop's change is seen at once. Number 0 is no area or group: the empty
// result, without touching a file. A number past the end of an index, an index entry of 0, a
// record number past the end of the record file or a missing file give the empty result (the
// message area name alone treats an entry of 0 as record 1, as DOS readers of these files do).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/area_records.h"
#include "core/user_record.h"
#include "platform/environment.h"

namespace vx::core {

class AreaFiles {
 public:
  // `system_path` as configured (DOS or host path ending in its separator).
  AreaFiles(std::string system_path, const platform::Environment& env)
      : system_path_(std::move(system_path)), env_(&env) {}

  uint16_t MessageAreaRecordNumber(uint32_t area) const;
  uint16_t FileAreaRecordNumber(uint32_t area) const;
  uint16_t MessageGroupRecordNumber(uint32_t group) const;
  uint16_t FileGroupRecordNumber(uint32_t group) const;

  std::string MessageAreaName(uint32_t area) const;
  std::string FileAreaName(uint32_t area) const;
  std::string FileAreaPath(uint32_t area) const;
  std::string MessageGroupName(uint32_t group) const;
  std::string FileGroupName(uint32_t group) const;

  // Whole records by area or group number; nullopt when there is none.
  std::optional<MessageAreaRecord> MessageArea(uint32_t area) const;
  std::optional<FileAreaRecord> FileArea(uint32_t area) const;

  // Records in file order, as the lists and searches walk them (a remainder shorter than a record
  // is left out). Record r of the result is record r + 1 of the file. `problem`, when given, says
  // what was wrong with the file (missing, or a remainder that is no whole record).
  std::vector<MessageAreaRecord> MessageAreas(std::string* problem = nullptr) const;
  std::vector<FileAreaRecord> FileAreas(std::string* problem = nullptr) const;
  std::vector<GroupRecord> MessageGroups(std::string* problem = nullptr) const;
  std::vector<GroupRecord> FileGroups(std::string* problem = nullptr) const;
  // MESSAGES.VDX whole: entry n - 1 holds the record number of message area n.
  std::vector<uint16_t> MessageAreaIndex() const { return Index("MESSAGES.VDX"); }
  // FILES.VDX whole: entry n - 1 holds the record number of file area n.
  std::vector<uint16_t> FileAreaIndex() const { return Index("FILES.VDX"); }
  // The area or group number whose index entry points at record r (1-based); 0 when none does.
  uint32_t MessageAreaNumberOfRecord(uint16_t r) const;
  uint32_t FileAreaNumberOfRecord(uint16_t r) const;

  bool FilesVxHasData() const;

 private:
  std::string Path(const char* name) const;
  uint16_t RecordNumber(const char* index, uint32_t number) const;
  template <typename Record>
  std::optional<Record> ReadRecord(const char* file, int size, uint16_t r) const;
  std::vector<uint16_t> Index(const char* index) const;

  std::string system_path_;
  const platform::Environment* env_;
};

// The flag tests of the access checks: every flag set in `required` is set in the caller's flags,
// and no flag set in `forbidden` is. Flags are bytes (bit 0 = flag 1), one per group A..D.
bool AllowsFlags(const FlagSet& required, const FlagSet& caller);
bool ForbidsFlags(const FlagSet& forbidden, const FlagSet& caller);

// The caller's flags as the access checks compare them.
FlagSet CallerFlags(const UserRecord& user);
// A message or file group is listed to the caller: it has a name, and the caller's security and
// flags let them see it.
bool MaySeeGroup(const GroupRecord& group, const UserRecord& user);

}  // namespace vx::core
