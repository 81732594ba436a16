// Command-line options.
#include "session/command_line.h"

#include "core/text.h"

namespace vx::session {

namespace {

std::string_view ValueText(std::string_view command_line, std::string_view option, bool& found) {
  size_t at = command_line.find(option);
  found = at != std::string_view::npos;
  if (!found) return {};
  std::string_view rest = command_line.substr(at + option.size());
  size_t blank = rest.find(' ');
  return blank == std::string_view::npos ? rest : rest.substr(0, blank);
}

// The -M value with its case kept: the same bytes of the raw line (upper-casing keeps positions),
// with "*M" removed wherever the upper-cased value has it.
std::string FrontEndAsGiven(std::string_view raw, std::string_view upper) {
  const size_t at = upper.find("-M");
  if (at == std::string_view::npos || raw.size() != upper.size()) return {};
  bool found = false;
  const std::string_view value = ValueText(upper, "-M", found);
  const size_t start = at + 2;
  std::string kept;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value.substr(i, 2) == "*M") {
      ++i;
      continue;
    }
    kept += raw[start + i];
  }
  return kept;
}

}  // namespace

long long GetNumericOption(std::string_view command_line, std::string_view option) {
  bool found = false;
  std::string_view value = ValueText(command_line, option, found);
  return found ? core::LeadingNumber(value) : -1;
}

std::string GetTextOption(std::string_view command_line, std::string_view option) {
  bool found = false;
  return std::string(ValueText(command_line, option, found));
}

bool HasOption(std::string_view command_line, std::string_view option) {
  return command_line.find(option) != std::string_view::npos;
}

long NormaliseSpeed(long long n) {
  if (n <= 300) return 300;
  if (n <= 1200) return 1200;
  if (n <= 4800) return 4800;
  if (n <= 9600) return 9600;
  if (n <= 19200) return 19200;
  if (n <= 38400) return 38400;
  if (n <= 115200) return 115200;
  return 230400;
}

CommandLine ParseCommandLine(std::string_view raw) {
  CommandLine c;
  c.text = core::UpperCase(raw);
  c.node = GetNumericOption(c.text, "-N");
  c.debug = HasOption(c.text, "-X");
  c.handle = GetNumericOption(c.text, "-H");
  c.startup_dir = GetTextOption(c.text, "-D");
  c.com_port = GetNumericOption(c.text, "-C");
  c.exit_code = GetNumericOption(c.text, "-E");
  c.local = HasOption(c.text, "-L");
  c.baud = GetNumericOption(c.text, "-B");
  c.has_front_end = HasOption(c.text, "-M");
  c.front_end = core::ReplaceAll(GetTextOption(c.text, "-M"), "*M", "");
  c.front_end_as_given = FrontEndAsGiven(raw, c.text);
  return c;
}

}  // namespace vx::session
