// The menu functions of the file layer, and the new-files scan the logon offers.
#include <memory>

#include "console/wiring.h"
#include "files/area_selection.h"
#include "files/call_tagging.h"
#include "files/download.h"
#include "files/file_listings.h"
#include "files/protocols.h"
#include "files/upload.h"

namespace vx::console {

void WireFileFunctions(session::NodeSession& session, menus::MenuEngine& engine,
                       menus::MenuFunctions& functions) {
  (void)engine;
  // The tag list and the listing page live as long as the functions that use them.
  auto tagging = std::make_shared<files::CallTagging>(session);
  using menus::MenuEntry;
  using menus::MenuResult;
  functions.Register(31, [&session, tagging](const MenuEntry& e) {
    files::ListFileArea(session, tagging->page, e.data);
    return MenuResult::kDone;
  });
  functions.Register(35, [&session, tagging](const MenuEntry& e) {
    files::SearchFileText(session, tagging->page, e.data);
    return MenuResult::kDone;
  });
  functions.Register(36, [&session, tagging](const MenuEntry& e) {
    files::SearchFileName(session, tagging->page, e.data);
    return MenuResult::kDone;
  });
  functions.Register(37, [&session, tagging](const MenuEntry& e) {
    files::ListNewFiles(session, tagging->page, e.data);
    return MenuResult::kDone;
  });
  functions.Register(33, [&session](const MenuEntry&) {
    files::UploadFiles(session);
    return MenuResult::kDone;
  });
  functions.Register(59, [&session, tagging](const MenuEntry&) {
    files::DownloadFiles(session, tagging->list, tagging->page);
    return MenuResult::kDone;
  });
  functions.Register(72, [&session](const MenuEntry&) {
    files::SelectProtocol(session);
    return MenuResult::kDone;
  });
  functions.Register(50, [&session](const MenuEntry& e) {
    files::SelectFileArea(session, e.data);
    return MenuResult::kDone;
  });
  // The new files since the caller's last call, which the logon offers. The session keeps the
  // hook longer than the functions keep the tag list: it holds the list weakly.
  session.hooks.scan_new_files = [&session, weak = std::weak_ptr<files::CallTagging>(tagging)] {
    if (const auto held = weak.lock()) files::ListNewFiles(session, held->page, "");
  };
}

}  // namespace vx::console
