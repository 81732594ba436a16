// The sysop's keys in the node window.
#include "console/sysop_controls.h"

#include <algorithm>

#include "console/curses_console.h"
#include "console/log_viewer.h"
#include "session/call_end.h"
#include "session/paging.h"

namespace vx::console {

namespace {
constexpr const char* kLegend =
    "\x18\x19 Time  F1 Log  F2 +1  F3 -1  F8 Redraw  F9 End call  F10 Chat  F11 Noise";
}  // namespace

SysopControls::SysopControls(session::NodeSession& session, CursesConsole* console,
                             std::function<double()> random)
    : session_(session),
      console_(console),
      random_(std::move(random)),
      later_(session.loop, std::chrono::milliseconds(0), [this] {
        later_.SetEnabled(false);
        auto action = std::move(pending_);
        pending_ = {};
        if (action) action();
      }) {
  if (console_) console_->SetToolBarLegend(kLegend);
}

SysopControls::~SysopControls() = default;

std::string SysopControls::Legend() const { return kLegend; }

bool SysopControls::CallerOnLineAndIdle() const {
  return session_.caller.user_on_line && !session_.call.terminating &&
         session_.activity == session::SessionActivity::kNone;
}

void SysopControls::Later(std::function<void()> action) {
  if (pending_) return;  // one at a time
  pending_ = std::move(action);
  later_.SetEnabled(true);
}

void SysopControls::AddMinute(int minutes) {
  int& left = session_.clock.time_left;
  left = std::clamp(left + minutes, 0, kMaxMinutes);
  session_.window->RefreshStatusPanel();
}

std::string SysopControls::LineNoise() {
  std::string noise;
  const int length = static_cast<int>(random_() * 15) + 5;
  for (int i = 0; i < length; ++i) noise += static_cast<char>(static_cast<int>(random_() * 127) + 127);
  return noise;
}

void SysopControls::AskToEnd() {
  if (!console_ || asking_end_) return;
  asking_end_ = true;
  const std::string legend = console_->tool_bar_legend();
  console_->SetToolBarLegend("End this call? Y ends it, any other key keeps it.");
  console_->SetScreenOverride({}, [this, legend](int code, bool command) {
    asking_end_ = false;
    console_->SetScreenOverride({}, {});
    console_->SetToolBarLegend(legend);
    if (!command && (code == 'y' || code == 'Y') && CallerOnLineAndIdle()) {
      session_.log.WriteLog("Call ended by the sysop");
      Later([this] { session::EndNodeProgram(session_); });
    }
    return true;
  });
}

void SysopControls::ShowLogViewer() {
  if (console_) ShowLog(*console_, session_.log);
}

void SysopControls::CommandKey(int key) {
  switch (key) {
    case CursesConsole::kUp:
    case CursesConsole::kFunction1 + 1:
      AddMinute(1);
      break;
    case CursesConsole::kDown:
    case CursesConsole::kFunction1 + 2:
      AddMinute(-1);
      break;
    case CursesConsole::kFunction1:
      ShowLogViewer();
      break;
    case CursesConsole::kFunction1 + 7:
      if (console_) console_->Redraw();
      break;
    case CursesConsole::kFunction1 + 8:
      if (CallerOnLineAndIdle()) AskToEnd();
      break;
    case CursesConsole::kFunction1 + 9:
      if (CallerOnLineAndIdle()) Later([this] { session::ForcedChat(session_); });
      break;
    case CursesConsole::kFunction1 + 10:
      if (CallerOnLineAndIdle()) session_.terminal.Display(LineNoise());
      break;
    default:
      break;  // F4 to F7 do nothing
  }
}

}  // namespace vx::console
