// What the three searches look for in an area's database: names matching a pattern, a text in
// the descriptions, or files uploaded on or after a date. Kept apart from the screens so that the
// scan itself can be measured and tested on its own.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/dos_date.h"
#include "files/file_database.h"

namespace vx::files {

struct SearchCriterion {
  enum class Kind { kName, kText, kNewFiles };
  Kind kind = Kind::kName;
  std::string value;           // the pattern or the text, in upper case
  core::CalendarDate since{};  // new files: uploaded on or after this date

  static SearchCriterion Name(std::string pattern);
  static SearchCriterion Text(std::string text);
  static SearchCriterion NewSince(core::CalendarDate date);
};

// Index records 1 .. paired_count of `database` in file order (records without a name are no
// files and are passed over); `hit` gets the number of each record that meets the criterion and
// returns false to stop. Description offsets that point outside the file are reported.
//   name:      the index name matches the pattern (MatchFileName);
//   text:      the description at the index record's offset (to the next zero byte), in upper
//              case, holds the text; an offset of -1 has no description;
//   new files: the index record's upload date is a date on or after the criterion's.
void ScanArea(const FileDatabase& database, const SearchCriterion& criterion,
              DatabaseProblems& problems, const std::function<bool(uint64_t k)>& hit);

}  // namespace vx::files
