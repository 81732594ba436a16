// Mapping of DOS paths to host paths.
#include "platform/dos_path.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <vector>

namespace vx::platform {

namespace {

bool Exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

// Finds `name` in `dir` ignoring case; returns the spelling on disk or the name itself.
std::string MatchComponent(const std::string& dir, const std::string& name) {
  const std::string probe = (dir.empty() ? std::string() : dir + "/") + name;
  if (Exists(probe)) return name;
  std::unique_ptr<DIR, int (*)(DIR*)> d(::opendir(dir.empty() ? "." : dir.c_str()), ::closedir);
  if (!d) return name;
  while (dirent* e = ::readdir(d.get())) {
    if (::strcasecmp(e->d_name, name.c_str()) == 0) return e->d_name;
  }
  return name;
}

}  // namespace

HostPathResult ResolveHostPath(std::string_view path, const Environment& env) {
  HostPathResult result;
  std::string p(path);
  for (char& c : p) {
    if (c == '\\') c = '/';
  }

  std::string root;
  if (p.size() >= 2 && p[1] == ':' &&
      ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z'))) {
    char drive = static_cast<char>(p[0] >= 'a' ? p[0] - 32 : p[0]);
    std::string var = std::string("VX_DRIVE_") + drive;
    std::string mapped = env.ExactValue(var);
    if (mapped.empty()) {
      result.error = "drive " + std::string(1, drive) + ": is not mapped (set " + var + ")";
      result.path = p.substr(2);
      return result;
    }
    while (mapped.size() > 1 && mapped.back() == '/') mapped.pop_back();
    root = mapped;
    p = p.substr(2);
    if (!p.empty() && p[0] != '/') p = "/" + p;  // "C:FOO" is taken as "C:\FOO"
  }

  std::string full = root + p;
  const bool absolute = !full.empty() && full[0] == '/';
  const bool trailing = !full.empty() && full.back() == '/';

  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= full.size()) {
    size_t slash = full.find('/', start);
    if (slash == std::string::npos) slash = full.size();
    if (slash > start) parts.push_back(full.substr(start, slash - start));
    start = slash + 1;
  }

  std::string dir = absolute ? "/" : "";
  for (size_t i = 0; i < parts.size(); ++i) {
    const std::string& part = parts[i];
    std::string spelled = (part == "." || part == "..") ? part : MatchComponent(dir.empty() ? "" : dir, part);
    if (dir.empty()) {
      dir = spelled;
    } else if (dir == "/") {
      dir = "/" + spelled;
    } else {
      dir += "/" + spelled;
    }
  }
  if (dir.empty()) dir = absolute ? "/" : ".";
  if (trailing && dir.back() != '/') dir += "/";
  result.path = dir;
  return result;
}

std::string CurrentDirectory() {
  char buf[4096];
  if (::getcwd(buf, sizeof buf) == nullptr) return ".";
  return buf;
}

std::string HostPath(std::string_view path, const Environment& env) {
  return ResolveHostPath(path, env).path;
}

}  // namespace vx::platform
