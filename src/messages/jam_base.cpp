// A JAM message base.
#include "messages/jam_base.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>

#include "core/crc32.h"
#include "core/text.h"
#include "messages/message_time.h"
#include "platform/dos_path.h"

namespace vx::messages {

namespace {

using core::RecordFile;
using core::WriteResult;

constexpr uint32_t kNoMessage = 0xFFFFFFFFu;

uint32_t LittleEndian32(const uint8_t* b) {
  return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
         (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

std::string Failure(const std::string& what, const std::string& path) {
  return what + " " + path + ": " + std::strerror(errno);
}

std::vector<uint8_t> FixedHeaderBytes(const JamMessageHeader& header) {
  core::MemoryStream out;
  WriteJamMessageHeader(header, out);
  return std::move(out.bytes());
}

}  // namespace

JamBase::JamBase(std::string base_path, const platform::Environment& env, core::LockWait wait)
    : base_path_(std::move(base_path)), env_(env), wait_(std::move(wait)) {}

std::string JamBase::File(const char* extension) const {
  return platform::HostPath(base_path_ + extension, env_);
}

uint32_t JamBase::NameCrc(std::string_view name) {
  std::string lower(name);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return core::Crc32(lower);
}

std::optional<JamBaseHeader> JamBase::ReadBaseHeader(std::string* problem) const {
  auto file = RecordFile::Open(File(".JHR"), RecordFile::Mode::kRead);
  if (!file) {
    if (problem) *problem = "cannot read " + File(".JHR");
    return std::nullopt;
  }
  if (file->Size() < kJamBaseHeaderSize) {
    if (problem) *problem = File(".JHR") + " is shorter than its base header";
    return std::nullopt;
  }
  JamBaseHeader header = ReadJamBaseHeader(*file);
  if (!header.signature_ok) {
    if (problem) *problem = File(".JHR") + " does not start with the JAM signature";
    return std::nullopt;
  }
  return header;
}

std::vector<JamIndexRecord> JamBase::ReadIndex() const {
  std::vector<JamIndexRecord> records;
  const auto bytes = core::ReadWholeFile(File(".JDX"));
  if (!bytes) return records;
  // Taken apart in place: a scan reads every record of a big base.
  const uint64_t count = bytes->size() / kJamIndexSize;
  records.resize(count);
  const uint8_t* p = bytes->data();
  for (uint64_t i = 0; i < count; ++i, p += kJamIndexSize) {
    records[i].receiver_crc = LittleEndian32(p);
    records[i].header_offset = LittleEndian32(p + 4);
  }
  return records;
}

std::vector<std::pair<uint64_t, uint32_t>> JamBase::FindReceivers(
    const std::vector<uint32_t>& receivers, uint64_t first) const {
  std::vector<std::pair<uint64_t, uint32_t>> found;
  auto index = RecordFile::Open(File(".JDX"), RecordFile::Mode::kRead);
  const uint64_t headers_size = HeadersSize();
  if (!index || receivers.empty()) return found;
  constexpr size_t kRecordsPerPiece = 8192;
  std::vector<uint8_t> piece(kRecordsPerPiece * kJamIndexSize);
  index->Seek(first * kJamIndexSize);
  uint64_t i = first;
  for (;;) {
    const size_t got = index->ReadBytes(piece.data(), piece.size());
    const uint8_t* p = piece.data();
    for (size_t r = 0; r < got / kJamIndexSize; ++r, ++i, p += kJamIndexSize) {
      const uint32_t crc = LittleEndian32(p);
      if (std::find(receivers.begin(), receivers.end(), crc) == receivers.end()) continue;
      const uint32_t offset = LittleEndian32(p + 4);
      if (ValidOffset(offset, headers_size)) found.push_back({i, offset});
    }
    if (got < piece.size()) break;
  }
  return found;
}

uint64_t JamBase::HeadersSize() const {
  auto file = RecordFile::Open(File(".JHR"), RecordFile::Mode::kRead);
  return file ? file->Size() : 0;
}

uint64_t JamBase::IndexCount() const {
  auto file = RecordFile::Open(File(".JDX"), RecordFile::Mode::kRead);
  return file ? file->Size() / kJamIndexSize : 0;
}

// An index entry's header offset names a header when it is not all ones (no message), lies behind
// the base header and leaves room for a fixed header before the end of .JHR.
bool JamBase::ValidOffset(uint32_t offset, uint64_t headers_size) {
  return offset != kNoMessage && offset >= kJamBaseHeaderSize &&
         uint64_t{offset} + kJamFixedHeaderSize <= headers_size;
}

std::optional<uint64_t> JamBase::HeaderOffset(uint32_t number) const {
  const auto base = ReadBaseHeader();
  if (!base || number < base->base_number) return std::nullopt;
  auto headers = RecordFile::Open(File(".JHR"), RecordFile::Mode::kRead);
  auto index = RecordFile::Open(File(".JDX"), RecordFile::Mode::kRead);
  if (!headers || !index) return std::nullopt;
  const uint64_t i = uint64_t{number} - base->base_number;
  if ((i + 1) * kJamIndexSize > index->Size()) return std::nullopt;
  index->Seek(i * kJamIndexSize);
  const JamIndexRecord record = ReadJamIndexRecord(*index);
  if (!ValidOffset(record.header_offset, headers->Size())) return std::nullopt;
  return record.header_offset;
}

namespace {
// The header at `offset` of an open .JHR: the fixed part and the subfields read in one call (a
// second one for subfields longer than usual) and taken apart in memory. The subfields are cut at
// the end of the file.
std::optional<JamMessage> ReadMessageAt(RecordFile& file, uint64_t size, uint64_t offset,
                                        std::string* problem) {
  constexpr size_t kUsualHeader = 512;
  if (offset < kJamBaseHeaderSize || offset + kJamFixedHeaderSize > size) {
    if (problem) *problem = "no message header at " + std::to_string(offset);
    return std::nullopt;
  }
  const uint64_t available = size - offset;
  file.Seek(offset);
  std::vector<uint8_t> bytes =
      file.ReadRaw(static_cast<size_t>(std::min<uint64_t>(available, kUsualHeader)));
  core::MemoryStream fixed(bytes);
  JamMessage message;
  message.offset = offset;
  message.header = ReadJamMessageHeader(fixed);
  if (!message.header.signature_ok) {
    if (problem) *problem = "Invalid Message - Rebuild Index!";
    return std::nullopt;
  }
  const uint64_t length =
      std::min<uint64_t>(message.header.subfield_length, available - kJamFixedHeaderSize);
  if (kJamFixedHeaderSize + length > bytes.size()) {
    file.Seek(offset);
    bytes = file.ReadRaw(static_cast<size_t>(kJamFixedHeaderSize + length));
  }
  bytes.resize(static_cast<size_t>(kJamFixedHeaderSize + length));
  core::MemoryStream fields(std::move(bytes));
  fields.Seek(kJamFixedHeaderSize);
  bool complete = true;
  for (const JamSubfield& field :
       ReadJamSubfields(fields, message.header.subfield_length, &complete)) {
    if (field.id == 2) message.from = field.data;
    if (field.id == 3) message.to = field.data;
    if (field.id == 6) message.subject = field.data;
  }
  // Texts from other systems: the fields are cut to what their String fields elsewhere hold.
  message.from = message.from.substr(0, 35);
  message.to = message.to.substr(0, 35);
  message.subject = message.subject.substr(0, 72);
  return message;
}
}  // namespace

std::optional<JamMessage> JamBase::ReadMessage(uint64_t offset, std::string* problem) const {
  auto file = RecordFile::Open(File(".JHR"), RecordFile::Mode::kRead);
  if (!file) {
    if (problem) *problem = "cannot read " + File(".JHR");
    return std::nullopt;
  }
  return ReadMessageAt(*file, file->Size(), offset, problem);
}

std::vector<std::optional<JamMessage>> JamBase::ReadMessages(
    const std::vector<uint64_t>& offsets, std::vector<std::string>* problems) const {
  std::vector<std::optional<JamMessage>> messages(offsets.size());
  if (problems) problems->assign(offsets.size(), std::string());
  auto file = RecordFile::Open(File(".JHR"), RecordFile::Mode::kRead);
  if (!file) return messages;
  const uint64_t size = file->Size();
  for (size_t i = 0; i < offsets.size(); ++i) {
    messages[i] = ReadMessageAt(*file, size, offsets[i], problems ? &(*problems)[i] : nullptr);
  }
  return messages;
}

std::optional<JamMessage> JamBase::ReadMessageNumber(uint32_t number, std::string* problem) const {
  const auto offset = HeaderOffset(number);
  if (!offset) {
    if (problem) *problem = "no message #" + std::to_string(number);
    return std::nullopt;
  }
  auto message = ReadMessage(*offset, problem);
  if (message && message->header.number != number) {
    if (problem) *problem = "the index of message #" + std::to_string(number) + " points at another message";
    return std::nullopt;
  }
  return message;
}

std::string JamBase::ReadText(const JamMessageHeader& header) const {
  auto file = RecordFile::Open(File(".JDT"), RecordFile::Mode::kRead);
  if (!file || header.text_offset >= file->Size()) return {};
  const uint64_t length = std::min<uint64_t>(header.text_length, file->Size() - header.text_offset);
  std::string text(length, '\0');
  file->Seek(header.text_offset);
  text.resize(file->ReadBytes(text.data(), text.size()));
  return text;
}

std::optional<JamLastRead> JamBase::FindLastRead(uint32_t user_crc) const {
  auto bytes = core::ReadWholeFile(File(".JLR"));
  if (!bytes) return std::nullopt;
  core::MemoryStream in(std::move(*bytes));
  const uint64_t count = in.Size() / kJamLastReadSize;
  for (uint64_t i = 0; i < count; ++i) {
    JamLastRead record = ReadJamLastRead(in);
    if (record.user_crc == user_crc) return record;
  }
  return std::nullopt;
}

uint32_t JamBase::FindReplyPredecessor(uint32_t first, uint32_t target) const {
  if (first == 0 || target == 0) return 0;
  auto message = ReadMessageNumber(first);
  if (!message) return 0;
  if (message->header.first_reply == target) return first;
  std::set<uint32_t> seen{first};
  uint32_t current = message->header.first_reply;
  while (current != 0 && seen.insert(current).second) {
    auto link = ReadMessageNumber(current);
    if (!link) return 0;
    if (link->header.next_reply == target) return current;
    current = link->header.next_reply;
  }
  return 0;
}

uint32_t JamBase::FindLastReply(uint32_t number) const {
  auto message = ReadMessageNumber(number);
  if (!message || message->header.first_reply == 0) return 0;
  std::set<uint32_t> seen{number};
  uint32_t last = message->header.first_reply;
  while (seen.insert(last).second) {
    auto link = ReadMessageNumber(last);
    if (!link || link->header.next_reply == 0) break;
    last = link->header.next_reply;
  }
  return last;
}

WriteResult JamBase::MarkReceived(uint64_t offset, std::string_view user_name, std::string_view alias,
                                  const std::tm& now) const {
  const std::string path = File(".JHR");
  auto file = RecordFile::Open(path, RecordFile::Mode::kReadWrite);
  if (!file) return WriteResult::Failed(Failure("cannot open", path));
  core::RecordLock lock(*file, offset, kJamFixedHeaderSize, true, wait_);
  if (!lock.held()) return WriteResult::Failed(Failure("cannot lock a header of", path));
  auto message = ReadMessage(offset);
  if (!message) return WriteResult::Failed("Invalid Message - Rebuild Index!");
  JamMessageHeader& header = message->header;
  if (header.times_read != 0xFFFFFFFFu) ++header.times_read;
  const std::string to = core::UpperCase(core::Trim(message->to));
  const std::string upper_name = core::UpperCase(core::Trim(user_name));
  const std::string upper_alias = core::UpperCase(core::Trim(alias));
  const bool addressee = !to.empty() && (to == upper_name || (!upper_alias.empty() && to == upper_alias));
  if (addressee && (header.attributes & kJamAttributeRead) == 0) {
    header.attributes += kJamAttributeRead;
    header.date_received = LocalEpochSeconds(now);
  }
  if (!file->WriteAt(offset, FixedHeaderBytes(header))) {
    return WriteResult::Failed(Failure("cannot write a header of", path));
  }
  return {};
}

std::string JamBase::StoredText(const std::string& text) {
  return "\x01NOTE: This message was sent by ngFarlink32 for Win95\r" + text;
}

PostResult JamBase::WriteMessage(const JamPost& post) const {
  PostResult result;
  const std::string headers_path = File(".JHR");
  auto headers = RecordFile::Open(headers_path, RecordFile::Mode::kCreate);
  if (!headers) {
    result.error = Failure("cannot open", headers_path);
    return result;
  }
  core::RecordLock base_lock(*headers, 0, 0, true, wait_);
  if (!base_lock.held()) {
    result.error = Failure("cannot lock", headers_path);
    return result;
  }
  JamBaseHeader base;
  const uint32_t now = LocalEpochSeconds(post.now);
  if (headers->Size() == 0) {
    // A new base: created today at midnight, counter 1, numbers from 1; the post then counts.
    std::tm midnight = post.now;
    midnight.tm_hour = midnight.tm_min = midnight.tm_sec = 0;
    base.date_created = LocalEpochSeconds(midnight);
    base.mod_counter = 1;
    base.active = 0;
    base.base_number = 1;
  } else {
    std::string problem;
    auto stored = ReadBaseHeader(&problem);
    if (!stored) {
      result.error = problem + "; not posted";
      return result;
    }
    base = *stored;
  }
  base.mod_counter = base.mod_counter == 0xFFFFFFFFu ? 0 : base.mod_counter + 1;
  if (base.active != 0xFFFFFFFFu) ++base.active;

  const std::string text_path = File(".JDT");
  const std::string index_path = File(".JDX");
  auto text_file = RecordFile::Open(text_path, RecordFile::Mode::kCreate);
  auto index_file = RecordFile::Open(index_path, RecordFile::Mode::kCreate);
  if (!text_file || !index_file) {
    result.error = Failure("cannot open", text_file ? index_path : text_path);
    return result;
  }
  const std::string stored = StoredText(post.text);
  const uint64_t text_offset = text_file->Size();
  const uint64_t header_offset = std::max<uint64_t>(headers->Size(), kJamBaseHeaderSize);
  const uint64_t index_count = index_file->Size() / kJamIndexSize;
  const uint64_t number = index_count + base.base_number;
  if (text_offset + stored.size() > 0xFFFFFFFFu || header_offset > 0xFFFFFFFFu ||
      number > 0xFFFFFFFEu) {
    result.error = "the JAM base " + base_path_ + " is full; not posted";
    return result;
  }

  if (!text_file->WriteAt(text_offset, std::vector<uint8_t>(stored.begin(), stored.end()))) {
    result.error = Failure("cannot write", text_path);
    return result;
  }
  core::MemoryStream base_bytes;
  WriteJamBaseHeader(base, base_bytes);
  if (!headers->WriteAt(0, base_bytes.bytes())) {
    result.error = Failure("cannot write", headers_path);
    return result;
  }

  const std::string origin = AddressText(post.address);
  const std::vector<JamSubfield> fields = {
      {0, 0, origin},
      {1, 0, "0:0/0"},
      {2, 0, post.from},
      {3, 0, post.to},
      {4, 0, origin + " " + LowerHex(now)},
      {6, 0, post.subject},
      {7, 0, "ngVX32 " + post.version},
  };
  JamMessageHeader header;
  header.revision = 1;
  header.reserved = 1;
  for (const JamSubfield& field : fields) header.subfield_length += 8 + static_cast<uint32_t>(field.data.size());
  header.reply_to = post.reply_to;
  header.date_written = now;
  header.number = static_cast<uint32_t>(number);
  header.attributes = post.attributes;
  header.text_offset = static_cast<uint32_t>(text_offset);
  header.text_length = static_cast<uint32_t>(stored.size());
  core::MemoryStream record;
  WriteJamMessageHeader(header, record);
  for (const JamSubfield& field : fields) WriteJamSubfield(field, record);
  if (!headers->WriteAt(header_offset, record.bytes())) {
    result.error = Failure("cannot write", headers_path);
    return result;
  }

  core::MemoryStream entry;
  WriteJamIndexRecord(JamIndexRecord{NameCrc(post.to), static_cast<uint32_t>(header_offset)}, entry);
  if (!index_file->WriteAt(index_count * kJamIndexSize, entry.bytes())) {
    result.error = Failure("cannot write", index_path);
    return result;
  }
  if (post.link_reply && post.reply_to != 0) {
    const WriteResult link = LinkReply(*headers, post, static_cast<uint32_t>(number));
    if (!link.ok) result.link_problem = link.error;
  }
  result.ok = true;
  result.number = static_cast<uint32_t>(number);
  result.header_index = header_offset;
  return result;
}

WriteResult JamBase::LinkReply(RecordFile& headers, const JamPost& post, uint32_t number) const {
  const std::string path = File(".JHR");
  std::string problem;
  const auto replied = ReadMessageNumber(post.reply_to, &problem);
  if (!replied) return WriteResult::Failed(problem + "; the reply link is not set");
  if (post.replied_offset && replied->offset != *post.replied_offset) {
    return WriteResult::Failed("message #" + std::to_string(post.reply_to) +
                               " is no longer where it was read; the reply link is not set");
  }
  // The chain's last message: the replied message's first reply, then the next replies. A chain
  // that loops or names a message that is not there is left as it is.
  uint64_t link_offset = replied->offset + kJamFirstReplyOffset;
  uint32_t current = replied->header.first_reply;
  std::set<uint32_t> seen{post.reply_to, number};
  while (current != 0) {
    if (!seen.insert(current).second) {
      return WriteResult::Failed("the reply chain of message #" + std::to_string(post.reply_to) +
                                 " loops at #" + std::to_string(current) +
                                 "; the reply link is not set");
    }
    const auto link = ReadMessageNumber(current, &problem);
    if (!link) {
      return WriteResult::Failed("the reply chain of message #" + std::to_string(post.reply_to) +
                                 " names #" + std::to_string(current) + ": " + problem +
                                 "; the reply link is not set");
    }
    link_offset = link->offset + kJamNextReplyOffset;
    current = link->header.next_reply;
  }
  // The link field alone: whatever else the header holds stays as it is.
  const std::vector<uint8_t> field = {
      static_cast<uint8_t>(number), static_cast<uint8_t>(number >> 8),
      static_cast<uint8_t>(number >> 16), static_cast<uint8_t>(number >> 24)};
  if (!headers.WriteAt(link_offset, field)) {
    return WriteResult::Failed(Failure("cannot write a header of", path));
  }
  return {};
}

WriteResult JamBase::SetReplyLink(uint32_t number, Link link, uint32_t value) const {
  const std::string path = File(".JHR");
  auto file = RecordFile::Open(path, RecordFile::Mode::kReadWrite);
  if (!file) return WriteResult::Failed(Failure("cannot open", path));
  core::RecordLock base_lock(*file, 0, 0, true, wait_);
  if (!base_lock.held()) return WriteResult::Failed(Failure("cannot lock", path));
  std::string problem;
  auto message = ReadMessageNumber(number, &problem);
  if (!message) return WriteResult::Failed(problem + "; its reply link is not set");
  JamMessageHeader& header = message->header;
  (link == Link::kFirstReply ? header.first_reply : header.next_reply) = value;
  if (!file->WriteAt(message->offset, FixedHeaderBytes(header))) {
    return WriteResult::Failed(Failure("cannot write a header of", path));
  }
  return {};
}

}  // namespace vx::messages
