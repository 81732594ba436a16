// What the file listing and the searches share around their lines: the listing mode for the
// call's page pause, the heading, and the keys that stop or hold a search between areas.
#pragma once

#include <cstdint>

#include "session/node_session.h"

namespace vx::files {

// The listing modes of the page pause (tagging is offered at the pause in these).
inline constexpr uint16_t kAreaListing = 1010;
inline constexpr uint16_t kNewFilesListing = 1020;
inline constexpr uint16_t kTextSearchListing = 1030;
inline constexpr uint16_t kNameSearchListing = 1040;

// Sets the listing mode with a clear stop answer for the life of a listing; at its end, however
// the listing ends, the mode is 0 and the stop answer clear again.
class ListingScope {
 public:
  ListingScope(terminal::Terminal& terminal, uint16_t mode) : terminal_(terminal) {
    terminal_.output().stop_answer.clear();
    terminal_.output().listing_mode = mode;
  }
  ~ListingScope() { terminal_.EndListing(); }
  ListingScope(const ListingScope&) = delete;
  ListingScope& operator=(const ListingScope&) = delete;

 private:
  terminal::Terminal& terminal_;
};

// The caller answered No at a page pause.
inline bool Stopped(const session::NodeSession& session) {
  return session.terminal.output().stop_answer == "N";
}

// Language entry 238 on a line of its own, underlined in cyan with as many box-drawing
// characters as the entry shows.
void ShowListingHeading(session::NodeSession& session);

// Between areas of a search: a key waiting from the caller or the sysop is taken without waiting.
// "S" ends the search (returns true); "P" holds it until the next key.
bool StopOrHold(session::NodeSession& session);

}  // namespace vx::files
