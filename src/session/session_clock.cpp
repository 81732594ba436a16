// TimeLeftClock, TimeOutClock and the carrier check of the input waits.
#include "session/session_clock.h"

#include <chrono>
#include <cstdint>
#include <string>

#include "session/call_end.h"
#include "session/node_session.h"

namespace vx::session {

namespace {

constexpr int kLightRed = 12;
constexpr int kBlack = 0;

// A warning that comes in the middle of the caller's page: its lines are not counted and cannot
// bring up a page pause, and the page goes on counting where it was.
class UncountedLines {
 public:
  explicit UncountedLines(terminal::OutputState& output)
      : output_(output), counter_(output.line_counter), suspended_(output.counting_suspended) {
    output_.counting_suspended = true;
  }
  ~UncountedLines() {
    output_.line_counter = counter_;
    output_.counting_suspended = suspended_;
  }
  UncountedLines(const UncountedLines&) = delete;
  UncountedLines& operator=(const UncountedLines&) = delete;

 private:
  terminal::OutputState& output_;
  int counter_;
  bool suspended_;
};

}  // namespace

SessionTimers::SessionTimers(NodeSession& session)
    : session_(session),
      time_left_clock_(session.loop, std::chrono::milliseconds(60000), [this] { TimeLeftTick(); }),
      time_out_clock_(session.loop, std::chrono::milliseconds(1000), [this] { TimeOutTick(); }) {}

void SessionTimers::TimeLeftTick() {
  NodeSession& s = session_;
  if (s.call.terminating) return;
  SessionClock& clock = s.clock;
  ++clock.session_minutes;
  if (s.caller.user.elapsed < INT16_MAX) ++s.caller.user.elapsed;
  --clock.time_left;
  // A warning in the middle of a transfer would corrupt its data: it waits for the end, and at
  // zero minutes the transfer is aborted first (it watches time_left) and the call ends after it.
  if (s.activity == SessionActivity::kTransfer) {
    held_warning_ = held_warning_ || clock.time_left < 4;
    s.window->RefreshStatusPanel();
    return;
  }
  ShowTimeLeft();
}

void SessionTimers::AfterTransfer() {
  NodeSession& s = session_;
  s.terminal.input().idle_seconds = 0;
  if (!held_warning_ || s.call.terminating) return;
  held_warning_ = false;
  ShowTimeLeft();
}

void SessionTimers::ShowTimeLeft() {
  NodeSession& s = session_;
  terminal::Terminal& terminal = s.terminal;
  SessionClock& clock = s.clock;
  if (clock.time_left <= 0) {
    {
      UncountedLines uncounted(terminal.output());
      terminal.NewLine();
      terminal.NewLine();
      terminal.SetForeground(kLightRed);
      terminal.SetBackground(kBlack);
      terminal.ShowPromptLn(63);
    }
    s.log.WriteLog("Daily timelimit exceeded");
    EndNodeProgram(s);
  }
  if (clock.time_left < 4) {
    const int foreground = s.comm.foreground();
    const int background = s.comm.background();
    UncountedLines uncounted(terminal.output());
    terminal.NewLine();
    terminal.NewLine();
    terminal.SetForeground(kLightRed);
    terminal.SetBackground(kBlack);
    terminal.ShowPrompt(64);
    terminal.Display(" " + std::to_string(clock.time_left));
    terminal.ShowPromptLn(39);
    terminal.SetForeground(foreground);
    terminal.SetBackground(background);
  }
  s.window->RefreshStatusPanel();
}

void SessionTimers::TimeOutTick() {
  NodeSession& s = session_;
  if (s.node.local_mode || s.call.terminating) return;
  // A transfer watches the carrier itself, and its data are the caller's activity.
  if (s.activity == SessionActivity::kTransfer) {
    s.terminal.input().idle_seconds = 0;
    return;
  }
  CheckCarrier(s);

  terminal::Terminal& terminal = s.terminal;
  int& idle = terminal.input().idle_seconds;
  ++idle;
  // A limit of 0 is no limit: it would otherwise end every call within its first second.
  const int limit = s.clock.inactivity_timeout;
  if (limit <= 0) return;
  if (idle >= limit) {
    {
      UncountedLines uncounted(terminal.output());
      terminal.NewLine();
      terminal.SetForeground(kLightRed);
    }
    s.log.Debug("No key for " + std::to_string(idle) + " seconds: inactivity time-out");
    EndNodeProgram(s);
  }
  if (idle == limit - 15 || idle == limit - 10 || idle == limit - 5) {
    UncountedLines uncounted(terminal.output());
    terminal.NewLine();
    terminal.SetForeground(kLightRed);
    terminal.ShowPromptLn(66);
  }
}

bool CarrierLost(const NodeSession& session) {
  if (session.node.local_mode || session.call.terminating) return false;
  return !session.comm.port_open() || !session.comm.CarrierDetect();
}

void CheckCarrier(NodeSession& session) {
  if (!CarrierLost(session)) return;
  session.log.Debug("Carrier Detect line is LOW (no carrier)");
  EndNodeProgram(session);
}

}  // namespace vx::session
