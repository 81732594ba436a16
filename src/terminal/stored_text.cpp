// Stored message text made safe to show, and its display through the page pause.
#include "terminal/stored_text.h"

#include <algorithm>

#include "terminal/ansi.h"
#include "terminal/terminal.h"

namespace vx::terminal {

namespace {

constexpr char kKludge = 1;  // ^A
constexpr int kTabStop = 8;

// One screen line being built: its bytes, how many columns it takes, and where the last blank is
// (so that a long line can be wrapped there).
struct LineBuilder {
  std::string bytes;
  int columns = 0;
  size_t last_blank = std::string::npos;  // byte position of the last blank
  int columns_after_blank = 0;            // columns after that blank
};

// The length of an ANSI colour sequence ESC "[" [0-9;]* "m" at `at`, or 0 when there is none.
size_t ColourSequenceLength(std::string_view text, size_t at) {
  if (at + 1 >= text.size() || text[at] != kEsc || text[at + 1] != '[') return 0;
  size_t i = at + 2;
  while (i < text.size() && ((text[i] >= '0' && text[i] <= '9') || text[i] == ';')) ++i;
  return i < text.size() && text[i] == 'm' ? i + 1 - at : 0;
}

// The length of any other escape sequence at `at` (which holds ESC): ESC "[" with its parameters
// up to the final character, or ESC and the character after it.
size_t OtherSequenceLength(std::string_view text, size_t at) {
  if (at + 1 >= text.size()) return 1;
  if (text[at + 1] != '[') return 2;
  size_t i = at + 2;
  while (i < text.size() && !(text[i] >= 0x40 && text[i] <= 0x7E)) ++i;
  return std::min(i + 1, text.size()) - at;
}

class StoredTextWriter {
 public:
  explicit StoredTextWriter(int width) : limit_(std::max(width - 1, 10)) {}

  void Line(std::string_view line) {
    if (!line.empty() && line.front() == kKludge) return;
    LineBuilder out;
    for (size_t i = 0; i < line.size();) {
      const auto c = static_cast<unsigned char>(line[i]);
      if (c == static_cast<unsigned char>(kEsc)) {
        if (const size_t n = ColourSequenceLength(line, i); n > 0) {
          out.bytes.append(line.substr(i, n));
          i += n;
        } else {
          i += OtherSequenceLength(line, i);
        }
        continue;
      }
      ++i;
      if (c == '\t') {
        const int blanks = kTabStop - out.columns % kTabStop;
        for (int k = 0; k < blanks; ++k) Put(out, ' ');
      } else if (c >= 32 && c != 127) {
        Put(out, static_cast<char>(c));
      }
    }
    End(out);
  }

  std::string Take() { return std::move(text_); }

 private:
  void Put(LineBuilder& out, char c) {
    if (out.columns == limit_) {
      if (c == ' ') {  // the line is full just before a blank: the blank goes with the line end
        End(out);
        out = LineBuilder{};
        return;
      }
      Wrap(out);
    }
    out.bytes += c;
    ++out.columns;
    if (c == ' ') {
      out.last_blank = out.bytes.size() - 1;
      out.columns_after_blank = 0;
    } else if (out.last_blank != std::string::npos) {
      ++out.columns_after_blank;
    }
  }

  // The line is full: it ends at its last blank, and the word after the blank starts the next
  // line. Without a blank it is cut where it is.
  void Wrap(LineBuilder& out) {
    LineBuilder rest;
    if (out.last_blank != std::string::npos) {
      rest.bytes = out.bytes.substr(out.last_blank + 1);
      rest.columns = out.columns_after_blank;
      out.bytes.resize(out.last_blank);
    }
    End(out);
    out = std::move(rest);
  }

  void End(LineBuilder& out) {
    text_ += out.bytes;
    text_ += "\r\n";
  }

  int limit_;
  std::string text_;
};

}  // namespace

std::string PrepareStoredText(std::string_view text, int width) {
  StoredTextWriter writer(width);
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      writer.Line(text.substr(start));
      break;
    }
    writer.Line(text.substr(start, end - start));
    start = end + 1;
    if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
  }
  return writer.Take();
}

std::string PlainField(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 32 && u != 127) out += c;
  }
  return out;
}

void Terminal::ShowStoredText(std::string_view text) {
  context_.comm.terminal().SetRows(context_.user.screen_length);
  SendLines(PrepareStoredText(text, ScreenWidth()));
}

}  // namespace vx::terminal
