// USERS.BBS and USERSIDX.BBS for vxcfg: reading, appending and changing users in place.
#include "tools/user_base.h"

#include <cstdio>

#include "core/crc32.h"
#include "core/user_base.h"
#include "core/record_stream.h"
#include "core/text.h"
#include "platform/dos_path.h"
#include "platform/environment.h"
#include "tools/config_text.h"
#include "tools/source_error.h"
#include "tools/source_text.h"

namespace vx::tools {

namespace {

void WriteIndexEntry(const core::UserRecord& u, core::RecordStream& out) {
  core::UserIndexEntry e = core::IndexEntryFor(u);
  out.WriteUInt32(e.name_crc);
  out.WriteUInt32(e.handle_crc);
}

// The base and its USERS.BBS, open for a search before a write. The writes themselves lock what
// they write (a record, or the whole file for an append).
struct OpenBase {
  core::UserBase base;
  core::RecordFile users;
};

OpenBase OpenLocked(const std::string& system_dir) {
  const std::string dir = UserBaseDirectory(system_dir);
  core::UserBase base(dir + "USERS.BBS", dir + "USERSIDX.BBS");
  auto users = core::RecordFile::Open(base.users_path(), core::RecordFile::Mode::kCreate);
  if (!users) throw SourceError("cannot open the user base in " + dir);
  return OpenBase{std::move(base), std::move(*users)};
}

std::vector<core::UserRecord> ReadAll(core::RecordFile& users) {
  std::vector<uint8_t> bytes(users.Size());
  users.Seek(0);
  users.ReadBytes(bytes.data(), bytes.size());
  std::string problem;
  return ParseUsers(bytes, &problem);
}

void Check(const core::WriteResult& result) {
  if (!result.ok) throw SourceError(result.error);
}

}  // namespace

std::vector<core::UserRecord> ParseUsers(const std::vector<uint8_t>& bytes, std::string* problem) {
  std::vector<core::UserRecord> users;
  core::MemoryStream in(bytes);
  const size_t count = bytes.size() / core::kUserRecordSize;
  for (size_t r = 0; r < count; ++r) {
    in.Seek(r * core::kUserRecordSize);
    users.push_back(core::ReadUserRecord(in));
  }
  if (bytes.size() % core::kUserRecordSize != 0 && problem != nullptr) {
    *problem = std::to_string(bytes.size() % core::kUserRecordSize) +
               " bytes after the last whole record are ignored";
  }
  return users;
}

std::vector<uint8_t> UsersBytes(const std::vector<core::UserRecord>& users) {
  core::MemoryStream out;
  for (const auto& u : users) core::WriteUserRecord(u, out);
  return out.bytes();
}

std::vector<uint8_t> UserIndexBytes(const std::vector<core::UserRecord>& users) {
  core::MemoryStream out;
  for (const auto& u : users) WriteIndexEntry(u, out);
  return out.bytes();
}

std::optional<size_t> FindUser(const std::vector<core::UserRecord>& users, const std::string& name) {
  for (size_t i = 0; i < users.size(); ++i) {
    if (core::EqualsIgnoreCase(core::Trim(users[i].name), core::Trim(name)) ||
        (!core::Trim(users[i].handle).empty() &&
         core::EqualsIgnoreCase(core::Trim(users[i].handle), core::Trim(name)))) {
      return i;
    }
  }
  return std::nullopt;
}

std::string UserBaseDirectory(const std::string& system_dir) {
  std::string dir = system_dir;
  if (dir.empty() || dir.back() != '/') dir += '/';
  auto config = core::ReadWholeFile(dir + "CONFIG.VX");
  if (!config) throw SourceError("no CONFIG.VX in " + dir);
  std::string msgbase = core::Trim(GetConfigField(*config, core::config_field::kMsgBasePath));
  if (msgbase.empty()) return dir;
  platform::Environment env = platform::Environment::FromProcess();
  std::string host = platform::HostPath(msgbase, env);
  if (host.back() != '/') host += '/';
  return host;
}

void AddUser(const std::string& system_dir, const core::UserRecord& user) {
  if (core::Trim(user.name).empty()) throw SourceError("a user needs a name");
  OpenBase open = OpenLocked(system_dir);
  auto users = ReadAll(open.users);
  if (FindUser(users, user.name)) throw SourceError("user \"" + user.name + "\" already exists");
  core::UserRecord u = user;
  std::string error;
  if (!open.base.Append(u, &error)) throw SourceError(error);
}

std::string ListUsers(const std::string& system_dir) {
  const std::string dir = UserBaseDirectory(system_dir);
  auto bytes = core::ReadWholeFile(dir + "USERS.BBS");
  if (!bytes) throw SourceError("no USERS.BBS in " + dir);
  std::string problem;
  auto users = ParseUsers(*bytes, &problem);
  std::string out;
  char line[160];
  std::snprintf(line, sizeof line, "%-4s %-35s %-20s %5s %6s %s\n", "rec", "name", "handle",
                "sec", "calls", "state");
  out += line;
  for (size_t i = 0; i < users.size(); ++i) {
    const auto& u = users[i];
    std::snprintf(line, sizeof line, "%-4zu %-35s %-20s %5u %6d %s\n", i + 1, u.name.c_str(),
                  u.handle.c_str(), u.security, u.no_calls,
                  u.AttributeFlag(1) ? "deleted" : "");
    out += line;
  }
  if (!problem.empty()) out += "warning: USERS.BBS: " + problem + "\n";
  return out;
}

void SetUser(const std::string& system_dir, const std::string& name, const std::string& field,
             const std::string& value) {
  OpenBase open = OpenLocked(system_dir);
  auto users = ReadAll(open.users);
  auto found = FindUser(users, name);
  if (!found) throw SourceError("no user \"" + name + "\"");
  const core::UserRecord as_read = users[*found];
  core::UserRecord& u = users[*found];
  auto fits = [&](size_t width) {
    if (value.size() > width) {
      throw SourceError(field + " holds " + std::to_string(width) + " characters; \"" + value +
                        "\" has " + std::to_string(value.size()));
    }
  };
  auto number = [&](long long max) {
    auto n = ParseNumber(value, max);
    if (!n) throw SourceError(field + " must be a number from 0 to " + std::to_string(max));
    return *n;
  };
  if (field == "name") {
    fits(35);
    if (auto other = FindUser(users, value); other && *other != *found) {
      throw SourceError("user \"" + value + "\" already exists");
    }
    u.name = value;
  } else if (field == "handle") {
    fits(35);
    u.handle = value;
  } else if (field == "location") {
    fits(25);
    u.location = value;
  } else if (field == "comment") {
    fits(80);
    u.comment = value;
  } else if (field == "password") {
    fits(15);
    if (value.empty()) throw SourceError("a password cannot be empty");
    u.password_crc = core::Crc32(core::UpperCase(value));
  } else if (field == "security") {
    u.security = static_cast<uint16_t>(number(65535));
  } else if (field == "screen_length") {
    long long n = number(66);
    if (n < 10) throw SourceError("screen_length must be from 10 to 66");
    u.screen_length = static_cast<uint16_t>(n);
  } else if (field == "flags") {
    std::string error;
    auto flags = ParseFlagList(value, &error);
    if (!flags) throw SourceError(error);
    for (size_t i = 0; i < 4; ++i) u.flags[i] = core::FlagByteToText((*flags)[i]);
  } else if (field == "deleted") {
    std::string v = core::LowerCase(value);
    if (v != "yes" && v != "no") throw SourceError("deleted is yes or no");
    u.attribute[0] = v == "yes" ? '1' : '0';
  } else {
    throw SourceError("unknown user field \"" + field +
                      "\" (name, handle, location, comment, password, security, screen_length, "
                      "flags, deleted)");
  }
  // One field changed: written as one whole record over what is stored now, so a node's change
  // to another field of the record meanwhile survives.
  Check(open.base.WriteChanges(*found + 1, u, as_read));
  Check(open.base.WriteIndexEntry(*found + 1, u));
}

}  // namespace vx::tools
