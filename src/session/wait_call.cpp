// The waiting window's logic: initialising the modem, answering, the carrier, the labels.
#include "session/wait_call.h"

#include <sys/stat.h>

#include <chrono>
#include <optional>

#include "core/config.h"
#include "core/text.h"
#include "platform/dos_path.h"
#include "session/call_end.h"
#include "session/front_end.h"
#include "session/modem_file.h"
#include "session/startup.h"
#include "session/system_info.h"

namespace vx::session {

namespace {

using namespace std::chrono_literals;

constexpr char kCr = '\r';
constexpr auto kInitialiseInterval = 60s;
constexpr auto kAnswerInterval = 10ms;
constexpr auto kClockInterval = 1s;
constexpr auto kResponseWait = 10s;
constexpr auto kOutputDrainWait = 10s;
constexpr size_t kModemLogLimit = 512;
constexpr size_t kTrafficLimit = 1024;
// One take of a modem that never stops talking ends here; the rest waits for the next take.
constexpr size_t kTakeLimit = 16 * 1024;
// A CONNECT result is read once its line has ended; one whose line end does not come is read as
// it stands after this long, or once this much text follows it.
constexpr auto kConnectLineWait = 2s;
constexpr size_t kConnectLineLimit = 128;

bool Contains(std::string_view text, std::string_view what) {
  return text.find(what) != std::string_view::npos;
}

// Resets a flag however the scope is left (a wait may end the call by unwinding).
struct FlagScope {
  explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~FlagScope() { flag_ = false; }
  bool& flag_;
};

class CallWaiter {
 public:
  CallWaiter(NodeSession& session, WaitView& view)
      : session_(session),
        view_(view),
        initialise_timer_(session.loop, kInitialiseInterval, [this] { InitialiseTick(); }),
        answer_timer_(session.loop, kAnswerInterval, [this] { AnswerTick(); }),
        clock_timer_(session.loop, kClockInterval, [this] { ClockTick(); }) {
    // The modem's answers are the waiting window's; the terminal gets the line back afterwards.
    terminal_receive_ = session_.comm.ExchangeReceiveHandler([this] { OnReceived(); });
  }
  ~CallWaiter() {
    session_.comm.ExchangeReceiveHandler(std::move(terminal_receive_));
    view_.Close();
  }
  CallWaiter(const CallWaiter&) = delete;
  CallWaiter& operator=(const CallWaiter&) = delete;

  void Load(bool front_end);
  void Activate();
  void WaitForCall() {
    session_.loop.WaitUntil([this] { return stop_waiting_; });
  }

 private:
  // The receive event. During an initialisation run the run itself reads the answers.
  void OnReceived() {
    if (!initialising_ && !in_run_) answer_timer_.SetEnabled(true);
  }
  std::string TakeReceived();
  void SendModemCommand(std::string_view text) { session_.comm.SendText(std::string(text) + kCr); }
  void SetStatus(std::string_view status) { view_.SetStatus(status); }
  void AddModemLog(std::string_view text);
  void AddTraffic(std::string_view text);
  void UpdateScreen();
  void RestartInitialiseTimer() {
    initialise_timer_.SetEnabled(false);
    initialise_timer_.SetEnabled(true);
  }

  void InitialiseTick();
  void InitialisationRun();
  enum class Answer { kNone, kOk, kRing };
  Answer SendInitString(int number, const std::string& text);
  [[noreturn]] void DeviceFailure();
  void OpenPortOrEnd();
  [[noreturn]] void PortError(const std::string& error);

  void AnswerTick();
  std::string TakeInterpretable();
  void Establish();
  void LocalLogon();
  void ClockTick();
  std::optional<timespec> SysInfoTime() const;

  NodeSession& session_;
  WaitView& view_;
  platform::Timer initialise_timer_;  // InitializeModem
  platform::Timer answer_timer_;      // Timer2
  platform::Timer clock_timer_;       // Clock
  std::function<void()> terminal_receive_;
  core::ModemSettings modem_;

  bool initialising_ = false;  // InitializingFlag
  bool stop_waiting_ = false;  // StopWaitingFlag
  bool in_run_ = false;
  bool in_tick_ = false;
  std::string modem_log_;
  std::string traffic_;
  std::string held_;  // received text not yet read (a CONNECT line waiting for its end)
  platform::MonoTime held_since_{};
  bool connect_reported_ = false;
  int clock_ticks_ = 0;
  std::optional<timespec> sysinfo_time_;
};

std::string CallWaiter::TakeReceived() {
  std::string all;
  for (;;) {
    session_.loop.ProcessEvents();
    std::string piece = session_.comm.ReadReceived();
    if (piece.empty()) break;
    all += piece;
    if (all.size() >= kTakeLimit) break;
  }
  return all;
}

void CallWaiter::AddModemLog(std::string_view text) {
  modem_log_ = std::string(text) + "\r\n" + modem_log_;
  if (modem_log_.size() > kModemLogLimit) modem_log_.resize(kModemLogLimit);
  view_.SetModemLog(modem_log_);
}

// The traffic box keeps the newest text: the modem's latest answers are the ones worth seeing.
void CallWaiter::AddTraffic(std::string_view text) {
  traffic_ += text;
  traffic_ += "\r\n";
  if (traffic_.size() > kTrafficLimit) traffic_.erase(0, traffic_.size() - kTrafficLimit);
  view_.SetTraffic(traffic_);
}

void CallWaiter::UpdateScreen() {
  WaitLabels labels;
  labels.node = std::to_string(session_.node.number);
  labels.port = std::to_string(session_.comm.port_number()) + " (" +
                (session_.comm.IsModemLine() ? "Modem" : "NULL") + ")";
  labels.next_event = "<None>";
  labels.last_caller = session_.system_info.last_caller_name;
  labels.all_nodes = std::to_string(session_.system_info.total_calls) + " Calls";
  view_.SetLabels(labels);
}

std::optional<timespec> CallWaiter::SysInfoTime() const {
  struct stat st {};
  const std::string path =
      platform::HostPath(session_.config.system_path + "SYSINFO.BBS", session_.env);
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return st.st_mtim;
}

void CallWaiter::ClockTick() {
  ++clock_ticks_;
  const std::tm now = session_.loop.clock().LocalTime();
  char time[16];
  std::strftime(time, sizeof time, "%H:%M:%S", &now);
  view_.SetClock(LongDate(now) + " - " + time);
  // Calls ending on other nodes change SYSINFO.BBS: every eighth second, from the tenth on.
  if (clock_ticks_ < 10 || (clock_ticks_ - 10) % 8 != 0) return;
  const std::optional<timespec> changed = SysInfoTime();
  const bool same = changed.has_value() == sysinfo_time_.has_value() &&
                    (!changed || (changed->tv_sec == sysinfo_time_->tv_sec &&
                                  changed->tv_nsec == sysinfo_time_->tv_nsec));
  if (same) return;
  sysinfo_time_ = changed;
  ReadSystemInfo(session_);
  UpdateScreen();
}

void CallWaiter::Load(bool front_end) {
  std::optional<core::ModemSettings> modem = FindModemSettings(session_);
  if (!modem) {
    ShowMissingModemFile(session_);
    ExitWithErrorlevel(session_, kExitStartupFailed);
  }
  modem_ = *modem;
  if (session_.node.com_port <= 0) {
    session_.log.Debug("No forced comport, using MODEM.VX");
    session_.comm.SetPortNumber(modem_.port);
    session_.node.com_port = modem_.port;
  }
  if (front_end) return;
  view_.Open({[this] { LocalLogon(); }, [this] { EndNodeProgram(session_); }});
  sysinfo_time_ = SysInfoTime();
  UpdateScreen();
  ClockTick();
  clock_ticks_ = 0;
  clock_timer_.SetEnabled(true);
}

void CallWaiter::Activate() {
  stop_waiting_ = false;
  view_.SetTitle(std::to_string(session_.node.number) + " - ngVX32 " + core::kVersionText +
                 " build " + core::kBuildNumber);
  // The break resets a modem that was left in a bad state; it needs the port.
  OpenPortOrEnd();
  SetStatus("Sending break.");
  session_.comm.SetBreak(true);
  platform::Delay(session_.loop, 0.2);
  session_.comm.SetBreak(false);
  initialise_timer_.SetEnabled(true);
  InitialisationRun();
  if (!stop_waiting_) SetStatus("Waiting for activity.");
}

void CallWaiter::OpenPortOrEnd() {
  if (session_.comm.port_open()) return;
  std::string error;
  if (!session_.comm.OpenPort(error)) PortError(error);
}

void CallWaiter::PortError(const std::string& error) {
  const int number =
      session_.comm.open_error() ? session_.comm.open_error() : comm::kPortOtherError;
  const std::string port = std::to_string(session_.comm.port_number());
  std::string text;
  if (number == comm::kPortInvalid) {
    text = std::string("Invalid communication port specified!") + kCr + "Current setting: " + port +
           kCr + kCr + "Check command-line parameter (-Cn) or modem setup.";
  } else if (number == comm::kPortAlreadyOpen) {
    text = std::string("Port already open!") + kCr + "Current setting: " + port + kCr + kCr +
           "Check if any other program is currently using this port.";
  } else {
    text = "Unknown/Undefined error (" + error + ")" + kCr + "Current setting: " + port + kCr +
           kCr + "Check the device of the port (VX_COM" + port + " or /dev/ttyS...).";
  }
  session_.log.Alarm("Port COM" + port + ": " + error);
  session_.console.MessageBox("(" + std::to_string(number) + ") " + kCr + text,
                              "Configuration Error",
                              platform::box::kOkOnly + platform::box::kExclamation);
  // A non-zero code: a batch loop around the node must not restart it at once.
  ExitWithErrorlevel(session_, kExitStartupFailed);
}

void CallWaiter::DeviceFailure() {
  if (session_.console.interactive()) session_.log.Alarm("Unable to initialize device!");
  session_.console.MessageBox("Unable to initialize device!", "Device failure",
                              platform::box::kOkOnly + platform::box::kCritical);
  ExitWithErrorlevel(session_, 1);
}

void CallWaiter::InitialiseTick() {
  // A run takes its time (tries of ten seconds each) and waits in the loop meanwhile; a tick that
  // comes while one is under way, or while an answer is being read, has nothing to add.
  if (in_run_ || in_tick_) return;
  InitialisationRun();
}

void CallWaiter::InitialisationRun() {
  FlagScope running(in_run_);
  answer_timer_.SetEnabled(false);
  initialising_ = true;
  SetStatus("Initializing communication service.");
  session_.loop.WaitUntil([this] { return session_.comm.output_count() == 0; }, kOutputDrainWait);
  session_.comm.DiscardInput();
  held_.clear();
  connect_reported_ = false;
  OpenPortOrEnd();
  const std::string strings[2] = {core::ModemCommandText(modem_.init1),
                                  core::ModemCommandText(modem_.init2)};
  for (int k = 0; k < 2 && !stop_waiting_; ++k) {
    if (strings[k].empty()) continue;
    if (SendInitString(k + 1, strings[k]) == Answer::kRing) break;
  }
  // Also when both strings are empty: the answering must not stay switched off.
  initialising_ = false;
}

CallWaiter::Answer CallWaiter::SendInitString(int number, const std::string& text) {
  session_.log.Debug("Now sending string " + std::to_string(number) + ": " + text);
  for (int attempt = 1; attempt <= modem_.init_tries; ++attempt) {
    session_.node.connect_speed = 0;
    SendModemCommand(text);
    const platform::MonoTime deadline = session_.loop.clock().Monotonic() + kResponseWait;
    // An answer may arrive in pieces ("O", then "K"): the pieces of one try are read together.
    std::string answer;
    for (;;) {
      const platform::MonoTime now = session_.loop.clock().Monotonic();
      if (now >= deadline) break;
      session_.loop.WaitUntil([this] { return stop_waiting_ || session_.comm.input_count() > 0; },
                              deadline - now);
      if (stop_waiting_) return Answer::kNone;
      const std::string taken = TakeReceived();
      if (taken.empty()) continue;
      AddTraffic(taken);
      answer += core::UpperCase(taken);
      if (answer.size() > kTakeLimit) answer.erase(0, answer.size() - kTakeLimit);
      if (Contains(answer, "OK")) {
        AddModemLog("OK");
        SetStatus("Waiting for activity.");
        initialising_ = false;
        return Answer::kOk;
      }
      if (Contains(answer, "ERROR")) {
        AddModemLog("ERROR");
        SetStatus("Device refused initialization.");
        DeviceFailure();
      }
      if (Contains(answer, "RING")) {
        AddModemLog("RING");
        SetStatus("Device activity detected.");
        initialising_ = false;
        return Answer::kRing;
      }
    }
  }
  DeviceFailure();
}

// The received text that can be read now. A CONNECT whose line has not ended yet stays behind,
// so that a result split across two reads still gives its whole speed.
std::string CallWaiter::TakeInterpretable() {
  const size_t at = held_.find("CONNECT");
  if (at != std::string::npos) {
    const bool ended = held_.find_first_of("\r\n", at + 7) != std::string::npos;
    const bool overdue = session_.loop.clock().Monotonic() - held_since_ >= kConnectLineWait ||
                         held_.size() - at > kConnectLineLimit;
    if (!ended && !overdue) {
      std::string before = held_.substr(0, at);
      held_.erase(0, at);
      return before;
    }
  }
  return std::exchange(held_, {});
}

void CallWaiter::AnswerTick() {
  if (in_tick_) return;  // a tick reading the line runs the loop, which may come back here
  if (initialising_ || in_run_) {
    answer_timer_.SetEnabled(false);
    return;
  }
  FlagScope ticking(in_tick_);
  const std::string fresh = TakeReceived();
  if (!fresh.empty()) {
    AddTraffic(fresh);
    if (held_.empty()) held_since_ = session_.loop.clock().Monotonic();
    held_ += fresh;
  }
  const std::string s = TakeInterpretable();
  if (!s.empty()) {
    if (Contains(s, "RING")) {
      AddModemLog("RING");
      SetStatus("Device activity detected.");
      SendModemCommand("ATA");
      RestartInitialiseTimer();
    }
    if (Contains(s, "NO CARRIER")) {
      AddModemLog("NO CARRIER");
      SetStatus("Waiting for activity.");
      session_.node.connect_speed = 0;
      connect_reported_ = false;
    }
    if (Contains(s, "CONNECT")) {
      session_.node.connect_speed = ConnectSpeedOf(s);
      AddModemLog("CONNECT " + std::to_string(session_.node.connect_speed));
      SetStatus("Settings determined.");
      RestartInitialiseTimer();
      connect_reported_ = true;
    }
  }
  session_.loop.ProcessEvents();
  if (stop_waiting_) return;
  if (session_.comm.CarrierDetect()) {
    // A CONNECT stays good until NO CARRIER or the next initialisation, so a carrier that
    // rises a moment after the result still starts the call.
    if (connect_reported_) {
      Establish();
      return;
    }
    SetStatus("Determining settings.");
  }
  // Nothing left to look at: the tick sleeps until the line brings more.
  if (held_.empty() && !connect_reported_ && session_.comm.input_count() == 0) {
    answer_timer_.SetEnabled(false);
  }
}

void CallWaiter::Establish() {
  initialise_timer_.SetEnabled(false);
  answer_timer_.SetEnabled(false);
  SetStatus("Connection established.");
  stop_waiting_ = true;
  view_.Beep();
  session_.log.Debug("Connection established at " + std::to_string(session_.node.connect_speed));
}

void CallWaiter::LocalLogon() {
  if (session_.comm.port_open()) session_.comm.ClosePort();
  session_.node.connect_speed = 0;
  session_.node.com_port = 0;
  session_.comm.SetPortNumber(0);
  session_.node.local_mode = true;
  initialise_timer_.SetEnabled(false);
  answer_timer_.SetEnabled(false);
  stop_waiting_ = true;
}

}  // namespace

long ConnectSpeedOf(std::string_view text) {
  const size_t at = text.find("CONNECT");
  if (at == std::string_view::npos) return 0;
  const size_t from = std::min(text.size(), at + 8);
  const long long speed = core::LeadingNumber(text.substr(from));
  return speed < 0 ? 0 : static_cast<long>(std::min<long long>(speed, 1000000000));
}

void WaitCall(NodeSession& session, const CallWaiting& waiting) {
  const bool front_end = !session.node.front_end_command.empty();
  CallWaiter waiter(session, waiting.view);
  waiter.Load(front_end);
  if (front_end) {
    RunFrontEnd(session, waiting.runner, waiting.front_end_command);
    return;
  }
  waiter.Activate();
  waiter.WaitForCall();
}

}  // namespace vx::session
