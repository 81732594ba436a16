// Writing the drop files and taking back the changed ones.
#include "doors/drop_file_set.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/exit_info.h"
#include "platform/dos_path.h"

namespace vx::doors {

namespace {

// A door may leave anything behind; more than this of a text drop file is not looked at.
constexpr size_t kReadLimit = 64 * 1024;

// Writes the whole file under a temporary name beside it and renames it into place.
bool WriteWhole(const std::string& path, const std::vector<uint8_t>& bytes, mode_t mode,
                std::string& error) {
  const std::string temp = path + ".vx" + std::to_string(::getpid());
  ::unlink(temp.c_str());  // a leftover of a node that died here
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
  if (fd < 0) {
    error = std::strerror(errno);
    return false;
  }
  bool ok = ::fchmod(fd, mode) == 0;  // whatever the umask says
  size_t done = 0;
  while (ok && done < bytes.size()) {
    const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) break;
    done += static_cast<size_t>(put);
  }
  ok = ok && done == bytes.size();
  if (!ok) error = done < bytes.size() && errno == 0 ? "short write" : std::strerror(errno);
  if (::close(fd) != 0 && ok) {
    error = std::strerror(errno);
    ok = false;
  }
  if (ok && ::rename(temp.c_str(), path.c_str()) != 0) {
    error = std::strerror(errno);
    ok = false;
  }
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

// Up to `limit` bytes of the file and its whole size; false when it cannot be read.
bool ReadSome(const std::string& path, size_t limit, std::vector<uint8_t>& bytes, off_t& size) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return false;
  }
  size = st.st_size;
  bytes.assign(std::min(limit, static_cast<size_t>(std::max<off_t>(st.st_size, 0))), 0);
  size_t got = 0;
  while (got < bytes.size()) {
    const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  bytes.resize(got);
  ::close(fd);
  return true;
}

std::string_view AsText(const std::vector<uint8_t>& bytes) {
  return std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

}  // namespace

DropFileSet::DropFileSet(std::string directory, const platform::Environment& env)
    : directory_(std::move(directory)), env_(env) {}

std::string DropFileSet::Path(const char* name) const {
  return platform::HostPath(directory_ + name, env_);
}

bool DropFileSet::Write(const DropFileValues& values, std::string& error) {
  const std::string dorinfo = DorinfoText(values);
  const std::string door_sys = DoorSysText(values);
  dorinfo_ = {Path(kDorinfo), std::vector<uint8_t>(dorinfo.begin(), dorinfo.end())};
  door_sys_ = {Path(kDoorSys), std::vector<uint8_t>(door_sys.begin(), door_sys.end())};
  exit_info_ = {Path(kExitInfo), ExitInfoBytes(values)};
  for (const auto& [file, mode] : {std::pair<const File*, mode_t>{&dorinfo_, 0644},
                                   {&door_sys_, 0644},
                                   {&exit_info_, 0600}}) {
    std::string why;
    if (!WriteWhole(file->host_path, file->written, mode, why)) {
      error = file->host_path + ": " + why;
      return false;
    }
  }
  return true;
}

bool DropFileSet::Changed(const File& file, std::vector<uint8_t>& now, off_t& size,
                          core::NodeLog& log) const {
  if (!ReadSome(file.host_path, kReadLimit, now, size)) {
    log.WriteLog(file.host_path + " is gone after the door; nothing taken back from it");
    return false;
  }
  return static_cast<size_t>(size) != now.size() || now != file.written;
}

void DropFileSet::ReadBack(DoorState& state, core::NodeLog& log) const {
  std::vector<uint8_t> now;
  off_t size = 0;
  if (Changed(exit_info_, now, size, log)) {
    std::string problem;
    if (static_cast<size_t>(size) != now.size()) {
      problem = "EXITINFO.BBS has " + std::to_string(size) + " bytes instead of " +
                std::to_string(core::kExitInfoSize) + "; not taken back";
    }
    if (problem.empty() && ReadBackExitInfo(now, state, problem)) {
      log.Debug("EXITINFO.BBS taken back");
    } else {
      log.Alarm(problem);
    }
  }
  if (Changed(dorinfo_, now, size, log)) {
    ReadBackDorinfo(AsText(now), state);
    log.Debug("DORINFO1.DEF taken back");
  }
  if (Changed(door_sys_, now, size, log)) {
    ReadBackDoorSys(AsText(now), state);
    log.Debug("DOOR.SYS taken back");
  }
}

}  // namespace vx::doors
