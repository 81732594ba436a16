// The codes of a door's command line.
#include "doors/door_command.h"

#include <cctype>

#include "core/text.h"
#include "platform/process_runner.h"

namespace vx::doors {

namespace {

bool IsAsciiAlnum(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// One word with its codes replaced. `cut` is set when a *U ended it.
std::string ExpandWord(std::string_view word, const DoorCodeValues& v, bool& cut) {
  std::string out;
  cut = false;
  for (size_t i = 0; i < word.size(); ++i) {
    if (word[i] != '*' || i + 1 >= word.size()) {
      out += word[i];
      continue;
    }
    const char code = core::UpperChar(word[i + 1]);
    switch (code) {
      case 'B': out += std::to_string(v.speed); break;
      case 'C': out += v.command_interpreter; break;
      case 'F': out += SafeWord(v.first_name); break;
      case 'G': out += v.display_mode == 1 ? "1" : "0"; break;
      case 'L': out += SafeWord(v.last_name); break;
      case 'M': break;
      case 'N': out += std::to_string(v.node); break;
      case 'P': out += std::to_string(v.port); break;
      case 'R': out += std::to_string(v.extra_record); break;
      case 'T': out += std::to_string(v.minutes_left); break;
      case '!': break;
      case '1': out += std::to_string(v.message_area); break;
      case 'U':
        cut = true;
        return out;
      default:
        out += word[i];
        continue;  // not a code: the "*" stays and the next character is looked at as usual
    }
    ++i;
  }
  return out;
}

}  // namespace

std::string FirstName(std::string_view name) {
  const size_t blank = name.find(' ');
  return std::string(name.substr(0, blank));
}

std::string LastName(std::string_view name) {
  const size_t blank = name.find(' ');
  return blank == std::string_view::npos ? std::string() : std::string(name.substr(blank + 1));
}

std::string SafeWord(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (!IsAsciiAlnum(c) && c != '-' && c != '.') c = '_';
  }
  return out;
}

std::vector<std::string> ExpandDoorCommand(std::string_view command_line,
                                           const DoorCodeValues& values) {
  std::vector<std::string> words;
  bool join = false;  // the previous word was cut by *U: this one continues it
  for (const std::string& word : platform::SplitCommandLine(command_line)) {
    bool cut = false;
    std::string expanded = ExpandWord(word, values, cut);
    if (join && !words.empty()) {
      words.back() += expanded;
    } else {
      words.push_back(std::move(expanded));
    }
    join = cut;
  }
  // A *U at the very end leaves the line ending before it; an emptied word is no argument.
  std::erase_if(words, [](const std::string& w) { return w.empty(); });
  return words;
}

}  // namespace vx::doors
