// Message boxes without a terminal: standard error, the node log and a safe answer.
#include <unistd.h>

#include <string>

#include "platform/console.h"

namespace vx::platform {

std::string HeadlessConsole::FormatBox(std::string_view text, std::string_view title) {
  std::string line(title);
  line += ": ";
  bool blank = false;
  for (char c : text) {
    if (c == '\r' || c == '\n') {
      if (!blank) line += ' ';
      blank = true;
      continue;
    }
    blank = (c == ' ');
    line += c;
  }
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line;
}

void WriteStandardError(std::string_view line) {
  std::string out(line);
  out += '\n';
  ssize_t written = ::write(STDERR_FILENO, out.data(), out.size());
  (void)written;
}

int HeadlessConsole::MessageBox(std::string_view text, std::string_view title, int style) {
  std::string line = FormatBox(text, title);
  WriteStandardError(line);
  if (log_) log_(line);
  return (style & 7) == box::kYesNo ? box::kNo : box::kOk;
}

}  // namespace vx::platform
