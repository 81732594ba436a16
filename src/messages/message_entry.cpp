// Message entry: the options, the area, the header, the text, storing it and what follows.
#include "messages/message_entry.h"

#include "core/text.h"
#include "messages/area_selection.h"
#include "messages/entry_header.h"
#include "messages/entry_options.h"
#include "messages/message_store.h"
#include "messages/message_text.h"
#include "platform/console.h"
#include "session/call_end.h"
#include "session/report_error.h"

namespace vx::messages {

namespace {

constexpr uint8_t kTearAndOrigin = 0x01;  // area attribute bit 0
constexpr uint16_t kMostMessages = 65535;

// The area of the entry made current for it, and the caller's own area put back however the
// entry ends.
class AreaSwitch {
 public:
  AreaSwitch(session::NodeSession& session, uint32_t area)
      : session_(session), previous_(session.caller.user.msg_area) {
    if (area == 0) return;
    switched_ = area != previous_;
    session_.caller.user.msg_area = static_cast<uint16_t>(area);
    LoadMessageArea(session_);
  }
  ~AreaSwitch() { Restore(); }
  AreaSwitch(const AreaSwitch&) = delete;
  AreaSwitch& operator=(const AreaSwitch&) = delete;

  void Restore() {
    if (!switched_) return;
    switched_ = false;
    session_.caller.user.msg_area = previous_;
    LoadMessageArea(session_);
  }

 private:
  session::NodeSession& session_;
  uint16_t previous_;
  bool switched_ = false;
};

// Whether the area takes new messages; when it does not, the caller is told so.
bool Writable(session::NodeSession& session, const session::CurrentMessageArea& area) {
  std::string problem;
  if (area.has_record && !area.record.IsJam() && (area.number < 1 || area.number > 200)) {
    problem = "a Hudson area is numbered 1 to 200";
  }
  if (area.has_record && area.record.message_kinds != 3 && problem.empty()) return true;
  if (!problem.empty()) {
    session.log.WriteLog("No message can be written in area " + std::to_string(area.number) + ": " +
                         problem);
  }
  session.terminal.NewLine();
  session.terminal.SetForeground(3);
  session.terminal.SetBackground(0);
  session.terminal.Display(session.language.Text(531));
  session.terminal.NewLine();
  session.terminal.Delay(1);
  return false;
}

std::string AreaTypeName(uint8_t type) {
  switch (type) {
    case 1:
      return "Netmail";
    case 2:
      return "Echomail";
    case 3:
      return "Internet";
    case 4:
      return "Newsgroup";
    default:
      return "Local";
  }
}

// What a stored message changes in the call: the caller's count, the exit code, the log.
void CountMessage(session::NodeSession& session, const session::CurrentMessageArea& area,
                  uint32_t number) {
  core::UserRecord& user = session.caller.user;
  if (user.msgs_posted < kMostMessages) ++user.msgs_posted;
  if (area.record.area_type == 1) session.call.netmail_entered = true;
  if (area.record.area_type == 2) session.call.echomail_entered = true;
  session.log.WriteLog("Message #" + std::to_string(number) + " posted in " +
                       AreaTypeName(area.record.area_type) + " area #" +
                       std::to_string(area.record.area_number) + " " + area.record.name);
  session.terminal.SetForeground(15);
  session.terminal.SetBackground(0);
  session.terminal.Display(session.language.Text(339));
  session.terminal.NewLine();
}

// The header and the text from the caller; false when the caller ended the entry.
bool WriteByCaller(session::NodeSession& session, const EditorRunner& editor,
                   const session::CurrentMessageArea& area, const EntryRequest& request,
                   const EntryOptions& options, NewMessage& message) {
  const std::optional<EntryHeader> header =
      AskEntryHeader(session, area, options.addressee, request.replied);
  if (!header) return false;
  const MessageInfo info{header->from,     header->to,
                         header->subject,  NextMessageNumber(session, area),
                         area.record.name, header->private_flag};
  std::optional<std::string> text = WriteMessageText(session, editor, info, request.replied);
  if (!text) return false;
  message.from = header->from;
  message.to = header->to;
  message.subject = header->subject;
  message.is_private = header->is_private();
  message.text = std::move(*text);
  if (request.replied) {
    message.replied = RepliedMessage{request.replied->ref.base, request.replied->ref.number,
                                     request.replied->ref.header};
  }
  return true;
}

// A notice: from the sysop, with its subject and text, to the addressee of "/T=".
bool WriteNotice(session::NodeSession& session, const EntryRequest& request,
                 const EntryOptions& options, NewMessage& message) {
  if (!options.addressee || IsBlankText(StoredLines(*request.prepared_text))) {
    session.log.WriteLog("A notice without " +
                         std::string(options.addressee ? "text" : "addressee") +
                         " is not posted (" + request.data + ")");
    return false;
  }
  message.from = core::Trim(session.Config().SysopName());
  message.to = *options.addressee;
  message.subject = kPreparedSubject;
  message.text = *request.prepared_text;
  return true;
}

}  // namespace

void PostMessage(session::NodeSession& session, const EditorRunner& editor,
                 const EntryRequest& request) {
  const EntryOptions options = ParseEntryOptions(request.data);
  if (!options.problem.empty()) {
    session.log.WriteLog("Message entry \"" + WithoutControlCharacters(request.data) +
                         "\": " + options.problem + "; nothing is written");
    return;
  }
  AreaSwitch area_switch(session, options.area);
  const session::CurrentMessageArea area = session.areas.message;
  if (!Writable(session, area)) return;

  NewMessage message;
  const bool written = request.prepared_text
                           ? WriteNotice(session, request, options, message)
                           : WriteByCaller(session, editor, area, request, options, message);
  if (!written) return;

  // The text is complete before the base is opened.
  message.text = StoredLines(message.text);
  if ((area.record.attribute & kTearAndOrigin) != 0) {
    if (!message.text.empty() && message.text.back() != '\r') message.text += '\r';
    message.text += TearAndOriginLines(area.record.origin_line, AreaAddress(session, area.record));
  }
  const StoredMessage stored =
      StoreMessage(session, area, message, session.loop.clock().LocalTime());
  if (!stored.ok) {
    session::ReportError(session, "The message could not be saved: " + stored.error,
                         platform::box::kOkOnly + platform::box::kExclamation, "Message entry");
    return;
  }
  if (!stored.link_problem.empty()) {
    session.log.WriteLog("Message #" + std::to_string(stored.number) + ": " + stored.link_problem);
  }
  CountMessage(session, area, stored.number);

  if (options.log_off) {
    area_switch.Restore();
    session::LogOffCaller(session);
  }
}

MessageEntry ReaderMessageEntry(session::NodeSession& session, const EditorRunner& editor) {
  return [&session, editor](int mode, const Message& message) {
    EntryRequest request;
    if (mode == kReadReply) request.replied = &message;
    PostMessage(session, editor, request);
  };
}

}  // namespace vx::messages
