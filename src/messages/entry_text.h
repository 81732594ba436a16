// The text of a new message as the caller writes it: with the external editor named in the
// configuration, run as a door on the caller's line with MSGINF and MSGTMP in the node directory,
// or, when no editor is named (or it cannot run), with the line editor (up to 100 lines, no
// exchange files, a reply starting empty).
//
// Nothing is taken that the caller did not write: MSGTMP must be a regular file, differ from the
// quote the node put there, hold more than blanks and be at most 1 MB, and the caller must still
// be on the line. An editor that could not start, or a node directory that another running node
// uses, falls back to the line editor, with a log line.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "messages/exchange_files.h"
#include "messages/message_reader.h"
#include "session/node_session.h"

namespace vx::messages {

struct EditorRun {
  bool started = false;
  std::string error;      // why it could not be started
  bool end_call = false;  // the line dropped, or the node was told to end, while it ran
};
// Runs the editor's command line as a door on the caller's line, in the node directory, and waits
// for it. The program's entry provides it; empty, the line editor is used.
using EditorRunner = std::function<EditorRun(const std::string& command_line)>;

// The lines of the line editor for a message.
inline constexpr int kMessageLines = 100;

// The text as written (line ends and all as the editor left them), or nullopt when the caller
// wrote nothing to store. Ends the call when the caller is gone after the editor.
std::optional<std::string> WriteMessageText(session::NodeSession& session,
                                            const EditorRunner& editor, const MessageInfo& info,
                                            const Message* replied);

}  // namespace vx::messages
