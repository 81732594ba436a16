// The header of a new message.
#include "messages/entry_header.h"

#include "core/crc32.h"
#include "core/language.h"
#include "core/text.h"
#include "messages/message_text.h"
#include "terminal/stored_text.h"

namespace vx::messages {

namespace {

constexpr int kAddresseeLength = 35;
constexpr int kSubjectLength = 72;

// Language entries of the area types 0 to 4.
int AreaTypeEntry(uint8_t type) {
  switch (type) {
    case 1:
      return 381;
    case 2:
      return 382;
    case 3:
      return 661;
    case 4:
      return 662;
    default:
      return 380;
  }
}

class HeaderPrompts {
 public:
  HeaderPrompts(session::NodeSession& session, const session::CurrentMessageArea& area)
      : session_(session), terminal_(session.terminal), area_(area) {}

  void Heading(bool reply) {
    const core::LanguageTable& language = session_.language;
    terminal_.ClearScreen();
    terminal_.SetForeground(7);
    terminal_.SetBackground(0);
    terminal_.Display(language.Text(reply ? 316 : 317) + " " +
                      language.Text(AreaTypeEntry(area_.record.area_type)) + " " +
                      language.Text(318) + " \"" + terminal::PlainField(area_.record.name) + "\".");
    terminal_.NewLine();
  }

  // A name given by the menu entry or the replied message.
  void ShowAddressee(const std::string& to) {
    terminal_.ShowPrompt(321);
    terminal_.Display(terminal::PlainField(to));
    terminal_.NewLine();
  }
  void ShowSubject(const std::string& subject) {
    Yellow(323);
    terminal_.Display(terminal::PlainField(subject));
    terminal_.NewLine();
  }

  // The addressee typed after `entry`; in a local area it must be a user. Empty: the caller
  // ended the entry.
  std::string AskAddressee(int entry) {
    for (;;) {
      Yellow(entry);
      const std::string name = core::Trim(terminal_.InputLine(kAddresseeLength));
      terminal_.NewLine();
      if (name.empty() || area_.record.area_type != 0 || IsUser(name)) return name;
      terminal_.ShowPromptLn(303);
    }
  }
  std::string AskSubject(int entry) {
    Yellow(entry);
    const std::string subject = core::Trim(terminal_.InputLine(kSubjectLength));
    terminal_.NewLine();
    return subject;
  }

  // Confirmation; true when the header is right as it is, false after a change was asked for
  // (the header is then confirmed again) and nullopt when a new answer was empty.
  std::optional<bool> Confirm(EntryHeader& header) {
    if (terminal_.AskPromptLn(324) == 1) return true;
    const core::LanguageTable& language = session_.language;
    const char to_key = core::EntryHotKey(language.Text(326));
    const char subject_key = core::EntryHotKey(language.Text(325));
    terminal_.ShowPrompt(327);
    terminal_.Display(" ");
    terminal_.ShowPrompt(326);
    terminal_.Display(", ");
    terminal_.ShowPrompt(325);
    terminal_.Display(": ");
    std::string keys = "\r";
    if (to_key != '\0') keys += to_key;
    if (subject_key != '\0') keys += subject_key;
    const char key = terminal_.GetHotKey(keys);
    terminal_.NewLine();
    if (key == '\r') return true;
    if (key == to_key) {
      header.to = AskAddressee(328);
      if (header.to.empty()) return std::nullopt;
    } else {
      header.subject = AskSubject(329);
      if (header.subject.empty()) return std::nullopt;
    }
    return false;
  }

  int PrivateFlag() {
    switch (area_.record.message_kinds) {
      case 0:
        return terminal_.AskPromptLn(331);
      case 1:
        return 1;
      default:
        return 0;
    }
  }

 private:
  void Yellow(int entry) {
    terminal_.SetForeground(14);
    terminal_.SetBackground(0);
    terminal_.Display(session_.language.Text(entry));
  }
  bool IsUser(const std::string& name) {
    return session_.Users().FindIndexEntry(core::Crc32(core::UpperCase(name))).has_value();
  }

  session::NodeSession& session_;
  terminal::Terminal& terminal_;
  const session::CurrentMessageArea& area_;
};

}  // namespace

std::string SenderName(const core::UserRecord& user, const core::MessageAreaRecord& area) {
  const bool alias = (area.attribute & 0x20) != 0;
  return alias && !core::Trim(user.handle).empty() ? user.handle : user.name;
}

std::optional<EntryHeader> AskEntryHeader(session::NodeSession& session,
                                          const session::CurrentMessageArea& area,
                                          const std::optional<std::string>& addressee,
                                          const Message* replied) {
  HeaderPrompts prompts(session, area);
  EntryHeader header;
  header.from = SenderName(session.caller.user, area.record);
  prompts.Heading(replied != nullptr);

  // A reply goes to the replied message's sender with its subject; what another system wrote
  // there loses its control characters.
  if (replied) {
    header.to = core::Trim(WithoutControlCharacters(replied->from)).substr(0, kAddresseeLength);
    header.subject =
        core::Trim(WithoutControlCharacters(replied->subject)).substr(0, kSubjectLength);
  } else if (addressee) {
    header.to = *addressee;
  }
  if (!header.to.empty()) {
    prompts.ShowAddressee(header.to);
  } else {
    header.to = prompts.AskAddressee(306);
    if (header.to.empty()) return std::nullopt;
  }
  if (replied && !header.subject.empty()) {
    prompts.ShowSubject(header.subject);
  } else {
    header.subject = prompts.AskSubject(323);
    if (header.subject.empty()) return std::nullopt;
  }

  for (;;) {
    const std::optional<bool> confirmed = prompts.Confirm(header);
    if (!confirmed) return std::nullopt;
    if (*confirmed) break;
  }
  header.private_flag = prompts.PrivateFlag();
  return header;
}

}  // namespace vx::messages
