// Reading the file database of an area: the header, index and description files of area n below
// the configured file-base directory (layouts in file_database_records.h). The listings and the
// searches read an area's files whole, once, and work on them in memory; every read is bounded by
// what the files hold, so a short, damaged or hostile database never makes a reader look outside
// it. What is wrong is written to the node log.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/node_log.h"
#include "files/file_database_records.h"
#include "platform/environment.h"
#include "terminal/stored_text.h"

namespace vx::files {

// The three files of area n joined to the file-base directory (as configured, ending in its
// separator): "hdr\fdb" n ".hdr", "idx\fdb" n ".idx", "txt\fdb" n ".txt". DOS or host paths.
struct FileDatabasePaths {
  std::string header, index, descriptions;
};
FileDatabasePaths DatabasePaths(std::string_view filebase_path, uint32_t area);

// Problems found in a database, written to the node log: the first few as they come, then one
// line with how many more there were, so that a badly damaged area does not flood the log.
class DatabaseProblems {
 public:
  static constexpr int kLoggedLines = 5;

  DatabaseProblems(core::NodeLog& log, uint32_t area) : log_(&log), area_(area) {}
  ~DatabaseProblems() { Flush(); }
  DatabaseProblems(const DatabaseProblems&) = delete;
  DatabaseProblems& operator=(const DatabaseProblems&) = delete;

  void Report(const std::string& text);
  // Writes the count of the problems not logged one by one.
  void Flush();
  int count() const { return count_; }

 private:
  core::NodeLog* log_;
  uint32_t area_;
  int count_ = 0;
  int unlogged_ = 0;
};

// A text from the database made safe to show or store: every control character other than CR
// and LF is removed (a tab becomes a blank), so that a stored ^K!, ^A or ESC sequence shows as the
// plain text around it and never acts. Characters from 128 up (code page 437) stay.
std::string PlainText(std::string_view text);
// (A one-line field, a name, is made plain by terminal::PlainField: CR and LF go too.)

// One file of a listing: its header record, its description and where the file itself lies.
struct ListedFile {
  FileHeaderRecord header;
  std::string description;  // as stored (not yet made plain)
  // The area's file path followed by the file name; empty when the stored name is not a plain
  // 8.3 name or the area has no path, so that such a record is never opened or tagged.
  std::string full_path;
  uint32_t area = 0;
};

// The full path of a file named `name` in an area whose file path is `area_path`, or an empty text
// when it must not be opened: the name is not a plain 8.3 name (it would reach outside the
// directory) or the path is empty (which would be the root). A DOS path is upper-cased as a whole;
// a host path keeps its directory's spelling.
std::string FullFilePath(std::string_view area_path, std::string_view name);

class FileDatabase {
 public:
  // Reads the files of `area` whole. nullopt when the header or the description file cannot be
  // opened (the area does not exist); a missing index file reads as empty. A file whose length
  // is no whole number of records, and header and index files that disagree, are reported.
  static std::optional<FileDatabase> Open(const std::string& filebase_path, uint32_t area,
                                          const platform::Environment& env,
                                          DatabaseProblems& problems);

  uint32_t area() const { return area_; }
  uint64_t header_count() const { return headers_.size() / kFileHeaderSize; }
  uint64_t index_count() const { return index_.size() / kFileIndexSize; }
  // Index records that have a header record beside them: the searches read no further.
  uint64_t paired_count() const { return std::min(header_count(), index_count()); }

  // Record k (1-based, k <= its file's count).
  FileHeaderRecord Header(uint64_t k) const;
  // Fields of index record k read in place: the name (at most 12 characters), the upload date
  // and the description offset.
  std::string_view IndexName(uint64_t k) const;
  uint32_t IndexUploadDate(uint64_t k) const;
  int32_t IndexDescriptionOffset(uint64_t k) const;

  // The description at `offset`: the text from there to the next zero byte, or to the end of the
  // file when none follows (reported). Empty for -1 and for an offset outside the file
  // (reported).
  std::string_view Description(int32_t offset, const std::string& name,
                               DatabaseProblems& problems) const;
  // The whole description file, for the text search.
  const std::vector<uint8_t>& description_bytes() const { return descriptions_; }

  // Header record k with its description (ReadFileHeader): `area_path` is the area's file path.
  ListedFile ReadFileHeader(uint64_t k, std::string_view area_path,
                            DatabaseProblems& problems) const;

 private:
  uint32_t area_ = 0;
  std::vector<uint8_t> headers_, index_, descriptions_;
};

// FindFiles: the numbers of the index records, in file order, whose names match `pattern`
// (MatchFileName); empty names are skipped. `found` returns false to stop the scan.
void FindFiles(const FileDatabase& database, std::string_view pattern,
               const std::function<bool(uint64_t k)>& found);

}  // namespace vx::files
