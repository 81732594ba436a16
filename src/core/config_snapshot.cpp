// The node's copy of CONFIG.VX, read again only when the file changed.
#include "core/config_snapshot.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/dos_path.h"

namespace vx::core {

namespace {

bool SameTime(const timespec& a, const timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

}  // namespace

bool ConfigSnapshot::Identity::operator==(const Identity& o) const {
  return device == o.device && inode == o.inode && size == o.size &&
         SameTime(modified, o.modified) && SameTime(changed, o.changed);
}

ConfigSnapshot::ConfigSnapshot(const platform::Environment& env, std::string system_path)
    : env_(env) {
  SetSystemPath(std::move(system_path));
}

void ConfigSnapshot::SetSystemPath(std::string system_path) {
  system_path_ = std::move(system_path);
  host_path_.clear();
  Forget();
}

void ConfigSnapshot::Forget() const {
  record_ = ConfigRecord();
  identity_ = Identity();
  present_ = false;
  recent_ = false;
}

bool ConfigSnapshot::Exists() const {
  Current();
  return present_;
}

const ConfigRecord& ConfigSnapshot::Current() const {
  if (host_path_.empty()) host_path_ = platform::HostPath(system_path_ + "CONFIG.VX", env_);
  struct stat st {};
  if (::stat(host_path_.c_str(), &st) != 0) {
    // The name may be spelt in another case now, or the directory replaced: look it up again.
    host_path_ = platform::HostPath(system_path_ + "CONFIG.VX", env_);
    if (::stat(host_path_.c_str(), &st) != 0) {
      if (present_) Forget();  // gone: zeros and empty texts
      return record_;
    }
  }
  const Identity seen{st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
  if (present_ && !recent_ && seen == identity_) return record_;
  if (!Load(seen)) Forget();
  return record_;
}

bool ConfigSnapshot::Load(Identity seen) const {
  const int fd = ::open(host_path_.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) == 0) seen = {st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
  std::array<uint8_t, kConfigSize> bytes{};
  size_t got = 0;
  while (got < bytes.size()) {
    const ssize_t n = ::pread(fd, bytes.data() + got, bytes.size() - got, static_cast<off_t>(got));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  ::close(fd);
  record_ = ConfigRecord(std::span<const uint8_t>(bytes.data(), got));
  identity_ = seen;
  present_ = true;
  ++reads_;
  // A change in the same clock tick as this one would leave size and times as they are: while
  // the file is that young, the next access reads it again.
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  recent_ = seen.modified.tv_sec + 1 >= now.tv_sec;
  return true;
}

int ConfigSnapshot::NameAttempts() const {
  const int n = Current().Byte(config_field::kNameAttempts);
  return n == 0 ? 999 : n;
}

std::pair<int, int> ConfigSnapshot::ColourSet(int k) const {
  if (k < 1 || k > 5) return {7, 0};
  const auto& [foreground, background] = kColourSetFields[static_cast<size_t>(k - 1)];
  const ConfigRecord& record = Current();
  const int fg = record.Byte(*foreground);
  return {fg == 0 ? 7 : fg, record.Byte(*background)};
}

int ConfigSnapshot::FileListColour() const {
  const auto [fg, bg] = ColourSet(4);
  return 16 * bg + fg;
}

}  // namespace vx::core
