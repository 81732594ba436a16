// The sysop's hand on the call from the node window: the up and down arrows give and take a
// minute, and the tool bar's actions are the function keys F1 to F11 in their order (F1 the log
// viewer, F2 one minute more, F3 one minute less, F4 to F7 nothing, F8 redraw, F9 end the call,
// F10 forced chat, F11 line noise). Headless, SIGUSR1 gives a minute and SIGUSR2 takes one.
//
// Nothing nests: forced chat, line noise and the end of the call act only while a caller is on
// line and no page, chat, transfer or door runs. What waits (a chat, the question before the end)
// runs outside the keyboard's own callback, so the keyboard keeps working meanwhile, and the
// end-of-call question is asked on the tool-bar row without stopping the call.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/event_loop.h"
#include "session/node_session.h"

namespace vx::console {

class CursesConsole;

class SysopControls {
 public:
  // Time left never goes below 0 or above this.
  static constexpr int kMaxMinutes = 32767;

  // `console` is null headless. `random` gives fractions in [0, 1) for the line noise.
  SysopControls(session::NodeSession& session, CursesConsole* console,
                std::function<double()> random);
  ~SysopControls();
  SysopControls(const SysopControls&) = delete;
  SysopControls& operator=(const SysopControls&) = delete;

  // A command key of the node window (CursesConsole::CommandKey).
  void CommandKey(int key);
  void AddMinute(int minutes);
  // The legend of the keys that act now.
  std::string Legend() const;
  // The characters of one burst of line noise: 5 to 19 characters of 127 to 253.
  std::string LineNoise();

 private:
  bool CallerOnLineAndIdle() const;
  void Later(std::function<void()> action);
  void AskToEnd();
  void ShowLogViewer();

  session::NodeSession& session_;
  CursesConsole* console_;
  std::function<double()> random_;
  std::function<void()> pending_;
  platform::Timer later_;
  bool asking_end_ = false;
};

}  // namespace vx::console
