// Finding, checking, marking and showing one message.
#include "messages/message_reader.h"

#include <algorithm>

#include "core/text.h"
#include "messages/message_access.h"
#include "messages/message_bases.h"
#include "messages/message_time.h"
#include "terminal/stored_text.h"
#include "terminal/user_date.h"

namespace vx::messages {

namespace {

// Hudson message attributes.
constexpr uint32_t kHudsonDeleted = 1;
constexpr uint32_t kHudsonPrivate = 8;
// JAM attribute bit 26: a message the reader does not show.
constexpr uint32_t kJamHidden = 1u << 26;
// Where the title line's message number ends: one column short of the edge, so that the line
// never makes the caller's terminal wrap.
constexpr size_t kTitleWidth = 79;

bool PrivateToOthers(bool is_private, const Message& m, const core::UserRecord& user) {
  return is_private && !IsCaller(m.to, user) && !IsCaller(m.from, user);
}

void LogFailure(session::NodeSession& session, const core::WriteResult& result) {
  if (!result.ok) session.log.Alarm("Cannot mark a message read: " + result.error);
}

std::optional<Message> OpenHudson(session::NodeSession& session, const ReadingArea& area,
                                  const MessageRef& ref) {
  const HudsonBase base = SessionHudsonBase(session);
  std::optional<uint64_t> index = ref.header;
  if (!index && ref.number <= 32767) index = base.FindMessage(static_cast<int>(ref.number));
  if (!index) return std::nullopt;
  const std::optional<HudsonHeader> header = base.ReadHeader(*index);
  if (!header) return std::nullopt;
  // A message looked up by number must be that number on this area's board: a reply link never
  // leads into an area that the caller did not choose.
  if (ref.number != 0 &&
      static_cast<uint32_t>(static_cast<uint16_t>(header->number)) != ref.number) {
    return std::nullopt;
  }
  if (!ref.header && header->board != area.number) return std::nullopt;

  Message m;
  m.area = area;
  m.ref = {BaseKind::kHudson, static_cast<uint16_t>(header->number), index};
  m.attributes = header->attributes;
  m.reply_to = header->prev_reply;
  m.next_reply = header->next_reply;
  m.from = header->from;
  m.to = header->to;
  m.subject = header->subject;
  m.date = header->date;
  m.time = header->time;
  if ((m.attributes & kHudsonDeleted) != 0) return std::nullopt;
  if (PrivateToOthers((m.attributes & kHudsonPrivate) != 0, m, session.caller.user)) {
    return std::nullopt;
  }
  LogFailure(session,
             base.MarkReceived(*index, session.caller.user.name, session.caller.user.handle));
  m.text = base.ReadText(*header);
  return m;
}

std::optional<Message> OpenJam(session::NodeSession& session, const ReadingArea& area,
                               const MessageRef& ref) {
  const JamBase base = SessionJamBase(session, area.record.jam_base_path);
  std::optional<uint64_t> offset = ref.header;
  if (!offset) offset = base.HeaderOffset(ref.number);
  if (!offset) return std::nullopt;
  std::string problem;
  const std::optional<JamMessage> message = base.ReadMessage(*offset, &problem);
  if (!message) {
    if (problem == "Invalid Message - Rebuild Index!") {
      session.terminal.NewLine();
      session.terminal.Display(problem);
      session.terminal.NewLine();
    }
    session.log.WriteLog("Message #" + std::to_string(ref.number) + " of " +
                         area.record.jam_base_path + ": " + problem);
    return std::nullopt;
  }
  const JamMessageHeader& header = message->header;
  if (ref.number != 0 && header.number != ref.number) {
    session.log.WriteLog("The index of " + area.record.jam_base_path + " points message #" +
                         std::to_string(ref.number) + " at #" + std::to_string(header.number));
    return std::nullopt;
  }

  Message m;
  m.area = area;
  m.ref = {BaseKind::kJam, header.number, offset};
  m.attributes = header.attributes;
  m.reply_to = header.reply_to;
  m.next_reply = header.next_reply;
  m.first_reply = header.first_reply;
  m.from = message->from;
  m.to = message->to;
  m.subject = message->subject;
  m.date = JamDateText(header.date_written);
  m.time = JamTimeText(header.date_written);
  if ((m.attributes & (kJamAttributeDeleted | kJamHidden)) != 0) return std::nullopt;
  if (PrivateToOthers((m.attributes & kJamAttributePrivate) != 0, m, session.caller.user)) {
    return std::nullopt;
  }
  LogFailure(session,
             base.MarkReceived(*offset, session.caller.user.name, session.caller.user.handle,
                               session.loop.clock().LocalTime()));
  if (m.reply_to != 0) m.predecessor = base.FindReplyPredecessor(m.reply_to, m.ref.number);
  m.text = base.ReadText(header);
  return m;
}

// "label" in yellow, then the value in the default colour, one line.
void HeaderLine(terminal::Terminal& terminal, const core::LanguageTable& language, int entry,
                const std::string& value) {
  terminal.SetForeground(14);
  terminal.Display(language.Text(entry));
  terminal.SetColorPreset(0);
  terminal.Display(terminal::PlainField(value));
  terminal.NewLine();
}

}  // namespace

std::optional<Message> OpenMessage(session::NodeSession& session, const ReadingArea& area,
                                   const MessageRef& ref) {
  return ref.base == BaseKind::kJam ? OpenJam(session, area, ref) : OpenHudson(session, area, ref);
}

void DisplayMessage(session::NodeSession& session, const Message& m) {
  terminal::Terminal& terminal = session.terminal;
  const core::LanguageTable& language = session.language;
  terminal.ClearScreen();

  const std::string number = "#" + std::to_string(m.ref.number);
  std::string title = " " + terminal::PlainField(m.area.record.name);
  const size_t room = kTitleWidth > number.size() ? kTitleWidth - number.size() : 0;
  title.resize(room, ' ');
  terminal.SetForeground(1);
  terminal.SetBackground(7);
  terminal.Display(title);
  terminal.SetForeground(4);
  terminal.SetBackground(7);
  terminal.Display(number);
  terminal.NewLine();

  const std::string date = terminal::FormatUserDate(m.date, session.caller.user.date_format);
  HeaderLine(terminal, language, 359, date + " " + m.time);
  HeaderLine(terminal, language, 360, m.from);
  HeaderLine(terminal, language, 361, m.to);
  HeaderLine(terminal, language, 362, m.subject);

  if (m.reply_to != 0 || m.next_reply != 0) {
    std::string links;
    if (m.reply_to != 0) links += "<- #" + std::to_string(m.reply_to);
    if (m.next_reply != 0) links += " #" + std::to_string(m.next_reply) + " ->";
    terminal.SetForeground(12);
    terminal.SetBackground(1);
    terminal.Display(links);
    terminal.NewLine();
  }
  terminal.SetColorPreset(0);
  terminal.ShowStoredText(m.text);
  terminal.SetColorPreset(0);
}

std::optional<Message> ShowMessage(session::NodeSession& session, const ReadingArea& area,
                                   const MessageRef& ref) {
  std::optional<Message> message = OpenMessage(session, area, ref);
  if (message) DisplayMessage(session, *message);
  return message;
}

}  // namespace vx::messages
