// The files a caller chose for download, as the listings see them. The download work owns the
// real list (with the caller's limits, the protocol and the transfer); the listings only offer
// files to it and ask whether a file is in it, through this interface. BasicTagList keeps the
// files in the order they were tagged, at most 1024, and only one while the caller's protocol
// sends single files, until the full list takes its place.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/language.h"
#include "core/user_record.h"
#include "files/file_database.h"

namespace vx::files {

class TagList {
 public:
  static constexpr size_t kMaxFiles = 1024;

  virtual ~TagList() = default;
  // A file with this full path is in the list.
  virtual bool Contains(std::string_view full_path) const = 0;
  // Offers a listed file. Returns the text that tells the caller why it was refused; empty when
  // it was tagged, or was in the list already.
  virtual std::string Tag(const ListedFile& file) = 0;
  // True when no further file may be tagged at all.
  virtual bool LimitReached() const = 0;
  virtual long Count() const = 0;
  virtual long Kilobytes() const = 0;  // the tagged files' sizes / 1024, each rounded down
};

class BasicTagList final : public TagList {
 public:
  // `user` gives the protocol (batch protocols Y, G and Z send many files); `language` the
  // refusal text.
  BasicTagList(const core::UserRecord& user, const core::LanguageTable& language)
      : user_(user), language_(language) {}

  bool Contains(std::string_view full_path) const override;
  std::string Tag(const ListedFile& file) override;
  bool LimitReached() const override;
  long Count() const override { return static_cast<long>(files_.size()); }
  long Kilobytes() const override { return kilobytes_; }

  const std::vector<ListedFile>& files() const { return files_; }
  void Clear() {
    files_.clear();
    kilobytes_ = 0;
  }

 private:
  bool Batch() const;

  const core::UserRecord& user_;
  const core::LanguageTable& language_;
  std::vector<ListedFile> files_;
  long kilobytes_ = 0;
};

}  // namespace vx::files
