// A JAM message base: four files sharing a base path (.JHR headers, .JDX index, .JDT text, .JLR
// lastread records), shared by the nodes and the mail tossers. Reading, the lastread lookup, reply
// chains, the received marking, appending a message and setting reply links.
//
// Every length and offset read from the base is checked against the files: an index entry of all
// ones, inside the base header or past the end of .JHR is no message; a header whose signature is
// wrong is reported and skipped; subfields and texts are cut at the end of their file; a reply
// chain that loops ends. Message n is found at index record n - base number. Writers coordinate
// with an open-file-description lock on the whole of .JHR held for a whole append or link update,
// and write in the order readers that take no lock expect (text, base header, header, index).
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/config.h"
#include "core/record_stream.h"
#include "core/user_base.h"
#include "messages/hudson_base.h"
#include "messages/jam_records.h"
#include "platform/environment.h"

namespace vx::messages {

inline constexpr uint32_t kJamAttributeRead = 8;
inline constexpr uint32_t kJamAttributePrivate = 4;
inline constexpr uint32_t kJamAttributeDeleted = 0x80000000u;

// A message header as read: the fixed part, where it is, and the subfields the node keeps.
struct JamMessage {
  uint64_t offset = 0;  // of the header in .JHR
  JamMessageHeader header;
  std::string from, to, subject;
};

struct JamPost {
  std::string from, to, subject;
  std::string text;  // lines ended by CR
  uint32_t attributes = 0;
  uint32_t reply_to = 0;
  // A reply is put at the end of message `reply_to`'s reply chain (its first reply, or the next
  // reply of the chain's last message) under the append's lock, once it is stored, with the
  // number it got. `replied_offset`, when known, is where the replied header was read: the link
  // is set only while that header is still message `reply_to`.
  bool link_reply = false;
  std::optional<uint64_t> replied_offset;
  core::NetAddress address;  // the area's address
  std::tm now{};             // local date and time of the post
  std::string version;       // the program's version, for the PID subfield
};

class JamBase {
 public:
  enum class Link { kFirstReply, kNextReply };

  // `base_path` is the area's JAM base path (DOS or host path, without extension).
  JamBase(std::string base_path, const platform::Environment& env, core::LockWait wait = {});

  // The checksum of a name in JAM's index and lastread records: CRC-32 of the name with the
  // letters A to Z lower-cased, register starting at all ones, no final inversion.
  static uint32_t NameCrc(std::string_view name);

  // The base header; nullopt when .JHR is missing, shorter than 1024 bytes or its signature is
  // wrong (`problem` says which).
  std::optional<JamBaseHeader> ReadBaseHeader(std::string* problem = nullptr) const;
  // .JDX whole.
  std::vector<JamIndexRecord> ReadIndex() const;
  // The index records from record `first` (0-based) on whose receiver checksum is one of
  // `receivers` and whose header offset can name a header: (record, header offset) pairs. .JDX is
  // read in pieces, so a big base needs no more memory than a small one.
  std::vector<std::pair<uint64_t, uint32_t>> FindReceivers(const std::vector<uint32_t>& receivers,
                                                           uint64_t first) const;
  uint64_t IndexCount() const;
  // Where the header of message `number` is; nullopt when there is no such message.
  std::optional<uint64_t> HeaderOffset(uint32_t number) const;
  // The header at `offset`, with its sender, receiver and subject; nullopt (and `problem`) for a
  // wrong signature or an offset outside the headers.
  std::optional<JamMessage> ReadMessage(uint64_t offset, std::string* problem = nullptr) const;
  std::optional<JamMessage> ReadMessageNumber(uint32_t number, std::string* problem = nullptr) const;
  // The headers at `offsets`, read with one opening of .JHR (a scan reads many); `problems`, when
  // given, gets what was wrong with each one that is nullopt.
  std::vector<std::optional<JamMessage>> ReadMessages(
      const std::vector<uint64_t>& offsets, std::vector<std::string>* problems = nullptr) const;
  // The text of a message, as far as .JDT holds it.
  std::string ReadText(const JamMessageHeader& header) const;

  // The first lastread record of the user with this name checksum.
  std::optional<JamLastRead> FindLastRead(uint32_t user_crc) const;

  // The message in the reply chain that starts at `first` whose link points at `target`: `first`
  // itself when its first reply is `target`, else the message along the next-reply links whose
  // next reply is `target`; 0 when none.
  uint32_t FindReplyPredecessor(uint32_t first, uint32_t target) const;
  // The last message of message `number`'s reply chain (its first reply, then next replies); 0
  // when it has no reply.
  uint32_t FindLastReply(uint32_t number) const;

  // The message at `offset` is being shown: times read rises; addressed to the caller (user name
  // or alias, in upper case) and not yet read, it gets the read attribute and the date received.
  core::WriteResult MarkReceived(uint64_t offset, std::string_view user_name, std::string_view alias,
                                 const std::tm& now) const;

  // Appends a message. An empty .JHR gets its base header first; a damaged one refuses the post.
  // A reply's link is skipped (and `link_problem` says why) when the replied header is not the
  // one read, or its chain is broken or loops.
  PostResult WriteMessage(const JamPost& post) const;
  // Sets a reply link of message `number` to `value`, after checking that the header is whole
  // and still that message's.
  core::WriteResult SetReplyLink(uint32_t number, Link link, uint32_t value) const;

  static std::string StoredText(const std::string& text);

  // Whether an index record's header offset can name a header in a .JHR of `headers_size` bytes.
  static bool ValidOffset(uint32_t offset, uint64_t headers_size);
  // The size of .JHR now (0 when it cannot be read).
  uint64_t HeadersSize() const;
  const std::string& base_path() const { return base_path_; }

 private:
  std::string File(const char* extension) const;
  // Puts message `number` at the end of `post.reply_to`'s reply chain; .JHR (open as `headers`)
  // is locked by the caller.
  core::WriteResult LinkReply(core::RecordFile& headers, const JamPost& post,
                              uint32_t number) const;

  std::string base_path_;
  const platform::Environment& env_;
  core::LockWait wait_;
};

}  // namespace vx::messages
