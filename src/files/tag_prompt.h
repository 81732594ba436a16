// Tagging after a list: by listing number at the end of a list made with "/T" (TagPrompt), and by
// name over every area the caller may see (TagByName). Both hand the files to the page's tag
// list, which says when a file is refused.
#pragma once

#include "files/listing_page.h"
#include "session/node_session.h"

namespace vx::files {

// The choice prompt of language entry 609; its first choice asks for listing numbers (entry 604,
// the files and kilobytes tagged, entry 603) and tags the files of the page under them. The
// prompt comes again until the caller leaves it.
void TagPrompt(session::NodeSession& session, ListingPage& page);

// Language entry 120 asks for file names (wildcards allowed, several separated by blanks); every
// area the caller may see is scanned, each matching file is shown with entry 611 and offered for
// tagging with the choice prompt of entry 642 (its third choice stops). "S" and "P" between
// areas stop and hold the scan as in the searches. Entry 612 ends the run.
void TagByName(session::NodeSession& session, ListingPage& page);

}  // namespace vx::files
