// What the waiting window shows, as the waiting logic (wait_call.cpp) drives it: a status line,
// the information labels, the clock, the modem's event log (newest line first) and the raw
// traffic box. The console draws it on the sysop's terminal and offers the local-logon and quit
// keys; headless, the status lines go to the node log and nothing else is shown.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "core/node_log.h"

namespace vx::session {

// The values beside the captions "Node:", "Port:", "Next Event:", "Last Caller:", "All Nodes:".
struct WaitLabels {
  std::string node, port, next_event, last_caller, all_nodes;
};

class WaitView {
 public:
  // What the sysop's keys do while the window is up.
  struct Keys {
    std::function<void()> local_logon;
    std::function<void()> quit;
  };

  virtual ~WaitView() = default;
  virtual void Open(Keys keys) = 0;
  virtual void Close() = 0;
  virtual void SetTitle(std::string_view title) = 0;
  virtual void SetStatus(std::string_view status) = 0;
  virtual void SetLabels(const WaitLabels& labels) = 0;
  virtual void SetClock(std::string_view text) = 0;
  // The whole contents of the two boxes, each time they change.
  virtual void SetModemLog(std::string_view text) = 0;
  virtual void SetTraffic(std::string_view text) = 0;
  // A call has been established.
  virtual void Beep() {}
};

// Without a terminal: each new status line is written to the node log. The re-initialisation
// every minute that ends as it began ("Waiting for activity.") is not repeated there.
class HeadlessWaitView final : public WaitView {
 public:
  explicit HeadlessWaitView(core::NodeLog& log) : log_(log) {}
  void Open(Keys) override {}
  void Close() override {}
  void SetTitle(std::string_view) override {}
  void SetStatus(std::string_view status) override {
    if (status == last_status_) return;
    if (status == "Initializing communication service." &&
        last_status_ == "Waiting for activity.") {
      return;
    }
    last_status_ = status;
    log_.WriteLog(status);
  }
  void SetLabels(const WaitLabels&) override {}
  void SetClock(std::string_view) override {}
  void SetModemLog(std::string_view) override {}
  void SetTraffic(std::string_view) override {}

 private:
  core::NodeLog& log_;
  std::string last_status_;
};

}  // namespace vx::session
