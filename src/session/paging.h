// Paging the sysop and chatting with the caller. The page window rings (a sound file of PAGE.VX
// played by an external player, or the terminal bell once a second) and counts down; the sysop
// accepts or declines; accepted, the chat window opens. The sysop can also open a chat at any time
// (a forced chat).
//
// Chat text is caller text: only printable characters (code page 437 graphics included) and the
// editing keys are echoed, no code is ever acted on, and what the caller types while a page or chat
// is open never becomes keys for the menu afterwards. Chat keys count as activity.
#pragma once

#include <optional>
#include <string>

#include "session/node_session.h"

namespace vx::session {

inline constexpr size_t kChatBoxLimit = 1024;

// The page of menu type 11: the reason when the page-reason setting asks for one, the page window,
// then the chat or the unanswered page's messages.
void PageSysop(NodeSession& session);
// The chat window with `subject` ("Forced chat, started by sysop." when empty), until the sysop
// closes it.
void Chat(NodeSession& session, const std::string& reason);
// The sysop's forced chat: "startcht" (or the fallback), the chat, "endcht" (or the fallback).
void ForcedChat(NodeSession& session);

// The sound file named by the last "FILE " line of PAGE.VX in the system directory; empty when
// there is none or it does not name a regular file.
std::string PageSoundFile(const NodeSession& session);

// What the caller's chat box holds after `text` arrives: backspace takes the last character, CR
// ends a line, printable characters are added, anything else is dropped; the newest 1024 are kept.
// `echo` gets what is to be sent back to the caller.
void ApplyChatText(std::string& box, std::string_view text, std::string* echo);

}  // namespace vx::session
