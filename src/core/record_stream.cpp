// Field readers and writers over memory and files.
#include "core/record_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

#include "core/text.h"

namespace vx::core {

void RecordStream::ReadExact(void* data, size_t n) {
  size_t got = ReadBytes(data, n);
  if (got < n) {
    std::memset(static_cast<uint8_t*>(data) + got, 0, n - got);
    short_read_ = true;
    Seek(Tell() + (n - got));
  }
}

std::string RecordStream::ReadPascalString(int width) {
  if (width < 0) width = 0;
  const uint8_t length = ReadByte();
  // A field fits its length byte (255 at most): read on the stack, keep only the text.
  if (width <= 255) {
    char chars[255];
    ReadExact(chars, static_cast<size_t>(width));
    return std::string(chars, std::min<size_t>(length, static_cast<size_t>(width)));
  }
  std::string chars(static_cast<size_t>(width), '\0');
  ReadExact(chars.data(), chars.size());
  chars.resize(std::min<size_t>(length, chars.size()));
  return chars;
}

std::string RecordStream::ReadChars(int width) {
  std::string chars(static_cast<size_t>(std::max(width, 0)), '\0');
  ReadExact(chars.data(), chars.size());
  return chars;
}

uint8_t RecordStream::ReadByte() {
  uint8_t b = 0;
  ReadExact(&b, 1);
  return b;
}

std::string RecordStream::ReadFlagByte() { return FlagByteToText(ReadByte()); }

int16_t RecordStream::ReadInt16() { return static_cast<int16_t>(ReadWord()); }

uint16_t RecordStream::ReadWord() {
  uint8_t b[2];
  ReadExact(b, 2);
  return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

int32_t RecordStream::ReadInt32() { return static_cast<int32_t>(ReadUInt32()); }

uint32_t RecordStream::ReadUInt32() {
  uint8_t b[4];
  ReadExact(b, 4);
  return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
         (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

std::vector<uint8_t> RecordStream::ReadRaw(size_t n) {
  std::vector<uint8_t> out(n);
  ReadExact(out.data(), n);
  return out;
}

bool RecordStream::WritePascalString(std::string_view text, int width) {
  if (width < 0) width = 0;
  std::string_view cut = text.substr(0, std::min<size_t>(text.size(), static_cast<size_t>(width)));
  uint8_t length = static_cast<uint8_t>(std::min<size_t>(cut.size(), 255));
  return WriteByte(length) && WriteChars(cut, width);
}

bool RecordStream::WriteChars(std::string_view text, int width) {
  if (width < 0) width = 0;
  std::string field(static_cast<size_t>(width), '\0');
  std::copy_n(text.begin(), std::min(text.size(), field.size()), field.begin());
  return WriteBytes(field.data(), field.size());
}

bool RecordStream::WriteByte(uint8_t value) { return WriteBytes(&value, 1); }

bool RecordStream::WriteFlagByte(std::string_view flags) { return WriteByte(FlagTextToByte(flags)); }

bool RecordStream::WriteInt16(int16_t value) {
  uint16_t u = static_cast<uint16_t>(value);
  uint8_t b[2] = {static_cast<uint8_t>(u & 0xFF), static_cast<uint8_t>(u >> 8)};
  return WriteBytes(b, 2);
}

bool RecordStream::WriteWord(long long value) {
  if (value > 65535) value /= 10;
  if (value > 65535) value = 65535;
  if (value < -32768) value = -32768;
  uint16_t u = static_cast<uint16_t>(value < 0 ? value + 65536 : value);
  return WriteInt16(static_cast<int16_t>(u));
}

bool RecordStream::WriteInt32(int32_t value) {
  return WriteUInt32(static_cast<long long>(static_cast<uint32_t>(value)));
}

bool RecordStream::WriteUInt32(long long value) {
  if (value < 0) value = ToUnsigned32(std::max(value, -2147483648LL));
  if (value > 4294967295LL) value = 4294967295LL;
  uint32_t u = static_cast<uint32_t>(value);
  uint8_t b[4] = {static_cast<uint8_t>(u), static_cast<uint8_t>(u >> 8),
                  static_cast<uint8_t>(u >> 16), static_cast<uint8_t>(u >> 24)};
  return WriteBytes(b, 4);
}

bool RecordStream::WriteZeros(size_t n) {
  std::vector<uint8_t> zeros(n, 0);
  return WriteBytes(zeros.data(), n);
}

size_t MemoryStream::ReadBytes(void* data, size_t n) {
  if (pos_ >= bytes_.size()) return 0;
  size_t got = std::min<size_t>(n, bytes_.size() - pos_);
  if (got) std::memcpy(data, bytes_.data() + pos_, got);  // an empty field may have no buffer
  pos_ += got;
  return got;
}

size_t ByteView::ReadBytes(void* data, size_t n) {
  if (pos_ >= size_) return 0;
  const size_t got = std::min<size_t>(n, size_ - static_cast<size_t>(pos_));
  std::memcpy(data, data_ + pos_, got);
  pos_ += got;
  return got;
}

bool MemoryStream::WriteBytes(const void* data, size_t n) {
  if (pos_ + n > bytes_.size()) bytes_.resize(pos_ + n, 0);
  if (n) std::memcpy(bytes_.data() + pos_, data, n);
  pos_ += n;
  return true;
}

std::optional<RecordFile> RecordFile::Open(const std::string& host_path, Mode mode) {
  int flags = O_CLOEXEC;
  switch (mode) {
    case Mode::kRead: flags |= O_RDONLY; break;
    case Mode::kReadWrite: flags |= O_RDWR; break;
    case Mode::kCreate: flags |= O_RDWR | O_CREAT; break;
  }
  int fd = ::open(host_path.c_str(), flags, 0644);
  if (fd < 0) return std::nullopt;
  struct stat st;
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    errno = EISDIR;
    return std::nullopt;
  }
  return RecordFile(fd);
}

RecordFile::RecordFile(RecordFile&& other) noexcept : fd_(other.fd_), pos_(other.pos_) {
  other.fd_ = -1;
}

RecordFile& RecordFile::operator=(RecordFile&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = other.fd_;
    pos_ = other.pos_;
    other.fd_ = -1;
  }
  return *this;
}

RecordFile::~RecordFile() {
  if (fd_ >= 0) ::close(fd_);
}

size_t RecordFile::ReadBytes(void* data, size_t n) {
  size_t done = 0;
  while (done < n) {
    ssize_t got = ::pread(fd_, static_cast<uint8_t*>(data) + done, n - done,
                          static_cast<off_t>(pos_ + done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done += static_cast<size_t>(got);
  }
  pos_ += done;
  return done;
}

bool RecordFile::WriteBytes(const void* data, size_t n) {
  size_t done = 0;
  while (done < n) {
    ssize_t put = ::pwrite(fd_, static_cast<const uint8_t*>(data) + done, n - done,
                           static_cast<off_t>(pos_ + done));
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) break;
    done += static_cast<size_t>(put);
  }
  pos_ += done;
  return done == n;
}

uint64_t RecordFile::Size() const {
  struct stat st;
  if (::fstat(fd_, &st) != 0) return 0;
  return static_cast<uint64_t>(st.st_size);
}

bool RecordFile::Lock(uint64_t offset, uint64_t length, bool exclusive, const LockWait& wait) {
  struct flock fl {};
  fl.l_type = exclusive ? F_WRLCK : F_RDLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = static_cast<off_t>(offset);
  fl.l_len = static_cast<off_t>(length);
  // Try, and between tries pause (a short step first, longer ones later) until the limit.
  std::chrono::milliseconds waited{0};
  std::chrono::milliseconds step{2};
  for (;;) {
    if (::fcntl(fd_, F_OFD_SETLK, &fl) == 0) return true;
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EACCES) return false;
    if (waited >= wait.limit) {
      errno = ETIMEDOUT;
      return false;
    }
    const std::chrono::milliseconds pause = std::min(step, wait.limit - waited);
    if (wait.pause) {
      wait.pause(pause);
    } else {
      std::this_thread::sleep_for(pause);
    }
    waited += pause;
    step = std::min(step * 2, std::chrono::milliseconds(100));
  }
}

bool RecordFile::Unlock(uint64_t offset, uint64_t length) {
  struct flock fl {};
  fl.l_type = F_UNLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = static_cast<off_t>(offset);
  fl.l_len = static_cast<off_t>(length);
  return ::fcntl(fd_, F_OFD_SETLK, &fl) == 0;
}

bool RecordFile::WriteAt(uint64_t offset, const std::vector<uint8_t>& bytes) {
  const uint64_t saved = pos_;
  pos_ = offset;
  const bool ok = WriteBytes(bytes.data(), bytes.size());
  pos_ = saved;
  return ok;
}

bool FileExists(const std::string& host_path) {
  return RecordFile::Open(host_path, RecordFile::Mode::kRead).has_value();
}

bool FileHasData(const std::string& host_path) {
  auto file = RecordFile::Open(host_path, RecordFile::Mode::kRead);
  return file && file->Size() > 0;
}

std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& host_path) {
  auto file = RecordFile::Open(host_path, RecordFile::Mode::kRead);
  if (!file) return std::nullopt;
  std::vector<uint8_t> bytes(file->Size());
  size_t got = file->ReadBytes(bytes.data(), bytes.size());
  bytes.resize(got);
  return bytes;
}

bool WriteWholeFile(const std::string& host_path, const std::vector<uint8_t>& bytes) {
  std::string temp = host_path + ".tmp" + std::to_string(::getpid());
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) break;
    done += static_cast<size_t>(put);
  }
  bool ok = done == bytes.size();
  if (::close(fd) != 0) ok = false;
  if (!ok || ::rename(temp.c_str(), host_path.c_str()) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace vx::core
