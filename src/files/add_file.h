// Adding a file to an area's file database (AddFile), as uploads do. The node only ever appends:
// the description goes to the end of the description file, then the header and the index record
// go after the last whole record of their files. Other nodes may add files to the same area at
// the same moment, so the whole append runs under one open-file-description lock on the header
// file; each record is written whole with one write call at its place. A failed write (a full
// disk) takes back what this append wrote and is reported, never counted as done.
//
// What the records get (the rest is zero or empty):
//   header  name (8.3, upper case), size, CRC 0, uploader, upload date, file date, upload date
//           again as the last download, 0 downloads, attribute, description offset
//   index   name, upload date, description offset
#pragma once

#include <cstdint>
#include <string>

#include "core/node_log.h"
#include "core/record_stream.h"
#include "files/file_database_records.h"
#include "platform/environment.h"

namespace vx::files {

struct NewFileEntry {
  std::string name;       // as received; a directory part is dropped
  std::string directory;  // where the file lies (DOS or host path); empty: the name is stored as
                          // it is and must be a plain 8.3 name
  uint32_t size = 0;
  std::string uploader;
  uint32_t upload_date = 0;  // packed DOS dates
  uint32_t file_date = 0;
  uint8_t attribute = 0;
  std::string description;  // lines separated by CR LF; control characters are not stored
  uint32_t area = 0;
};

struct AddFileResult {
  bool ok = false;
  std::string error;    // what went wrong, for the log and the caller
  std::string name;     // the name stored (the file's short name)
  uint64_t record = 0;  // the record number the file got (1-based)
  int32_t description_offset = -1;
};

// The header and index records that AddFile writes for `entry` under `name`, with the
// description at `offset`.
FileHeaderRecord NewHeaderRecord(const NewFileEntry& entry, const std::string& name,
                                 int32_t offset);
FileIndexRecord NewIndexRecord(const NewFileEntry& entry, const std::string& name, int32_t offset);

// Appends the file to the database of `entry.area` below `filebase_path`, creating missing files
// (and their directories). A file whose name is not an 8.3 name gets its short name and is
// renamed to it (see GiveShortName). When the header and index files hold different numbers of
// records, the shorter one is first filled up with empty records, so that record k of both
// describes the same file again.
AddFileResult AddFile(const std::string& filebase_path, const NewFileEntry& entry,
                      const platform::Environment& env, core::NodeLog& log,
                      const core::LockWait& wait);

}  // namespace vx::files
