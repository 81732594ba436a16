// What the session asks of the sysop's node window. The console layer implements it; headless,
// the default does nothing.
#pragma once

#include <string_view>

namespace vx::session {

class NodeWindow {
 public:
  virtual ~NodeWindow() = default;
  virtual void Show() {}
  virtual void SetTitle(std::string_view title) { (void)title; }
  virtual void RefreshStatusPanel() {}
};

}  // namespace vx::session
