// The Hudson message base: five files in the message base directory shared by every Hudson area
// (told apart by board numbers 1 to 200), every node and the DOS tools. Reading, the personal-mail
// search, the received marking, appending a message and linking a reply.
//
// Every read is bounded by the files as they are: a short or damaged file reads as what is there
// (zeros beyond it), a start block or block count past the end of msgtxt.bbs gives the text that
// exists. Writers coordinate with an open-file-description lock on the whole of msginfo.bbs (the
// base lock), held for a whole append, so that two nodes posting at the same moment never get the
// same number or overwrite each other's entries; each record is written whole with one write, in
// the order DOS readers that take no lock expect (index, text, header, addressee, counters).
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
#include "messages/hudson_records.h"
#include "platform/environment.h"

namespace vx::messages {

inline constexpr const char* kReceivedMark = " * Received * ";

// A message to append.
struct HudsonPost {
  std::string from, to, subject;
  std::string text;  // lines ended by CR; the kludge lines are put in front of it
  uint8_t attributes = 0;
  int board = 0;     // 1..200
  int reply_to = 0;  // the number of the message answered, 0 for a new thread
  // A reply's link: the header (0-based) of message `reply_to` whose next-reply field gets the
  // new message's number, set under the append's lock once the message is stored.
  std::optional<uint64_t> link_header;
  core::NetAddress address;  // the area's address
  std::tm now{};             // local date and time of the post
  std::string version;       // the program's version, for the PID kludge
};

struct PostResult {
  bool ok = false;
  std::string error;
  uint32_t number = 0;        // the new message's number
  uint64_t header_index = 0;  // its header (0-based) in msghdr.bbs
  // Why a reply's link was not set (the message itself is stored); empty when it was, or when
  // none was asked for.
  std::string link_problem;
};

class HudsonBase {
 public:
  // `directory` is the message base directory as configured (a DOS or host path ending in its
  // separator).
  HudsonBase(std::string directory, const platform::Environment& env, core::LockWait wait = {});

  // msginfo.bbs (zeros for a missing or short file; `problem` says what was wrong).
  HudsonInfo ReadInfo(std::string* problem = nullptr) const;
  // Headers in msghdr.bbs.
  uint64_t HeaderCount() const;
  std::optional<HudsonHeader> ReadHeader(uint64_t index) const;  // 0-based
  // The headers at `indexes`, read with one opening of msghdr.bbs (a scan reads many); nullopt for
  // an index past the end.
  std::vector<std::optional<HudsonHeader>> ReadHeaders(const std::vector<uint64_t>& indexes) const;
  // The text of a message: its blocks, each a String[255], as far as msgtxt.bbs holds them.
  std::string ReadText(const HudsonHeader& header) const;
  // The header index of message `number`: msgidx.bbs is tried first at the entry the number
  // points to, then entry by entry.
  std::optional<uint64_t> FindMessage(int number) const;
  // msgidx.bbs whole (entry k belongs to header k).
  std::vector<HudsonIndexEntry> ReadIndex() const;

  // The header indexes of every message addressed to `name` or `alias` (compared in upper case,
  // whole names) and not yet received. An empty name or alias matches nothing, so a caller
  // without a handle does not match empty entries.
  std::vector<uint64_t> FindPersonal(std::string_view name, std::string_view alias) const;

  // The message at `index` is being shown to a caller: its times-read count rises, and when it
  // is addressed to the caller (`to` equal to the user name or alias, in upper case) it is marked
  // received (attribute bit 4, and " * Received * " in msgtoidx.bbs).
  core::WriteResult MarkReceived(uint64_t index, std::string_view user_name,
                                 std::string_view alias) const;

  // Appends a message. Refused, with nothing written, for a board outside 1 to 200, a number
  // past the 16-bit field or text blocks past the 16-bit start block. A reply's link
  // (`link_header`) is set last, under the same lock, to the number the message got.
  PostResult WriteMessage(const HudsonPost& post) const;
  // Sets the next-reply field of the header at `index` to `next`, after checking that the header
  // there is still message `expected_number`. Only that field is written.
  core::WriteResult SetNextReply(uint64_t index, int expected_number, int next) const;

  // The stored text of a post: the kludge lines, then the caller's text.
  static std::string StoredText(const HudsonPost& post);

 private:
  std::string File(const char* name) const;
  // SetNextReply on msghdr.bbs, with the base lock held by the caller.
  core::WriteResult LinkUnderLock(uint64_t index, int expected_number, int next) const;

  std::string directory_;
  const platform::Environment& env_;
  core::LockWait wait_;
};

}  // namespace vx::messages
