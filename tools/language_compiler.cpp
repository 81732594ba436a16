// Compiling language sources into .VXL files and reading them back.
#include "tools/language_compiler.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <sstream>

#include "core/language.h"
#include "core/text.h"
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

std::string TextWithColourCode(const std::string& text, int colour) {
  char code[8];
  std::snprintf(code, sizeof code, "\x0B[%02X", colour & 0xFF);
  size_t at = 0;
  if (!text.empty() && static_cast<unsigned char>(text.back()) == 0xFF) {
    size_t blank = text.find(' ');
    if (blank == std::string::npos) return text;  // a hot-key prompt that shows no text
    at = blank + 1;
  }
  return text.substr(0, at) + code + text.substr(at);
}

std::string ColourReport(const CompiledLanguage& compiled) {
  std::string report;
  if (!compiled.colour_in_text.empty()) {
    report = std::to_string(compiled.colour_in_text.size()) +
             " entries carry their colour as ^K[xx in the text";
  }
  if (!compiled.colour_dropped.empty()) {
    if (!report.empty()) report += "; ";
    report += "entries";
    for (size_t i = 0; i < compiled.colour_dropped.size(); ++i) {
      report += (i ? ", " : " ") + std::to_string(compiled.colour_dropped[i]);
    }
    report += ", inserted as values, lose their colour (no byte of the file could anchor it)";
  }
  return report;
}

namespace {

// The data of the entries as they will lie in the file, and where each entry's anchor is. The
// entries are placed from the last back to the first: an entry's anchor lies at or after its own
// start, so the bytes it may use (its data and everything behind it) are settled once the later
// entries are, whatever comes before.
class Layout {
 public:
  enum class Form { kNatural, kColourInText, kColourDropped };

  explicit Layout(const std::vector<LanguageEntry>& entries)
      : entries_(&entries),
        data_(entries.size()),
        distance_(entries.size(), 0),
        form_(entries.size(), Form::kNatural),
        lower_case_(entries.size(), false) {}

  // Places entry i, all entries after it being placed: with its colour byte when a byte within
  // reach anchors it; otherwise an ordinary entry carries its colour as a code in its text, and
  // a value entry, which must not, first tries whether writing a later ordinary entry the other
  // way round gives it an anchor, and else goes without its colour.
  void Place(size_t i) {
    const LanguageEntry& e = (*entries_)[i];
    data_[i] = Natural(i);
    form_[i] = Form::kNatural;
    if (auto d = FindAnchor(i)) {
      distance_[i] = *d;
      return;
    }
    if (i + 1 == entries_->size() && data_[i].size() <= 255) {
      final_byte_ = static_cast<uint8_t>(data_[i].size());  // the final byte becomes the anchor
      distance_[i] = data_[i].size();
      return;
    }
    if (core::IsValueEntry(e.number) && Repair(i)) return;
    // Colour 0 makes the colour byte its own anchor: such an entry can always be placed.
    const bool value = core::IsValueEntry(e.number);
    data_[i] = '\0' + (value ? e.text : TextWithColourCode(e.text, e.colour));
    distance_[i] = 0;
    form_[i] = value ? Form::kColourDropped : Form::kColourInText;
  }

  Form form(size_t i) const { return form_[i]; }
  const std::vector<std::string>& data() const { return data_; }
  const std::vector<size_t>& distance() const { return distance_; }
  uint8_t final_byte() const { return final_byte_; }

 private:
  std::string Natural(size_t i) const {
    return static_cast<char>((*entries_)[i].colour) + (*entries_)[i].text;
  }

  // The first byte at a distance d (0..255) from entry i's start whose value is d. The last
  // entry's own anchor in the final byte is set apart (Place), as that byte's value is free.
  std::optional<size_t> FindAnchor(size_t i) const {
    std::string window;
    for (size_t k = i; k < data_.size() && window.size() < 256; ++k) window += data_[k];
    const bool last = i + 1 == data_.size();
    if (!last && window.size() < 256) window += static_cast<char>(final_byte_);
    for (size_t d = 0; d < window.size() && d <= 255; ++d) {
      if (static_cast<uint8_t>(window[d]) == d) return d;
    }
    return std::nullopt;
  }

  // A later ordinary entry written another way: its colour in its colour byte, or as a code in
  // its text with upper- or lower-case hexadecimal digits (the display takes either).
  struct Change {
    size_t entry;
    Form form;
    bool lower_case = false;
  };

  // Tries the changes of later ordinary entries within reach of entry i, one at a time and then
  // two at a time, and keeps the first set that anchors entry i while every value entry in
  // between still finds an anchor (an ordinary one may take its colour into its text). Each
  // change moves the bytes behind it, which may bring a fitting byte to the right distance.
  bool Repair(size_t i) {
    std::vector<Change> changes;
    size_t reach = data_[i].size();
    for (size_t j = i + 1; j + 1 < entries_->size() && reach <= 255; reach += data_[j++].size()) {
      const LanguageEntry& e = (*entries_)[j];
      if (core::IsValueEntry(e.number) || e.colour == 0) continue;
      const bool letters = (e.colour & 0x0F) >= 10 || (e.colour >> 4) >= 10;
      if (form_[j] == Form::kNatural) {
        changes.push_back({j, Form::kColourInText});
        if (letters) changes.push_back({j, Form::kColourInText, true});
      } else {
        changes.push_back({j, Form::kNatural});
        if (letters) changes.push_back({j, Form::kColourInText, !lower_case_[j]});
      }
    }
    for (size_t a = 0; a < changes.size(); ++a) {
      if (TryChanges(i, {changes[a]})) return true;
    }
    for (size_t a = 0; a < changes.size(); ++a) {
      for (size_t b = a + 1; b < changes.size(); ++b) {
        if (changes[a].entry != changes[b].entry && TryChanges(i, {changes[a], changes[b]})) {
          return true;
        }
      }
    }
    return false;
  }

  bool TryChanges(size_t i, const std::vector<Change>& changes) {
    Layout trial = *this;
    size_t top = i;
    for (const Change& c : changes) {
      const LanguageEntry& e = (*entries_)[c.entry];
      if (c.form == Form::kNatural) {
        trial.data_[c.entry] = Natural(c.entry);
      } else {
        std::string text = TextWithColourCode(e.text, e.colour);
        const size_t code = text.find('\x0B');
        if (c.lower_case && code != std::string::npos) {
          for (size_t k = code + 2; k < code + 4; ++k) text[k] = core::LowerChar(text[k]);
        }
        trial.data_[c.entry] = '\0' + text;
      }
      trial.form_[c.entry] = c.form;
      trial.lower_case_[c.entry] = c.lower_case;
      top = std::max(top, c.entry);
    }
    for (size_t m = top + 1; m-- > i;) {
      auto d = trial.FindAnchor(m);
      const LanguageEntry& e = (*entries_)[m];
      if (!d && m > i && !core::IsValueEntry(e.number) && e.colour != 0) {
        // An ordinary entry in between that lost its anchor carries its colour in its text.
        trial.data_[m] = '\0' + TextWithColourCode(e.text, e.colour);
        trial.form_[m] = Form::kColourInText;
        trial.lower_case_[m] = false;
        d = 0;
      }
      if (!d) return false;
      trial.distance_[m] = *d;
    }
    *this = std::move(trial);
    return true;
  }

  const std::vector<LanguageEntry>* entries_;
  std::vector<std::string> data_;
  std::vector<size_t> distance_;
  std::vector<Form> form_;
  std::vector<bool> lower_case_;  // a colour code in the text written with a-f
  uint8_t final_byte_ = 0;        // the byte after the last entry, which belongs to no entry
};

}  // namespace

CompiledLanguage CompileLanguage(const std::vector<LanguageEntry>& entries) {
  CompiledLanguage result;
  const int last = entries.empty() ? 0 : entries.back().number;
  const int n = last + 1;  // N
  const size_t table_end = 2 + 2 * static_cast<size_t>(n);

  Layout layout(entries);
  for (size_t i = entries.size(); i-- > 0;) layout.Place(i);
  for (size_t i = 0; i < entries.size(); ++i) {
    if (layout.form(i) == Layout::Form::kColourInText)
      result.colour_in_text.push_back(entries[i].number);
    if (layout.form(i) == Layout::Form::kColourDropped)
      result.colour_dropped.push_back(entries[i].number);
  }
  const std::vector<std::string>& data = layout.data();
  const std::vector<size_t>& distance = layout.distance();
  std::string tail;
  for (const std::string& d : data) tail += d;
  tail += static_cast<char>(layout.final_byte());

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
