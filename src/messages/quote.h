// The quote of a reply: what MSGTMP holds when the external editor starts. The quote header of
// the configuration comes first (when it is not empty), then the replied message's lines, each
// behind the quote prefix; lines end with CR LF, as DOS editors want them.
//
// In the header "@" stands for the replied message's addressee, "#" for its sender, "`" for its
// date and "~" for its time; in the prefix "@" stands for the sender's initials in upper case and
// "#" for them in lower case (the first letter of the name and the first letter after each blank).
// Kludge lines (^A) and SEEN-BY lines are not quoted; a long line is wrapped at a blank so that
// each quoted line fits a screen, and a huge message is quoted only up to a limit.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vx::messages {

struct QuotedMessage {
  std::string from, to;
  std::string date, time;  // "MM-DD-YY", "hh:mm"
  std::string text;        // as stored: lines ended by CR (or CR LF, or LF)
};

// The quoted text stops at the line that would take it past this many bytes.
inline constexpr size_t kMaxQuoteBytes = 64 * 1024;
// Quoted lines are wrapped to end before this column.
inline constexpr size_t kQuoteWidth = 79;

std::string NameInitials(std::string_view name);
std::string ExpandQuoteHeader(std::string_view header, const QuotedMessage& message);
std::string ExpandQuotePrefix(std::string_view prefix, std::string_view from);
// MSGTMP's bytes for a reply to `message`.
std::string QuoteText(std::string_view header, std::string_view prefix,
                      const QuotedMessage& message);

}  // namespace vx::messages
