// The node log.
#include "core/node_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "core/record_stream.h"
#include "platform/dos_path.h"

namespace vx::core {

namespace {

constexpr char kBel = 7;
constexpr char kEsc = 27;

std::string TimeText(const std::tm& t) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.tm_hour, t.tm_min, t.tm_sec);
  return buf;
}

}  // namespace

std::string NodeLog::FormatLine(std::string_view text, const std::tm& now) {
  const bool plain = !text.empty() && text.front() == kEsc;
  if (plain) text.remove_prefix(1);
  char marker = '>';
  if (!text.empty() && text.front() == kBel) {
    marker = '!';
    text.remove_prefix(1);
  }
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.remove_suffix(1);
  if (plain) return std::string(text);
  std::string line(1, marker);
  line += ' ';
  line += TimeText(now);
  line += "  ";
  line += text;
  return line;
}

void NodeLog::Alarm(std::string_view text) {
  std::string line(1, kBel);
  line.append(text);
  WriteLog(line);
}

bool NodeLog::FileExists() const {
  return !file_name_.empty() && core::FileExists(platform::HostPath(file_name_, env_));
}

void NodeLog::WriteLog(std::string_view text) {
  const std::tm now = clock_.LocalTime();

  std::string_view row_text = text;
  if (!row_text.empty() && row_text.front() == kEsc) row_text.remove_prefix(1);
  if (!row_text.empty() && row_text.front() == kBel) row_text.remove_prefix(1);
  char date[48];
  std::snprintf(date, sizeof date, "%02d-%02d-%04d", now.tm_mon + 1, now.tm_mday,
                now.tm_year + 1900);
  book_.push_back(LogBookRow{date, TimeText(now), std::string(row_text)});
  if (book_.size() > kMaxBookRows) book_.pop_front();

  if (file_name_.empty()) return;
  std::string line = FormatLine(text, now) + "\r\n";
  int fd = ::open(platform::HostPath(file_name_, env_).c_str(),
                  O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return;  // the log never fails visibly
  ssize_t written = ::write(fd, line.data(), line.size());
  (void)written;
  ::close(fd);
}

}  // namespace vx::core
