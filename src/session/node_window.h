// What the session asks of the sysop's node window. The console layer implements it; headless,
// the default does nothing.
#pragma once

#include <string_view>

#include "session/sysop_views.h"

namespace vx::session {

class NodeWindow : public PageView, public ChatView, public TransferView {
 public:
  virtual ~NodeWindow() = default;
  virtual void Show() {}
  virtual void SetTitle(std::string_view title) { (void)title; }
  virtual void RefreshStatusPanel() {}
  // A message window over the node window while the node hangs up, and its end.
  virtual void ShowNotice(std::string_view text) { (void)text; }
  virtual void CloseNotice() {}
};

}  // namespace vx::session
