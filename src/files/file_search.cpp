// Scanning an area's database for the searches.
#include "files/file_search.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>

namespace vx::files {

namespace {

void ScanDates(const FileDatabase& db, const core::CalendarDate& since,
               const std::function<bool(uint64_t)>& hit) {
  const uint64_t count = db.paired_count();
  for (uint64_t k = 1; k <= count; ++k) {
    if (db.IndexName(k).empty()) continue;
    const auto uploaded = core::UnpackCalendarDate(db.IndexUploadDate(k));
    if (uploaded && *uploaded >= since && !hit(k)) return;
  }
}

// `size` bytes from `from` to `to`, ASCII letters in upper case. Eight bytes at a time: in each
// byte of a word, bit 7 comes out set where the byte is "a" to "z" (its low seven bits are at
// least "a" and at most "z", and its own bit 7 is clear); that bit, moved to bit 5, is the
// difference between the cases.
void UpperCaseCopy(const uint8_t* from, size_t size, char* to) {
  constexpr uint64_t kOnes = 0x0101010101010101ULL;
  constexpr uint64_t kHigh = 0x8080808080808080ULL;
  size_t i = 0;
  for (; i + 8 <= size; i += 8) {
    uint64_t word;
    std::memcpy(&word, from + i, 8);
    const uint64_t low7 = word & ~kHigh;
    const uint64_t at_least_a = low7 + kOnes * (0x80 - 'a');
    const uint64_t above_z = low7 + kOnes * (0x80 - 'z' - 1);
    const uint64_t lower = at_least_a & ~above_z & ~word & kHigh;
    word ^= lower >> 2;
    std::memcpy(to + i, &word, 8);
  }
  for (; i < size; ++i) {
    const uint8_t c = from[i];
    to[i] = static_cast<char>(c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c);
  }
}

// The descriptions are upper-cased once and the text is looked for once over all of them; a
// record is a hit when the first place of the text at or after its offset comes before the zero
// byte that ends its description (the text holds no zero byte, so it never spans two).
void ScanTexts(const FileDatabase& db, const std::string& text, DatabaseProblems& problems,
               const std::function<bool(uint64_t)>& hit) {
  if (text.empty()) return;
  const std::vector<uint8_t>& bytes = db.description_bytes();
  const size_t size = bytes.size();
  const std::unique_ptr<char[]> buffer(new char[size]);
  UpperCaseCopy(bytes.data(), size, buffer.get());
  const std::string_view upper(buffer.get(), size);
  std::vector<size_t> places;
  for (const char* from = upper.data(); from < upper.data() + upper.size();) {
    const void* found = ::memmem(from, static_cast<size_t>(upper.data() + upper.size() - from),
                                 text.data(), text.size());
    if (found == nullptr) break;
    const auto* at = static_cast<const char*>(found);
    places.push_back(static_cast<size_t>(at - upper.data()));
    from = at + 1;
  }

  const uint64_t count = db.paired_count();
  for (uint64_t k = 1; k <= count; ++k) {
    if (db.IndexName(k).empty()) continue;
    const int32_t offset = db.IndexDescriptionOffset(k);
    if (offset == -1) continue;
    if (offset < 0 || static_cast<size_t>(offset) >= upper.size()) {
      problems.Report("the index gives the description of " +
                      terminal::PlainField(db.IndexName(k)) + " the offset " +
                      std::to_string(offset) + ", outside the description file");
      continue;
    }
    const auto start = static_cast<size_t>(offset);
    const auto place = std::lower_bound(places.begin(), places.end(), start);
    if (place == places.end()) continue;
    if (std::memchr(upper.data() + start, 0, *place - start) != nullptr) continue;
    if (!hit(k)) return;
  }
}

}  // namespace

SearchCriterion SearchCriterion::Name(std::string pattern) {
  SearchCriterion c;
  c.kind = Kind::kName;
  c.value = std::move(pattern);
  return c;
}

SearchCriterion SearchCriterion::Text(std::string text) {
  SearchCriterion c;
  c.kind = Kind::kText;
  c.value = std::move(text);
  return c;
}

SearchCriterion SearchCriterion::NewSince(core::CalendarDate date) {
  SearchCriterion c;
  c.kind = Kind::kNewFiles;
  c.since = date;
  return c;
}

void ScanArea(const FileDatabase& database, const SearchCriterion& criterion,
              DatabaseProblems& problems, const std::function<bool(uint64_t k)>& hit) {
  switch (criterion.kind) {
    case SearchCriterion::Kind::kName:
      FindFiles(database, criterion.value, hit);
      break;
    case SearchCriterion::Kind::kText:
      ScanTexts(database, criterion.value, problems, hit);
      break;
    case SearchCriterion::Kind::kNewFiles:
      ScanDates(database, criterion.since, hit);
      break;
  }
}

}  // namespace vx::files
