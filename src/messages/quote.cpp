// The quote of a reply.
#include "messages/quote.h"

#include <algorithm>

#include "core/text.h"

namespace vx::messages {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
// A prefix longer than this leaves too little of the line for text: the text keeps this room.
constexpr size_t kMinimumTextWidth = 20;

bool Quoted(std::string_view line) {
  return !(line.starts_with('\x01') || line.starts_with("SEEN-BY:"));
}

// The lines of a stored text (CR, CR LF or LF each end one); an unterminated last line counts.
template <typename Each>
void ForEachLine(std::string_view text, Each each) {
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    if (!each(text.substr(start, end - start))) return;
    start = end;
    if (start < text.size() && text[start] == '\r') ++start;
    if (start < text.size() && text[start] == '\n') ++start;
  }
}

}  // namespace

std::string NameInitials(std::string_view name) {
  std::string initials;
  for (size_t i = 0; i < name.size(); ++i) {
    const bool starts_word = i == 0 || name[i - 1] == ' ';
    if (starts_word && name[i] != ' ') initials += name[i];
  }
  return initials;
}

std::string ExpandQuoteHeader(std::string_view header, const QuotedMessage& message) {
  std::string out;
  for (char c : header) {
    switch (c) {
      case '@':
        out += message.to;
        break;
      case '#':
        out += message.from;
        break;
      case '`':
        out += message.date;
        break;
      case '~':
        out += message.time;
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string ExpandQuotePrefix(std::string_view prefix, std::string_view from) {
  const std::string initials = NameInitials(from);
  std::string out;
  for (char c : prefix) {
    if (c == '@') {
      out += core::UpperCase(initials);
    } else if (c == '#') {
      out += core::LowerCase(initials);
    } else {
      out += c;
    }
  }
  return out;
}

std::string QuoteText(std::string_view header, std::string_view prefix,
                      const QuotedMessage& message) {
  std::string quote;
  if (!header.empty()) {
    quote += ExpandQuoteHeader(header, message);
    quote += kLineEnd;
  }
  const std::string lead = ExpandQuotePrefix(prefix, message.from);
  const size_t width =
      std::max(kMinimumTextWidth, kQuoteWidth - std::min(kQuoteWidth, lead.size()));
  const auto add = [&](std::string_view part) {
    if (quote.size() + lead.size() + part.size() + kLineEnd.size() > kMaxQuoteBytes) return false;
    quote += lead;
    quote += part;
    quote += kLineEnd;
    return true;
  };
  ForEachLine(message.text, [&](std::string_view line) {
    if (!Quoted(line)) return true;
    if (line.empty()) return add(line);
    // A long line goes on in further quoted lines, broken after a blank where there is one.
    while (!line.empty()) {
      std::string_view part = line.substr(0, width);
      if (part.size() < line.size()) {
        const size_t blank = part.rfind(' ');
        if (blank != std::string_view::npos && blank > 0) part = part.substr(0, blank + 1);
      }
      if (!add(part)) return false;
      line.remove_prefix(part.size());
    }
    return true;
  });
  return quote;
}

}  // namespace vx::messages
