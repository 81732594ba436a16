// The call's tag list and listing page. They live for the whole call and are the terminal's
// tagging hook at the page pause while they exist.
#pragma once

#include "files/listing_page.h"
#include "files/tag_list.h"
#include "session/node_session.h"

namespace vx::files {

class CallTagging {
 public:
  explicit CallTagging(session::NodeSession& session)
      : session_(session),
        list(session.caller.user, session.clock, session.node, session.language),
        page(list) {
    session_.terminal.SetPauseTagging(&page);
  }
  ~CallTagging() { session_.terminal.SetPauseTagging(nullptr); }
  CallTagging(const CallTagging&) = delete;
  CallTagging& operator=(const CallTagging&) = delete;

 private:
  session::NodeSession& session_;

 public:
  DownloadTagList list;
  ListingPage page;
};

}  // namespace vx::files
