// Language sources and compiled language files (.VXL).
//
// Source: one entry per line, `number colour "text"`; '#' starts a comment, blank lines are
// ignored. The number is 0..700 (entry 0 is the yes word, 1 the no word); the colour is an IBM
// attribute as a number (14, 0x1E) or a name ("yellow", "yellow/blue", "default" = 0, which keeps
// the current colour). Text escapes: ^K ^F ^A ^L ^W ^[ ... for control characters, ^^ for a caret,
// \xHH for any byte (\xFF is the character 255 that ends a hot-key prompt), \" and \\.
//
// Compiled file: uint16 N (last entry + 1), the positions P(0..N-1), then the entries' data (colour
// byte, text) in number order, then one final byte. The node finds entry k at S(k) = P(k) - B(k),
// B(k) being the byte at P(k), and reads it up to S(k + 1). The compiler therefore points P(k) at
// a byte, at or after S(k), whose value is its own distance from S(k): the colour byte itself
// when the colour is 0, otherwise a suitable byte of the following text (or the final byte for the
// last entry). When no byte within reach fits, the entry is written with colour 0 and its colour
// as the code ^K[xx in its text, where the prompt forms still work: after the first blank of a
// hot-key prompt (its keys come before it) and at the start of any other text. The display turns
// the code into the same colour. An entry that the node inserts into other texts as a value (the
// yes and no words, weekday names and the others of core::IsValueEntry) never gets such a code,
// since it is cut and fitted there: it is written with colour 0 and shows in the colour around it.
// Both kinds of entries are listed in the compile report.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vx::tools {

inline constexpr int kLastLanguageEntryNumber = 700;

struct LanguageEntry {
  int number = 0;
  int colour = 0;
  std::string text;
  int line = 0;  // source line, 0 when not from a source
};

// Parses a source; entries come back sorted by number. Throws SourceError for a bad line, a number
// outside 0..700, a bad colour or a number given twice.
std::vector<LanguageEntry> ParseLanguageSource(const std::string& source, const std::string& file);
// The source text of entries (for `vxcfg dump` of a compiled file and round trips).
std::string FormatLanguageSource(const std::vector<LanguageEntry>& entries);

struct CompiledLanguage {
  std::vector<uint8_t> bytes;
  std::vector<int> colour_in_text;  // entries whose colour went into the text as ^K[xx
  std::vector<int> colour_dropped;  // value entries written with colour 0 instead
};

// Lays the entries out as described above. Throws SourceError when the file would pass the 64K
// that its 16-bit positions can reach.
CompiledLanguage CompileLanguage(const std::vector<LanguageEntry>& entries);

// What the sysop should know of a compiled file's colours, empty when every entry kept its own:
// "2 entries carry their colour as ^K[xx in the text; entries 253, 255, inserted as values, lose
// their colour".
std::string ColourReport(const CompiledLanguage& compiled);

// The text with the colour code ^K[xx inserted where the prompt forms allow it.
std::string TextWithColourCode(const std::string& text, int colour);

struct DecodedLanguage {
  int entry_count = 0;  // N - 1, the number of the last entry
  std::vector<LanguageEntry> entries;  // the non-empty ones, by the node's reading rule
  std::vector<std::string> problems;
};

// Reads a compiled file by the node's rule, entry 0 included when its span lies after the position
// table; never fails: what cannot be read is named in `problems`.
DecodedLanguage DecodeLanguageFile(const std::vector<uint8_t>& bytes);

}  // namespace vx::tools
