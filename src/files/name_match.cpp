// Matching file names against patterns.
#include "files/name_match.h"

namespace vx::files {

namespace {
constexpr char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - ('a' - 'A')) : c;
}
}  // namespace

bool MatchFileName(std::string_view pattern, std::string_view name) {
  const bool name_has_dot = name.find('.') != std::string_view::npos;
  if (!name_has_dot && pattern.find(".?") != std::string_view::npos) return false;
  // The name with ".  " appended, without building it: characters past the stored name come from
  // the tail.
  constexpr std::string_view kTail = ".  ";
  const bool with_tail = !name_has_dot && pattern.find('.') != std::string_view::npos &&
                         pattern.back() != '.' && pattern != "*";
  const size_t length = name.size() + (with_tail ? kTail.size() : 0);
  const auto at = [&](size_t i) {
    return i < name.size() ? Upper(name[i]) : kTail[i - name.size()];
  };

  size_t i = 0;
  size_t j = 0;
  while (i < length) {
    if (j >= pattern.size()) return false;
    const char p = Upper(pattern[j++]);
    if (p == '*') {
      size_t dot = i;
      while (dot < length && at(dot) != '.') ++dot;
      i = dot;  // the "." (or the end) is compared next
      continue;
    }
    const char c = at(i++);
    if (p == '?') {
      if (c == '.') return false;
    } else if (p != c) {
      return false;
    }
  }
  return true;
}

}  // namespace vx::files
