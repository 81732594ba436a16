// The text conventions shared by the language and menu sources: a line is a keyword or a number
// followed by words, quoted texts and name=value pairs; '#' outside quotes starts a comment.
//
// Escapes inside a quoted text:
//   \"  a double quote          \\  a backslash          \xHH  the byte HH (hexadecimal)
//   \cX the control character of letter X (\cK is character 11, \cA is 1, \c[ is ESC)
// and, in language sources only (where "^" has no meaning of its own):
//   ^X  the control character of X (^K, ^F, ^A, ^L, ^W, ^[ ...)   ^^  a caret
// Texts are bytes in code page 437 (a UTF-8 source is not converted: write \xHH for such bytes).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vx::tools {

struct SourceToken {
  std::string name;   // for name=value; empty for a plain word or text
  std::string value;  // the word, or the decoded text
  bool quoted = false;
};

// Splits one line into tokens. Throws SourceError(file, line, ...) for an unterminated text or a
// bad escape.
std::vector<SourceToken> TokenizeLine(std::string_view line, bool caret_controls,
                                      const std::string& file, int line_number);

// Decodes the escapes of a text (without its quotes); nullopt and a message when one is bad.
std::optional<std::string> DecodeEscapes(std::string_view text, bool caret_controls,
                                         std::string* error);
// The inverse, for dumps and round trips: printable ASCII as it is, everything else escaped.
std::string EncodeEscapes(std::string_view bytes, bool caret_controls);

// "14", "0x1E", "yellow", "yellow/blue" or "yellow on blue"; nullopt when it is none of these.
std::optional<int> ParseColour(std::string_view text);
// "yellow/blue" style name of an attribute, "default" for 0.
std::string ColourName(int attribute);

// A non-negative whole number in decimal or 0x hexadecimal, within [0, max].
std::optional<long long> ParseNumber(std::string_view text, long long max);

}  // namespace vx::tools
