// Display files: finding a screen by name through the language, text and system paths, and
// showing it line by line through Display.
//
// A display file is read as DOS text: lines end in CR LF (or LF); a Ctrl-Z ends the text, so the
// SAUCE record that drawing programs append to ANSI screens is never shown. No line end is sent
// after the last line. A line longer than kMaxPiece is shown in pieces, so no file, however it is
// made, needs more memory than that.
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <vector>

#include "core/text.h"
#include "platform/dos_path.h"
#include "terminal/terminal.h"

namespace vx::terminal {

namespace {
constexpr size_t kMaxPiece = 64 * 1024;
constexpr int kDosEndOfFile = 26;

// Reads up to the next line end (LF, with a CR before it dropped), the end of the text or
// kMaxPiece bytes. `line_end` tells whether a line end was read; false at the end of the text.
bool ReadPiece(std::istream& in, std::string& piece, bool& line_end) {
  piece.clear();
  line_end = false;
  for (;;) {
    const int c = in.get();
    if (c == std::char_traits<char>::eof() || c == kDosEndOfFile) {
      in.setstate(std::ios::eofbit);
      break;
    }
    if (c == '\n') {
      line_end = true;
      break;
    }
    piece += static_cast<char>(c);
    if (piece.size() >= kMaxPiece) return true;
  }
  if (line_end && !piece.empty() && piece.back() == '\r') piece.pop_back();
  return line_end || !piece.empty();
}

bool MoreText(std::istream& in) {
  if (!in.good()) return false;
  const int c = in.peek();
  return c != std::char_traits<char>::eof() && c != kDosEndOfFile;
}

// Screen names come from the sysop's texts, but a name may still be made of parts the caller
// chose; it never leaves the directory it is looked up in.
bool SafeName(std::string_view name) {
  if (name.empty() || name.front() == '/' || name.front() == '\\') return false;
  if (name.find(':') != std::string_view::npos) return false;
  size_t start = 0;
  while (start <= name.size()) {
    const size_t end = std::min(name.find_first_of("/\\", start), name.size());
    if (name.substr(start, end - start) == "..") return false;
    start = end + 1;
  }
  return true;
}
}  // namespace

std::string Terminal::FileExtension() const {
  switch (output_.terminal_type) {
    case 0:
    case 1:
      return ".ANS";
    case 2:
      return ".AVT";
    default:
      return "";
  }
}

bool Terminal::DisplayFileExists(std::string_view path) const {
  const std::string host = platform::HostPath(std::string(path) + FileExtension(), context_.env);
  struct stat info {};
  if (::stat(host.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  return std::ifstream(host, std::ios::binary).good();
}

void Terminal::ShowTextFile(std::string_view name) {
  if (!SafeName(name)) return;
  std::vector<std::string> candidates;
  if (context_.user.language > 0) {
    if (const core::LanguageRecord* language = context_.languages.Find(context_.user.language);
        language && !language->text_path.empty()) {
      candidates.push_back(language->text_path + std::string(name));
    }
  }
  candidates.push_back(context_.config.text_path + std::string(name));
  candidates.push_back(context_.config.system_path + std::string(name));
  for (const std::string& path : candidates) {
    if (DisplayFileExists(path)) {
      ShowFile(path);
      return;
    }
  }
}

void Terminal::ShowFile(std::string_view path) {
  EndListing();
  // A screen that includes itself (or a ring of screens) stops after a few levels.
  if (file_depth_ >= kMaxFileNesting) return;
  struct DepthGuard {
    explicit DepthGuard(int& depth) : depth_(++depth) {}
    ~DepthGuard() { --depth_; }
    int& depth_;
  } depth(file_depth_);

  std::ifstream in(platform::HostPath(std::string(path) + FileExtension(), context_.env),
                   std::ios::binary);
  if (!in) return;
  std::string piece;
  bool line_end = false;
  while (ReadPiece(in, piece, line_end)) {
    Display(piece);
    if (line_end && MoreText(in)) Display("\r\n");
    if (output_.stop_answer == "N") {
      EndListing();
      return;
    }
  }
  const comm::CommControl& comm = context_.comm;
  if (output_.positioned_display && comm.cursor_column() < 80) {
    MoveToColumn(comm.cursor_column() + 1);
  }
  output_.echo_foreground = comm.foreground();
  output_.echo_background = comm.background();
}

void Terminal::PressEnter() {
  SetColorPreset(0);
  ShowPrompt(257);
  GetKey();
  NewLine();
}

void Terminal::EndListing() {
  output_.listing_mode = 0;
  output_.stop_answer.clear();
}

}  // namespace vx::terminal
