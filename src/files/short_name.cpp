// Short (8.3) names and the aliases of long ones.
#include "files/short_name.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/text.h"
#include "platform/dos_path.h"

namespace vx::files {

namespace {

bool ValidShortChar(char c) {
  const auto u = static_cast<unsigned char>(c);
  if (u >= 128) return false;
  if ((u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z')) return true;
  return std::string_view("!#$%&'()-@^_`{}~").find(c) != std::string_view::npos;
}

// The upper-cased names of a directory's entries.
std::set<std::string> DirectoryNames(const std::string& host_dir) {
  std::set<std::string> names;
  if (DIR* dir = ::opendir(host_dir.c_str())) {
    while (const dirent* entry = ::readdir(dir)) names.insert(core::UpperCase(entry->d_name));
    ::closedir(dir);
  }
  return names;
}

}  // namespace

bool IsShortName(std::string_view name) {
  const size_t dot = name.find('.');
  const std::string_view base = name.substr(0, dot);
  const std::string_view ext = dot == std::string_view::npos ? "" : name.substr(dot + 1);
  if (base.empty() || base.size() > 8 || ext.size() > 3) return false;
  for (char c : base) {
    if (!ValidShortChar(c)) return false;
  }
  for (char c : ext) {
    if (!ValidShortChar(c)) return false;
  }
  return true;
}

std::string ShortFileName(std::string_view name, const std::set<std::string>& taken) {
  const std::string upper = core::UpperCase(name);
  if (IsShortName(upper) && !taken.count(upper)) return upper;
  const size_t dot = upper.rfind('.');
  std::string base, ext;
  for (size_t i = 0; i < upper.size() && i != dot; ++i) {
    if (ValidShortChar(upper[i])) base += upper[i];
  }
  if (dot != std::string::npos) {
    for (size_t i = dot + 1; i < upper.size() && ext.size() < 3; ++i) {
      if (ValidShortChar(upper[i])) ext += upper[i];
    }
  }
  if (base.empty()) base = "FILE";
  for (int n = 1; n < 1000000; ++n) {
    const std::string tail = "~" + std::to_string(n);
    std::string candidate = base.substr(0, 8 - tail.size()) + tail + (ext.empty() ? "" : "." + ext);
    if (!taken.count(candidate)) return candidate;
  }
  return base.substr(0, 8);
}

std::string BareFileName(std::string_view name) {
  const size_t separator = name.find_last_of("/\\");
  return std::string(separator == std::string_view::npos ? name : name.substr(separator + 1));
}

std::optional<std::string> GiveShortName(const std::string& directory, std::string_view name,
                                         const platform::Environment& env, std::string* error) {
  const std::string bare = BareFileName(name);
  if (bare.empty() || bare == "." || bare == ".." || core::Trim(directory).empty()) {
    *error = "no file name in \"" + std::string(name) + "\"";
    return std::nullopt;
  }
  const std::string host_dir = platform::HostPath(core::CompleteDirectory(directory), env);
  // The file as it is spelt on disk (names are found whatever their case).
  const std::string host_file = platform::HostPath(core::CompleteDirectory(directory) + bare, env);
  struct stat info {};
  if (::stat(host_file.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
    *error = host_file + " is not there";
    return std::nullopt;
  }
  if (IsShortName(bare)) return core::UpperCase(bare);

  std::set<std::string> taken = DirectoryNames(host_dir);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string alias = ShortFileName(bare, taken);
    const std::string target = core::CompleteDirectory(host_dir) + alias;
    // Another node may take the same alias at the same moment: the rename never replaces a file.
    if (::renameat2(AT_FDCWD, host_file.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
      return alias;
    }
    if (errno != EEXIST) {
      *error = "cannot rename " + host_file + " to " + alias + ": " + std::strerror(errno);
      return std::nullopt;
    }
    taken.insert(alias);
  }
  *error = "no free short name for " + host_file;
  return std::nullopt;
}

}  // namespace vx::files
