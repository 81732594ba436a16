// The listing page.
#include "files/listing_page.h"

namespace vx::files {

int ListingPage::Add(ListedFile file) {
  number_ = number_ >= kHighestNumber ? 1 : number_ + 1;
  entries_[static_cast<size_t>(number_)] = std::move(file);
  return number_;
}

const ListedFile* ListingPage::Entry(int n) const {
  if (n < 1 || n > kHighestNumber) return nullptr;
  const auto& entry = entries_[static_cast<size_t>(n)];
  return entry ? &*entry : nullptr;
}

std::string ListingPage::TagListingLine(int line) {
  const ListedFile* file = Entry(line);
  return file ? tags_.Tag(*file) : std::string();
}

}  // namespace vx::files
