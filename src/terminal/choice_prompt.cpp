// Hot-key prompts defined by language entries. An entry is one of two forms:
//
//   hot-key form   "KEYS prompt text" + character 255: the keys are the characters before the
//                  first blank. With several keys Enter answers too, at the position after the
//                  last key; with a single key Enter chooses that key.
//   yes/no form    any other text; its last character chooses the default ("Y" yes, "N".."Z"
//                  no, anything else none) and the keys are the first letters of entries 0 and 1.
//
// The answer is the 1-based position of the key in the key list. The hint shows the keys between
// the configured brackets, the default in upper case and the others in lower case, separated by
// entry 471: "[Y/n]? ".
#include <cctype>

#include "core/config.h"
#include "core/text.h"
#include "terminal/terminal.h"

namespace vx::terminal {

namespace {
constexpr unsigned char kHotKeyMark = 255;


// Sets the prompt's flags and puts the session's own back however the prompt ends.
struct PromptGuard {
  explicit PromptGuard(InputState& state)
      : state_(state),
        echo_(state.echo_character),
        auto_accept_(state.auto_accept),
        capitalise_(state.capitalise) {
    state_.auto_accept = true;
    state_.capitalise = true;
    state_.echo_character.clear();
  }
  ~PromptGuard() {
    state_.auto_accept = auto_accept_;
    state_.capitalise = capitalise_;
    state_.echo_character = echo_;
  }
  InputState& state_;
  std::string echo_;
  bool auto_accept_;
  bool capitalise_;
};
}  // namespace

int Terminal::AskChoice(int n) {
  const core::LanguageTable& language = context_.language;
  const std::string& text = language.Text(n);
  const bool hot_key_form = !text.empty() && static_cast<unsigned char>(text.back()) == kHotKeyMark;

  std::string keys;  // upper case; a CR in it stands for Enter
  int default_position = 0;
  std::string shown;
  if (hot_key_form) {
    const std::string_view body = std::string_view(text).substr(0, text.size() - 1);
    const size_t blank = body.find(' ');
    keys = core::UpperCase(body.substr(0, blank));
    if (blank != std::string_view::npos) shown = body.substr(blank + 1);
    if (keys.size() == 1) default_position = 1;
  } else {
    // An empty yes or no entry would leave the prompt without its key; Y and N stand in. A
    // colour code in front of the word is not its key.
    const auto key_of = [&language](int entry, char otherwise) {
      const std::string first = SliceValue(CleanValue(language.Text(entry)), 0, 1);
      return ValueLength(first) == 1 ? core::UpperChar(first.back()) : otherwise;
    };
    keys += key_of(0, 'Y');
    keys += key_of(1, 'N');
    const char last = text.empty() ? '\0' : core::UpperChar(text.back());
    if (last == 'Y') {
      default_position = 1;
    } else if (last >= 'N' && last <= 'Z') {
      default_position = 2;
    }
    shown = core::Trim(std::string_view(text).substr(0, text.empty() ? 0 : text.size() - 1));
  }

  std::string hint;
  const std::string separator = CleanValue(language.Text(471));
  const core::ConfigSnapshot& config = context_.config_snapshot;
  if (const char open = config.OpenBracket(); open != '\0') hint += open;
  for (size_t i = 0; i < keys.size(); ++i) {
    if (i > 0) hint += separator;
    hint += static_cast<int>(i) + 1 == default_position ? keys[i] : core::LowerChar(keys[i]);
  }
  if (const char close = config.CloseBracket(); close != '\0') hint += close;
  hint += "? ";

  if (hot_key_form) {
    if (input_.hint) {
      input_.hint = false;
      Display(hint);
    }
    Display(shown);
    // Enter is a further answer after the last key; a prompt without keys takes Enter alone.
    if (keys.size() != 1) keys += '\r';
  } else {
    Display(shown);
    Display(" ");
    Display(hint);
  }

  int choice = 0;
  {
    PromptGuard guard(input_);
    while (choice == 0) {
      const std::string key = InputMasked(1);
      const char pressed = key.empty() ? '\r' : key[0];
      const size_t position = keys.find(pressed);
      if (position != std::string::npos) {
        choice = static_cast<int>(position) + 1;
      } else if (pressed == '\r' && default_position > 0) {
        choice = default_position;
      }
    }
  }

  if (!hot_key_form) {
    const int entry = choice == 1 ? 0 : 1;
    // The word without its key letter, the blank after it and its last character.
    const std::string answer = CleanValue(language.Text(entry));
    const size_t length = ValueLength(answer);
    SetPromptColor(entry);
    if (length > 3) Display(SliceValue(answer, 2, length - 3));
  }
  return choice;
}

int Terminal::AskPrompt(int n) {
  SetPromptColor(n);
  return AskChoice(n);
}

int Terminal::AskPromptLn(int n) {
  const int choice = AskPrompt(n);
  NewLine();
  return choice;
}

}  // namespace vx::terminal
