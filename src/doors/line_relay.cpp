// The relay between the caller's line and a program on a pseudo-terminal.
#include "doors/line_relay.h"

#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <memory>
#include <string>

#include "platform/event_loop.h"
#include "platform/pty_process.h"
#include "session/session_clock.h"

namespace vx::doors {

namespace {

using namespace std::chrono_literals;

// Callers' terminals are ANSI terminals, and so is the node window's screen.
constexpr const char* kTerminalType = "TERM=ansi";
// What a door may still write after it ended (a program it left behind may write on): enough for
// its last screen, and no more.
constexpr size_t kDrainLimit = 64 * 1024;

// The session while a program runs on its line: the clocks stand still, an end from outside waits
// for the program, the caller's keys go to the program, and the console's keys that act on the
// call wait. All of it is undone however the run ends.
class BusyWithProgram {
 public:
  BusyWithProgram(session::NodeSession& s, std::function<void(std::string_view)> keys)
      : session_(s), previous_(s.activity) {
    session_.activity = session::SessionActivity::kDoor;
    session_.call.end_deferred = true;
    session_.timers.Pause();
    session_.terminal.DivertReceived(std::move(keys));
  }
  ~BusyWithProgram() {
    session_.terminal.DivertReceived({});
    session_.call.end_deferred = false;
    session_.activity = previous_;
    if (!session_.call.terminating) session_.timers.Resume();
    // The caller was busy in the program; the page starts afresh after it.
    session_.terminal.input().idle_seconds = 0;
    session_.terminal.output().line_counter = 0;
  }
  BusyWithProgram(const BusyWithProgram&) = delete;
  BusyWithProgram& operator=(const BusyWithProgram&) = delete;

 private:
  session::NodeSession& session_;
  session::SessionActivity previous_;
};

class Relay {
 public:
  Relay(session::NodeSession& s, platform::PtyProcess& program)
      : session_(s), loop_(s.loop), program_(program) {
    master_ = std::make_unique<platform::FdWatcher>(loop_, program_.master(), POLLIN,
                                                    [this](short revents) { OnMaster(revents); });
    if (program_.pidfd() >= 0) {
      // A pidfd stays readable once the program has ended: the watch ends with it.
      ended_ = std::make_unique<platform::FdWatcher>(loop_, program_.pidfd(), POLLIN, [this](short) {
        if (program_.Check()) ended_.reset();
      });
    } else {
      // Without pidfds the end is looked for a few times a second.
      poll_end_ = std::make_unique<platform::Timer>(loop_, 200ms, [this] { program_.Check(); });
      poll_end_->SetEnabled(true);
    }
    // A modem's carrier is a line state, not an event: look at it every second.
    if (session_.comm.port_open() && session_.comm.IsModemLine()) {
      carrier_check_ = std::make_unique<platform::Timer>(loop_, 1s, [] {});
      carrier_check_->SetEnabled(true);
    }
  }

  // Relays until the program ends or the call must end.
  void Run() {
    program_.Check();
    loop_.WaitUntil([this] {
      UpdateEvents();
      return program_.ended() || CallMustEnd();
    });
  }

  // The line dropped, or the node was told to end.
  bool CallMustEnd() const {
    return session_.call.end_requested || session::CarrierLost(session_);
  }

  // Ends the program: SIGHUP to its session, SIGKILL when it has not gone within the grace time.
  void Stop() {
    if (program_.ended()) return;
    session_.log.WriteLog(session::CarrierLost(session_)
                              ? "Carrier lost while the door ran: hanging it up"
                              : "The node is ending: hanging up the door");
    program_.SignalSession(SIGHUP);
    if (!WaitForEnd(LineRelayRunner::kHangUpGrace)) {
      session_.log.WriteLog("The door did not end when hung up: killed");
      program_.SignalSession(SIGKILL);
      if (!WaitForEnd(5s)) program_.Reap();
    }
  }

  // What the program wrote before it ended, and whatever it left behind.
  void Finish() {
    Drain();
    if (program_.SessionAlive()) {
      session_.log.WriteLog("The door left programs running: hanging them up");
      program_.SignalSession(SIGHUP);
      platform::Timer look(loop_, 100ms, [] {});
      look.SetEnabled(true);
      const auto gone = [this] { return !program_.SessionAlive(); };
      if (!loop_.WaitUntil(gone, LineRelayRunner::kHangUpGrace)) {
        program_.SignalSession(SIGKILL);
        // A killed process lingers until the kernel has taken it down.
        loop_.WaitUntil(gone, 5s);
      }
    }
    master_.reset();
    program_.CloseMaster();
  }

  // Keys from the caller or the sysop.
  void ToProgram(std::string_view keys) {
    if (!master_) return;
    // A program reading lines erases with its terminal's erase character, whichever of
    // backspace and delete the caller's terminal sends; a program in raw mode gets the byte.
    termios settings{};
    const bool lines = ::tcgetattr(program_.master(), &settings) == 0 && (settings.c_lflag & ICANON);
    for (char c : keys) {
      if (input_.size() >= LineRelayRunner::kInputBacklog) break;
      if (lines && (c == '\b' || c == '\x7f')) c = static_cast<char>(settings.c_cc[VERASE]);
      input_ += c;
    }
    WriteInput();
  }

 private:
  bool WaitForEnd(platform::Duration limit) {
    return loop_.WaitUntil(
        [this] {
          UpdateEvents();
          return program_.ended();
        },
        limit);
  }

  void UpdateEvents() {
    if (!master_) return;
    const bool line_busy = session_.comm.port_open() &&
                           session_.comm.output_count() >= LineRelayRunner::kLineBacklog;
    master_->SetEvents(static_cast<short>((line_busy ? 0 : POLLIN) | (input_.empty() ? 0 : POLLOUT)));
  }

  void OnMaster(short revents) {
    if (revents & POLLOUT) WriteInput();
    if (revents & (POLLIN | POLLHUP | POLLERR)) ReadOutput();
  }

  // One read a round: the loop stays fair to the line however much the program writes.
  void ReadOutput() {
    char buffer[4096];
    const ssize_t n = ::read(program_.master(), buffer, sizeof buffer);
    if (n > 0) {
      Send(std::string_view(buffer, static_cast<size_t>(n)));
    } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
      master_.reset();  // EIO: every descriptor of the terminal's other side is closed
    }
  }

  void Drain() {
    size_t drained = 0;
    while (master_ && drained < kDrainLimit) {
      char buffer[4096];
      const ssize_t n = ::read(program_.master(), buffer, sizeof buffer);
      if (n <= 0) break;
      Send(std::string_view(buffer, static_cast<size_t>(n)));
      drained += static_cast<size_t>(n);
    }
  }

  void WriteInput() {
    while (master_ && !input_.empty()) {
      const ssize_t n = ::write(program_.master(), input_.data(), input_.size());
      if (n <= 0) return;  // full (or gone): the rest waits for POLLOUT
      input_.erase(0, static_cast<size_t>(n));
    }
  }

  // To the node window's screen, and to the caller while the line is there.
  void Send(std::string_view bytes) {
    session_.comm.terminal().Feed(bytes);
    if (session_.comm.port_open() && !session::CarrierLost(session_)) session_.comm.SendText(bytes);
  }

  session::NodeSession& session_;
  platform::EventLoop& loop_;
  platform::PtyProcess& program_;
  std::unique_ptr<platform::FdWatcher> master_;
  std::unique_ptr<platform::FdWatcher> ended_;
  std::unique_ptr<platform::Timer> poll_end_;
  std::unique_ptr<platform::Timer> carrier_check_;
  std::string input_;
};

}  // namespace

session::LineProgramOutcome LineRelayRunner::RunOnLine(const std::vector<std::string>& argv) {
  session::LineProgramOutcome outcome;
  platform::PtyOptions options;
  options.directory = session_.node.startup_path;
  options.environment = {kTerminalType};
  platform::PtyProcess program;
  if (!program.Start(argv, options, outcome.error)) return outcome;
  outcome.started = true;
  {
    Relay relay(session_, program);
    BusyWithProgram busy(session_, [&relay](std::string_view keys) { relay.ToProgram(keys); });
    relay.Run();
    outcome.end_call = relay.CallMustEnd();
    if (outcome.end_call) relay.Stop();
    relay.Finish();
    outcome.end_call = outcome.end_call || relay.CallMustEnd();
  }
  outcome.exit_code = program.exit_code();
  return outcome;
}

}  // namespace vx::doors
