// The personal-mail scan.
#include "messages/personal_mail.h"

#include <sys/stat.h>

#include <algorithm>

#include "core/text.h"
#include "messages/message_access.h"
#include "messages/message_bases.h"
#include "messages/message_time.h"
#include "platform/dos_path.h"
#include "terminal/control_codes.h"
#include "terminal/stored_text.h"

namespace vx::messages {

namespace {

constexpr uint8_t kHudsonDeleted = 1;
constexpr uint8_t kHudsonReceived = 16;
constexpr int kNamePreset = 2;  // the area names in the colour of colour set 3
constexpr int kAreaNameWidth = 40;

// The 0-based record of the area that Hudson board `board` belongs to, if it has one.
std::optional<size_t> RecordOfBoard(const MailSearch& s, uint8_t board) {
  if (board == 0 || board > s.area_index.size()) return std::nullopt;
  const uint16_t r = s.area_index[board - 1u];
  if (r == 0 || r > s.areas.size()) return std::nullopt;
  return r - 1u;
}

// The areas the scan looks at: readable, not skipped echomail.
std::vector<bool> ScannedAreas(const MailSearch& s) {
  std::vector<bool> scanned(s.areas.size());
  for (size_t r = 0; r < s.areas.size(); ++r) {
    scanned[r] = MayReadArea(s.areas[r], s.user) && !SkipsEchomail(s.areas[r], s.user);
  }
  return scanned;
}

void FindHudson(const MailSearch& s, const std::vector<bool>& scanned, PersonalMail& mail) {
  s.debug("Open Hudson Base");
  s.debug("Finding personal messages in Hudson indexfile");
  const std::vector<uint64_t> hits = s.hudson.FindPersonal(s.user.name, s.user.handle);
  const std::vector<std::optional<HudsonHeader>> headers = s.hudson.ReadHeaders(hits);
  for (size_t i = 0; i < hits.size(); ++i) {
    if (!headers[i]) continue;
    const HudsonHeader& h = *headers[i];
    if ((h.attributes & (kHudsonDeleted | kHudsonReceived)) != 0 || h.number <= 0) continue;
    const std::optional<size_t> record = RecordOfBoard(s, h.board);
    if (!record || !scanned[*record]) continue;
    FoundMessage found;
    found.area_record = *record;
    found.base = BaseKind::kHudson;
    found.number = static_cast<uint32_t>(h.number);
    found.board = h.board;
    found.header = hits[i];
    found.date = h.date;
    found.time = h.time;
    found.to = h.to;
    found.from = h.from;
    found.subject = h.subject;
    mail.found.push_back(std::move(found));
    ++mail.counts[*record];
  }
  s.debug("Closing Hudson base");
  s.debug("Hudson base closed");
}

void FindJam(const MailSearch& s, size_t record, PersonalMail& mail) {
  const core::MessageAreaRecord& area = s.areas[record];
  s.debug("(JAM) Get areapath");
  const JamBase base = s.jam(area.jam_base_path);
  s.debug("(JAM) open HDR and JDX");
  s.debug("(JAM) Get area info");
  std::string problem;
  const std::optional<JamBaseHeader> header = base.ReadBaseHeader(&problem);
  const uint64_t records = base.IndexCount();
  if (!header || records == 0) {
    if (!header && records > 0) s.problem(problem);
    s.debug("(JAM) Close area HDR and JDX");
    return;
  }
  // The caller's lastread message of this base; the search starts after it.
  const uint32_t name_crc = JamBase::NameCrc(s.user.name);
  const std::string handle = core::Trim(s.user.handle);
  const bool has_handle = !handle.empty();
  const uint32_t handle_crc = JamBase::NameCrc(handle);
  const std::optional<JamLastRead> last = base.FindLastRead(name_crc);
  uint64_t first = 0;
  if (last && last->last_read >= header->base_number) {
    first = uint64_t{last->last_read} - header->base_number + 1;
  }
  std::vector<uint32_t> receivers{name_crc};
  if (has_handle) receivers.push_back(handle_crc);
  std::vector<uint64_t> offsets;
  for (const auto& found : base.FindReceivers(receivers, first)) offsets.push_back(found.second);
  std::vector<std::string> problems;
  const std::vector<std::optional<JamMessage>> messages = base.ReadMessages(offsets, &problems);
  for (size_t i = 0; i < messages.size(); ++i) {
    if (!messages[i]) {
      s.problem(area.jam_base_path + ": header at " + std::to_string(offsets[i]) + ": " +
                problems[i]);
      continue;
    }
    const JamMessage& m = *messages[i];
    s.debug("(JAM) Check msg# " + std::to_string(m.header.number));
    if ((m.header.attributes & (kJamAttributeDeleted | kJamAttributeRead)) != 0) continue;
    FoundMessage found;
    found.area_record = record;
    found.base = BaseKind::kJam;
    found.number = m.header.number;
    found.header = m.offset;
    found.date = JamDateText(m.header.date_written);
    found.time = JamTimeText(m.header.date_written);
    found.to = m.to;
    found.from = m.from;
    found.subject = m.subject;
    mail.found.push_back(std::move(found));
    ++mail.counts[record];
  }
  s.debug("(JAM) Close area HDR and JDX");
}

}  // namespace

PersonalMail FindPersonalMail(const MailSearch& s) {
  PersonalMail mail;
  mail.counts.assign(s.areas.size(), 0);
  const std::vector<bool> scanned = ScannedAreas(s);
  FindHudson(s, scanned, mail);

  s.debug("Open MESSAGES.VX");
  for (size_t r = 0; r < s.areas.size(); ++r) {
    const core::MessageAreaRecord& area = s.areas[r];
    s.debug("Checking area " + std::to_string(area.area_number));
    s.debug("Check access of area: " + area.name);
    if (!scanned[r]) continue;
    s.debug("Mtype: " + std::to_string(area.area_type) + " FlagsB: " + s.user.attribute2);
    s.debug("NOT CheckNA - POS:" + std::to_string((r + 1) * core::kMessageAreaRecordSize) +
            " LOF: " + std::to_string(s.areas_file_size));
    s.debug("mA # : " + std::to_string(area.area_number));
    s.debug("mA b : " + core::FlagByteToText(area.attribute));
    s.debug("Check Hudson or JAM");
    if (mail.counts[r] > 0) {
      s.debug("(HUDSON) area (personals already found)");
      continue;
    }
    if (area.IsJam()) FindJam(s, r, mail);
  }
  s.debug("Msgs found: " + std::to_string(mail.found.size()));
  return mail;
}

namespace {

// The area lines of the scan under a heading shown once; a No at the more prompt ends them.
void ShowAreaLines(session::NodeSession& session, const std::vector<core::MessageAreaRecord>& areas,
                   const PersonalMail& mail) {
  terminal::Terminal& terminal = session.terminal;
  const core::LanguageTable& language = session.language;
  bool heading = false;
  terminal.output().stop_answer.clear();
  for (size_t r = 0; r < areas.size(); ++r) {
    if (mail.counts[r] == 0) continue;
    if (!heading) {
      heading = true;
      terminal.NewLine();
      terminal.SetForeground(10);
      terminal.SetBackground(0);
      terminal.ShowPromptLn(260);
      terminal.SetForeground(2);
      terminal.SetBackground(0);
      terminal.Display(std::string(language.Text(260).size(), '\xc4') + "\r\n");
    }
    terminal.SetColorPreset(kNamePreset);
    terminal.Display(terminal::PadText(terminal::PlainField(areas[r].name), kAreaNameWidth, 0));
    terminal.SetForeground(14);
    terminal.Display(std::to_string(mail.counts[r]) + " :");
    terminal.ShowPrompt(mail.counts[r] == 1 ? 261 : 262);
    terminal.NewLine();
    if (terminal.output().stop_answer == "N") break;
  }
  terminal.EndListing();
}

// Each message found, in the order found, through the reader loop.
void ReadFound(session::NodeSession& session, const std::vector<core::MessageAreaRecord>& areas,
               const PersonalMail& mail, const MessageEntry& entry) {
  const core::AreaFiles files = session.AreaFiles();
  std::vector<std::optional<ReadingArea>> reading(areas.size());
  session.terminal.output().listing_mode = 20;
  ReadList(mail.found.size(), 0, [&](size_t i) {
    const FoundMessage& found = mail.found[i];
    std::optional<ReadingArea>& area = reading[found.area_record];
    if (!area) {
      // A Hudson message's area is its board; a JAM area is the number that names its record.
      const uint32_t number =
          found.base == BaseKind::kHudson
              ? found.board
              : files.MessageAreaNumberOfRecord(static_cast<uint16_t>(found.area_record + 1));
      area = ReadingArea{number, areas[found.area_record]};
    }
    return ReadLoop(session, *area, {found.base, found.number, found.header}, entry);
  });
  session.terminal.EndListing();
}

}  // namespace

void ScanPersonalMail(session::NodeSession& session, const MessageEntry& entry) {
  terminal::Terminal& terminal = session.terminal;
  terminal.ShowPrompt(258);

  const core::AreaFiles files = session.AreaFiles();
  std::string problem;
  const std::vector<core::MessageAreaRecord> areas = files.MessageAreas(&problem);
  if (!problem.empty()) session.log.WriteLog("Personal mail scan: " + problem);
  const std::vector<uint16_t> area_index = files.MessageAreaIndex();
  const HudsonBase hudson = SessionHudsonBase(session);
  struct stat info {};
  const std::string areas_path =
      platform::HostPath(session.config.system_path + "MESSAGES.VX", session.env);
  const uint64_t areas_size =
      ::stat(areas_path.c_str(), &info) == 0 ? static_cast<uint64_t>(info.st_size) : 0;
  const MailSearch search{
      session.caller.user,
      areas,
      area_index,
      hudson,
      [&session](const std::string& path) { return SessionJamBase(session, path); },
      [&session](std::string_view line) { session.log.Debug(line); },
      [&session](std::string_view line) {
        session.log.WriteLog(std::string("Personal mail scan: ") + std::string(line));
      },
      areas_size};
  const PersonalMail mail = FindPersonalMail(search);
  ShowAreaLines(session, areas, mail);

  if (mail.found.empty()) {
    terminal.NewLine();
    terminal.SetForeground(7);
    terminal.SetBackground(0);
    terminal.Display(session.language.Text(259));
    terminal.NewLine();
    terminal.Delay(1);
    return;
  }
  session.log.Debug("Read now yes no?");
  terminal.NewLine();
  if (terminal.AskPromptLn(269) != 1) return;
  ReadFound(session, areas, mail, entry);
  terminal.SetForeground(7);
  terminal.SetBackground(0);
  terminal.Display(session.language.Text(372));
  terminal.NewLine();
}

}  // namespace vx::messages
