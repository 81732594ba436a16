// The files message entry exchanges with the external editor, in the node directory:
//
//   MSGINF  text lines ended by CR LF: 1 the sender, 2 the addressee, 3 the subject, 4 the number
//           the message will get, 5 the area name, 6 "YES" for a private message (flag 1), "NO"
//           for flag 2; no sixth line otherwise.
//   MSGTMP  the message text: the quote of a reply when the editor starts, what the caller wrote
//           when it ends.
//
// The node writes them as new files (never through a link that is already there) and reads
// MSGTMP back with care: the editor runs the caller's keys, so the file may be anything.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/user_base.h"

namespace vx::messages {

inline constexpr const char* kMessageInfoFile = "MSGINF";
inline constexpr const char* kMessageTextFile = "MSGTMP";
// The largest text taken back from the editor.
inline constexpr size_t kMaxEditedText = 1024 * 1024;

struct MessageInfo {
  std::string from, to, subject;
  uint32_t number = 0;
  std::string area_name;
  int private_flag = 0;  // 1 private, 2 public as asked, 0 not asked
};

std::string MessageInfoText(const MessageInfo& info);

// Writes `bytes` as a new file at `host_path`, replacing what is there (a link is replaced, not
// followed).
core::WriteResult WriteExchangeFile(const std::string& host_path, std::string_view bytes);
// Removes the file when it is there.
core::WriteResult RemoveExchangeFile(const std::string& host_path);

// MSGTMP after the editor ended.
enum class EditedStatus {
  kWritten,     // a text to store
  kMissing,     // no MSGTMP: the editor was left without saving
  kNotAFile,    // MSGTMP is a link, a directory or another special file
  kUnchanged,   // MSGTMP holds exactly what the node wrote into it
  kBlank,       // nothing but blanks and line ends
  kTooLarge,    // more than the limit
  kUnreadable,  // it could not be read
};
struct EditedText {
  EditedStatus status = EditedStatus::kMissing;
  std::string text;     // kWritten: the bytes as the editor left them
  std::string problem;  // what was wrong, for the log
};
// `written` is what the node put into MSGTMP before the editor started (empty: nothing).
EditedText ReadEditedText(const std::string& host_path, std::string_view written,
                          size_t limit = kMaxEditedText);

}  // namespace vx::messages
