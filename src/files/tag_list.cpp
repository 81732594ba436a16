// The call's tag list and the checks of a tagged file.
#include "files/tag_list.h"

#include <sys/stat.h>

#include "core/text.h"
#include "platform/dos_path.h"

namespace vx::files {

bool DownloadTagList::Batch() const {
  const char protocol = user_.default_protocol;
  return protocol == 'Y' || protocol == 'G' || protocol == 'Z';
}

bool DownloadTagList::Contains(std::string_view full_path) const {
  if (full_path.empty()) return false;
  for (const ListedFile& f : files_) {
    if (f.full_path == full_path) return true;
  }
  return false;
}

long DownloadTagList::Kilobytes() const {
  long k = 0;
  for (const ListedFile& f : files_) k += static_cast<long>(f.header.size / 1024);
  return k;
}

long DownloadTagList::Cost() const {
  long cost = 0;
  for (const ListedFile& f : files_) cost += f.header.cost;
  return cost;
}

bool DownloadTagList::LimitReached() const {
  return files_.size() >= kMaxFiles || (!Batch() && !files_.empty());
}

std::string DownloadTagList::Refuse(std::string text, bool pause) {
  refusal_pauses_ = pause;
  return text;
}

std::string DownloadTagList::Tag(const ListedFile& file) {
  if (file.full_path.empty() || Contains(file.full_path)) return {};
  if (LimitReached()) return Refuse(language_.Text(193), true);
  const double kilobytes = static_cast<double>(Kilobytes());
  const double size_k = static_cast<double>(file.header.size) / 1024.0;

  const long limit = clock_.daily_download_k;
  if (static_cast<double>(limit) < kilobytes + size_k + user_.today_k) {
    return Refuse(language_.Text(195) + " " + core::NumToText(limit) + language_.Text(196), true);
  }
  const auto ratio_text = [this](long ratio) {
    return language_.Text(195) + " " + core::NumToText(ratio) + ":1 " + language_.Text(197);
  };
  const double uploads_k = user_.uploads_k == 0 ? 1.0 : static_cast<double>(user_.uploads_k);
  if (clock_.kilobyte_ratio != 0 &&
      static_cast<double>(clock_.kilobyte_ratio) <
          (static_cast<double>(user_.downloads_k) + kilobytes + size_k) / uploads_k) {
    return Refuse(ratio_text(clock_.kilobyte_ratio), false);
  }
  const double uploads = user_.uploads == 0 ? 1.0 : static_cast<double>(user_.uploads);
  if (clock_.file_ratio != 0 &&
      static_cast<double>(clock_.file_ratio) <
          (static_cast<double>(user_.downloads) + static_cast<double>(Count()) + 1.0) / uploads) {
    return Refuse(ratio_text(clock_.file_ratio), false);
  }
  // Without a speed there is no estimate (and nothing to divide by).
  if (!node_.local_mode && node_.connect_speed > 0) {
    const double minutes =
        (kilobytes + size_k) * 1024.0 / (static_cast<double>(node_.connect_speed) / 10.0) / 60.0;
    if (minutes > static_cast<double>(clock_.time_left)) return Refuse(language_.Text(194), true);
  }
  if (static_cast<long long>(file.header.cost) >
      static_cast<long long>(user_.long440) - Cost()) {
    return Refuse(language_.Text(618), true);
  }
  files_.push_back(file);
  return {};
}

void DownloadTagList::Remove(size_t i) {
  if (i < files_.size()) files_.erase(files_.begin() + static_cast<std::ptrdiff_t>(i));
}

void DownloadTagList::DropMissingFiles(const platform::Environment& env,
                                       const std::function<void(const ListedFile&)>& dropped) {
  for (size_t i = 0; i < files_.size();) {
    struct stat st {};
    const std::string path = platform::HostPath(files_[i].full_path, env);
    if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
      ++i;
      continue;
    }
    if (dropped) dropped(files_[i]);
    Remove(i);
  }
}

}  // namespace vx::files
