// The log viewer.
#define NCURSES_WIDECHAR 1
#include "console/log_viewer.h"

#include <curses.h>

#include <algorithm>

#include "comm/terminal_model.h"
#include "console/screen_text.h"

namespace vx::console {

void ShowLog(CursesConsole& console, const core::NodeLog& log) {
  const std::string legend = console.tool_bar_legend();
  console.SetToolBarLegend("Node log   Esc or F1 closes it");
  console.SetScreenOverride(
      [&log] {
        const int rows = comm::TerminalModel::kRows;
        const auto& book = log.book();
        const size_t first = book.size() > static_cast<size_t>(rows) ? book.size() - rows : 0;
        for (int r = 0; r < rows && 1 + r < LINES; ++r) {
          const size_t i = first + static_cast<size_t>(r);
          std::string line;
          if (i < book.size()) line = book[i].date + " " + book[i].time + "  " + book[i].text;
          PutText(1 + r, 0, line, comm::TerminalModel::kColumns);
        }
      },
      [&console, legend](int code, bool command) {
        if ((!command && code == 27) || (command && code == CursesConsole::kFunction1)) {
          console.SetScreenOverride({}, {});
          console.SetToolBarLegend(legend);
        }
        return true;  // the caller's input is untouched while the sysop reads
      });
}

}  // namespace vx::console
