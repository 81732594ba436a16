// The transfer engine on the caller's line. The engine (lrzsz) runs as a child with a socket pair
// for its data and a pipe for its progress; the link relays the data between the child and the
// line inside the event loop, with the line in raw input (telnet's escaping undone coming in and
// added going out, nothing else), and neither the caller's screen model nor the key handler in
// the path. The engine's standard error is split into records ended by CR or LF and handed on as
// they come.
//
// Output from the engine is read only while the line has room for it, and the caller's bytes are
// taken from the line only as fast as the engine reads them, so neither side can make the node's
// memory grow. Aborting is SIGTERM to the engine's process group (it sends its cancel sequence),
// then SIGKILL when it has not ended within kKillAfter; the caller's program is then sent the
// cancel sequence. After the engine has ended, what the caller's program still sends (the tail of
// its cancel, its retries, its last acknowledgements) is discarded until the line has been quiet
// for kSettleTime, so that it never reaches the next prompt as keys.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "comm/comm_control.h"
#include "platform/event_loop.h"
#include "platform/piped_process.h"

namespace vx::comm {

class TransferLink {
 public:
  static constexpr size_t kLineBacklog = 64 * 1024;
  static constexpr size_t kChunk = 16 * 1024;
  static constexpr std::chrono::seconds kKillAfter{5};
  static constexpr std::chrono::milliseconds kSettleTime{1000};
  static constexpr std::chrono::seconds kSettleLimit{10};
  // A record of the engine longer than this is cut (the engine's records are short).
  static constexpr size_t kRecordLimit = 1024;

  // A status record: its text and whether it ended with LF (not CR).
  using RecordHandler = std::function<void(std::string_view text, bool line_end)>;

  TransferLink(platform::EventLoop& loop, CommControl& comm);
  // Puts the line back as it was; a child still running is killed.
  ~TransferLink();
  TransferLink(const TransferLink&) = delete;
  TransferLink& operator=(const TransferLink&) = delete;

  void SetRecordHandler(RecordHandler handler) { on_record_ = std::move(handler); }

  // Starts the engine in `directory`. False with `error` set when it cannot be started.
  bool Start(const std::vector<std::string>& argv, const std::string& directory,
             std::string& error);
  // Relays until the engine has ended and its output is through. `check` runs after every round
  // of events; when it returns true (or the carrier drops) the engine is aborted.
  void Run(const std::function<bool()>& check);
  // Asks the engine to stop (SIGTERM, SIGKILL later).
  void Abort();

  bool aborted() const { return aborted_; }
  bool carrier_lost() const { return carrier_lost_; }
  int exit_code() const { return child_.exit_code(); }
  uint64_t bytes_to_caller() const { return to_caller_; }
  uint64_t bytes_from_caller() const { return from_caller_; }

 private:
  void UpdateEvents();
  void OnData(short revents);
  void OnStatus(short revents);
  void TakeFromLine();
  void WriteToChild();
  void Records(std::string_view bytes);
  bool Done();

  platform::EventLoop& loop_;
  CommControl& comm_;
  platform::PipedProcess child_;
  std::function<void()> old_receive_;
  bool old_raw_ = false;
  bool started_ = false;
  platform::MonoTime last_input_{};  // when the caller's side last sent something
  RecordHandler on_record_;
  std::unique_ptr<platform::FdWatcher> data_;
  std::unique_ptr<platform::FdWatcher> status_;
  std::unique_ptr<platform::FdWatcher> ended_;
  std::unique_ptr<platform::Timer> kill_;
  std::unique_ptr<platform::Timer> look_for_end_;
  std::string to_child_;
  std::string record_;
  bool data_eof_ = false;
  bool status_eof_ = false;
  bool aborted_ = false;
  bool carrier_lost_ = false;
  uint64_t to_caller_ = 0;
  uint64_t from_caller_ = 0;
};

}  // namespace vx::comm
