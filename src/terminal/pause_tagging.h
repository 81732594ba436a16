// Tagging files at the page pause of a file listing. The pause asks the caller for listing line
// numbers; this interface, implemented by the download work's tag list, tags the file shown on
// such a line. Without one, a listing line holds no file and nothing is ever tagged.
#pragma once

#include <string>

namespace vx::terminal {

class PauseTagging {
 public:
  virtual ~PauseTagging() = default;
  // True when no more files may be tagged at all.
  virtual bool LimitReached() const { return false; }
  virtual long TaggedCount() const { return 0; }
  virtual long TaggedKilobytes() const { return 0; }
  // Tags the file on line `line` (1..99) of the listing page shown now. Returns the text that
  // tells the caller why the file was refused, or an empty text when it was tagged, was tagged
  // already or the line holds no file.
  virtual std::string TagListingLine(int line) {
    (void)line;
    return {};
  }
};

}  // namespace vx::terminal
