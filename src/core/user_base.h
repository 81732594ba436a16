// The user base shared by every node and the DOS tools: USERS.BBS (one 1016-byte record per user)
// and USERSIDX.BBS (8 bytes per user, entry r belonging to record r) in the message base
// directory. Record numbers are 1-based.
//
// Writes are whole records, one pwrite at their place, under an open-file-description lock on the
// record's bytes, so that no other node or program sees half a record. A node writes back only
// what its call changed: the fields that differ from the record as it was read are laid over the
// record as it is stored now, so a change another program made meanwhile to a field this call did
// not touch survives. An append locks the whole file, takes the position from the length under
// that lock and writes the index entry at the matching position, so two nodes registering at the
// same moment never get the same record. Nothing here truncates either file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/record_stream.h"
#include "core/user_record.h"

namespace vx::core {

// The outcome of a write: ok, or what went wrong (a message for the log).
struct WriteResult {
  bool ok = true;
  std::string error;
  static WriteResult Failed(std::string message) { return WriteResult{false, std::move(message)}; }
};

class UserBase {
 public:
  // Host paths of the two files.
  UserBase(std::string users_path, std::string index_path, LockWait wait = {})
      : users_path_(std::move(users_path)), index_path_(std::move(index_path)), wait_(std::move(wait)) {}

  const std::string& users_path() const { return users_path_; }
  const std::string& index_path() const { return index_path_; }

  // Whole records in USERS.BBS (a remainder shorter than a record does not count).
  uint64_t Count() const;
  // Record r; nullopt when the file or the record is not there.
  std::optional<UserRecord> Read(uint64_t r) const;

  // Writes record r back: the fields of `current` that differ from `as_read` over the record as
  // stored now. One write call.
  WriteResult WriteChanges(uint64_t r, const UserRecord& current, const UserRecord& as_read) const;
  // Writes record r whole from `user`. One write call.
  WriteResult WriteWhole(uint64_t r, const UserRecord& user) const;
  // Appends `user` as a new record and its index entry; returns the record number. `user`'s
  // Long962 (the number of records before it) is set from the position taken.
  std::optional<uint64_t> Append(UserRecord& user, std::string* error) const;
  // Writes index entry r for `user` (the CRCs of its upper-cased name and handle).
  WriteResult WriteIndexEntry(uint64_t r, const UserRecord& user) const;

  // The first index entry from record `from` on (1-based) whose name or handle CRC is `crc`;
  // nullopt when none is, or when USERSIDX.BBS cannot be read. The index is read in blocks, so a
  // search costs about as much as reading the file once and needs no more memory than a block.
  std::optional<uint64_t> FindIndexEntry(uint32_t crc, uint64_t from = 1) const;

  struct Found {
    uint64_t record = 0;
    UserRecord user;
  };
  // The first user, from record `from` on, whose upper-cased name or handle has the CRC `crc`,
  // deleted users skipped. Each index entry found is checked against the record it names: an
  // entry pointing past the end of USERS.BBS or at a record of another name (an index out of step
  // with the users) is skipped and counted in `stale_entries`.
  std::optional<Found> FindUser(uint32_t crc, uint64_t from = 1,
                                int* stale_entries = nullptr) const;

 private:
  std::string users_path_, index_path_;
  LockWait wait_;
};

// The bytes of one record as written by WriteUserRecord.
std::vector<uint8_t> UserRecordBytes(const UserRecord& user);
// `current`'s bytes where a field differs from `as_read`, `stored`'s bytes everywhere else.
std::vector<uint8_t> MergeUserRecord(const std::vector<uint8_t>& stored, const UserRecord& current,
                                     const UserRecord& as_read);

}  // namespace vx::core
