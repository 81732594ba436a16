// The display codes of texts and display files: ^K (character 11) followed by a character inserts
// system and session information, ^F (character 6) followed by a character inserts the caller's
// own particulars. Dots between the control character and the code character reserve a field of
// that many characters ("^K...A" is the total number of calls in three columns): texts are
// left-aligned, numbers right-aligned, and a value is padded with blanks or cut to the field.
//
// A code whose character has no entry (among them ^K "!", "[" and backslash, which the output
// routine acts on) stays in the text, and so does a control character followed by dots and
// nothing else. Values are inserted in one pass from left to right: a value is never searched
// for codes of its own table again, so no text, however it was made, can make the expansion
// repeat or grow without end. Texts that a caller typed (name, location, phones...) are inserted
// without their control characters, so a caller cannot smuggle codes into the node's output.
// Every other text value (language entries, area and language names) keeps only its colour codes
// ^K "[" xx, which the output turns into colour sequences; they take no room in a field and are
// never cut in half.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/config.h"
#include "core/language.h"
#include "core/user_record.h"
#include "platform/clock.h"
#include "platform/environment.h"
#include "terminal/code_values.h"

namespace vx::terminal {

inline constexpr char kCtrlK = 11;
inline constexpr char kCtrlF = 6;

// Every occurrence of `find` in `text`, compared ignoring case, replaced by `value` fitted to the
// field of `find`: the field width is the number of dots in `find`; mode 1 left-aligns, mode 2
// right-aligns, and any other mode (or a find without dots) inserts the value unchanged.
std::string ReplaceText(std::string_view text, std::string_view find, std::string_view value,
                        int mode);
// The text cut to its first `width` characters, then padded with blanks to `width`: on the right
// when align is 0, on the left otherwise.
std::string PadText(std::string_view text, int width, int align);
// ^K "[" and the colour attribute of language entry n as two upper-case hexadecimal digits;
// empty when the entry has colour 0.
std::string PromptColorCode(const core::LanguageTable& language, int n);

// A text to be inserted as a value: its colour codes ^K "[" + two hexadecimal digits stay, every
// other control character goes (an escape sequence with its parameters).
std::string CleanValue(std::string_view text);
// Characters of a clean value that take a place on the screen (all but its colour codes).
size_t ValueLength(std::string_view clean);
// The characters first .. first + count - 1 of a clean value, counted without its colour codes,
// with the colour codes that come before the last of them.
std::string SliceValue(std::string_view clean, size_t first, size_t count);
// A clean value cut to `width` characters and padded with blanks: on the right when align is 0,
// on the left otherwise.
std::string FitValue(std::string_view clean, int width, int align);

class ControlCodes {
 public:
  struct Sources {
    const core::UserRecord& user;
    const core::LanguageTable& language;
    const core::LanguageList& languages;
    const core::Configuration& config;
    const platform::Environment& env;
    const platform::Clock& clock;
  };

  explicit ControlCodes(const Sources& sources) : s_(sources) {}

  // Where the figures owned by the session and the bases come from (never null; the default
  // answers 0 and empty texts).
  void SetValues(const CodeValues* values) { values_ = values ? values : &defaults_; }
  const CodeValues& values() const { return *values_; }

  // The text with every ^K code, then every ^F code, replaced. With `positioned` set (a menu text
  // file is being shown) every ESC "[255D" is removed as well.
  std::string Expand(std::string_view text, bool positioned) const;

  // Language entry 116 (set) or 117 (clear), each preceded by its colour code, for character k
  // (1-based) of a flag string; a value to insert (see CleanValue).
  std::string FlagText(std::string_view flags, int k) const;

 private:
  struct Value {
    std::string text;
    bool number = false;
    size_t first_chars = std::string::npos;  // only so many of its characters (codes not counted)
  };
  std::optional<Value> SystemCode(char code) const;
  std::optional<Value> UserCode(char code) const;
  void ExpandTable(std::string& text, char marker, bool system) const;
  // Language entry n preceded by its colour code, as it stands in the language file.
  std::string EntryWithColour(int n) const;
  std::string OnOffText(bool on) const;
  int WeekdayEntry() const;  // the language entry of today's weekday name
  std::string LanguageName() const;
  long FileRecords(const std::string& path, long record_size) const;

  Sources s_;
  CodeValues defaults_;
  const CodeValues* values_ = &defaults_;
};

}  // namespace vx::terminal
