// The transfer engine run for the call.
#include "files/transfer_run.h"

#include "session/call_end.h"

namespace vx::files {

namespace {

// The session is busy with a transfer however the run ends.
class TransferMark {
 public:
  explicit TransferMark(session::NodeSession& s) : session_(s), previous_(s.activity) {
    session_.activity = session::SessionActivity::kTransfer;
  }
  ~TransferMark() { session_.activity = previous_; }
  TransferMark(const TransferMark&) = delete;
  TransferMark& operator=(const TransferMark&) = delete;

 private:
  session::NodeSession& session_;
  session::SessionActivity previous_;
};

}  // namespace

EngineOutcome RunEngine(session::NodeSession& session, const std::vector<std::string>& argv,
                        const std::string& directory, const EngineHooks& hooks) {
  EngineOutcome outcome;
  // What the menus sent goes out before the engine speaks.
  session.loop.WaitUntil(
      [&] { return session.comm.output_count() == 0 || !session.comm.CarrierDetect(); },
      std::chrono::seconds(10));
  comm::TransferLink link(session.loop, session.comm);
  link.SetRecordHandler(hooks.on_record);
  TransferMark busy(session);
  session.log.Debug("Transfer: " + argv.front() + " in " + directory);
  if (!link.Start(argv, directory, outcome.error)) return outcome;
  outcome.started = true;
  platform::Timer refresh(session.loop, std::chrono::milliseconds(1000), [&] {
    if (hooks.each_second) hooks.each_second();
  });
  refresh.SetEnabled(true);
  link.Run([&] {
    if (session.clock.time_left <= 0) return true;
    return hooks.abort_wanted && hooks.abort_wanted();
  });
  outcome.exit_code = link.exit_code();
  outcome.aborted = link.aborted();
  outcome.carrier_lost = link.carrier_lost() || !session.comm.CarrierDetect();
  outcome.bytes_to_caller = link.bytes_to_caller();
  outcome.bytes_from_caller = link.bytes_from_caller();
  session.log.Debug("Transfer ended with exit code " + std::to_string(outcome.exit_code));
  return outcome;
}

void FinishTransfer(session::NodeSession& session, const EngineOutcome& outcome) {
  if (outcome.carrier_lost) session::CheckCarrier(session);
  session.timers.AfterTransfer();
}

}  // namespace vx::files
