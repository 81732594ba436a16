// Running the transfer engine for the call: the session is busy with a transfer while it runs
// (relayed bytes are the caller's activity; the time warnings wait), the transfer window shows
// its progress once a second, and the engine is aborted when the caller's time runs out or the
// carrier drops. The call's end that either causes comes after the engine has stopped.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "comm/transfer_link.h"
#include "session/node_session.h"

namespace vx::files {

struct EngineOutcome {
  bool started = false;
  std::string error;
  int exit_code = -1;
  bool aborted = false;
  bool carrier_lost = false;
  uint64_t bytes_to_caller = 0;
  uint64_t bytes_from_caller = 0;
};

struct EngineHooks {
  comm::TransferLink::RecordHandler on_record;
  // Runs once a second while the engine runs (the window's refresh, the upload's checks).
  std::function<void()> each_second;
  // True when the engine is to be aborted (a check failed).
  std::function<bool()> abort_wanted;
};

EngineOutcome RunEngine(session::NodeSession& session, const std::vector<std::string>& argv,
                        const std::string& directory, const EngineHooks& hooks);

// After the engine has stopped and its files are counted: the call ends when its carrier was
// lost or its time ran out; a time warning held back during the transfer is shown.
void FinishTransfer(session::NodeSession& session, const EngineOutcome& outcome);

}  // namespace vx::files
