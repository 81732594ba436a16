// The message reader: one message shown with its header (ShowMessage), the prompt after it with
// its seventeen fixed key positions (ReaderPrompt), and the two in a loop that follows reply links
// and hands replies to message entry (ReadLoop). The read function and the personal-mail scan walk
// their lists of messages through ReadList.
//
// A message is shown only when it exists, is not deleted and is not private to others (a private
// message is for its addressee and its sender, by user name or handle). Showing it marks it: its
// times-read count rises, and when it is addressed to the caller it is marked received. Its text
// comes from other callers and systems and is shown as stored text (terminal/stored_text.h).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/area_records.h"
#include "session/node_session.h"

namespace vx::messages {

enum class BaseKind : uint8_t { kHudson, kJam };

// The area a message is read in: its number (a Hudson board) and its record.
struct ReadingArea {
  uint32_t number = 0;
  core::MessageAreaRecord record;
  BaseKind base() const { return record.IsJam() ? BaseKind::kJam : BaseKind::kHudson; }
};

// A message of an area: its number and, when the caller knows it, where its header is (a Hudson
// header index in msghdr.bbs, a JAM header offset in .JHR); otherwise it is looked up by number.
struct MessageRef {
  BaseKind base = BaseKind::kHudson;
  uint32_t number = 0;
  std::optional<uint64_t> header;
};

// The message being read.
struct Message {
  ReadingArea area;
  MessageRef ref;  // with the header's place filled in
  uint32_t attributes = 0;
  uint32_t reply_to = 0;     // the message this one answers
  uint32_t next_reply = 0;   // the next answer to the same message
  uint32_t first_reply = 0;  // JAM: the first answer to this one
  uint32_t predecessor = 0;  // JAM: the message whose link points at this one
  std::string from, to, subject;
  std::string date, time;  // "MM-DD-YY", "hh:mm"
  std::string text;
};

// Reader prompt positions.
inline constexpr int kReadNext = 1;
inline constexpr int kReadAgain = 2;
inline constexpr int kReadPrevious = 3;
inline constexpr int kReadReply = 4;
inline constexpr int kReadEnter = 5;
inline constexpr int kReadStop = 6;
inline constexpr int kReadHelp = 7;
inline constexpr int kReadNextReply = 14;    // "+"
inline constexpr int kReadPredecessor = 15;  // "-"
inline constexpr int kReadFirstReply = 16;   // ">"
inline constexpr int kReadRepliedTo = 17;    // "<"

// Message entry for the message being read: `mode` is kReadReply (a reply) or kReadEnter (the
// second entry mode). The message-entry layer provides it; empty, the reader says that message
// entry is not available and goes on.
using MessageEntry = std::function<void(int mode, const Message& message)>;

// Finds, checks, marks and reads a message without showing it; nullopt when it is not to be shown.
std::optional<Message> OpenMessage(session::NodeSession& session, const ReadingArea& area,
                                   const MessageRef& ref);
// The screen of a message: its header lines, its links and its text.
void DisplayMessage(session::NodeSession& session, const Message& message);
// OpenMessage, then DisplayMessage.
std::optional<Message> ShowMessage(session::NodeSession& session, const ReadingArea& area,
                                   const MessageRef& ref);

// The prompt after a message; the 1-based position of the key pressed (see the table in
// message_reader.cpp).
int ReaderPrompt(session::NodeSession& session, const Message& message);

struct ReadLoopResult {
  bool shown = false;      // false: the message was not shown (deleted, private, missing)
  int action = 0;          // kReadNext, kReadPrevious, kReadStop or kReadHelp
  bool left_list = false;  // a link key took the reader to a message outside the caller's list
};
ReadLoopResult ReadLoop(session::NodeSession& session, const ReadingArea& area,
                        const MessageRef& ref, const MessageEntry& entry);

// Reads the messages 0 .. count - 1 of a list from `first` on: kReadNext and kReadHelp go on with
// the next one, kReadPrevious goes back to the one shown before it, kReadStop ends. Messages that
// are not shown are passed over in the direction of travel. `read(i)` runs the reader loop for
// message i.
void ReadList(size_t count, size_t first, const std::function<ReadLoopResult(size_t)>& read);

}  // namespace vx::messages
