// USERS.BBS and USERSIDX.BBS: reading, writing back and appending whole records under locks.
#include "core/user_base.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <utility>

#include "core/crc32.h"
#include "core/text.h"

namespace vx::core {

namespace {

// The fields of a user record as (offset, width): a write-back takes each field whole either from
// this call's changes or from the stored record.
constexpr std::pair<int, int> kUserFields[] = {
    {0, 36},   {36, 26},  {62, 51},  {113, 51}, {164, 51}, {215, 51}, {266, 36}, {302, 81},
    {383, 4},  {387, 16}, {403, 16}, {419, 6},  {425, 9},  {434, 1},  {435, 1},  {436, 1},
    {437, 1},  {438, 1},  {439, 1},  {440, 4},  {444, 4},  {448, 2},  {450, 2},  {452, 4},
    {456, 4},  {460, 4},  {464, 4},  {468, 4},  {472, 4},  {476, 4},  {480, 2},  {482, 2},
    {484, 1},  {485, 2},  {487, 400}, {887, 9}, {896, 9},  {905, 9},  {914, 1},  {915, 1},
    {916, 1},  {917, 36}, {953, 2},  {955, 2},  {957, 1},  {958, 2},  {960, 1},  {961, 1},
    {962, 4},  {966, 2},  {968, 1},  {969, 16}, {985, 31},
};

// The fields follow each other without a gap and cover the whole record.
constexpr bool FieldsTileTheRecord() {
  int next = 0;
  for (auto [offset, width] : kUserFields) {
    if (offset != next) return false;
    next = offset + width;
  }
  return next == kUserRecordSize;
}
static_assert(FieldsTileTheRecord());

std::string Describe(const std::string& what, const std::string& path) {
  return what + " " + path + ": " + std::strerror(errno);
}

}  // namespace

std::vector<uint8_t> UserRecordBytes(const UserRecord& user) {
  MemoryStream out;
  WriteUserRecord(user, out);
  out.bytes().resize(kUserRecordSize, 0);
  return std::move(out.bytes());
}

std::vector<uint8_t> MergeUserRecord(const std::vector<uint8_t>& stored, const UserRecord& current,
                                     const UserRecord& as_read) {
  const std::vector<uint8_t> now = UserRecordBytes(current);
  const std::vector<uint8_t> before = UserRecordBytes(as_read);
  std::vector<uint8_t> merged = stored;
  merged.resize(kUserRecordSize, 0);
  for (auto [offset, width] : kUserFields) {
    const auto from = static_cast<size_t>(offset);
    const auto to = from + static_cast<size_t>(width);
    if (!std::equal(now.begin() + from, now.begin() + to, before.begin() + from)) {
      std::copy(now.begin() + from, now.begin() + to, merged.begin() + from);
    }
  }
  return merged;
}

uint64_t UserBase::Count() const {
  auto file = RecordFile::Open(users_path_, RecordFile::Mode::kRead);
  return file ? file->Size() / kUserRecordSize : 0;
}

std::optional<UserRecord> UserBase::Read(uint64_t r) const {
  if (r == 0) return std::nullopt;
  auto file = RecordFile::Open(users_path_, RecordFile::Mode::kRead);
  if (!file || file->Size() < r * kUserRecordSize) return std::nullopt;
  // One read of the whole record, then its fields from memory.
  file->Seek((r - 1) * kUserRecordSize);
  MemoryStream record(file->ReadRaw(kUserRecordSize));
  return ReadUserRecord(record);
}

WriteResult UserBase::WriteChanges(uint64_t r, const UserRecord& current,
                                   const UserRecord& as_read) const {
  if (r == 0) return WriteResult::Failed("no user record to write");
  auto file = RecordFile::Open(users_path_, RecordFile::Mode::kReadWrite);
  if (!file) return WriteResult::Failed(Describe("cannot open", users_path_));
  const uint64_t offset = (r - 1) * kUserRecordSize;
  RecordLock lock(*file, offset, kUserRecordSize, true, wait_);
  if (!lock.held()) return WriteResult::Failed(Describe("cannot lock a record of", users_path_));
  std::vector<uint8_t> stored(kUserRecordSize, 0);
  file->Seek(offset);
  file->ReadBytes(stored.data(), stored.size());
  if (!file->WriteAt(offset, MergeUserRecord(stored, current, as_read))) {
    return WriteResult::Failed(Describe("cannot write a record of", users_path_));
  }
  return {};
}

WriteResult UserBase::WriteWhole(uint64_t r, const UserRecord& user) const {
  if (r == 0) return WriteResult::Failed("no user record to write");
  auto file = RecordFile::Open(users_path_, RecordFile::Mode::kReadWrite);
  if (!file) return WriteResult::Failed(Describe("cannot open", users_path_));
  const uint64_t offset = (r - 1) * kUserRecordSize;
  RecordLock lock(*file, offset, kUserRecordSize, true, wait_);
  if (!lock.held()) return WriteResult::Failed(Describe("cannot lock a record of", users_path_));
  if (!file->WriteAt(offset, UserRecordBytes(user))) {
    return WriteResult::Failed(Describe("cannot write a record of", users_path_));
  }
  return {};
}

std::optional<uint64_t> UserBase::Append(UserRecord& user, std::string* error) const {
  auto fail = [&](std::string message) -> std::optional<uint64_t> {
    if (error) *error = std::move(message);
    return std::nullopt;
  };
  auto file = RecordFile::Open(users_path_, RecordFile::Mode::kCreate);
  if (!file) return fail(Describe("cannot open", users_path_));
  RecordLock lock(*file, 0, 0, true, wait_);
  if (!lock.held()) return fail(Describe("cannot lock", users_path_));
  // A partial record at the end (a crash in the middle of a DOS tool's write) is overwritten by
  // the new record rather than shifting every later record off its boundary.
  const uint64_t r = file->Size() / kUserRecordSize + 1;
  user.long962 = static_cast<int32_t>(r - 1);
  if (!file->WriteAt((r - 1) * kUserRecordSize, UserRecordBytes(user))) {
    return fail(Describe("cannot write", users_path_));
  }
  WriteResult index = WriteIndexEntry(r, user);
  if (!index.ok) return fail(index.error);
  return r;
}

std::optional<uint64_t> UserBase::FindIndexEntry(uint32_t crc, uint64_t from) const {
  if (from == 0) from = 1;
  auto file = RecordFile::Open(index_path_, RecordFile::Mode::kRead);
  if (!file) return std::nullopt;
  // The CRC as the file stores it (little-endian), compared with each stored value as it is.
  const uint8_t le[4] = {static_cast<uint8_t>(crc), static_cast<uint8_t>(crc >> 8),
                         static_cast<uint8_t>(crc >> 16), static_cast<uint8_t>(crc >> 24)};
  uint32_t wanted = 0;
  std::memcpy(&wanted, le, sizeof wanted);
  constexpr size_t kEntriesPerBlock = 8192;
  std::vector<uint32_t> block(kEntriesPerBlock * 2);
  uint64_t r = from;
  for (;;) {
    file->Seek((r - 1) * kUserIndexSize);
    // A remainder shorter than an entry at the end of the file is no entry.
    const size_t entries =
        file->ReadBytes(block.data(), block.size() * sizeof(uint32_t)) / kUserIndexSize;
    if (entries == 0) return std::nullopt;
    for (size_t i = 0; i < entries; ++i) {
      if (block[2 * i] == wanted || block[2 * i + 1] == wanted) return r + i;
    }
    if (entries < kEntriesPerBlock) return std::nullopt;
    r += entries;
  }
}

std::optional<UserBase::Found> UserBase::FindUser(uint32_t crc, uint64_t from,
                                                  int* stale_entries) const {
  for (;;) {
    const std::optional<uint64_t> r = FindIndexEntry(crc, from);
    if (!r) return std::nullopt;
    from = *r + 1;
    std::optional<UserRecord> user = Read(*r);
    const bool matches = user && (Crc32(UpperCase(user->name)) == crc ||
                                  (!user->handle.empty() && Crc32(UpperCase(user->handle)) == crc));
    if (!matches) {
      if (stale_entries) ++*stale_entries;
      continue;
    }
    if (user->AttributeFlag(1)) continue;  // deleted
    return Found{*r, std::move(*user)};
  }
}

WriteResult UserBase::WriteIndexEntry(uint64_t r, const UserRecord& user) const {
  if (r == 0) return WriteResult::Failed("no index entry to write");
  auto file = RecordFile::Open(index_path_, RecordFile::Mode::kCreate);
  if (!file) return WriteResult::Failed(Describe("cannot open", index_path_));
  const uint64_t offset = (r - 1) * kUserIndexSize;
  RecordLock lock(*file, offset, kUserIndexSize, true, wait_);
  if (!lock.held()) return WriteResult::Failed(Describe("cannot lock an entry of", index_path_));
  const UserIndexEntry entry = IndexEntryFor(user);
  MemoryStream bytes;
  bytes.WriteUInt32(entry.name_crc);
  bytes.WriteUInt32(entry.handle_crc);
  if (!file->WriteAt(offset, bytes.bytes())) {
    return WriteResult::Failed(Describe("cannot write an entry of", index_path_));
  }
  return {};
}

}  // namespace vx::core
