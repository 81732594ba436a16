// The download dialogue and the transfer of the tagged files.
#include "files/download.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>

#include "core/text.h"
#include "files/protocols.h"
#include "files/tag_prompt.h"
#include "files/transfer_run.h"
#include "platform/dos_path.h"
#include "session/transfer_window.h"

namespace vx::files {

namespace {

constexpr int kMaxListFiles = 255;

std::string Pad(std::string text, size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

// Step 1: the tag list by area, and its totals.
void ShowTagList(session::NodeSession& session, const DownloadTagList& tags) {
  terminal::Terminal& terminal = session.terminal;
  terminal.ClearScreen();
  if (tags.Count() == 0) return;
  terminal.ShowPromptLn(606);
  const core::AreaFiles areas = session.AreaFiles();
  std::vector<uint32_t> shown;
  for (size_t i = 0; i < tags.files().size(); ++i) {
    const uint32_t area = tags.files()[i].area;
    bool done = false;
    for (uint32_t a : shown) done = done || a == area;
    if (done) continue;
    shown.push_back(area);
    const std::optional<core::FileAreaRecord> record = areas.FileArea(area);
    terminal.NewLine();
    terminal.SetForeground(14);
    terminal.DisplayVerbatim(terminal::PlainField(record ? record->name : ""));
    terminal.NewLine();
    for (size_t j = i; j < tags.files().size(); ++j) {
      const ListedFile& f = tags.files()[j];
      if (f.area != area) continue;
      terminal.SetForeground(7);
      char number[32];
      std::snprintf(number, sizeof number, " %02zu ", j + 1);
      terminal.DisplayVerbatim(std::string(number) +
                               Pad(terminal::PlainField(core::Trim(f.header.name)), 13) +
                               core::NumToText(static_cast<long>(f.header.size / 1024)) + "k");
      terminal.NewLine();
    }
  }
  terminal.NewLine();
  terminal.Display(" " + core::NumToText(tags.Count()));
  terminal.ShowPrompt(234);
  terminal.Display(", " + core::NumToText(tags.Kilobytes()) + "k");
  terminal.NewLine();
}

void RefuseSingle(session::NodeSession& session) {
  session.terminal.SetForeground(15);
  session.terminal.SetBackground(0);
  session.terminal.DisplayLn(session.language.Text(193));
  session.terminal.Delay(1);
}

// Step 2; false when the function ends (nothing tagged).
bool EditTagList(session::NodeSession& session, DownloadTagList& tags, ListingPage& page) {
  terminal::Terminal& terminal = session.terminal;
  for (;;) {
    ShowTagList(session, tags);
    switch (terminal.AskPromptLn(607)) {
      case 1:
        if (!tags.Batch() && tags.Count() > 0) {
          RefuseSingle(session);
        } else {
          TagByName(session, page);
        }
        break;
      case 2:
        terminal.ShowPrompt(608);
        terminal.InputLine(65);
        terminal.NewLine();
        break;
      case 3:
        if (terminal.AskPromptLn(614) == 1) {
          tags.Clear();
          terminal.ShowPromptLn(610);
          TagByName(session, page);
        }
        break;
      default:
        return tags.Count() > 0;
    }
  }
}

// Local session: the files are copied into a directory the sysop names.
void CopyLocally(session::NodeSession& session, DownloadTagList& tags) {
  terminal::Terminal& terminal = session.terminal;
  terminal.NewLine();
  terminal.Display("Copy the files to (Enter for " + session.node.startup_path + "): ");
  std::string directory = core::Trim(terminal.InputLine(60));
  terminal.NewLine();
  if (directory.empty()) directory = session.node.startup_path;
  namespace fs = std::filesystem;
  const std::vector<ListedFile> files = tags.files();
  for (const ListedFile& f : files) {
    const fs::path from = platform::HostPath(f.full_path, session.env);
    const fs::path to = fs::path(directory) / core::Trim(f.header.name);
    std::error_code error;
    // A file of the same name there is kept.
    if (!fs::copy_file(from, to, fs::copy_options::none, error)) {
      session.log.WriteLog("Local download of " + from.string() + " to " + to.string() +
                           " failed: " + error.message());
      continue;
    }
    CountSentFile(session, tags, f, "Local", 0);
  }
}

// Step 7: the files that went missing, then the estimate.
void ShowEstimate(session::NodeSession& session, DownloadTagList& tags, const Protocol& protocol) {
  terminal::Terminal& terminal = session.terminal;
  tags.DropMissingFiles(session.env, [&](const ListedFile& f) {
    terminal.DisplayVerbatim(terminal::PlainField(core::Trim(f.header.name)));
    terminal.NewLine();
    session.log.WriteLog("Tagged file is missing: " + f.full_path);
  });
  const long speed = session.node.connect_speed;
  const long minutes = speed > 0
                           ? static_cast<long>(static_cast<double>(tags.Kilobytes()) * 1024.0 /
                                               (static_cast<double>(speed) / 10.0) / 60.0)
                           : 0;
  terminal.NewLine();
  terminal.ShowPrompt(199);
  terminal.Display(core::NumToText(tags.Count()));
  terminal.ShowPrompt(200);
  terminal.Display(core::NumToText(tags.Kilobytes()) + "k");
  terminal.ShowPrompt(201);
  terminal.Display(core::NumToText(minutes));
  terminal.ShowPrompt(202);
  terminal.Display(core::NumToText(speed));
  terminal.ShowPrompt(203);
  terminal.NewLine();
  terminal.ShowPrompt(177);
  terminal.Display(ControlProtocolName(protocol.index));
  terminal.NewLine();
  terminal.ShowPromptLn(179);
}

// The engine's records while it sends: "Sending: NAME" starts the next file of the batch, "Bytes
// Sent: N/TOTAL" (YModem: "Ymodem sectors/kbytes sent: N/Kk", then "Bytes Sent: N" in whole
// blocks) is its progress, and a "Bytes Sent" record ended by LF whose count has reached the
// file's size finishes it. The engine gives bare names, so files are matched by their place in the
// batch.
class SendProgress {
 public:
  // `sizes`: the files' sizes on disk when the transfer starts, which the engine counts to.
  SendProgress(session::NodeSession& s, session::TransferWindow& window, DownloadTagList& tags,
               std::vector<ListedFile> batch, std::vector<long long> sizes,
               const Protocol& protocol)
      : session_(s),
        window_(window),
        tags_(tags),
        batch_(std::move(batch)),
        sizes_(std::move(sizes)),
        protocol_(protocol),
        started_(s.loop.clock().Monotonic()),
        file_started_(started_) {}

  void Record(std::string_view text, bool line_end) {
    if (text.rfind("Sending: ", 0) == 0) {
      ++position_;
      file_started_ = session_.loop.clock().Monotonic();
      state_.file = std::string(text.substr(9));
      state_.bytes = 0;
      state_.size = position_ <= sizes_.size() ? sizes_[position_ - 1] : 0;
      state_.status = "Sending";
      return;
    }
    if (text.rfind("Ymodem sectors/kbytes sent:", 0) == 0) {
      state_.bytes = 128LL * core::LeadingNumber(core::Trim(text.substr(27)));
      return;
    }
    if (text.rfind("Bytes Sent:", 0) != 0) return;
    state_.bytes = core::LeadingNumber(core::Trim(text.substr(11)));
    // YModem counts whole blocks, so its count may pass the size by the padding of the last one.
    if (line_end && position_ >= 1 && position_ <= batch_.size() && sizes_[position_ - 1] >= 0 &&
        state_.bytes >= sizes_[position_ - 1]) {
      Finish(position_);
    }
  }

  // A single-file protocol reports no batch: its one file is done when the engine succeeded.
  void Ended(int exit_code) {
    if (exit_code == 0 && !protocol_.batch && !batch_.empty() && counted_.empty()) Finish(1);
  }

  void Refresh() {
    const double elapsed = Seconds(started_);
    state_.elapsed = static_cast<int>(elapsed);
    const double rate = elapsed > 0 ? static_cast<double>(state_.bytes) / elapsed : 0;
    state_.remaining =
        rate > 0 ? static_cast<int>(static_cast<double>(state_.size - state_.bytes) / rate) : 0;
    window_.Show(state_);
  }

 private:
  double Seconds(platform::MonoTime since) const {
    return std::chrono::duration<double>(session_.loop.clock().Monotonic() - since).count();
  }

  void Finish(size_t position) {
    for (size_t c : counted_) {
      if (c == position) return;
    }
    counted_.push_back(position);
    CountSentFile(session_, tags_, batch_[position - 1], ControlProtocolName(protocol_.index),
                  Seconds(file_started_));
  }

  session::NodeSession& session_;
  session::TransferWindow& window_;
  DownloadTagList& tags_;
  std::vector<ListedFile> batch_;
  std::vector<long long> sizes_;
  const Protocol& protocol_;
  platform::MonoTime started_, file_started_;
  size_t position_ = 0;
  std::vector<size_t> counted_;
  session::TransferState state_;
};

void Transfer(session::NodeSession& session, DownloadTagList& tags, const Protocol& protocol) {
  std::vector<ListedFile> batch = tags.files();
  if (!protocol.batch && batch.size() > 1) batch.resize(1);
  std::vector<std::string> paths;
  std::vector<long long> sizes;
  for (const ListedFile& f : batch) {
    paths.push_back(platform::HostPath(f.full_path, session.env));
    struct stat st {};
    sizes.push_back(::stat(paths.back().c_str(), &st) == 0 ? st.st_size : -1);
  }
  if (paths.empty()) return;
  std::optional<session::TransferWindow> window;
  window.emplace(session, "Download");
  SendProgress progress(session, *window, tags, batch, sizes, protocol);
  EngineHooks hooks;
  hooks.on_record = [&](std::string_view text, bool line_end) { progress.Record(text, line_end); };
  hooks.each_second = [&] { progress.Refresh(); };
  const EngineOutcome outcome =
      RunEngine(session, SendCommand(protocol, paths, session.comm.BinaryPath()),
                session.node.startup_path, hooks);
  if (!outcome.started) {
    session.log.WriteLog("! The transfer could not start: " + outcome.error);
  } else {
    progress.Ended(outcome.exit_code);
    if (outcome.exit_code != 0) {
      session.log.WriteLog("Transfer incomplete (" + std::to_string(outcome.exit_code) + ")");
    }
  }
  window.reset();
  FinishTransfer(session, outcome);
}

}  // namespace

long Efficiency(double cps, long speed) {
  if (speed <= 0) return 0;
  return static_cast<long>(cps / (static_cast<double>(speed) / 10.0) * 100.0);
}

std::string WriteListFile(const std::string& directory, const std::vector<ListedFile>& files,
                          std::string* error) {
  for (int n = 1; n <= kMaxListFiles; ++n) {
    const std::string path = directory + "FILE_ID." + std::to_string(n);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) {
      if (error) *error = path + ": " + std::strerror(errno);
      return {};
    }
    std::string text;
    for (const ListedFile& f : files) {
      const std::string name = Pad(core::Trim(f.header.name), 13);
      const std::string description = PlainText(f.description);
      size_t pos = 0;
      bool first = true;
      do {
        size_t end = description.find('\n', pos);
        if (end == std::string::npos) end = description.size();
        std::string line = description.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        text += (first ? name : std::string(13, ' ')) + line + "\r\n";
        first = false;
        pos = end + 1;
      } while (pos < description.size());
    }
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    if (!written) {
      if (error) *error = path + ": cannot be written";
      ::unlink(path.c_str());
      return {};
    }
    return path;
  }
  if (error) *error = "every list file name FILE_ID.1 to FILE_ID.255 is in use";
  return {};
}

void CountSentFile(session::NodeSession& session, DownloadTagList& tags, const ListedFile& file,
                   const char* protocol_name, double seconds) {
  core::UserRecord& user = session.caller.user;
  const int32_t k = static_cast<int32_t>(file.header.size / 1024);
  user.downloads_k += k;
  user.today_k += k;
  user.downloads += 1;
  for (size_t i = 0; i < tags.files().size(); ++i) {
    if (tags.files()[i].full_path == file.full_path) {
      tags.Remove(i);
      break;
    }
  }
  const long speed = session.node.connect_speed;
  const double cps = seconds > 0 ? static_cast<double>(file.header.size) / seconds
                                 : static_cast<double>(speed) / 10.0;
  const long e = Efficiency(cps, speed);
  const std::string name = core::UpperCase(core::Trim(file.header.name));
  const std::string sent = "[Sent: " + name + "]";
  const std::string rate = " CPS: " + core::NumToText(static_cast<long>(cps)) +
                           " - Efficiency: " + core::NumToText(e) + "%";
  session.window->AddTransferLine(sent);
  session.window->AddTransferLine(rate);
  session.log.WriteLog(std::string("Download [") + protocol_name + "] " + name);
  session.log.WriteLog("Efficiency " + core::NumToText(e) + "% (" +
                       core::NumToText(static_cast<long>(file.header.size)) + "), " +
                       core::NumToText(static_cast<long>(cps)) + " Cps.");
  session.window->RefreshStatusPanel();
}

void DownloadFiles(session::NodeSession& session, DownloadTagList& tags, ListingPage& page) {
  terminal::Terminal& terminal = session.terminal;
  if (!EditTagList(session, tags, page)) return;

  std::string list_file;
  if (terminal.AskPromptLn(616) == 1) {
    terminal.ShowPromptLn(637);
    std::string error;
    const std::string directory =
        platform::HostPath(core::AddBackslash(session.config.path7), session.env);
    list_file = WriteListFile(directory.empty() ? session.node.startup_path : directory,
                              tags.files(), &error);
    if (list_file.empty()) session.log.WriteLog("No list file for the download: " + error);
  }
  const auto remove_list = [&list_file] {
    if (!list_file.empty()) ::unlink(list_file.c_str());
  };

  if (session.node.local_mode) {
    CopyLocally(session, tags);
    remove_list();
    return;
  }

  const Protocol* protocol = nullptr;
  for (;;) {
    protocol = CurrentProtocol(session);
    if (protocol == nullptr) {
      remove_list();
      return;
    }
    const int choice = terminal.AskPromptLn(198);
    if (choice == 1 || choice == 2) break;
    if (choice == 3) {
      SelectProtocol(session);
      continue;
    }
    remove_list();
    return;
  }
  ShowEstimate(session, tags, *protocol);
  if (tags.Count() > 0) Transfer(session, tags, *protocol);
  remove_list();
  terminal.NewLine();
  terminal.ShowPromptLn(210);
  terminal.PressEnter();
}

}  // namespace vx::files
