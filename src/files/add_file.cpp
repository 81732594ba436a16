// Appending a file to the file database.
#include "files/add_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <limits>
#include <optional>

#include "core/text.h"
#include "files/file_database.h"
#include "files/short_name.h"
#include "platform/dos_path.h"

namespace vx::files {

namespace {

std::vector<uint8_t> HeaderBytes(const FileHeaderRecord& r) {
  core::MemoryStream out;
  WriteFileHeaderRecord(r, out);
  return out.bytes();
}

std::vector<uint8_t> IndexBytes(const FileIndexRecord& r) {
  core::MemoryStream out;
  WriteFileIndexRecord(r, out);
  return out.bytes();
}

// Empty records that fill a file up to the record count of the other.
std::vector<uint8_t> Fillers(uint64_t count, bool header) {
  std::vector<uint8_t> bytes;
  for (uint64_t i = 0; i < count; ++i) {
    const std::vector<uint8_t> one =
        header ? HeaderBytes(FileHeaderRecord{}) : IndexBytes(FileIndexRecord{});
    bytes.insert(bytes.end(), one.begin(), one.end());
  }
  return bytes;
}

// One of the three files of the database as this append found it.
struct OpenedFile {
  core::RecordFile file;
  uint64_t size_before;
};

std::optional<OpenedFile> OpenForAppend(const std::string& path, const platform::Environment& env,
                                        std::string* error) {
  const std::string host = platform::HostPath(path, env);
  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::path(host).parent_path(), ignored);
  auto file = core::RecordFile::Open(host, core::RecordFile::Mode::kCreate);
  if (!file) {
    *error = "cannot open " + host + ": " + std::strerror(errno);
    return std::nullopt;
  }
  const uint64_t size = file->Size();
  return OpenedFile{std::move(*file), size};
}

}  // namespace

FileHeaderRecord NewHeaderRecord(const NewFileEntry& entry, const std::string& name,
                                 int32_t offset) {
  FileHeaderRecord h;
  h.name = name;
  h.size = entry.size;
  h.crc = 0;
  h.uploader = terminal::PlainField(entry.uploader);
  h.upload_date = entry.upload_date;
  h.file_date = entry.file_date;
  h.last_download = entry.upload_date;
  h.times_downloaded = 0;
  h.attributes = entry.attribute;
  h.cost = 0;
  h.description_offset = offset;
  return h;
}

FileIndexRecord NewIndexRecord(const NewFileEntry& entry, const std::string& name, int32_t offset) {
  FileIndexRecord x;
  x.name = name;
  x.upload_date = entry.upload_date;
  x.description_offset = offset;
  return x;
}

AddFileResult AddFile(const std::string& filebase_path, const NewFileEntry& entry,
                      const platform::Environment& env, core::NodeLog& log,
                      const core::LockWait& wait) {
  AddFileResult result;
  const std::string area = std::to_string(entry.area);
  const auto fail = [&](const std::string& error) {
    result.ok = false;
    result.error = "File not added to area " + area + ": " + error;
    log.WriteLog(result.error);
    return result;
  };

  // The short name comes first: it may rename the file, which needs no lock on the database.
  std::string name;
  if (!core::Trim(entry.directory).empty()) {
    std::string error;
    const auto short_name = GiveShortName(entry.directory, entry.name, env, &error);
    if (!short_name) return fail(error);
    name = *short_name;
  } else {
    const std::string bare = BareFileName(entry.name);
    if (!IsShortName(bare))
      return fail("\"" + terminal::PlainField(bare) + "\" is not a DOS file name");
    name = core::UpperCase(bare);
  }

  log.Debug("Opening files");
  const FileDatabasePaths paths = DatabasePaths(filebase_path, entry.area);
  std::string error;
  auto header = OpenForAppend(paths.header, env, &error);
  auto index = header ? OpenForAppend(paths.index, env, &error) : std::nullopt;
  auto texts = index ? OpenForAppend(paths.descriptions, env, &error) : std::nullopt;
  if (!texts) return fail(error);

  // Every appender takes this lock first; what the files hold is read under it.
  core::RecordLock lock(header->file, 0, 0, true, wait);
  if (!lock.held()) return fail("the file database is held by another node");
  header->size_before = header->file.Size();
  index->size_before = index->file.Size();
  texts->size_before = texts->file.Size();

  const uint64_t headers = header->size_before / kFileHeaderSize;
  const uint64_t indexes = index->size_before / kFileIndexSize;
  const uint64_t k = std::max(headers, indexes);
  if (headers != indexes) {
    log.WriteLog("File area " + area + ": the header file held " + std::to_string(headers) +
                 " records and the index file " + std::to_string(indexes) +
                 "; the shorter is filled up with empty records");
  }
  if (texts->size_before > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) {
    return fail("the description file is full");
  }
  const auto offset = static_cast<int32_t>(texts->size_before);

  std::vector<uint8_t> text_bytes;
  for (char c : PlainText(entry.description)) text_bytes.push_back(static_cast<uint8_t>(c));
  text_bytes.push_back(0);
  std::vector<uint8_t> header_bytes = Fillers(k - headers, true);
  const std::vector<uint8_t> header_record = HeaderBytes(NewHeaderRecord(entry, name, offset));
  header_bytes.insert(header_bytes.end(), header_record.begin(), header_record.end());
  std::vector<uint8_t> index_bytes = Fillers(k - indexes, false);
  const std::vector<uint8_t> index_record = IndexBytes(NewIndexRecord(entry, name, offset));
  index_bytes.insert(index_bytes.end(), index_record.begin(), index_record.end());

  // Description, header, index: a reader that finds a record finds what it points at.
  const bool written = texts->file.WriteAt(texts->size_before, text_bytes) &&
                       header->file.WriteAt(headers * kFileHeaderSize, header_bytes) &&
                       index->file.WriteAt(indexes * kFileIndexSize, index_bytes);
  if (!written) {
    const std::string reason = std::strerror(errno);
    // Take back what this append wrote; nobody else writes while the lock is held.
    for (OpenedFile* f : {&*texts, &*header, &*index}) {
      if (f->file.Size() > f->size_before &&
          ::ftruncate(f->file.fd(), static_cast<off_t>(f->size_before)) != 0) {
        log.WriteLog("File area " + area +
                     ": cannot take back a failed append: " + std::strerror(errno));
      }
    }
    return fail("writing the file database failed: " + reason);
  }
  result.ok = true;
  result.name = name;
  result.record = k + 1;
  result.description_offset = offset;
  return result;
}

}  // namespace vx::files
