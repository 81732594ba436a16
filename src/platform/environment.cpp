// Environment lookups.
#include "platform/environment.h"

#include <algorithm>

extern char** environ;

namespace vx::platform {

Environment Environment::FromProcess() {
  std::vector<std::string> entries;
  for (char** e = environ; e && *e; ++e) entries.emplace_back(*e);
  return Environment(std::move(entries));
}

std::string Environment::Value(std::string_view name) const {
  std::string upper(name);
  std::transform(upper.begin(), upper.end(), upper.begin(),
                 [](unsigned char c) { return static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c); });
  return ExactValue(upper);
}

std::string Environment::ExactValue(std::string_view name) const {
  for (const std::string& entry : entries_) {
    if (entry.size() > name.size() && entry.compare(0, name.size(), name) == 0 &&
        entry[name.size()] == '=') {
      return entry.substr(name.size() + 1);
    }
  }
  return {};
}

bool Environment::Has(std::string_view name) const {
  for (const std::string& entry : entries_) {
    if (entry.size() > name.size() && entry.compare(0, name.size(), name) == 0 &&
        entry[name.size()] == '=') {
      return true;
    }
  }
  return false;
}

void Environment::Set(std::string_view name, std::string_view value) {
  std::string prefix = std::string(name) + "=";
  std::erase_if(entries_, [&](const std::string& e) { return e.starts_with(prefix); });
  entries_.push_back(prefix + std::string(value));
}

}  // namespace vx::platform
