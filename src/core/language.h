// The installed languages (LANGUAGE.VX) and the entry table loaded from a compiled language file.
//
// LANGUAGE.VX: 466-byte records, numbered from 1; a remainder at the end is ignored.
//   off  width  field
//   0    21     String[20] Name (a record whose trimmed name is empty is not loaded)
//   21   1      byte Available (0 = cannot be chosen)
//   22   61     String[60] DefinitionFile (the compiled .VXL file)
//   83   61     String[60] LanguageMenuPath
//   144  61     String[60] LanguageTextPath
//   205  61     String[60] LanguageQuestionPath
//   266  2      uint16 Security
//   268  1      flag byte
//   269  1      flag byte
//   270  196    not read
//
// Compiled language file (.VXL), 0-based offsets:
//   0       uint16 N, one more than the number of the last entry
//   2 + 2k  uint16 P(k), the position of entry k, k = 0 .. N - 1
//   P(k)    byte B(k); entry k's data starts B(k) bytes earlier, at S(k) = P(k) - B(k), and runs
//           up to S(k + 1); the last entry runs up to the file's final byte, which belongs to no
//           entry. The first data byte is the colour attribute, the rest is the text.
// An entry with no bytes keeps its previous text and colour.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vx::core {

inline constexpr int kLanguageRecordSize = 466;
inline constexpr int kMaxLanguages = 255;
inline constexpr int kLastLanguageEntry = 700;

struct LanguageRecord {
  std::string name;
  bool available = false;
  std::string definition_file;
  std::string menu_path, text_path, question_path;  // each ends in a backslash (or "/")
  uint16_t security = 0;
  std::string flags1 = "00000000", flags2 = "00000000";
};

class LanguageList {
 public:
  // Parses the bytes of LANGUAGE.VX.
  static LanguageList Parse(const std::vector<uint8_t>& bytes);
  // Record n (1..255), or nullptr when there is none or its name is empty.
  const LanguageRecord* Find(int n) const;
  int record_count() const { return record_count_; }

 private:
  std::array<std::optional<LanguageRecord>, kMaxLanguages + 1> records_{};
  int record_count_ = 0;
};

class LanguageTable {
 public:
  struct LoadResult {
    int entries_loaded = 0;
    std::string problem;  // a damaged file: what was wrong (the readable entries are loaded)
  };

  // Applies the entries of a compiled file to the table: entries present replace the old ones.
  LoadResult Load(const std::vector<uint8_t>& bytes);

  const std::string& Text(int n) const;
  uint8_t Colour(int n) const;
  void Set(int n, std::string text, uint8_t colour);

 private:
  std::array<std::string, kLastLanguageEntry + 1> texts_{};
  std::array<uint8_t, kLastLanguageEntry + 1> colours_{};
};

// True for the entries that the node inserts into other texts as values rather than showing them
// as prompts of their own: the yes and no words (0, 1), the on/off words (116, 117), the status
// words of the users-online list (169..174, 570, 572, fitted to columns), the weekday names
// (250..256, also cut to three letters), the area kinds (380..382, 661, 662), the separator of
// choice hints (471), the date format names (476..479) and the empty forwarding address (488).
// Such an entry's colour belongs in its colour byte, never as a code inside its text.
bool IsValueEntry(int n);

// The hot key of an entry that names a choice, as the menus of the message reader and the line
// editor take it: the character between the first "(" and a ")" right after it ("(N)ext" is N),
// otherwise the first character that is neither a blank nor part of a colour code; upper case.
// 0 for an entry without such a character.
char EntryHotKey(std::string_view text);

// The file name of a definition completed as the loader does it: ".VXL" appended when the name
// has no "."; the system directory put in front when it has no backslash (a host path, one with
// "/", is taken as it is).
std::string CompleteLanguageFileName(const std::string& name, const std::string& system_path);

}  // namespace vx::core
