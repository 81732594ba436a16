// Filling the file database of a file area from the files in its directory.
//
// Descriptions come from a list in the area's source directory, FILES.BBS: one file per line, its
// name, blanks and the description; a line that starts with a blank continues the description
// above it; lines starting with ';' are comments. Names are matched without regard to case.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace vx::tools {

inline constexpr const char* kDescriptionListName = "FILES.BBS";

// Upper-cased file name -> description (lines joined with CR LF).
std::map<std::string, std::string> ParseDescriptionList(const std::string& text);

struct FileDatabaseBytes {
  std::vector<uint8_t> headers, index, descriptions;
  int file_count = 0;
};

struct ImportedFile {
  std::string name;  // short name, upper case
  uint32_t size = 0;
  uint32_t file_date = 0;  // packed
  std::string description;
};

// The three files of an area's database for the given files, in the given order.
FileDatabaseBytes BuildFileDatabase(const std::vector<ImportedFile>& files,
                                    const std::string& uploader, uint32_t upload_date);

// Descriptions of an existing database (upper-cased name -> description), so that a rebuild keeps
// those of files that arrived by upload. Damaged parts are skipped.
std::map<std::string, std::string> ReadDatabaseDescriptions(const std::vector<uint8_t>& headers,
                                                            const std::vector<uint8_t>& texts);

}  // namespace vx::tools
