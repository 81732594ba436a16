// Compiling language sources into .VXL files and reading them back.
#include "tools/language_compiler.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "tools/source_error.h"
#include "tools/source_text.h"

namespace vx::tools {

std::vector<LanguageEntry> ParseLanguageSource(const std::string& source, const std::string& file) {
  std::vector<LanguageEntry> entries;
  std::istringstream lines(source);
  std::string line;
  int line_number = 0;
  std::vector<int> seen_at(kLastLanguageEntryNumber + 1, 0);
  while (std::getline(lines, line)) {
    ++line_number;
    auto tokens = TokenizeLine(line, true, file, line_number);
    if (tokens.empty()) continue;
    if (tokens.size() != 3 || !tokens[0].name.empty() || tokens[0].quoted ||
        !tokens[1].name.empty() || !tokens[2].quoted || !tokens[2].name.empty()) {
      throw SourceError(file, line_number, "expected: number colour \"text\"");
    }
    auto number = ParseNumber(tokens[0].value, kLastLanguageEntryNumber);
    if (!number) {
      throw SourceError(file, line_number,
                        "entry number \"" + tokens[0].value + "\" is not 0 to 700");
    }
    auto colour = ParseColour(tokens[1].value);
    if (!colour) {
      throw SourceError(file, line_number,
                        "\"" + tokens[1].value +
                            "\" is not a colour (a number 0-255 or a name such as yellow/blue)");
    }
    int n = static_cast<int>(*number);
    if (seen_at[static_cast<size_t>(n)] != 0) {
      throw SourceError(file, line_number,
                        "entry " + std::to_string(n) + " is already given on line " +
                            std::to_string(seen_at[static_cast<size_t>(n)]));
    }
    seen_at[static_cast<size_t>(n)] = line_number;
    entries.push_back({n, *colour, tokens[2].value, line_number});
  }
  std::sort(entries.begin(), entries.end(),
            [](const LanguageEntry& a, const LanguageEntry& b) { return a.number < b.number; });
  return entries;
}

std::string FormatLanguageSource(const std::vector<LanguageEntry>& entries) {
  std::string out;
  for (const LanguageEntry& e : entries) {
    char head[32];
    std::snprintf(head, sizeof head, "%-4d", e.number);
    out += head;
    std::string colour = ColourName(e.colour);
    out += " " + colour + std::string(colour.size() < 18 ? 18 - colour.size() : 1, ' ');
    out += "\"" + EncodeEscapes(e.text, true) + "\"\n";
  }
  return out;
}

std::string TextWithColourCode(int number, const std::string& text, int colour) {
  char code[8];
  std::snprintf(code, sizeof code, "\x0B[%02X", colour & 0xFF);
  size_t at = 0;
  if (!text.empty() && static_cast<unsigned char>(text.back()) == 0xFF) {
    size_t blank = text.find(' ');
    if (blank == std::string::npos) return text;  // a hot-key prompt that shows no text
    at = blank + 1;
  } else if (number == 0 || number == 1) {
    at = std::min<size_t>(2, text.size());
  }
  return text.substr(0, at) + code + text.substr(at);
}

CompiledLanguage CompileLanguage(const std::vector<LanguageEntry>& entries) {
  CompiledLanguage result;
  const int last = entries.empty() ? 0 : entries.back().number;
  const int n = last + 1;  // N
  const size_t table_end = 2 + 2 * static_cast<size_t>(n);

  // Decide from the last entry back to the first: an entry's anchor lies at or after its own
  // start, and the bytes there (its data and everything behind it) are settled once the later
  // entries are, whatever comes before. So every entry keeps its colour when any byte within
  // reach fits, and no decision undoes an earlier one.
  std::vector<std::string> data(entries.size());
  std::vector<size_t> distance(entries.size(), 0);
  std::string tail(1, '\0');  // the final byte, which belongs to no entry
  for (size_t i = entries.size(); i-- > 0;) {
    const LanguageEntry& e = entries[i];
    std::string natural = static_cast<char>(e.colour) + e.text;
    bool found = false;
    for (size_t d = 0; d <= 255 && d < natural.size() + tail.size(); ++d) {
      uint8_t byte = static_cast<uint8_t>(d < natural.size() ? natural[d] : tail[d - natural.size()]);
      if (byte == d && !(i + 1 == entries.size() && d == natural.size())) {
        distance[i] = d;
        found = true;
        break;
      }
    }
    if (!found && i + 1 == entries.size() && natural.size() <= 255) {
      tail[0] = static_cast<char>(natural.size());  // the final byte becomes the anchor
      distance[i] = natural.size();
      found = true;
    }
    if (found) {
      data[i] = natural;
    } else {
      // Colour 0 makes the colour byte its own anchor: such an entry can always be placed.
      data[i] = '\0' + TextWithColourCode(e.number, e.text, e.colour);
      distance[i] = 0;
      result.colour_in_text.push_back(e.number);
    }
    tail = data[i] + tail;
  }
  std::reverse(result.colour_in_text.begin(), result.colour_in_text.end());

  std::vector<uint8_t> bytes(table_end, 0);
  bytes.insert(bytes.end(), tail.begin(), tail.end());
  if (bytes.size() > 65536) {
    throw SourceError("the compiled language file would be " + std::to_string(bytes.size()) +
                      " bytes long; its 16-bit positions reach 65536 at most");
  }
  const size_t final_byte = bytes.size() - 1;
  std::vector<size_t> anchor(entries.size());
  size_t at = table_end;
  for (size_t i = 0; i < entries.size(); ++i) {
    anchor[i] = at + distance[i];
    at += data[i].size();
  }

  // The position table. An entry without source data shares the start (and the anchor) of the
  // next entry, so its span is empty and it keeps whatever text it had.
  bytes[0] = static_cast<uint8_t>(n & 0xFF);
  bytes[1] = static_cast<uint8_t>(n >> 8);
  size_t next = 0;
  for (int k = 0; k < n; ++k) {
    // With no entries at all (N = 1), P(0) points at the final byte (0): an empty span.
    size_t p = final_byte;
    if (!entries.empty()) {
      while (next < entries.size() && entries[next].number < k) ++next;
      p = anchor[std::min(next, entries.size() - 1)];
    }
    bytes[2 + 2 * static_cast<size_t>(k)] = static_cast<uint8_t>(p & 0xFF);
    bytes[3 + 2 * static_cast<size_t>(k)] = static_cast<uint8_t>(p >> 8);
  }
  result.bytes = std::move(bytes);
  return result;
}

DecodedLanguage DecodeLanguageFile(const std::vector<uint8_t>& bytes) {
  DecodedLanguage out;
  const long long length = static_cast<long long>(bytes.size());
  if (length < 2) {
    out.problems.push_back("file is " + std::to_string(length) +
                           " bytes long, shorter than its 2-byte entry count");
    return out;
  }
  const long long n = bytes[0] | (bytes[1] << 8);
  out.entry_count = static_cast<int>(n > 0 ? n - 1 : 0);
  if (2 + 2 * n > length) {
    out.problems.push_back("the position table of " + std::to_string(n) +
                           " entries runs past the end of the file");
  }
  auto start = [&](long long k) -> long long {
    long long at = 2 + 2 * k;
    if (at + 1 >= length) return -1;
    long long p = bytes[static_cast<size_t>(at)] | (bytes[static_cast<size_t>(at) + 1] << 8);
    if (p >= length) return -1;
    return p - bytes[static_cast<size_t>(p)];
  };
  std::vector<int> unreadable;
  for (long long k = 0; k < n; ++k) {
    long long s = start(k);
    long long e = (k == n - 1) ? length - 1 : start(k + 1);
    if (s < 0 || e < 0 || s > e) {
      if (k > 0) unreadable.push_back(static_cast<int>(k));
      continue;
    }
    if (k == 0 && s < 2 + 2 * n) continue;
    if (e == s) continue;
    LanguageEntry entry;
    entry.number = static_cast<int>(k);
    entry.colour = bytes[static_cast<size_t>(s)];
    entry.text.assign(bytes.begin() + s + 1, bytes.begin() + e);
    out.entries.push_back(std::move(entry));
  }
  if (!unreadable.empty()) {
    std::string list;
    for (size_t i = 0; i < unreadable.size() && i < 10; ++i) {
      list += (i ? ", " : "") + std::to_string(unreadable[i]);
    }
    if (unreadable.size() > 10) list += ", ...";
    out.problems.push_back(std::to_string(unreadable.size()) +
                           " entries point outside the file or before their predecessor: " + list);
  }
  if (n - 1 > kLastLanguageEntryNumber) {
    out.problems.push_back("entries above 700 exist; the node ignores them");
  }
  return out;
}

}  // namespace vx::tools
