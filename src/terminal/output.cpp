// Output to the caller: Display with its embedded codes and line counting, Emit by output mode,
// colours and cursor moves.
#include <algorithm>
#include <array>
#include <cctype>
#include <chrono>
#include <memory>

#include "core/text.h"
#include "terminal/ansi.h"
#include "terminal/terminal.h"

namespace vx::terminal {

namespace {
constexpr char kCtrlA = 1;
constexpr char kCtrlL = 12;
constexpr char kCtrlW = 23;
constexpr std::string_view kIncludeFile = "\x0b!";
constexpr std::string_view kColourCode = "\x0b[";
constexpr std::string_view kPadToWidth = "\x0b\\";

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The first ^K "[" followed by two hexadecimal digits at or after `from`, or npos.
size_t FindColourCode(std::string_view text, size_t from) {
  for (size_t at = text.find(kColourCode, from); at != std::string_view::npos;
       at = text.find(kColourCode, at + 1)) {
    if (at + 3 < text.size() && HexDigit(text[at + 2]) >= 0 && HexDigit(text[at + 3]) >= 0) {
      return at;
    }
  }
  return std::string_view::npos;
}
}  // namespace

// Finds the embedded codes of a text from a moving start. Each kind is searched for again only
// once the start has passed its last hit, so a text is read once however many codes it holds.
class CodeScanner {
 public:
  enum Kind { kInclude, kWaitKey, kClear, kDelay, kColour, kRestore, kPad, kBar, kCr, kLf, kKinds };

  explicit CodeScanner(std::string_view text) : text_(text) { known_.fill(false); }

  size_t Next(Kind kind, size_t from) {
    size_t& hit = hits_[kind];
    if (!known_[kind] || (hit != std::string_view::npos && hit < from)) {
      hit = Find(kind, from);
      known_[kind] = true;
    }
    return hit;
  }

 private:
  size_t Find(Kind kind, size_t from) const {
    switch (kind) {
      case kInclude:
        return text_.find(kIncludeFile, from);
      case kWaitKey:
        return text_.find(kCtrlA, from);
      case kClear:
        return text_.find(kCtrlL, from);
      case kDelay:
        return text_.find(kCtrlW, from);
      case kColour:
        return FindColourCode(text_, from);
      case kRestore:
        return text_.find(kRestoreCursor, from);
      case kPad:
        return text_.find(kPadToWidth, from);
      case kBar:
        return text_.find('|', from);
      case kCr:
        return text_.find('\r', from);
      case kLf:
        return text_.find('\n', from);
      case kKinds:
        break;
    }
    return std::string_view::npos;
  }

  std::string_view text_;
  std::array<size_t, kKinds> hits_{};
  std::array<bool, kKinds> known_{};
};

namespace {
// The characters of a text that take a cell on the screen: escape sequences and control
// characters take none. The padding to the screen width counts these, so a coloured bar reaches
// the edge however many colour changes it holds.
size_t VisibleLength(std::string_view text) {
  size_t length = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == kEsc && i + 1 < text.size() && text[i + 1] == '[') {
      i += 2;
      while (i < text.size() && !(text[i] >= 0x40 && text[i] <= 0x7E)) ++i;
      continue;
    }
    if (c >= 32) ++length;
  }
  return length;
}
}  // namespace

Terminal::Terminal(const TerminalContext& context)
    : context_(context),
      codes_(ControlCodes::Sources{context.user, context.language, context.languages,
                                   context.config, context.env, context.loop.clock()}) {
  // The line may outlive the terminal (or die first, in tests): the handler reaches the terminal
  // only while the terminal's token lives, and the destructor need not touch the line.
  context_.comm.SetReceiveHandler([this, alive = std::weak_ptr<int>(alive_)] {
    if (alive.lock()) OnReceived();
  });
}

Terminal::~Terminal() = default;

void Terminal::Emit(std::string_view text) {
  if (text.empty()) return;
  switch (output_.mode) {
    case 0:
      context_.comm.terminal().Feed(text);
      if (context_.comm.port_open()) {
        context_.comm.SendText(text);
        context_.loop.ProcessEvents();
      }
      break;
    case 1:
      output_.capture.assign(text);
      break;
    default:
      break;  // discarded
  }
}

void Terminal::Display(std::string_view text) {
  // The model of the caller's screen has as many rows as the caller's screen length says (at
  // least 25), so that cursor rows, the page pause and positioned output agree with the caller's
  // terminal however long it is.
  context_.comm.terminal().SetRows(context_.user.screen_length);
  if (text.find(kClearScreen) != std::string_view::npos) output_.line_counter = 0;
  const std::string expanded = ExpandControlCodes(text);
  const std::string_view all(expanded);
  CodeScanner scan(all);
  size_t pos = 0;
  while (HandleEmbeddedCode(all, scan, pos) == Step::kAgain) {
  }
  if (pos < all.size()) SendLines(all.substr(pos));
}

// The embedded codes, one per pass over the text that remains (from `pos`). Of ^K "!", ^A, ^L,
// ^W and ^K "[" with two hexadecimal digits, the one that comes first is acted on: the text in
// front of it is sent as it is, and the text after it remains for the next pass. (Taking the
// codes by kind instead, a later code's text would go out with an earlier code's control
// character still in it.) ^K backslash, handled once nothing else is left, pads the rest to the
// screen width and ends the output.
Terminal::Step Terminal::HandleEmbeddedCode(std::string_view all, CodeScanner& scan, size_t& pos) {
  enum class Code { kNone, kInclude, kWaitKey, kClear, kDelay, kColour };
  Code code = Code::kNone;
  size_t at = std::string_view::npos;
  const auto consider = [&](size_t position, Code kind) {
    if (position < at) {
      at = position;
      code = kind;
    }
  };
  consider(scan.Next(CodeScanner::kInclude, pos), Code::kInclude);
  consider(scan.Next(CodeScanner::kWaitKey, pos), Code::kWaitKey);
  consider(scan.Next(CodeScanner::kClear, pos), Code::kClear);
  consider(scan.Next(CodeScanner::kDelay, pos), Code::kDelay);
  consider(scan.Next(CodeScanner::kColour, pos), Code::kColour);

  // A restore-cursor sequence puts the cursor back on a line already counted. It is looked for on
  // the passes that act on a colour code or on nothing (its place among the codes' precedence).
  if ((code == Code::kNone || code == Code::kColour) &&
      scan.Next(CodeScanner::kRestore, pos) != std::string_view::npos) {
    --output_.line_counter;
  }

  if (code == Code::kNone) {
    if (scan.Next(CodeScanner::kPad, pos) == std::string_view::npos) return Step::kLines;
    std::string padded = core::ReplaceAll(all.substr(pos), kPadToWidth, "");
    pos = all.size();
    const size_t width = static_cast<size_t>(ScreenWidth());
    const size_t shown = VisibleLength(padded);
    if (shown < width) padded.append(width - shown, ' ');
    Emit(padded);
    return Step::kDone;
  }

  if (at > pos) Emit(all.substr(pos, at - pos));
  switch (code) {
    case Code::kInclude: {
      // The file name runs to the next "|". Without one it runs to the end of the line, and the
      // line end stays to be sent.
      const size_t start = at + kIncludeFile.size();
      size_t end = scan.Next(CodeScanner::kBar, start);
      pos = end + 1;
      if (end == std::string_view::npos) {
        end = std::min(
            {scan.Next(CodeScanner::kCr, start), scan.Next(CodeScanner::kLf, start), all.size()});
        pos = end;
      }
      ShowTextFile(core::Trim(all.substr(start, end - start)));
      break;
    }
    case Code::kWaitKey:
      pos = at + 1;
      --output_.line_counter;
      GetKey();
      break;
    case Code::kClear:
      pos = at + 1;
      ClearScreen();
      break;
    case Code::kDelay:
      pos = at + 1;
      Delay(1);
      break;
    case Code::kColour:
      pos = at + 4;
      SetColor(HexDigit(all[at + 2]) * 16 + HexDigit(all[at + 3]));
      break;
    case Code::kNone:
      break;
  }
  return Step::kAgain;
}

int Terminal::ScreenWidth() const {
  return context_.user.screen_width == 0 ? 80 : context_.user.screen_width;
}

// Cuts the text into lines and counts each against the caller's screen length. A line ends at the
// first CR or LF (a CR directly followed by LF ends after the LF); text without both a CR and an
// LF ahead of it goes out as it is, uncounted.
void Terminal::SendLines(std::string_view text) {
  size_t pos = 0;
  size_t cr = text.find('\r');
  size_t lf = text.find('\n');
  while (pos < text.size()) {
    if (cr < pos) cr = text.find('\r', pos);
    if (lf < pos) lf = text.find('\n', pos);
    if (cr == std::string_view::npos || lf == std::string_view::npos) {
      Emit(text.substr(pos));
      return;
    }
    size_t end = std::min(cr, lf);
    if (end == cr && end + 1 < text.size() && text[end + 1] == '\n') ++end;
    const std::string_view line = text.substr(pos, end + 1 - pos);
    pos = end + 1;

    if (!output_.counting_suspended) ++output_.line_counter;
    if (output_.non_stop) output_.line_counter = 0;
    const int length = context_.user.screen_length;
    // A stored length beyond the longest screen the model keeps pauses at the model's last row.
    const int last_row = std::min(length, context_.comm.terminal().rows());
    const bool pause_due = output_.line_counter >= length - 1 && length > 0 &&
                           !output_.counting_suspended && context_.user.AttributeFlag(3) &&
                           context_.comm.cursor_row() >= last_row;
    if (pause_due && !Pause()) return;
    Emit(line);
    context_.loop.ProcessEvents();
  }
}

void Terminal::DisplayVerbatim(std::string_view text) {
  context_.comm.terminal().SetRows(context_.user.screen_length);
  SendLines(text);
}

void Terminal::DisplayLn(std::string_view text) {
  Display(text);
  NewLine();
}

void Terminal::NewLine() {
  SetColorPreset(0);
  Display("\r\n");
}

void Terminal::ShowPrompt(int n) {
  SetPromptColor(n);
  Display(context_.language.Text(n));
}

void Terminal::ShowPromptLn(int n) {
  ShowPrompt(n);
  NewLine();
}

void Terminal::SetForeground(int colour) {
  const std::string_view sequence = ForegroundSequence(colour);
  if (!sequence.empty()) Display(sequence);
}

void Terminal::SetBackground(int colour) {
  const std::string_view sequence = BackgroundSequence(colour);
  if (!sequence.empty()) Display(sequence);
}

void Terminal::SetColor(int attribute) {
  SetForeground(attribute & 0x0F);
  SetBackground((attribute >> 4) & 0x0F);
}

void Terminal::SetPromptColor(int n) {
  const int colour = context_.language.Colour(n);
  if (colour != 0) SetColor(colour);
}

void Terminal::SetColorPreset(int k) {
  if (k < 0 || k > 4) return;
  const auto [fg, bg] = context_.colour_sets[static_cast<size_t>(k)];
  SetForeground(fg);
  SetBackground(bg);
}

void Terminal::ClearScreen() {
  output_.line_counter = 0;
  if (context_.user.AttributeFlag(2)) {
    Display(kClearScreen);
  } else {
    NewLine();
  }
  output_.line_counter = 0;
}

void Terminal::MoveToColumn(int column) {
  Display(CursorPositionSequence(context_.comm.cursor_row(), column + 1));
}

void Terminal::MoveToRow(int row) { Display(RowSequence(row)); }

void Terminal::ReturnToLineStart() {
  Display(std::string(static_cast<size_t>(context_.comm.cursor_column() + 1), '\b'));
  --output_.line_counter;
}

void Terminal::Delay(double seconds) {
  if (seconds <= 0) return;
  context_.loop.WaitFor(
      std::chrono::duration_cast<platform::Duration>(std::chrono::duration<double>(seconds)));
}

}  // namespace vx::terminal
