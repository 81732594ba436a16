// The line editor: a short multi-line text typed on a line-oriented terminal and corrected with a
// small command menu. Message entry and upload descriptions use it.
//
// Lines are at most 70 characters; a word typed past the end of a line is carried to the start of
// the next one (once: the line it left no longer holds it). A line ended with Enter keeps its CR LF.
// The commands are those of language entries 288 to 296, in this order: delete lines, retype a
// line, find and replace in a line, insert a line, help, continue, list, save, abandon; the key of
// each is the character its entry marks, "(D)elete" or a hot-key prompt's first key.
#pragma once

#include <string>
#include <vector>

#include "terminal/terminal.h"

namespace vx::terminal {

class LineEditor {
 public:
  static constexpr int kWidth = 70;
  static constexpr int kMaxLines = 100;

  explicit LineEditor(Terminal& terminal) : terminal_(terminal) {}

  // Returns the text (the lines in order), or an empty text when the caller abandons it.
  std::string EditLines(int max_lines);

  // The key a command entry marks: the character in "(X)", the first key of a hot-key prompt, or
  // the first letter; upper case; 0 for an empty entry.
  static char CommandKey(std::string_view entry);
  // The entry as shown: a hot-key prompt without its keys and final mark.
  static std::string CommandLabel(std::string_view entry);

 private:
  void Heading(int max_lines);
  void Ruler();
  // Reads lines from line `from` (0-based) on until an empty line or the limit.
  void Enter(size_t from, int max_lines);
  std::string ReadLine(size_t number, int max_lines, bool last);
  // Asks for a line number 1..count with the prompt of `entry`; 0 when there are no lines.
  size_t AskLine(int entry);
  void List();

  Terminal& terminal_;
  std::vector<std::string> lines_;
};

}  // namespace vx::terminal
