// The options of message entry.
#include "messages/entry_options.h"

#include <cctype>

#include "core/text.h"
#include "messages/message_text.h"

namespace vx::messages {

namespace {
constexpr size_t kNameLength = 35;
constexpr uint32_t kHighestArea = 65535;

bool AllDigits(std::string_view word) {
  if (word.empty()) return false;
  for (char c : word) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  }
  return true;
}
}  // namespace

EntryOptions ParseEntryOptions(std::string_view data) {
  EntryOptions options;
  bool current_area = false;
  bool first = true;
  size_t at = 0;
  while (at < data.size()) {
    while (at < data.size() && data[at] == ' ') ++at;
    size_t end = data.find(' ', at);
    if (end == std::string_view::npos) end = data.size();
    const std::string_view word = data.substr(at, end - at);
    at = end;
    if (word.empty()) continue;
    const std::string upper = core::UpperCase(word);
    if (first && AllDigits(word)) {
      // Digits past the highest area number name no area; the data cannot be used.
      if (word.size() > 5 || core::LeadingNumber(word) > kHighestArea) {
        options.problem = "area " + std::string(word) + " is no area number";
      } else {
        options.area = static_cast<uint32_t>(core::LeadingNumber(word));
      }
    } else if (upper == "/M") {
      current_area = true;
    } else if (upper == "/L") {
      options.log_off = true;
    } else if (upper.starts_with("/T=")) {
      std::string name = core::Trim(core::ReplaceAll(word.substr(3), "_", " "));
      if (HasControlCharacters(name)) {
        options.problem = "the addressee of \"/T=\" holds control characters";
      }
      if (name.size() > kNameLength) name.resize(kNameLength);
      // "/T=" with nothing after it names nobody: the caller is asked.
      if (!name.empty()) options.addressee = std::move(name);
    }
    first = false;
  }
  if (current_area) options.area = 0;
  return options;
}

}  // namespace vx::messages
