// MSGINF and MSGTMP.
#include "messages/exchange_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "messages/message_text.h"

namespace vx::messages {

namespace {

std::string Failure(const std::string& what, const std::string& path) {
  return what + " " + path + ": " + std::strerror(errno);
}

// Closes a descriptor however the function that opened it ends.
struct Descriptor {
  int fd;
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
};

}  // namespace

std::string MessageInfoText(const MessageInfo& info) {
  std::string text = info.from + "\r\n" + info.to + "\r\n" + info.subject + "\r\n" +
                     std::to_string(info.number) + "\r\n" + info.area_name + "\r\n";
  if (info.private_flag == 1) text += "YES\r\n";
  if (info.private_flag == 2) text += "NO\r\n";
  return text;
}

core::WriteResult RemoveExchangeFile(const std::string& host_path) {
  if (::unlink(host_path.c_str()) != 0 && errno != ENOENT) {
    return core::WriteResult::Failed(Failure("cannot remove", host_path));
  }
  return {};
}

core::WriteResult WriteExchangeFile(const std::string& host_path, std::string_view bytes) {
  core::WriteResult removed = RemoveExchangeFile(host_path);
  if (!removed.ok) return removed;
  Descriptor file{
      ::open(host_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600)};
  if (file.fd < 0) return core::WriteResult::Failed(Failure("cannot create", host_path));
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(file.fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return core::WriteResult::Failed(Failure("cannot write", host_path));
    done += static_cast<size_t>(n);
  }
  const int fd = file.fd;
  file.fd = -1;
  if (::close(fd) != 0) return core::WriteResult::Failed(Failure("cannot write", host_path));
  return {};
}

EditedText ReadEditedText(const std::string& host_path, std::string_view written, size_t limit) {
  EditedText edited;
  // Not through a link, and without waiting on a fifo.
  Descriptor file{::open(host_path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC)};
  if (file.fd < 0) {
    if (errno == ENOENT) {
      edited.status = EditedStatus::kMissing;
      edited.problem = host_path + " is not there";
    } else if (errno == ELOOP) {
      edited.status = EditedStatus::kNotAFile;
      edited.problem = host_path + " is a symbolic link";
    } else {
      edited.status = EditedStatus::kUnreadable;
      edited.problem = Failure("cannot read", host_path);
    }
    return edited;
  }
  struct stat info {};
  if (::fstat(file.fd, &info) != 0) {
    edited.status = EditedStatus::kUnreadable;
    edited.problem = Failure("cannot read", host_path);
    return edited;
  }
  if (!S_ISREG(info.st_mode)) {
    edited.status = EditedStatus::kNotAFile;
    edited.problem = host_path + " is not a regular file";
    return edited;
  }
  // The size may change while it is read: one byte past the limit tells a text that is too long.
  std::string bytes;
  char buffer[16384];
  for (;;) {
    const ssize_t n = ::read(file.fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      edited.status = EditedStatus::kUnreadable;
      edited.problem = Failure("cannot read", host_path);
      return edited;
    }
    if (n == 0) break;
    bytes.append(buffer, static_cast<size_t>(n));
    if (bytes.size() > limit) {
      edited.status = EditedStatus::kTooLarge;
      edited.problem = host_path + " holds more than " + std::to_string(limit) + " bytes";
      return edited;
    }
  }
  if (!written.empty() && bytes == written) {
    edited.status = EditedStatus::kUnchanged;
    edited.problem = host_path + " is as the node wrote it";
    return edited;
  }
  if (IsBlankText(StoredLines(bytes))) {
    edited.status = EditedStatus::kBlank;
    edited.problem = host_path + " holds no text";
    return edited;
  }
  edited.status = EditedStatus::kWritten;
  edited.text = std::move(bytes);
  return edited;
}

}  // namespace vx::messages
