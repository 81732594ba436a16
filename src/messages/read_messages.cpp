// The read function.
#include "messages/read_messages.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <string>
#include <vector>

#include "core/language.h"
#include "core/text.h"
#include "messages/area_selection.h"
#include "messages/message_access.h"
#include "messages/message_bases.h"

namespace vx::messages {

namespace {

constexpr int kModeEntries[] = {445, 446, 447, 448, 449, 450, 451, 458};
constexpr int kModeForward = 1;
constexpr int kModeBackward = 2;
constexpr int kModeOnward = 3;
constexpr int kModeHelp = 4;

// The area of "/M n" (also "/Mn" and "/M=n"); "/MG" is not an area.
std::optional<uint16_t> AreaOption(const std::string& data) {
  const size_t at = data.find("/M");
  if (at == std::string::npos) return std::nullopt;
  size_t i = at + 2;
  while (i < data.size() && (data[i] == ' ' || data[i] == '=')) ++i;
  size_t end = i;
  while (end < data.size() && std::isdigit(static_cast<unsigned char>(data[end]))) ++end;
  const std::optional<long long> number = ParseListNumber(data.substr(i, end - i));
  if (!number || *number < 1) return std::nullopt;
  return static_cast<uint16_t>(*number);
}

// The caller's area as it was, put back however the reading ends.
class AreaRestore {
 public:
  explicit AreaRestore(session::NodeSession& session)
      : session_(session), area_(session.caller.user.msg_area) {}
  ~AreaRestore() {
    session_.terminal.EndListing();
    if (session_.caller.user.msg_area == area_) return;
    session_.caller.user.msg_area = area_;
    LoadMessageArea(session_);
  }
  AreaRestore(const AreaRestore&) = delete;
  AreaRestore& operator=(const AreaRestore&) = delete;

 private:
  session::NodeSession& session_;
  uint16_t area_;
};

// Shows the modes and reads one; 0 for a mode that leaves.
int AskMode(session::NodeSession& session) {
  terminal::Terminal& terminal = session.terminal;
  const core::LanguageTable& language = session.language;
  for (;;) {
    terminal.NewLine();
    std::string keys;
    for (size_t line = 0; line < 2; ++line) {
      bool first = true;
      for (size_t k = line * 4; k < line * 4 + 4; ++k) {
        const std::string& text = language.Text(kModeEntries[k]);
        keys += core::EntryHotKey(text);
        if (text.empty()) continue;
        if (!first) terminal.Display(", ");
        terminal.ShowPrompt(kModeEntries[k]);
        first = false;
      }
      terminal.SetColorPreset(0);
      terminal.Display(line == 0 ? "," : ".");
      terminal.NewLine();
    }
    terminal.SetForeground(15);
    terminal.SetBackground(0);
    terminal.Display(language.Text(297));
    std::string accepted;
    for (char k : keys) {
      if (k != '\0') accepted += k;
    }
    if (accepted.empty()) return 0;
    const char pressed = terminal.GetHotKey(accepted);
    terminal.Display(std::string(1, pressed));
    terminal.NewLine();
    const int mode = static_cast<int>(keys.find(pressed)) + 1;
    if (mode != kModeHelp) return mode <= kModeOnward ? mode : 0;
    terminal.NewLine();
    terminal.ShowPromptLn(268);
    terminal.ShowTextFile("MAILHELP");
  }
}

// The first message to read: the number typed, or for Enter the first (the last backwards).
long long AskStart(session::NodeSession& session, long long highest, bool backward) {
  terminal::Terminal& terminal = session.terminal;
  for (;;) {
    terminal.ShowPrompt(77);
    terminal.Display(" 1-" + std::to_string(highest));
    terminal.ShowPrompt(366);
    const std::optional<long long> typed = ParseListNumber(terminal.InputDigits(10), highest);
    terminal.NewLine();
    if (!typed) return backward ? highest : 1;
    if (*typed >= 1) return *typed;
    terminal.ShowPrompt(58);
    terminal.Display(" 1-" + std::to_string(highest));
    terminal.NewLine();
  }
}

// The messages of the area in index order.
std::vector<MessageRef> AreaMessages(session::NodeSession& session, const ReadingArea& area) {
  std::vector<MessageRef> list;
  if (area.base() == BaseKind::kJam) {
    const JamBase base = SessionJamBase(session, area.record.jam_base_path);
    const std::optional<JamBaseHeader> header = base.ReadBaseHeader();
    if (!header) return list;
    const std::vector<JamIndexRecord> records = base.ReadIndex();
    const uint64_t size = base.HeadersSize();
    for (size_t i = 0; i < records.size(); ++i) {
      const uint64_t number = uint64_t{header->base_number} + i;
      if (number > 0xFFFFFFFFu) break;
      if (!JamBase::ValidOffset(records[i].header_offset, size)) continue;
      list.push_back({BaseKind::kJam, static_cast<uint32_t>(number), records[i].header_offset});
    }
    return list;
  }
  const HudsonBase base = SessionHudsonBase(session);
  const std::vector<HudsonIndexEntry> index = base.ReadIndex();
  const uint64_t count = std::min<uint64_t>(index.size(), base.HeaderCount());
  for (uint64_t k = 0; k < count; ++k) {
    if (index[k].board != area.number || index[k].number <= 0) continue;
    list.push_back({BaseKind::kHudson, static_cast<uint32_t>(index[k].number), k});
  }
  return list;
}

}  // namespace

void ReadMessages(session::NodeSession& session, std::string_view optional_data,
                  const MessageEntry& entry) {
  terminal::Terminal& terminal = session.terminal;
  AreaRestore restore(session);
  if (const std::optional<uint16_t> area = AreaOption(core::UpperCase(optional_data))) {
    session.caller.user.msg_area = *area;
    LoadMessageArea(session);
  }

  const int mode = AskMode(session);
  if (mode == 0) return;
  const bool backward = mode == kModeBackward;

  const session::CurrentMessageArea& current = session.areas.message;
  const ReadingArea area{current.number, current.record};
  // An area the caller may not read (its settings changed since it was chosen) has nothing to
  // show, like an area without a record.
  const bool readable = current.has_record && MayReadArea(current.record, session.caller.user);
  if (current.has_record && !readable) {
    session.log.WriteLog("Message area " + std::to_string(current.number) +
                         " is not readable for this caller; nothing is read");
  }
  std::string problem;
  const AreaFigures figures =
      readable ? ReadAreaFigures(session, current.record, current.number, &problem) : AreaFigures{};
  if (!problem.empty())
    session.log.WriteLog("Message area " + std::to_string(current.number) + ": " + problem);
  if (figures.count <= 0 || figures.highest <= 0) {
    terminal.SetForeground(7);
    terminal.SetBackground(0);
    terminal.Display(session.language.Text(374));
    terminal.NewLine();
    terminal.Delay(1);
    return;
  }
  terminal.NewLine();
  terminal.ShowPrompt(364);
  terminal.Display("\"" + current.record.name + "\"");
  terminal.ShowPrompt(365);
  terminal.Display(std::to_string(figures.count));
  terminal.ShowPrompt(262);
  terminal.NewLine();
  const long long start = AskStart(session, figures.highest, backward);

  std::vector<MessageRef> list = AreaMessages(session, area);
  if (backward) std::reverse(list.begin(), list.end());
  const auto first = std::find_if(list.begin(), list.end(), [&](const MessageRef& ref) {
    return backward ? ref.number <= start : ref.number >= start;
  });
  terminal.output().listing_mode = 20;
  ReadList(list.size(), static_cast<size_t>(first - list.begin()),
           [&](size_t i) { return ReadLoop(session, area, list[i], entry); });
  terminal.EndListing();
  terminal.NewLine();
  terminal.SetForeground(7);
  terminal.SetBackground(0);
  terminal.Display(session.language.Text(372));
  terminal.NewLine();
}

}  // namespace vx::messages
