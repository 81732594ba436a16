// The reader prompt and the reader loop.
//
// The prompt's key list has seventeen fixed positions; a link that does not exist holds a zero in
// its place, so the positions never move (and a zero the caller sends matches nothing):
//
//   pos  key                          echo   in the loop
//   1    hot key of entry 424         434    next message (returned)
//   2    hot key of entry 423         433    the same message again
//   3    hot key of entry 425         435    previous message (returned)
//   4    hot key of entry 426         437    reply: message entry in reply mode
//   5    hot key of entry 427         438    message entry in its second mode
//   6    hot key of entry 428         457    stop (returned)
//   7    hot key of entry 429         436    next message (returned)
//   8-13 "!", "*", "X", "/", "U", "="        the same message again
//   14   "+" (a next reply)                  the next reply
//   15   "-" (JAM: a predecessor in the chain; Hudson: a replied message)
//   16   ">" (JAM: a first reply)            the first reply
//   17   "<" (JAM: a replied message)        the replied message
#include <string>

#include "core/language.h"
#include "core/text.h"
#include "messages/message_reader.h"

namespace vx::messages {

namespace {

struct Links {
  uint32_t plus = 0, minus = 0, greater = 0, less = 0;
};

Links LinksOf(const Message& m) {
  Links links;
  links.plus = m.next_reply;
  if (m.ref.base == BaseKind::kJam) {
    links.minus = m.predecessor;
    links.greater = m.first_reply;
    links.less = m.reply_to;
  } else {
    links.minus = m.reply_to;
  }
  return links;
}

void ShowNavigation(terminal::Terminal& terminal, const core::LanguageTable& language,
                    const Links& links) {
  std::string line;
  const auto add = [&line](const std::string& part) {
    if (!line.empty()) line += "   ";
    line += part;
  };
  if (links.minus != 0) add("(-) <- " + language.Text(431));
  if (links.plus != 0) add(language.Text(432) + " -> (+)");
  if (links.less != 0) add("(<) " + language.Text(659));
  if (links.greater != 0) add("(>) " + language.Text(660));
  if (line.empty()) return;
  terminal.SetForeground(11);
  terminal.SetBackground(0);
  terminal.Display(line);
  terminal.NewLine();
}

// Message entry for the message being read, in the message's own area: when that is not the
// caller's current area it becomes current for the entry and the previous one comes back after it,
// however the entry ends.
void RunMessageEntry(session::NodeSession& session, int mode, const Message& message,
                     const MessageEntry& entry) {
  if (!entry) {
    session.terminal.NewLine();
    session.terminal.SetForeground(12);
    session.terminal.SetBackground(0);
    session.terminal.Display("Message entry is not available on this system.");
    session.terminal.NewLine();
    session.log.WriteLog("Message entry is not available in this build; no reply written");
    session.terminal.Delay(1);
    return;
  }
  core::UserRecord& user = session.caller.user;
  const uint16_t previous = user.msg_area;
  if (message.area.number == previous) {
    entry(mode, message);
    return;
  }
  struct Restore {
    session::NodeSession& session;
    uint16_t area;
    ~Restore() {
      session.caller.user.msg_area = area;
      session.areas.LoadMessageArea(session.AreaFiles(), session.caller.user);
    }
  } restore{session, previous};
  user.msg_area = static_cast<uint16_t>(message.area.number);
  session.areas.LoadMessageArea(session.AreaFiles(), user);
  entry(mode, message);
}

}  // namespace

int ReaderPrompt(session::NodeSession& session, const Message& message) {
  terminal::Terminal& terminal = session.terminal;
  const core::LanguageTable& language = session.language;
  const Links links = LinksOf(message);
  ShowNavigation(terminal, language, links);

  terminal.SetColorPreset(4);
  std::string prompt;
  for (int n : {423, 424, 425, 426, 427, 429}) prompt += language.Text(n) + ", ";
  prompt += "(!*X/U=), " + language.Text(428) + ": ";
  terminal.Display(prompt);

  std::string keys;
  for (int n : {424, 423, 425, 426, 427, 428, 429}) keys += core::EntryHotKey(language.Text(n));
  keys += "!*X/U=";
  keys += links.plus != 0 ? '+' : '\0';
  keys += links.minus != 0 ? '-' : '\0';
  keys += links.greater != 0 ? '>' : '\0';
  keys += links.less != 0 ? '<' : '\0';
  std::string accepted;
  for (char k : keys) {
    if (k != '\0') accepted += k;
  }
  const char pressed = terminal.GetHotKey(accepted);
  const int position = static_cast<int>(keys.find(pressed)) + 1;

  static constexpr int kEchoes[] = {434, 433, 435, 437, 438, 457, 436};
  if (position >= 1 && position <= 7) terminal.ShowPrompt(kEchoes[position - 1]);
  terminal.NewLine();
  return position;
}

ReadLoopResult ReadLoop(session::NodeSession& session, const ReadingArea& area,
                        const MessageRef& ref, const MessageEntry& entry) {
  std::optional<Message> current = ShowMessage(session, area, ref);
  if (!current) return {};
  ReadLoopResult result;
  result.shown = true;
  for (;;) {
    const int position = ReaderPrompt(session, *current);
    switch (position) {
      case kReadNext:
      case kReadPrevious:
      case kReadStop:
      case kReadHelp:
        result.action = position;
        return result;
      case kReadReply:
      case kReadEnter:
        RunMessageEntry(session, position, *current, entry);
        break;
      case kReadNextReply:
      case kReadPredecessor:
      case kReadFirstReply:
      case kReadRepliedTo: {
        const Links links = LinksOf(*current);
        const uint32_t target = position == kReadNextReply     ? links.plus
                                : position == kReadPredecessor ? links.minus
                                : position == kReadFirstReply  ? links.greater
                                                               : links.less;
        // The linked message is in the same area and base; one that cannot be shown leaves the
        // reader where it was.
        if (auto linked = OpenMessage(session, current->area, {current->ref.base, target, {}})) {
          current = std::move(linked);
          result.left_list = true;
        }
        break;
      }
      default:
        break;  // the same message again
    }
    DisplayMessage(session, *current);
  }
}

void ReadList(size_t count, size_t first, const std::function<ReadLoopResult(size_t)>& read) {
  size_t i = first;
  size_t last_shown = first;
  bool backwards = false;  // set only by a message that was shown
  while (i < count) {
    const ReadLoopResult result = read(i);
    if (result.shown) {
      if (result.action == kReadStop) return;
      last_shown = i;
      backwards = result.action == kReadPrevious;
    }
    if (!backwards) {
      ++i;
    } else if (i > 0) {
      --i;
    } else {
      // Nothing before the first message: the reader stays on the one last shown.
      i = last_shown;
      backwards = false;
    }
  }
}

}  // namespace vx::messages
