// The basic tag list.
#include "files/tag_list.h"

namespace vx::files {

bool BasicTagList::Batch() const {
  const char protocol = user_.default_protocol;
  return protocol == 'Y' || protocol == 'G' || protocol == 'Z';
}

bool BasicTagList::Contains(std::string_view full_path) const {
  if (full_path.empty()) return false;
  for (const ListedFile& f : files_) {
    if (f.full_path == full_path) return true;
  }
  return false;
}

bool BasicTagList::LimitReached() const {
  return files_.size() >= kMaxFiles || (!Batch() && !files_.empty());
}

std::string BasicTagList::Tag(const ListedFile& file) {
  if (file.full_path.empty() || Contains(file.full_path)) return {};
  if (LimitReached()) return language_.Text(193);
  files_.push_back(file);
  kilobytes_ += static_cast<long>(file.header.size / 1024);
  return {};
}

}  // namespace vx::files
