// Area and group lookups.
#include "core/area_files.h"

#include "core/record_stream.h"
#include "core/text.h"
#include "platform/dos_path.h"

namespace vx::core {

std::string AreaFiles::Path(const char* name) const {
  return platform::HostPath(system_path_ + name, *env_);
}

uint16_t AreaFiles::RecordNumber(const char* index, uint32_t number) const {
  if (number == 0 || number > 65535) return 0;
  auto file = RecordFile::Open(Path(index), RecordFile::Mode::kRead);
  if (!file || uint64_t{number} * 2 > file->Size()) return 0;
  file->Seek((uint64_t{number} - 1) * 2);
  return file->ReadWord();
}

std::vector<uint16_t> AreaFiles::Index(const char* index) const {
  auto file = RecordFile::Open(Path(index), RecordFile::Mode::kRead);
  if (!file) return {};
  return ReadAreaIndex(*file);
}

template <typename Record>
std::optional<Record> AreaFiles::ReadRecord(const char* name, int size, uint16_t r) const {
  if (r == 0) return std::nullopt;
  auto file = RecordFile::Open(Path(name), RecordFile::Mode::kRead);
  if (!file || uint64_t{r} * static_cast<uint64_t>(size) > file->Size()) return std::nullopt;
  file->Seek((uint64_t{r} - 1) * static_cast<uint64_t>(size));
  if constexpr (std::is_same_v<Record, MessageAreaRecord>) return ReadMessageAreaRecord(*file);
  if constexpr (std::is_same_v<Record, FileAreaRecord>) return ReadFileAreaRecord(*file);
  if constexpr (std::is_same_v<Record, GroupRecord>) return ReadGroupRecord(*file);
}

uint16_t AreaFiles::MessageAreaRecordNumber(uint32_t area) const { return RecordNumber("MESSAGES.VDX", area); }
uint16_t AreaFiles::FileAreaRecordNumber(uint32_t area) const { return RecordNumber("FILES.VDX", area); }
uint16_t AreaFiles::MessageGroupRecordNumber(uint32_t group) const { return RecordNumber("MGROUPS.VDX", group); }
uint16_t AreaFiles::FileGroupRecordNumber(uint32_t group) const { return RecordNumber("FGROUPS.VDX", group); }

std::optional<MessageAreaRecord> AreaFiles::MessageArea(uint32_t area) const {
  return ReadRecord<MessageAreaRecord>("MESSAGES.VX", kMessageAreaRecordSize, MessageAreaRecordNumber(area));
}

std::optional<FileAreaRecord> AreaFiles::FileArea(uint32_t area) const {
  if (!FilesVxHasData()) return std::nullopt;
  return ReadRecord<FileAreaRecord>("FILES.VX", kFileAreaRecordSize, FileAreaRecordNumber(area));
}

std::string AreaFiles::MessageAreaName(uint32_t area) const {
  if (area == 0) return {};
  uint16_t r = MessageAreaRecordNumber(area);
  if (r == 0) r = 1;  // an entry of 0 reads the first record's name
  auto record = ReadRecord<MessageAreaRecord>("MESSAGES.VX", kMessageAreaRecordSize, r);
  return record ? record->name : std::string();
}

std::string AreaFiles::FileAreaName(uint32_t area) const {
  auto record = FileArea(area);
  return record ? record->name : std::string();
}

std::string AreaFiles::FileAreaPath(uint32_t area) const {
  auto record = FileArea(area);
  return record ? record->path : std::string();
}

std::string AreaFiles::MessageGroupName(uint32_t group) const {
  auto record = ReadRecord<GroupRecord>("MGROUPS.VX", kGroupRecordSize, MessageGroupRecordNumber(group));
  return record ? record->name : std::string();
}

std::string AreaFiles::FileGroupName(uint32_t group) const {
  auto record = ReadRecord<GroupRecord>("FGROUPS.VX", kGroupRecordSize, FileGroupRecordNumber(group));
  return record ? record->name : std::string();
}

namespace {
template <typename Record, typename Reader>
std::vector<Record> ReadAll(const std::string& path, int size, Reader read, std::string* problem) {
  std::vector<Record> records;
  auto bytes = ReadWholeFile(path);
  if (!bytes) {
    if (problem) *problem = path + " cannot be read";
    return records;
  }
  MemoryStream in(std::move(*bytes));
  const uint64_t count = in.Size() / static_cast<uint64_t>(size);
  if (problem && in.Size() % static_cast<uint64_t>(size) != 0) {
    *problem = path + " is " + std::to_string(in.Size()) + " bytes, not a whole number of " +
               std::to_string(size) + "-byte records; the last " +
               std::to_string(in.Size() % static_cast<uint64_t>(size)) + " bytes are ignored";
  }
  records.reserve(count);
  for (uint64_t r = 0; r < count; ++r) {
    in.Seek(r * static_cast<uint64_t>(size));
    records.push_back(read(in));
  }
  return records;
}
}  // namespace

std::vector<MessageAreaRecord> AreaFiles::MessageAreas(std::string* problem) const {
  return ReadAll<MessageAreaRecord>(Path("MESSAGES.VX"), kMessageAreaRecordSize,
                                    ReadMessageAreaRecord, problem);
}
std::vector<FileAreaRecord> AreaFiles::FileAreas(std::string* problem) const {
  return ReadAll<FileAreaRecord>(Path("FILES.VX"), kFileAreaRecordSize, ReadFileAreaRecord,
                                 problem);
}
std::vector<GroupRecord> AreaFiles::MessageGroups(std::string* problem) const {
  return ReadAll<GroupRecord>(Path("MGROUPS.VX"), kGroupRecordSize, ReadGroupRecord, problem);
}
std::vector<GroupRecord> AreaFiles::FileGroups(std::string* problem) const {
  return ReadAll<GroupRecord>(Path("FGROUPS.VX"), kGroupRecordSize, ReadGroupRecord, problem);
}

uint32_t AreaFiles::MessageAreaNumberOfRecord(uint16_t r) const {
  const std::vector<uint16_t> index = Index("MESSAGES.VDX");
  for (size_t n = 0; n < index.size(); ++n) {
    if (index[n] == r && r != 0) return static_cast<uint32_t>(n + 1);
  }
  return 0;
}

uint32_t AreaFiles::FileAreaNumberOfRecord(uint16_t r) const {
  const std::vector<uint16_t> index = Index("FILES.VDX");
  for (size_t n = 0; n < index.size(); ++n) {
    if (index[n] == r && r != 0) return static_cast<uint32_t>(n + 1);
  }
  return 0;
}

bool AreaFiles::FilesVxHasData() const { return FileHasData(Path("FILES.VX")); }

bool AllowsFlags(const FlagSet& required, const FlagSet& caller) {
  for (size_t g = 0; g < required.size(); ++g) {
    if ((required[g] & caller[g]) != required[g]) return false;
  }
  return true;
}

bool ForbidsFlags(const FlagSet& forbidden, const FlagSet& caller) {
  for (size_t g = 0; g < forbidden.size(); ++g) {
    if ((forbidden[g] & caller[g]) != 0) return false;
  }
  return true;
}

FlagSet CallerFlags(const UserRecord& user) {
  FlagSet flags{};
  for (size_t g = 0; g < flags.size(); ++g) flags[g] = FlagTextToByte(user.flags[g]);
  return flags;
}

bool MaySeeGroup(const GroupRecord& group, const UserRecord& user) {
  const FlagSet flags = CallerFlags(user);
  return !Trim(group.name).empty() && user.security >= group.security &&
         AllowsFlags(group.flags, flags) && ForbidsFlags(group.not_flags, flags);
}

}  // namespace vx::core
