// Reading an area's file database.
#include "files/file_database.h"

#include <cstring>

#include "core/record_stream.h"
#include "core/text.h"
#include "files/name_match.h"
#include "files/short_name.h"
#include "platform/dos_path.h"
#include "terminal/stored_text.h"

namespace vx::files {

namespace {

uint32_t Little32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

std::string Number(uint64_t n) { return std::to_string(n); }

// A whole file, or nullopt when it cannot be opened.
std::optional<std::vector<uint8_t>> ReadFile(const std::string& path,
                                             const platform::Environment& env) {
  return core::ReadWholeFile(platform::HostPath(path, env));
}

void CheckWholeRecords(const std::vector<uint8_t>& bytes, size_t size, const char* what,
                       DatabaseProblems& problems) {
  if (bytes.size() % size != 0) {
    problems.Report(std::string("the ") + what + " file is " + Number(bytes.size()) +
                    " bytes long, not a whole number of " + Number(size) +
                    "-byte records; its last " + Number(bytes.size() % size) +
                    " bytes are not read");
  }
}

}  // namespace

FileDatabasePaths DatabasePaths(std::string_view filebase_path, uint32_t area) {
  const std::string base = core::CompleteDirectory(filebase_path);
  const std::string n = std::to_string(area);
  return {base + "hdr\\fdb" + n + ".hdr", base + "idx\\fdb" + n + ".idx",
          base + "txt\\fdb" + n + ".txt"};
}

void DatabaseProblems::Report(const std::string& text) {
  ++count_;
  if (count_ <= kLoggedLines) {
    log_->WriteLog("File area " + std::to_string(area_) + ": " + text);
  } else {
    ++unlogged_;
  }
}

void DatabaseProblems::Flush() {
  if (unlogged_ == 0) return;
  log_->WriteLog("File area " + std::to_string(area_) + ": " + std::to_string(unlogged_) +
                 " further problems in the file database");
  unlogged_ = 0;
}

std::string PlainText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 32 && u != 127) {
      out += c;
    } else if (c == '\r' || c == '\n') {
      out += c;
    } else if (c == '\t') {
      out += ' ';
    }
  }
  return out;
}

std::string FullFilePath(std::string_view area_path, std::string_view name) {
  const std::string bare = core::Trim(name);
  const std::string directory = core::CompleteDirectory(area_path);
  if (directory.empty() || !IsShortName(bare)) return {};
  if (platform::IsHostPath(directory)) return directory + core::UpperCase(bare);
  return core::UpperCase(directory + bare);
}

std::optional<FileDatabase> FileDatabase::Open(const std::string& filebase_path, uint32_t area,
                                               const platform::Environment& env,
                                               DatabaseProblems& problems) {
  const FileDatabasePaths paths = DatabasePaths(filebase_path, area);
  auto headers = ReadFile(paths.header, env);
  auto descriptions = ReadFile(paths.descriptions, env);
  if (!headers || !descriptions) return std::nullopt;
  FileDatabase db;
  db.area_ = area;
  db.headers_ = std::move(*headers);
  db.descriptions_ = std::move(*descriptions);
  if (auto index = ReadFile(paths.index, env)) db.index_ = std::move(*index);
  CheckWholeRecords(db.headers_, kFileHeaderSize, "header", problems);
  CheckWholeRecords(db.index_, kFileIndexSize, "index", problems);
  if (db.header_count() != db.index_count()) {
    problems.Report("the header file holds " + Number(db.header_count()) +
                    " records and the index file " + Number(db.index_count()) +
                    "; the searches read the first " + Number(db.paired_count()));
  }
  return db;
}

FileHeaderRecord FileDatabase::Header(uint64_t k) const {
  core::ByteView in(headers_.data() + static_cast<size_t>(k - 1) * kFileHeaderSize,
                    kFileHeaderSize);
  return ReadFileHeaderRecord(in);
}

std::string_view FileDatabase::IndexName(uint64_t k) const {
  const uint8_t* record = index_.data() + static_cast<size_t>(k - 1) * kFileIndexSize;
  const size_t length = std::min<size_t>(record[0], 12);
  return {reinterpret_cast<const char*>(record + 1), length};
}

uint32_t FileDatabase::IndexUploadDate(uint64_t k) const {
  return Little32(index_.data() + static_cast<size_t>(k - 1) * kFileIndexSize + 13);
}

int32_t FileDatabase::IndexDescriptionOffset(uint64_t k) const {
  return static_cast<int32_t>(
      Little32(index_.data() + static_cast<size_t>(k - 1) * kFileIndexSize + 37));
}

std::string_view FileDatabase::Description(int32_t offset, const std::string& name,
                                           DatabaseProblems& problems) const {
  if (offset == -1) return {};
  if (offset < 0 || static_cast<uint64_t>(offset) >= descriptions_.size()) {
    problems.Report("the description of " + terminal::PlainField(name) + " is said to start at " +
                    std::to_string(offset) + ", outside the description file (" +
                    Number(descriptions_.size()) + " bytes)");
    return {};
  }
  const auto* start = reinterpret_cast<const char*>(descriptions_.data()) + offset;
  const size_t room = descriptions_.size() - static_cast<size_t>(offset);
  const void* end = std::memchr(start, 0, room);
  if (end == nullptr) {
    problems.Report("the description of " + terminal::PlainField(name) + " at " +
                    std::to_string(offset) +
                    " has no end byte; it is taken to the end of the file");
    return {start, room};
  }
  return {start, static_cast<size_t>(static_cast<const char*>(end) - start)};
}

ListedFile FileDatabase::ReadFileHeader(uint64_t k, std::string_view area_path,
                                        DatabaseProblems& problems) const {
  ListedFile file;
  file.header = Header(k);
  file.description =
      std::string(Description(file.header.description_offset, file.header.name, problems));
  file.area = area_;
  file.full_path = FullFilePath(area_path, file.header.name);
  if (file.full_path.empty() && !core::Trim(file.header.name).empty() &&
      !core::Trim(area_path).empty()) {
    problems.Report("the stored name \"" + terminal::PlainField(file.header.name) +
                    "\" is not a plain file name; that file is never opened");
  }
  return file;
}

void FindFiles(const FileDatabase& database, std::string_view pattern,
               const std::function<bool(uint64_t k)>& found) {
  const uint64_t count = database.paired_count();
  for (uint64_t k = 1; k <= count; ++k) {
    const std::string_view name = database.IndexName(k);
    if (name.empty()) continue;
    if (MatchFileName(pattern, name) && !found(k)) return;
  }
}

}  // namespace vx::files
