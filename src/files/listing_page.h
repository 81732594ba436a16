// The numbered files of the listing shown now. Every file a listing shows with a number takes the
// next listing number (1 to 99, then 1 again, counted for the whole call) and is kept under it, so
// that the caller can tag it by that number at the page pause or at the end of the list. The page
// is the terminal's tagging hook: it hands the chosen files to the tag list.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "files/file_database.h"
#include "files/tag_list.h"
#include "terminal/pause_tagging.h"

namespace vx::files {

class ListingPage final : public terminal::PauseTagging {
 public:
  static constexpr int kHighestNumber = 99;

  explicit ListingPage(TagList& tags) : tags_(tags) {}

  // Gives the file the next listing number and keeps it under that number (replacing the file
  // that had it before). Returns the number.
  int Add(ListedFile file);
  // The file under number n, or nullptr for a number without one.
  const ListedFile* Entry(int n) const;
  int last_number() const { return number_; }

  TagList& tags() { return tags_; }
  const TagList& tags() const { return tags_; }

  // Tagging at the page pause.
  bool LimitReached() const override { return tags_.LimitReached(); }
  long TaggedCount() const override { return tags_.Count(); }
  long TaggedKilobytes() const override { return tags_.Kilobytes(); }
  std::string TagListingLine(int line) override;

 private:
  TagList& tags_;
  std::array<std::optional<ListedFile>, kHighestNumber + 1> entries_{};
  int number_ = 0;
};

}  // namespace vx::files
