// DOS short (8.3) file names. The file database stores every file under its short name in upper
// case, and a stored name is only ever opened when it is a plain 8.3 name, so that a damaged or
// hostile record ("..\CONFIG.VX") never reaches a file outside its area's directory.
//
// A long name gets an alias the way DOS and Windows make them: upper case, characters that DOS
// does not allow dropped, the base cut to six characters plus "~1", "~2"... and the extension to
// three, unique in its directory.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "platform/environment.h"

namespace vx::files {

// A plain 8.3 name: a base of one to eight characters, optionally a dot and an extension of up to
// three, every character one that DOS allows in a name (no path separators, no second dot). Case
// is not looked at.
bool IsShortName(std::string_view name);

// The short name of `name`, unique among `taken` (upper-case names): a name that already is a
// valid 8.3 name is upper-cased; any other gets an alias.
std::string ShortFileName(std::string_view name, const std::set<std::string>& taken);

// The last component of a name that may carry a directory part ("/" or "\" separated).
std::string BareFileName(std::string_view name);

// The short name under which the file `name` in the directory `directory` (a DOS or host path) is
// stored. A valid 8.3 name is the name upper-cased. A long name gets an alias unique in the
// directory, and the file is renamed to it so that the stored name finds it; the rename never
// replaces another file. nullopt with `error` set when the file is missing or cannot be renamed.
std::optional<std::string> GiveShortName(const std::string& directory, std::string_view name,
                                         const platform::Environment& env, std::string* error);

}  // namespace vx::files
