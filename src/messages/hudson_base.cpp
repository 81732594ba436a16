// The Hudson message base.
#include "messages/hudson_base.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/text.h"
#include "messages/message_time.h"
#include "platform/dos_path.h"

namespace vx::messages {

namespace {

constexpr uint8_t kAttributeReceived = 16;
constexpr int kBlockText = 255;  // characters of text in one 256-byte block
constexpr long kMaxNumber = 32767;
constexpr long kMaxBlock = 65535;

using core::RecordFile;
using core::WriteResult;

std::string Failure(const std::string& what, const std::string& path) {
  return what + " " + path + ": " + std::strerror(errno);
}

std::vector<uint8_t> HeaderBytes(const HudsonHeader& header) {
  core::MemoryStream out;
  WriteHudsonHeader(header, out);
  out.bytes().resize(kHudsonHeaderSize, 0);
  return std::move(out.bytes());
}

std::vector<uint8_t> NameEntry(std::string_view name) {
  core::MemoryStream out;
  out.WritePascalString(name, 35);
  return std::move(out.bytes());
}

// An upper-cased name compared with a String[35] entry of msgtoidx.bbs in place (a length byte
// above 35 counts as 35). The length and the first letter settle most entries at once.
inline bool EntryEquals(const uint8_t* entry, std::string_view upper_name) {
  const auto upper = [](uint8_t c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : static_cast<char>(c);
  };
  const size_t length = entry[0] > 35 ? 35 : entry[0];
  if (length != upper_name.size() || length == 0 || upper(entry[1]) != upper_name[0]) return false;
  for (size_t i = 1; i < length; ++i) {
    if (upper(entry[1 + i]) != upper_name[i]) return false;
  }
  return true;
}

uint16_t Increment(uint16_t value) { return value == 65535 ? value : static_cast<uint16_t>(value + 1); }

}  // namespace

HudsonBase::HudsonBase(std::string directory, const platform::Environment& env, core::LockWait wait)
    : directory_(std::move(directory)), env_(env), wait_(std::move(wait)) {}

std::string HudsonBase::File(const char* name) const {
  return platform::HostPath(directory_ + name, env_);
}

HudsonInfo HudsonBase::ReadInfo(std::string* problem) const {
  auto file = RecordFile::Open(File("msginfo.bbs"), RecordFile::Mode::kRead);
  if (!file) {
    if (problem) *problem = "msginfo.bbs cannot be read; the message counts read as 0";
    return {};
  }
  HudsonInfo info = ReadHudsonInfo(*file);
  if (file->short_read() && problem) {
    *problem = "msginfo.bbs is " + std::to_string(file->Size()) + " bytes instead of " +
               std::to_string(kHudsonInfoSize) + "; the missing counts read as 0";
  }
  return info;
}

uint64_t HudsonBase::HeaderCount() const {
  auto file = RecordFile::Open(File("msghdr.bbs"), RecordFile::Mode::kRead);
  return file ? file->Size() / kHudsonHeaderSize : 0;
}

std::optional<HudsonHeader> HudsonBase::ReadHeader(uint64_t index) const {
  return ReadHeaders({index}).front();
}

std::vector<std::optional<HudsonHeader>> HudsonBase::ReadHeaders(
    const std::vector<uint64_t>& indexes) const {
  std::vector<std::optional<HudsonHeader>> headers(indexes.size());
  auto file = RecordFile::Open(File("msghdr.bbs"), RecordFile::Mode::kRead);
  if (!file) return headers;
  const uint64_t size = file->Size();
  for (size_t i = 0; i < indexes.size(); ++i) {
    if (indexes[i] >= size / kHudsonHeaderSize) continue;
    // One read per header; the fields are taken from memory.
    file->Seek(indexes[i] * kHudsonHeaderSize);
    core::MemoryStream record(file->ReadRaw(kHudsonHeaderSize));
    headers[i] = ReadHudsonHeader(record);
  }
  return headers;
}

std::string HudsonBase::ReadText(const HudsonHeader& header) const {
  auto file = RecordFile::Open(File("msgtxt.bbs"), RecordFile::Mode::kRead);
  if (!file) return {};
  std::string text;
  const uint64_t size = file->Size();
  for (uint64_t b = header.start_block; b < uint64_t{header.start_block} + header.block_count; ++b) {
    if ((b + 1) * kHudsonTextBlockSize > size) break;  // past the end: the text that exists
    file->Seek(b * kHudsonTextBlockSize);
    text += file->ReadPascalString(kBlockText);
  }
  return text;
}

std::vector<HudsonIndexEntry> HudsonBase::ReadIndex() const {
  std::vector<HudsonIndexEntry> entries;
  auto bytes = core::ReadWholeFile(File("msgidx.bbs"));
  if (!bytes) return entries;
  core::MemoryStream in(std::move(*bytes));
  const uint64_t count = in.Size() / kHudsonIndexSize;
  entries.reserve(count);
  for (uint64_t k = 0; k < count; ++k) entries.push_back(ReadHudsonIndexEntry(in));
  return entries;
}

std::optional<uint64_t> HudsonBase::FindMessage(int number) const {
  if (number <= 0) return std::nullopt;
  auto file = RecordFile::Open(File("msgidx.bbs"), RecordFile::Mode::kRead);
  if (!file) return std::nullopt;
  const uint64_t count = std::min(file->Size() / kHudsonIndexSize, HeaderCount());
  const uint64_t guess = static_cast<uint64_t>(number) - 1;
  if (guess < count) {
    file->Seek(guess * kHudsonIndexSize);
    if (ReadHudsonIndexEntry(*file).number == number) return guess;
  }
  const std::vector<HudsonIndexEntry> entries = ReadIndex();
  for (uint64_t k = 0; k < std::min<uint64_t>(count, entries.size()); ++k) {
    if (entries[k].number == number) return k;
  }
  return std::nullopt;
}

std::vector<uint64_t> HudsonBase::FindPersonal(std::string_view name, std::string_view alias) const {
  std::vector<uint64_t> found;
  const std::string upper_name = core::UpperCase(core::Trim(name));
  const std::string upper_alias = core::UpperCase(core::Trim(alias));
  auto file = RecordFile::Open(File("msgtoidx.bbs"), RecordFile::Mode::kRead);
  if (!file) return found;
  // Read in pieces of whole entries, so that a big base needs no more memory than a small one.
  constexpr size_t kEntriesPerPiece = 1820;
  std::vector<uint8_t> piece(kEntriesPerPiece * kHudsonToIndexSize);
  uint64_t k = 0;
  for (;;) {
    const size_t got = file->ReadBytes(piece.data(), piece.size());
    const size_t entries = got / kHudsonToIndexSize;
    for (size_t e = 0; e < entries; ++e, ++k) {
      const uint8_t* entry = piece.data() + e * kHudsonToIndexSize;
      if ((!upper_name.empty() && EntryEquals(entry, upper_name)) ||
          (!upper_alias.empty() && EntryEquals(entry, upper_alias))) {
        found.push_back(k);
      }
    }
    if (got < piece.size()) break;
  }
  return found;
}

WriteResult HudsonBase::MarkReceived(uint64_t index, std::string_view user_name,
                                     std::string_view alias) const {
  const std::string header_path = File("msghdr.bbs");
  auto headers = RecordFile::Open(header_path, RecordFile::Mode::kReadWrite);
  if (!headers) return WriteResult::Failed(Failure("cannot open", header_path));
  const uint64_t offset = index * kHudsonHeaderSize;
  core::RecordLock lock(*headers, offset, kHudsonHeaderSize, true, wait_);
  if (!lock.held()) return WriteResult::Failed(Failure("cannot lock a header of", header_path));
  if (offset + kHudsonHeaderSize > headers->Size()) return WriteResult::Failed("no header " + std::to_string(index));
  headers->Seek(offset);
  HudsonHeader header = ReadHudsonHeader(*headers);
  header.times_read = Increment(header.times_read);
  const std::string to = core::UpperCase(core::Trim(header.to));
  const std::string upper_name = core::UpperCase(core::Trim(user_name));
  const std::string upper_alias = core::UpperCase(core::Trim(alias));
  const bool addressee = !to.empty() && (to == upper_name || (!upper_alias.empty() && to == upper_alias));
  if (addressee) header.attributes |= kAttributeReceived;
  if (!headers->WriteAt(offset, HeaderBytes(header))) {
    return WriteResult::Failed(Failure("cannot write a header of", header_path));
  }
  if (!addressee) return {};
  const std::string to_path = File("msgtoidx.bbs");
  auto names = RecordFile::Open(to_path, RecordFile::Mode::kReadWrite);
  if (!names) return WriteResult::Failed(Failure("cannot open", to_path));
  // A shorter msgtoidx.bbs is out of step with the headers: it is not lengthened to mark one.
  if ((index + 1) * kHudsonToIndexSize > names->Size()) {
    return WriteResult::Failed(to_path + " has no entry " + std::to_string(index + 1) +
                               "; the received mark is not written");
  }
  if (!names->WriteAt(index * kHudsonToIndexSize, NameEntry(kReceivedMark))) {
    return WriteResult::Failed(Failure("cannot write an entry of", to_path));
  }
  return {};
}

std::string HudsonBase::StoredText(const HudsonPost& post) {
  const std::string msgid = AddressText(post.address) + " " + LowerHex(LocalEpochSeconds(post.now));
  return "\x01MSGID: " + msgid + "\r" + "\x01PID: ngVX32 " + post.version + "\r" +
         "\x01NOTE: This message was sent by ngFarlink32 for Win95\r" + post.text;
}

PostResult HudsonBase::WriteMessage(const HudsonPost& post) const {
  PostResult result;
  if (post.board < 1 || post.board > kHudsonBoards) {
    result.error = "Hudson board " + std::to_string(post.board) + " is outside 1 to 200; not posted";
    return result;
  }
  const std::string stored = StoredText(post);
  const size_t block_count = (stored.size() + kBlockText - 1) / kBlockText;

  const std::string info_path = File("msginfo.bbs");
  auto info_file = RecordFile::Open(info_path, RecordFile::Mode::kCreate);
  if (!info_file) {
    result.error = Failure("cannot open", info_path);
    return result;
  }
  core::RecordLock base_lock(*info_file, 0, 0, true, wait_);
  if (!base_lock.held()) {
    result.error = Failure("cannot lock", info_path);
    return result;
  }
  info_file->Seek(0);
  HudsonInfo info = ReadHudsonInfo(*info_file);
  const long number = long{info.high} + 1;
  if (number > kMaxNumber) {
    result.error = "the Hudson base has used up its message numbers (highest " +
                   std::to_string(info.high) + "); not posted";
    return result;
  }

  auto open = [&](const char* name, std::optional<RecordFile>& file, std::string& path) {
    path = File(name);
    file = RecordFile::Open(path, RecordFile::Mode::kCreate);
    if (!file) result.error = Failure("cannot open", path);
    return file.has_value();
  };
  std::optional<RecordFile> headers, text, index, names;
  std::string header_path, text_path, index_path, names_path;
  if (!open("msghdr.bbs", headers, header_path) || !open("msgtxt.bbs", text, text_path) ||
      !open("msgidx.bbs", index, index_path) || !open("msgtoidx.bbs", names, names_path)) {
    return result;
  }
  const uint64_t k = headers->Size() / kHudsonHeaderSize;
  // A partial block at the end of msgtxt.bbs is left alone: the new text starts on a whole block.
  const uint64_t start_block = (text->Size() + kHudsonTextBlockSize - 1) / kHudsonTextBlockSize;
  if (start_block > kMaxBlock || block_count > kMaxBlock) {
    result.error = "msgtxt.bbs is full (its 16-bit block numbers are used up); not posted";
    return result;
  }

  core::MemoryStream entry;
  WriteHudsonIndexEntry(HudsonIndexEntry{static_cast<int16_t>(number), static_cast<uint8_t>(post.board)},
                        entry);
  if (!index->WriteAt(k * kHudsonIndexSize, entry.bytes())) {
    result.error = Failure("cannot write", index_path);
    return result;
  }

  core::MemoryStream blocks;
  for (size_t b = 0; b < block_count; ++b) {
    blocks.WritePascalString(std::string_view(stored).substr(b * kBlockText, kBlockText), kBlockText);
  }
  if (!text->WriteAt(start_block * kHudsonTextBlockSize, blocks.bytes())) {
    result.error = Failure("cannot write", text_path);
    return result;
  }

  HudsonHeader header;
  header.number = static_cast<int16_t>(number);
  header.prev_reply = static_cast<uint16_t>(std::clamp(post.reply_to, 0, 65535));
  header.start_block = static_cast<uint16_t>(start_block);
  header.block_count = static_cast<uint16_t>(block_count);
  header.orig_net = post.address.net;
  header.orig_node = post.address.node;
  header.orig_zone = static_cast<uint8_t>(post.address.zone);
  header.attributes = post.attributes;
  header.board = static_cast<uint8_t>(post.board);
  char time[32];
  std::snprintf(time, sizeof time, "%02d:%02d", post.now.tm_hour, post.now.tm_min);
  header.time = time;
  char date[40];
  std::snprintf(date, sizeof date, "%02d-%02d-%02d", post.now.tm_mon + 1, post.now.tm_mday,
                post.now.tm_year % 100);
  header.date = date;
  header.to = post.to;
  header.from = post.from;
  header.subject = post.subject;
  if (!headers->WriteAt(k * kHudsonHeaderSize, HeaderBytes(header))) {
    result.error = Failure("cannot write", header_path);
    return result;
  }
  if (!names->WriteAt(k * kHudsonToIndexSize, NameEntry(post.to))) {
    result.error = Failure("cannot write", names_path);
    return result;
  }

  info.high = static_cast<uint16_t>(number);
  info.active = Increment(info.active);
  info.board_active[static_cast<size_t>(post.board - 1)] =
      Increment(info.board_active[static_cast<size_t>(post.board - 1)]);
  core::MemoryStream counters;
  WriteHudsonInfo(info, counters);
  if (!info_file->WriteAt(0, counters.bytes())) {
    result.error = Failure("cannot write", info_path);
    return result;
  }
  if (post.link_header) {
    const WriteResult link =
        LinkUnderLock(*post.link_header, post.reply_to, static_cast<int>(number));
    if (!link.ok) result.link_problem = link.error;
  }
  result.ok = true;
  result.number = static_cast<uint32_t>(number);
  result.header_index = k;
  return result;
}

WriteResult HudsonBase::SetNextReply(uint64_t index, int expected_number, int next) const {
  const std::string info_path = File("msginfo.bbs");
  auto info_file = RecordFile::Open(info_path, RecordFile::Mode::kCreate);
  if (!info_file) return WriteResult::Failed(Failure("cannot open", info_path));
  core::RecordLock base_lock(*info_file, 0, 0, true, wait_);
  if (!base_lock.held()) return WriteResult::Failed(Failure("cannot lock", info_path));
  return LinkUnderLock(index, expected_number, next);
}

WriteResult HudsonBase::LinkUnderLock(uint64_t index, int expected_number, int next) const {
  const std::string header_path = File("msghdr.bbs");
  auto headers = RecordFile::Open(header_path, RecordFile::Mode::kReadWrite);
  if (!headers) return WriteResult::Failed(Failure("cannot open", header_path));
  const uint64_t offset = index * kHudsonHeaderSize;
  if (offset + kHudsonHeaderSize > headers->Size()) {
    return WriteResult::Failed("the header of message #" + std::to_string(expected_number) +
                               " is gone; its reply link is not set");
  }
  headers->Seek(offset);
  const HudsonHeader header = ReadHudsonHeader(*headers);
  if (header.number != expected_number) {
    return WriteResult::Failed("the header of message #" + std::to_string(expected_number) +
                               " holds another message now; its reply link is not set");
  }
  // The next-reply word alone: whatever else the header holds stays as it is.
  const uint16_t value = static_cast<uint16_t>(std::clamp(next, 0, 65535));
  const std::vector<uint8_t> field = {static_cast<uint8_t>(value & 0xFF),
                                      static_cast<uint8_t>(value >> 8)};
  if (!headers->WriteAt(offset + 4, field)) {
    return WriteResult::Failed(Failure("cannot write a header of", header_path));
  }
  return {};
}

}  // namespace vx::messages
