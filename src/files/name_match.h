// File name patterns as callers type them in the name searches and when tagging by name: "*"
// stands for the rest of the base name or of the extension, "?" for any one character except
// the dot. "*.*" matches every name, "*" alone only names without an extension.
#pragma once

#include <string_view>

namespace vx::files {

// Pattern `pattern` against the stored name `name`, both taken in upper case:
//  1. a name without "." never matches a pattern holding ".?";
//  2. a name without "." is taken with ".  " appended when the pattern holds a "." but does not
//     end with one and is not "*";
//  3. the name is walked character by character against the next pattern character: "*" skips
//     the name to its next "." (which is then compared with the pattern character after the "*"),
//     or to its end when no "." follows; "?" takes any character but "."; any other character must
//     be the same; a pattern that runs out before the name fails;
//  4. the name matches when all its characters have been passed (pattern characters left over are
//     not looked at).
bool MatchFileName(std::string_view pattern, std::string_view name);

}  // namespace vx::files
