// The relay between the transfer engine and the caller's line.
#include "comm/transfer_link.h"

#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace vx::comm {

namespace {
// What the engine still writes after it ended is read for at most this long (a program it left
// behind could hold its descriptors open for ever).
constexpr std::chrono::seconds kDrainTime{3};
}  // namespace

TransferLink::TransferLink(platform::EventLoop& loop, CommControl& comm)
    : loop_(loop), comm_(comm) {}

TransferLink::~TransferLink() {
  data_.reset();
  status_.reset();
  ended_.reset();
  // The handler before the transfer goes back even when there was none: the link's own must not
  // outlive it (it would swallow the caller's next keys).
  if (started_) {
    comm_.ExchangeReceiveHandler(std::move(old_receive_));
    comm_.SetRawInput(old_raw_);
  }
}

bool TransferLink::Start(const std::vector<std::string>& argv, const std::string& directory,
                         std::string& error) {
  if (!child_.Start(argv, directory, error)) return false;
  started_ = true;
  old_raw_ = comm_.raw_input();
  comm_.SetRawInput(true);
  old_receive_ = comm_.ExchangeReceiveHandler([this] { TakeFromLine(); });
  data_ = std::make_unique<platform::FdWatcher>(loop_, child_.data(), POLLIN,
                                                [this](short revents) { OnData(revents); });
  status_ = std::make_unique<platform::FdWatcher>(loop_, child_.status(), POLLIN,
                                                  [this](short revents) { OnStatus(revents); });
  if (child_.pidfd() >= 0) {
    ended_ = std::make_unique<platform::FdWatcher>(loop_, child_.pidfd(), POLLIN, [this](short) {
      // A reaped child's pidfd stays readable.
      if (child_.Check()) ended_.reset();
    });
  } else {
    look_for_end_ = std::make_unique<platform::Timer>(loop_, std::chrono::milliseconds(200),
                                                      [this] { child_.Check(); });
    look_for_end_->SetEnabled(true);
  }
  // Bytes the caller sent before the engine started belong to it (a receiver's first request).
  TakeFromLine();
  return true;
}

void TransferLink::Abort() {
  if (aborted_ || child_.ended()) return;
  aborted_ = true;
  child_.Signal(SIGTERM);
  kill_ = std::make_unique<platform::Timer>(
      loop_, std::chrono::duration_cast<std::chrono::milliseconds>(kKillAfter), [this] {
        kill_->SetEnabled(false);
        child_.Signal(SIGKILL);
      });
  kill_->SetEnabled(true);
}

bool TransferLink::Done() { return child_.ended() && data_eof_ && status_eof_; }

void TransferLink::Run(const std::function<bool()>& check) {
  loop_.WaitUntil([&] {
    child_.Check();
    if (!child_.ended()) {
      if (!comm_.CarrierDetect()) {
        carrier_lost_ = true;
        Abort();
      } else if (check && check()) {
        Abort();
      }
    }
    UpdateEvents();
    return child_.ended();
  });
  // The engine's last bytes (the closing "OO" of ZModem) and its last records.
  loop_.WaitUntil(
      [&] {
        UpdateEvents();
        return (data_eof_ || !comm_.CarrierDetect()) && status_eof_;
      },
      kDrainTime);
  data_.reset();
  status_.reset();
  ended_.reset();
  look_for_end_.reset();
  kill_.reset();
  if (!record_.empty()) {
    const std::string last = std::move(record_);
    record_.clear();
    if (on_record_) on_record_(last, false);
  }
  // An engine that was stopped or gave up may not have told the caller's program, which would
  // go on retrying into the next prompts: the cancel sequence every X/Y/ZModem program knows
  // (eight CANs, then backspaces over them on a terminal).
  if ((aborted_ || exit_code() != 0) && comm_.CarrierDetect())
    comm_.SendText(std::string(8, '\x18') + std::string(10, '\b'));
  // The caller's program may still be talking (a cancel, its retries, an acknowledgement): none
  // of it is keys. What comes is dropped until the line has been quiet for kSettleTime, for at
  // most kSettleLimit.
  to_child_.clear();
  if (comm_.CarrierDetect()) {
    last_input_ = loop_.clock().Monotonic();
    platform::Timer look(loop_, std::chrono::milliseconds(100), [] {});
    look.SetEnabled(true);
    loop_.WaitUntil(
        [&] {
          TakeFromLine();
          return !comm_.CarrierDetect() || loop_.clock().Monotonic() - last_input_ >= kSettleTime;
        },
        kSettleLimit);
  }
  comm_.DiscardInput();
}

void TransferLink::UpdateEvents() {
  if (data_) {
    short events = 0;
    if (!data_eof_ && comm_.output_count() < kLineBacklog) events |= POLLIN;
    if (!to_child_.empty()) events |= POLLOUT;
    data_->SetEvents(events);
  }
  if (to_child_.empty() && comm_.input_count() > 0) TakeFromLine();
}

void TransferLink::TakeFromLine() {
  if (!to_child_.empty()) return;  // the rest waits in the line, which stops reading when full
  std::string bytes = comm_.ReadReceived();
  if (bytes.empty()) return;
  last_input_ = loop_.clock().Monotonic();
  from_caller_ += bytes.size();
  if (child_.data() < 0 || child_.ended()) return;  // nobody to take them
  to_child_ = std::move(bytes);
  WriteToChild();
  if (data_) UpdateEvents();
}

void TransferLink::WriteToChild() {
  while (!to_child_.empty() && child_.data() >= 0) {
    const ssize_t n = ::send(child_.data(), to_child_.data(), to_child_.size(), MSG_NOSIGNAL);
    if (n > 0) {
      to_child_.erase(0, static_cast<size_t>(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      return;
    } else {
      to_child_.clear();  // the engine closed its side
    }
  }
}

void TransferLink::OnData(short revents) {
  if (revents & POLLOUT) WriteToChild();
  if (revents & (POLLIN | POLLHUP | POLLERR)) {
    // One read a round: the loop stays fair to the line however fast the engine writes.
    char buffer[kChunk];
    const ssize_t n = ::read(child_.data(), buffer, sizeof buffer);
    if (n > 0) {
      to_caller_ += static_cast<uint64_t>(n);
      if (comm_.CarrierDetect()) comm_.SendText(std::string_view(buffer, static_cast<size_t>(n)));
    } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
      // A socket at its end reports it for ever: no longer watched.
      data_eof_ = true;
      to_child_.clear();
      data_.reset();
      child_.CloseData();
    }
  }
  UpdateEvents();
}

void TransferLink::OnStatus(short revents) {
  if (!(revents & (POLLIN | POLLHUP | POLLERR))) return;
  char buffer[4096];
  const ssize_t n = ::read(child_.status(), buffer, sizeof buffer);
  if (n > 0) {
    Records(std::string_view(buffer, static_cast<size_t>(n)));
  } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
    status_eof_ = true;
    status_.reset();
    child_.CloseStatus();
  }
}

void TransferLink::Records(std::string_view bytes) {
  for (char c : bytes) {
    if (c == '\r' || c == '\n') {
      const std::string text = std::move(record_);
      record_.clear();
      if (on_record_) on_record_(text, c == '\n');
    } else if (record_.size() < kRecordLimit) {
      record_ += c;
    }
  }
}

}  // namespace vx::comm
