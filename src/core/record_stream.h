// Field access to the DOS record files. Every record of every data file is read and written field
// by field through these functions, at the stream's current position, so that a record layout is
// simply the sequence of calls that reads it:
//
//   integers       little-endian; byte, int16, word (uint16), int32, uint32
//   String[N]      one length byte L, then N character bytes; reads the first L (all N when L > N);
//                  written as Len(text) and the text cut to N and padded with NUL bytes
//   Chars[N]       N character bytes, no length byte, NUL-padded when written
//   flag byte      held in memory as 8 characters "0"/"1", bit 0 first
//
// Positions in the layout tables are 1-based (record n of size S starts at (n - 1) * S + 1);
// SeekPosition takes them, Seek takes 0-based offsets. A read past the end of the data yields the
// bytes that are there and zeros for the rest: a short or damaged file never stops a reader.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace vx::core {

class RecordStream {
 public:
  virtual ~RecordStream() = default;

  // Raw access at the current position; both move the position by what was transferred.
  virtual size_t ReadBytes(void* data, size_t n) = 0;
  virtual bool WriteBytes(const void* data, size_t n) = 0;
  virtual void Seek(uint64_t offset) = 0;
  virtual uint64_t Tell() const = 0;
  virtual uint64_t Size() const = 0;

  void SeekPosition(uint64_t position) { Seek(position > 0 ? position - 1 : 0); }
  void SkipBytes(uint64_t n) { Seek(Tell() + n); }
  bool AtEnd() const { return Tell() >= Size(); }
  // True when the last read ran past the end of the data.
  bool short_read() const { return short_read_; }
  void ClearShortRead() { short_read_ = false; }

  std::string ReadPascalString(int width);
  std::string ReadChars(int width);
  uint8_t ReadByte();
  std::string ReadFlagByte();
  int16_t ReadInt16();
  uint16_t ReadWord();
  int32_t ReadInt32();
  uint32_t ReadUInt32();
  std::vector<uint8_t> ReadRaw(size_t n);

  bool WritePascalString(std::string_view text, int width);
  bool WriteChars(std::string_view text, int width);
  bool WriteByte(uint8_t value);
  bool WriteFlagByte(std::string_view flags);
  bool WriteInt16(int16_t value);
  // A value above 65535 is first divided by 10 (the DOS convention for over-large counters); a
  // value still above 65535 is stored as 65535 rather than a wrapped number. Negative values are
  // stored as their 16-bit two's complement, clamped to -32768.
  bool WriteWord(long long value);
  bool WriteInt32(int32_t value);
  // Values of 2^31 and more are stored as value - 2^32; the value is clamped to 0..4294967295.
  bool WriteUInt32(long long value);
  bool WriteRaw(const std::vector<uint8_t>& bytes) { return WriteBytes(bytes.data(), bytes.size()); }
  // A fixed block of bytes (a flag set, a reserved area) read into or written from a container of
  // bytes, one byte per element.
  template <typename Bytes>
  void ReadInto(Bytes& bytes) {
    for (auto& b : bytes) b = static_cast<std::remove_reference_t<decltype(b)>>(ReadByte());
  }
  template <typename Bytes>
  bool WriteFrom(const Bytes& bytes) {
    bool ok = true;
    for (auto b : bytes) ok = WriteByte(static_cast<uint8_t>(b)) && ok;
    return ok;
  }
  bool WriteZeros(size_t n);

 protected:
  bool short_read_ = false;

 private:
  void ReadExact(void* data, size_t n);  // zero-fills what is not there
};

// Bytes in memory: building a record before it is written, parsing one that was read whole.
class MemoryStream final : public RecordStream {
 public:
  MemoryStream() = default;
  explicit MemoryStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

  size_t ReadBytes(void* data, size_t n) override;
  bool WriteBytes(const void* data, size_t n) override;
  void Seek(uint64_t offset) override { pos_ = offset; }
  uint64_t Tell() const override { return pos_; }
  uint64_t Size() const override { return bytes_.size(); }

  const std::vector<uint8_t>& bytes() const { return bytes_; }
  std::vector<uint8_t>& bytes() { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
  uint64_t pos_ = 0;
};

// Bytes read where they lie (one record of a file read whole), without copying them first.
// Writing to it fails.
class ByteView final : public RecordStream {
 public:
  ByteView(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  size_t ReadBytes(void* data, size_t n) override;
  bool WriteBytes(const void*, size_t) override { return false; }
  void Seek(uint64_t offset) override { pos_ = offset; }
  uint64_t Tell() const override { return pos_; }
  uint64_t Size() const override { return size_; }

 private:
  const uint8_t* data_;
  size_t size_;
  uint64_t pos_ = 0;
};

// How a wait for a record lock passes its time, and how long it may last. The node pauses by
// running its event loop (signals, the line and the clocks keep working); tools simply sleep. A
// lock that is not granted within the limit is reported, never waited for forever: a node that
// hangs while holding a lock must not stop the others.
struct LockWait {
  std::function<void(std::chrono::milliseconds)> pause;  // empty: sleep
  std::chrono::milliseconds limit{5000};
};

// A record file on disk, opened for one operation and closed by its destructor.
class RecordFile final : public RecordStream {
 public:
  enum class Mode { kRead, kReadWrite, kCreate };  // kCreate: read/write, created when missing

  // `host_path` is a host path (see platform/dos_path.h). nullopt when it cannot be opened; the
  // reason is in errno.
  static std::optional<RecordFile> Open(const std::string& host_path, Mode mode);

  RecordFile(RecordFile&& other) noexcept;
  RecordFile& operator=(RecordFile&& other) noexcept;
  RecordFile(const RecordFile&) = delete;
  RecordFile& operator=(const RecordFile&) = delete;
  ~RecordFile() override;

  size_t ReadBytes(void* data, size_t n) override;
  bool WriteBytes(const void* data, size_t n) override;
  void Seek(uint64_t offset) override { pos_ = offset; }
  uint64_t Tell() const override { return pos_; }
  uint64_t Size() const override;

  int fd() const { return fd_; }
  // Open-file-description record lock on [offset, offset + length) (length 0: to the end of the
  // file, however it grows). Linux nodes take it around read-modify-write of shared files; DOS
  // programs ignore it. Such a lock belongs to this open file, so closing another descriptor of
  // the same file elsewhere in the process does not drop it (as it would a classic fcntl lock).
  // Returns false with errno set when it is refused for good or not granted within the limit.
  bool Lock(uint64_t offset, uint64_t length, bool exclusive, const LockWait& wait = {});
  bool Unlock(uint64_t offset, uint64_t length);
  // Writes `bytes` at `offset` in one call, so that no reader sees half a record.
  bool WriteAt(uint64_t offset, const std::vector<uint8_t>& bytes);

 private:
  explicit RecordFile(int fd) : fd_(fd) {}
  int fd_ = -1;
  uint64_t pos_ = 0;
};

// Holds a record lock for its lifetime.
class RecordLock {
 public:
  RecordLock(RecordFile& file, uint64_t offset, uint64_t length, bool exclusive,
             const LockWait& wait = {})
      : file_(file), offset_(offset), length_(length),
        held_(file.Lock(offset, length, exclusive, wait)) {}
  ~RecordLock() {
    if (held_) file_.Unlock(offset_, length_);
  }
  RecordLock(const RecordLock&) = delete;
  RecordLock& operator=(const RecordLock&) = delete;
  bool held() const { return held_; }

 private:
  RecordFile& file_;
  uint64_t offset_, length_;
  bool held_;
};

// Small file helpers on host paths.
bool FileExists(const std::string& host_path);   // can be opened for reading
bool FileHasData(const std::string& host_path);  // ... and is at least one byte long
std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& host_path);
// Writes the whole file through a temporary name and a rename, so a reader never sees half of it.
bool WriteWholeFile(const std::string& host_path, const std::vector<uint8_t>& bytes);

}  // namespace vx::core
