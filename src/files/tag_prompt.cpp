// Tagging by number after a list, and by name.
#include "files/tag_prompt.h"

#include "core/text.h"
#include "files/file_access.h"
#include "files/listing_frame.h"
#include "files/name_match.h"

namespace vx::files {

namespace {

void ShowRefusal(session::NodeSession& session, const std::string& text, bool pause = true) {
  terminal::Terminal& terminal = session.terminal;
  terminal.SetForeground(15);
  terminal.SetBackground(0);
  terminal.Display(text);
  terminal.NewLine();
  if (pause) terminal.Delay(1);
}

void Offer(session::NodeSession& session, ListingPage& page, const ListedFile& file) {
  const std::string refusal = page.tags().Tag(file);
  if (!refusal.empty()) ShowRefusal(session, refusal, page.tags().RefusalPauses());
}

// The words of a line separated by blanks or commas.
std::vector<std::string> Words(std::string_view line) {
  std::vector<std::string> words;
  size_t pos = 0;
  while (pos < line.size()) {
    const size_t end = std::min(line.find_first_of(" ,", pos), line.size());
    if (end > pos) words.emplace_back(line.substr(pos, end - pos));
    pos = end + 1;
  }
  return words;
}

}  // namespace

void TagPrompt(session::NodeSession& session, ListingPage& page) {
  terminal::Terminal& terminal = session.terminal;
  for (;;) {
    const int choice = terminal.AskPromptLn(609);
    if (choice != 1) return;
    if (page.tags().LimitReached()) {
      ShowRefusal(session, session.language.Text(193));
      continue;
    }
    terminal.SetForeground(15);
    terminal.SetBackground(0);
    terminal.Display(session.language.Text(604));
    terminal.Display(core::NumToText(page.tags().Count()) + ", " +
                     core::NumToText(page.tags().Kilobytes()) + "; ");
    terminal.Display(session.language.Text(603));
    const std::string line = terminal.InputLine(79 - session.comm.cursor_column());
    terminal.NewLine();
    for (const std::string& word : Words(line)) {
      const long long n = core::LeadingNumber(word);
      if (n <= 0 || n >= 100) continue;
      if (const ListedFile* file = page.Entry(static_cast<int>(n))) Offer(session, page, *file);
    }
  }
}

void TagByName(session::NodeSession& session, ListingPage& page) {
  terminal::Terminal& terminal = session.terminal;
  terminal.NewLine();
  terminal.ShowPrompt(120);
  const std::string line = core::UpperCase(core::Trim(terminal.InputLine(65)));
  terminal.NewLine();
  if (line.empty()) return;
  const std::vector<std::string> patterns = Words(line);

  const core::AreaFiles area_files = session.AreaFiles();
  std::string problem;
  const std::vector<core::FileAreaRecord> areas = area_files.FileAreas(&problem);
  if (!problem.empty()) session.log.WriteLog("File areas: " + problem);
  const std::vector<uint32_t> numbers = FileAreaNumbers(area_files.FileAreaIndex(), areas.size());
  bool stop = false;
  for (size_t r = 0; r < areas.size() && !stop; ++r) {
    const core::FileAreaRecord& area = areas[r];
    if (numbers[r] == 0 || !MaySeeFileArea(area, session.caller.user)) continue;
    DatabaseProblems problems(session.log, numbers[r]);
    const auto db =
        FileDatabase::Open(session.config.filebase_path, numbers[r], session.env, problems);
    if (!db) continue;
    for (uint64_t k = 1; k <= db->paired_count() && !stop; ++k) {
      const std::string_view name = db->IndexName(k);
      if (name.empty()) continue;
      bool match = false;
      for (const std::string& pattern : patterns) match = match || MatchFileName(pattern, name);
      if (!match) continue;
      const ListedFile file = db->ReadFileHeader(k, area.path, problems);
      if (file.full_path.empty()) continue;
      terminal.ShowPrompt(611);
      terminal.DisplayVerbatim(terminal::PlainField(core::Trim(file.header.name)) + " (" +
                               terminal::PlainField(area.name) + ")");
      terminal.NewLine();
      switch (terminal.AskPromptLn(642)) {
        case 1:
          Offer(session, page, file);
          break;
        case 3:
          stop = true;
          break;
        default:
          break;
      }
    }
    if (!stop) stop = StopOrHold(session);
  }
  terminal.ShowPrompt(612);
  terminal.NewLine();
  terminal.Delay(1);
}

}  // namespace vx::files
