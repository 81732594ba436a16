// The page pause: the more prompt that Display shows before the line that would fill the
// caller's page, and the tagging of files that a file listing offers at it.
//
// The prompt goes on the line below the last line shown. Afterwards the prompt line is erased and
// the cursor goes back to the row just above it, where the held-back line is then sent. When the
// prompt's line end scrolled the screen, that row is the saved row - 1; when it did not (a page
// shorter than the screen), it is the saved row itself. Going back to the saved row - 1 in both
// cases, as a screen that always scrolls would need, would write the held-back line over the last
// line of the page. The cursor goes back to the column where the line stood, so that a line
// shown in parts continues where the pause caught it.
#include "core/text.h"
#include "terminal/ansi.h"
#include "terminal/terminal.h"

namespace vx::terminal {

namespace {
bool IsFileListing(int listing_mode) {
  return listing_mode == 1010 || listing_mode == 1020 || listing_mode == 1030 ||
         listing_mode == 1040;
}
}  // namespace

bool Terminal::Pause() {
  output_.line_counter = 0;
  const comm::CommControl& comm = context_.comm;
  const int column = comm.cursor_column();
  const int fg = comm.foreground();
  const int bg = comm.background();
  const bool listing = IsFileListing(output_.listing_mode);

  int choice = 0;
  int prompt_row = 0;
  if (listing) {
    Emit("\r\n");
    prompt_row = comm.cursor_row();
    SetColorPreset(0);
    for (;;) {
      choice = AskPrompt(602);
      ReturnToLineStart();
      if (choice != 4) break;
      // Tagging happens on the prompt line; the prompt then comes again in the same place. Its
      // returns to the line start only move the cursor: they take no line off the next page.
      const int counter = output_.line_counter;
      TagAtPause();
      ReturnToLineStart();
      output_.line_counter = counter;
      SetColorPreset(0);
      Emit(kEraseToLineEnd);
    }
  } else {
    SetColorPreset(0);
    Emit("\r\n");
    prompt_row = comm.cursor_row();
    choice = AskPrompt(67);
    ReturnToLineStart();
  }

  // The saved colours come back foreground first: a foreground sequence resets the background.
  SetForeground(fg);
  SetBackground(bg);
  Emit(kEraseToLineEnd);
  const int return_row = prompt_row > 1 ? prompt_row - 1 : 1;

  if (listing && (choice == 1 || choice == 2)) {
    MoveToRow(return_row);
    MoveToColumn(column);
  }
  if (choice == 2) {
    output_.stop_answer.assign(1, 'N');  // (assigning a literal trips a false -Wrestrict of g++ 12)
    return false;
  }
  if (listing && choice == 1) ++output_.line_counter;
  if (choice == 3) output_.non_stop = true;
  MoveToRow(return_row);
  // A line whose start went out before the pause (a file listing's description follows its
  // name) goes on where it stopped, not over its own start.
  if (column > 0) MoveToColumn(column);
  return true;
}

// Reads listing line numbers and tags their files. When nothing more may be tagged the caller is
// told so and the prompt comes again (the line held back at the pause is still sent afterwards).
bool Terminal::TagAtPause() {
  if (tagging_->LimitReached()) {
    SetForeground(15);
    SetBackground(0);
    Display(context_.language.Text(193));
    Delay(1);
    return false;
  }
  SetBackground(0);
  SetForeground(15);
  Display(context_.language.Text(604));
  Display(core::NumToText(tagging_->TaggedCount()) + ", " +
          core::NumToText(tagging_->TaggedKilobytes()) + "; ");
  Display(context_.language.Text(603));
  const std::string answer = InputLine(79 - context_.comm.cursor_column());

  size_t pos = 0;
  while (pos < answer.size()) {
    const size_t end = std::min(answer.find_first_of(" ,", pos), answer.size());
    const std::string_view word = std::string_view(answer).substr(pos, end - pos);
    pos = end + 1;
    if (word.empty()) continue;
    const long long line = core::LeadingNumber(word);
    if (line <= 0 || line >= 100) continue;
    const std::string refusal = tagging_->TagListingLine(static_cast<int>(line));
    if (refusal.empty()) continue;
    SetForeground(15);
    SetBackground(0);
    ReturnToLineStart();
    Emit(kEraseToLineEnd);
    Display(refusal);
    Delay(1);
  }
  return true;
}

}  // namespace vx::terminal
