// The files a caller chose for download. The listings only offer files to the list and ask whether
// a file is in it, through the TagList interface; the download takes the files from the call's
// DownloadTagList, which checks each offered file against the caller's limits.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/language.h"
#include "core/user_record.h"
#include "files/file_database.h"
#include "platform/environment.h"
#include "session/node_info.h"
#include "session/session_clock.h"

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
  // Whether the last refusal wants a pause of a second after its text (the limit, time and cost
  // refusals do; the ratio refusals do not).
  virtual bool RefusalPauses() const { return true; }
  virtual long Count() const = 0;
  virtual long Kilobytes() const = 0;  // the tagged files' sizes / 1024, each rounded down
};

// The call's tag list: files in tagging order, at most 1024, each offered file checked against the
// caller's limits (TagFile):
//   1. a single-file protocol takes one file (language entry 193);
//   2. the day's download limit in kilobytes, counting what is tagged and what was taken today
//      (entries 195, the limit, 196);
//   3. the kilobyte ratio and 4. the file ratio of downloads to uploads, an upload total of 0
//      counting as 1 and a ratio of 0 as none (entry 195, the ratio, ":1 ", entry 197);
//   5. the time the download would take at the line's speed against the minutes left, in a call
//      that is not local and has a speed (entry 194);
//   6. the cost against the caller's credit (the record's Long440) less the cost tagged; only
//      compared, nothing stored changes (entry 618).
// A file's own size counts exactly (S / 1024, not rounded) in the checks; the totals add the
// rounded-down kilobytes. The totals are derived from the list, so a file that is sent or dropped
// lowers them at once.
class DownloadTagList final : public TagList {
 public:
  DownloadTagList(const core::UserRecord& user, const session::SessionClock& clock,
                  const session::NodeInfo& node, const core::LanguageTable& language)
      : user_(user), clock_(clock), node_(node), language_(language) {}

  bool Contains(std::string_view full_path) const override;
  std::string Tag(const ListedFile& file) override;
  bool LimitReached() const override;
  bool RefusalPauses() const override { return refusal_pauses_; }
  long Count() const override { return static_cast<long>(files_.size()); }
  long Kilobytes() const override;
  long Cost() const;

  const std::vector<ListedFile>& files() const { return files_; }
  // Empties entry `i` (0-based) and closes the gap (CompactTagList).
  void Remove(size_t i);
  void Clear() { files_.clear(); }
  // DropMissingFiles: removes every file whose full path is no longer a regular file; `dropped`
  // is told each one before it goes.
  void DropMissingFiles(const platform::Environment& env,
                        const std::function<void(const ListedFile&)>& dropped);
  // Whether the caller's protocol sends several files at once.
  bool Batch() const;

 private:
  std::string Refuse(std::string text, bool pause);

  const core::UserRecord& user_;
  const session::SessionClock& clock_;
  const session::NodeInfo& node_;
  const core::LanguageTable& language_;
  std::vector<ListedFile> files_;
  bool refusal_pauses_ = false;
};

}  // namespace vx::files
