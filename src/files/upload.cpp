// The upload: the engine's receive, the checks of each announced file, moving the accepted files
// into place, their descriptions and their records.
#include "files/upload.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <optional>
#include <vector>

#include "core/dos_date.h"
#include "core/text.h"
#include "files/add_file.h"
#include "files/download.h"
#include "files/file_access.h"
#include "files/name_match.h"
#include "files/protocols.h"
#include "files/transfer_run.h"
#include "platform/dos_path.h"
#include "session/report_error.h"
#include "session/transfer_window.h"
#include "terminal/line_editor.h"

namespace vx::files {

namespace {

namespace fs = std::filesystem;

constexpr int kLightRed = 12;

// Free bytes for the node on the file system of `directory`; -1 when it cannot be measured.
long long FreeSpace(const std::string& directory) {
  struct statvfs st {};
  if (::statvfs(directory.c_str(), &st) != 0) return -1;
  return static_cast<long long>(st.f_bavail) * static_cast<long long>(st.f_frsize);
}

uint32_t PackedDay(time_t t) {
  std::tm tm{};
  ::localtime_r(&t, &tm);
  return core::PackDate(core::DateText(tm));
}

// A fresh directory inside the upload directory for one receive, removed with whatever is left
// in it.
class ReceiveDirectory {
 public:
  explicit ReceiveDirectory(const std::string& parent) {
    std::string pattern = parent + ".vxup-XXXXXX";
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern + "/";
  }
  ~ReceiveDirectory() {
    if (path_.empty()) return;
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  ReceiveDirectory(const ReceiveDirectory&) = delete;
  ReceiveDirectory& operator=(const ReceiveDirectory&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// One file the engine announced.
struct Announced {
  std::string name;        // as the engine gave it
  long long declared = 0;  // the size the sender declared; 0 when none
  long long bytes = 0;     // the engine's count
  bool refused = false;
  platform::MonoTime started{};
  double seconds = 0;
};

struct Received {
  std::string name;  // stored under (before its short name)
  uint32_t size = 0;
  uint32_t file_date = 0;
};

class ReceiveWatch {
 public:
  ReceiveWatch(session::NodeSession& s, const std::string& upload_dir, const std::string& work_dir,
               long long minimum_free)
      : session_(s),
        upload_dir_(upload_dir),
        work_dir_(work_dir),
        minimum_free_(minimum_free),
        started_(s.loop.clock().Monotonic()) {}

  void Record(std::string_view text, bool) {
    if (text.rfind("Receiving: ", 0) == 0) {
      Close();
      Announced a;
      a.name = std::string(text.substr(11));
      a.started = session_.loop.clock().Monotonic();
      files_.push_back(a);
      session_.log.Debug("Receiving new file");
      session_.log.Debug("QFn: " + a.name);
      Check(files_.back());
      return;
    }
    if (text.rfind("Bytes received:", 0) == 0 && !files_.empty()) {
      Announced& a = files_.back();
      const std::string rest = core::Trim(text.substr(15));
      a.bytes = core::LeadingNumber(rest);
      const size_t slash = rest.find('/');
      if (slash != std::string::npos && a.declared == 0) {
        a.declared = core::LeadingNumber(core::Trim(rest.substr(slash + 1)));
        session_.log.Debug("QSz: " + std::to_string(a.declared));
        CheckSpace(a, a.declared);
      }
    }
  }

  // Once a second: the files grow within the free space (XModem declares no size).
  void Watch() {
    if (FreeSpace(work_dir_) >= 0 && FreeSpace(work_dir_) < minimum_free_) {
      Abort("Not enough diskspace - Aborting...");
    }
    session::TransferState state;
    if (!files_.empty()) {
      const Announced& a = files_.back();
      state.file = a.name;
      state.size = a.declared;
      state.bytes = a.bytes;
      const double seconds = Seconds(a.started);
      const double rate = seconds > 0 ? static_cast<double>(a.bytes) / seconds : 0;
      state.remaining = rate > 0 && a.declared > a.bytes
                            ? static_cast<int>(static_cast<double>(a.declared - a.bytes) / rate)
                            : 0;
    } else {
      state.file = "Waiting for sender...";
    }
    state.elapsed = static_cast<int>(Seconds(started_));
    state.status = status_;
    if (window_ != nullptr) window_->Show(state);
  }
  void SetWindow(session::TransferWindow* window) { window_ = window; }

  bool abort_wanted() const { return abort_; }
  std::vector<Announced>& files() { return files_; }
  void Close() {
    if (!files_.empty() && files_.back().seconds == 0) {
      files_.back().seconds = Seconds(files_.back().started);
    }
  }

 private:
  double Seconds(platform::MonoTime since) const {
    return std::chrono::duration<double>(session_.loop.clock().Monotonic() - since).count();
  }

  void Abort(const std::string& status) {
    status_ = status;
    session_.log.WriteLog(status);
    abort_ = true;
  }

  void CheckSpace(Announced& a, long long size) {
    const long long free = FreeSpace(upload_dir_);
    if (free >= 0 && free - size < minimum_free_) {
      a.refused = true;
      Abort("Not enough diskspace - Aborting...");
    }
  }

  void Check(Announced& a) {
    const std::string name = SafeUploadName(a.name);
    if (name.empty()) {
      a.refused = true;
      Abort("Refused file name: " + terminal::PlainField(a.name));
      return;
    }
    status_ = "Checking for duplicate files (" + name + ")...";
    if (NameTakenInDirectory(upload_dir_, name) || FindDuplicate(session_, name) != 0) {
      a.refused = true;
      session_.log.Debug("Duplicate found");
      Abort("File already exist in filebase...");
      return;
    }
    status_ = "No duplicate found in filebase.";
  }

  session::NodeSession& session_;
  std::string upload_dir_, work_dir_;
  long long minimum_free_;
  std::vector<Announced> files_;
  bool abort_ = false;
  std::string status_;
  platform::MonoTime started_;
  session::TransferWindow* window_ = nullptr;
};

// Moves a complete, accepted file into the upload directory; never over another file.
bool MoveIntoPlace(const std::string& from, const std::string& to) {
  return ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0;
}

std::string AskDescription(session::NodeSession& session, const std::string& name,
                           uint8_t* attribute) {
  terminal::Terminal& terminal = session.terminal;
  for (;;) {
    terminal.ClearScreen();
    terminal.SetForeground(kLightRed);
    terminal.Display(session.language.Text(190) + " " + core::UpperCase(name));
    terminal.NewLine();
    std::string text = terminal::LineEditor(terminal).EditLines(20);
    if (!text.empty() && text.front() == '/') {
      if (text.size() == 1) continue;
      *attribute = static_cast<uint8_t>(*attribute + 2);
      return text.substr(1);
    }
    if (!core::Trim(text).empty()) return text;
  }
}

}  // namespace

std::string SafeUploadName(std::string_view received) {
  if (received.empty() || received.size() > 255) return {};
  if (received == "." || received == "..") return {};
  for (unsigned char c : received) {
    if (c < 32 || c == 127 || c == '/' || c == '\\' || c == ':' || c == '*' || c == '?') return {};
  }
  // A DOS device is no file.
  std::string base = core::UpperCase(received.substr(0, received.find('.')));
  static const char* const devices[] = {"CON",  "PRN",  "AUX",  "NUL",  "CLOCK$", "COM1",
                                        "COM2", "COM3", "COM4", "LPT1", "LPT2",   "LPT3"};
  for (const char* d : devices) {
    if (base == d) return {};
  }
  if (received.front() == '.' || received.front() == '-') return {};
  return std::string(received);
}

bool NameTakenInDirectory(const std::string& directory, std::string_view name) {
  DIR* dir = ::opendir(directory.c_str());
  if (dir == nullptr) return false;
  const std::string wanted = core::UpperCase(name);
  bool taken = false;
  while (const dirent* entry = ::readdir(dir)) {
    if (core::UpperCase(entry->d_name) == wanted) {
      taken = true;
      break;
    }
  }
  ::closedir(dir);
  return taken;
}

uint32_t FindDuplicate(session::NodeSession& session, std::string_view name) {
  const std::string pattern = core::UpperCase(core::Trim(name));
  const core::AreaFiles area_files = session.AreaFiles();
  std::string problem;
  const std::vector<core::FileAreaRecord> areas = area_files.FileAreas(&problem);
  const std::vector<uint32_t> numbers = FileAreaNumbers(area_files.FileAreaIndex(), areas.size());
  for (size_t r = 0; r < areas.size(); ++r) {
    const core::FileAreaRecord& area = areas[r];
    if (area.name.empty() || (area.attribute & 2) == 0 || numbers[r] == 0) continue;
    DatabaseProblems problems(session.log, numbers[r]);
    const auto db =
        FileDatabase::Open(session.config.filebase_path, numbers[r], session.env, problems);
    if (!db) continue;
    for (uint64_t k = 1; k <= db->index_count(); ++k) {
      const std::string_view stored = db->IndexName(k);
      if (!stored.empty() && MatchFileName(pattern, stored)) return numbers[r];
    }
  }
  return 0;
}

void UploadFiles(session::NodeSession& session) {
  terminal::Terminal& terminal = session.terminal;
  terminal.ClearScreen();
  terminal.NewLine();
  const Protocol* protocol = nullptr;
  for (;;) {
    protocol = CurrentProtocol(session);
    if (protocol == nullptr) return;
    const int choice = terminal.AskPromptLn(630);
    if (choice == 1) break;
    if (choice == 2) {
      SelectProtocol(session);
      continue;
    }
    return;
  }

  // The upload directory, and the area whose database gets the files: the one that holds them.
  const session::CurrentFileArea& current = session.areas.file;
  uint32_t area = current.number;
  std::string path = current.record.path;
  if (current.record.upload_area > 0) {
    area = current.record.upload_area;
    const std::optional<core::FileAreaRecord> upload = session.AreaFiles().FileArea(area);
    path = upload ? upload->path : "";
    session.log.Debug("Uploadarea " + std::to_string(current.number) + " -> " +
                      std::to_string(area) + " " + path);
  }
  if (core::Trim(path).empty()) {
    session.log.WriteLog("! File area " + std::to_string(area) + " has no upload directory");
    session::ReportError(session, "The upload area has no directory", 0, "Upload");
    return;
  }
  const std::string upload_dir = platform::HostPath(core::AddBackslash(path), session.env);
  const long long minimum_free =
      static_cast<long long>(session.Config().UploadMinimumFreeSpace()) * 1024;

  // A single-file protocol sends no name: the caller gives it.
  std::string single_name;
  if (!protocol->batch) {
    terminal.ShowPrompt(608);
    single_name = SafeUploadName(core::Trim(terminal.InputLine(12)));
    terminal.NewLine();
    if (single_name.empty() || NameTakenInDirectory(upload_dir, single_name) ||
        FindDuplicate(session, single_name) != 0) {
      terminal.DisplayLn("File already exist in filebase...");
      return;
    }
  }

  const long long free = FreeSpace(upload_dir);
  terminal.ClearScreen();
  terminal.ShowPrompt(175);
  terminal.Display(" " + core::NumToText(free));
  terminal.ShowPrompt(176);
  terminal.NewLine();
  terminal.ShowPrompt(177);
  terminal.Display(ControlProtocolName(protocol->index));
  terminal.NewLine();
  terminal.ShowPromptLn(179);

  ReceiveDirectory work(upload_dir);
  if (work.path().empty()) {
    session.log.WriteLog("! Cannot make a receive directory in " + upload_dir + ": " +
                         std::strerror(errno));
    return;
  }
  ReceiveWatch watch(session, upload_dir, work.path(), minimum_free);
  if (!single_name.empty()) {
    watch.Record("Receiving: " + single_name, true);
  }
  std::optional<session::TransferWindow> window;
  window.emplace(session, "Upload");
  watch.SetWindow(&*window);
  EngineHooks hooks;
  hooks.on_record = [&](std::string_view text, bool line_end) { watch.Record(text, line_end); };
  hooks.each_second = [&] { watch.Watch(); };
  hooks.abort_wanted = [&] { return watch.abort_wanted(); };
  const EngineOutcome outcome =
      RunEngine(session, ReceiveCommand(*protocol, single_name), work.path(), hooks);
  watch.Close();
  watch.SetWindow(nullptr);
  window.reset();
  if (!outcome.started) session.log.WriteLog("! The transfer could not start: " + outcome.error);

  // The files that are complete and passed their checks go into place; the rest is deleted with
  // the receive directory.
  std::vector<Received> received;
  std::vector<Announced>& files = watch.files();
  for (size_t i = 0; i < files.size(); ++i) {
    const Announced& a = files[i];
    const bool last = i + 1 == files.size();
    if (a.refused || (last && outcome.exit_code != 0)) continue;
    const std::string name = SafeUploadName(a.name);
    if (name.empty()) continue;
    const std::string from = work.path() + name;
    struct stat st {};
    if (::lstat(from.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    if (a.declared > 0 && st.st_size < a.declared) continue;
    if (NameTakenInDirectory(upload_dir, name) || !MoveIntoPlace(from, upload_dir + name)) {
      session.log.WriteLog("Upload " + name + " not kept: a file of that name exists");
      continue;
    }
    Received r;
    r.name = name;
    r.size = static_cast<uint32_t>(st.st_size);
    r.file_date = PackedDay(st.st_mtime);
    received.push_back(r);
    // CountReceivedFile.
    core::UserRecord& user = session.caller.user;
    user.uploads += 1;
    user.uploads_k += static_cast<int32_t>(r.size / 1024);
    const double cps = a.seconds > 0 ? static_cast<double>(r.size) / a.seconds
                                     : static_cast<double>(session.node.connect_speed) / 10.0;
    const long e = Efficiency(cps, session.node.connect_speed);
    const std::string upper = core::UpperCase(name);
    session.window->AddTransferLine("[Received: " + upper + "]");
    session.window->AddTransferLine(" CPS: " + core::NumToText(static_cast<long>(cps)) +
                                    " - Efficiency: " + core::NumToText(e) + "%");
    session.log.WriteLog(std::string("Upload [") + ControlProtocolName(protocol->index) + "] " +
                         upper);
    session.log.WriteLog("Efficiency " + core::NumToText(e) + "% (" + core::NumToText(a.declared) +
                         "), " + core::NumToText(static_cast<long>(cps)) + " Cps.");
  }
  FinishTransfer(session, outcome);

  session.log.Debug("Start asking descriptions");
  const uint32_t today = core::PackDate(core::DateText(session.loop.clock().LocalTime()));
  for (const Received& r : received) {
    NewFileEntry entry;
    entry.name = r.name;
    entry.directory = core::AddBackslash(path);
    entry.size = r.size;
    entry.uploader = session.caller.user.name;
    entry.upload_date = today;
    entry.file_date = r.file_date;
    entry.area = area;
    entry.description = AskDescription(session, r.name, &entry.attribute);
    session.log.Debug("Now add file to base");
    const AddFileResult added = AddFile(session.config.filebase_path, entry, session.env,
                                        session.log, session.LockWaiting());
    if (!added.ok) {
      session.log.WriteLog("! Upload " + r.name + " not added to the file base: " + added.error);
    }
  }
  session.log.Debug("Done asking descs");
}

}  // namespace vx::files
