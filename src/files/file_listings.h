// The menu functions that show the file base: the list of the current area (type 31), the
// searches by text (35) and by name (36), and the new files (37), which the logon also offers.
// Each shows its files with the listing line, numbers them for tagging, honours the page pause
// (with tagging at it when the menu entry's data holds "/T") and only ever looks into areas the
// caller may see.
//
// Options of the searches, anywhere in the entry's data:
//   /T        tagging at the page pause and the tagging prompt at the end
//   /F        only the current file area          /F=n   only area n
//   /FG       only areas of the current file group /FG=n  only areas of group n
// The list of the current area knows only /T.
#pragma once

#include <string_view>

#include "files/listing_page.h"
#include "session/node_session.h"

namespace vx::files {

void ListFileArea(session::NodeSession& session, ListingPage& page, std::string_view data);
void SearchFileName(session::NodeSession& session, ListingPage& page, std::string_view data);
void SearchFileText(session::NodeSession& session, ListingPage& page, std::string_view data);
void ListNewFiles(session::NodeSession& session, ListingPage& page, std::string_view data);

// Which areas a search looks at, from the entry's data.
struct SearchScope {
  bool tagging = false;
  bool one_area = false;
  uint32_t area = 0;    // with one_area: 0 when the data named no usable area
  uint32_t group = 0;   // 0: every group
  std::string problem;  // an option whose number could not be read
};
SearchScope ParseSearchScope(std::string_view data, uint32_t current_area, uint32_t current_group);

}  // namespace vx::files
