// The transfer window and its headless stand-in.
#include "session/transfer_window.h"

#include <cstdio>

#include "session/node_session.h"

namespace vx::session {

std::string TransferClock(int seconds) {
  if (seconds < 0) seconds = 0;
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60,
                seconds % 60);
  return text;
}

int TransferPercent(const TransferState& state) {
  if (state.size <= 0 || state.bytes <= 0) return 0;
  if (state.bytes >= state.size) return 100;
  return static_cast<int>(state.bytes * 100 / state.size);
}

std::string TransferFileField(std::string_view name, size_t width) {
  if (name.size() <= width) return std::string(name);
  if (width <= 2) return std::string(width, '.');
  return ".." + std::string(name.substr(name.size() - (width - 2)));
}

std::string TransferProgressLine(const TransferState& state) {
  std::string line = "Transfer: " + state.file + ", " + std::to_string(state.bytes);
  if (state.size > 0) line += " of " + std::to_string(state.size);
  line += " bytes, elapsed " + TransferClock(state.elapsed) + ", remaining " +
          TransferClock(state.remaining);
  if (state.size > 0) line += ", " + std::to_string(TransferPercent(state)) + "%";
  if (!state.status.empty()) line += ", " + state.status;
  return line;
}

TransferWindow::TransferWindow(NodeSession& session, std::string_view title)
    : session_(session),
      open_(session.window->OpenTransfer(title)),
      last_logged_(session.loop.clock().Monotonic()) {}

TransferWindow::~TransferWindow() {
  if (open_) session_.window->CloseTransfer();
}

void TransferWindow::Show(const TransferState& state) {
  if (open_) {
    session_.window->ShowTransfer(state);
    return;
  }
  const platform::MonoTime now = session_.loop.clock().Monotonic();
  if (now - last_logged_ < kLogEvery) return;
  last_logged_ = now;
  session_.log.WriteLog(TransferProgressLine(state));
}

void TransferWindow::AddLine(std::string_view line) {
  if (open_) session_.window->AddTransferLine(line);
}

}  // namespace vx::session
