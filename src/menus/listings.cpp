// Listings of the menu engine: a file area's directory (type 30) and the users on line (type 52).
#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

#include "core/record_stream.h"
#include "core/status_records.h"
#include "core/text.h"
#include "menus/engine_functions.h"
#include "platform/dos_path.h"
#include "terminal/control_codes.h"

namespace vx::menus {

namespace {

// A file mask as callers type it ("*.*", "B*.TXT"): matched against the names in one directory,
// ignoring case. "*.*" takes every name, with or without an extension.
bool MaskMatches(const std::string& mask, const std::string& name) {
  const std::string pattern = mask == "*.*" ? "*" : mask;
  return ::fnmatch(pattern.c_str(), name.c_str(), FNM_CASEFOLD | FNM_PERIOD) == 0;
}

void DirectoryListing(session::NodeSession& session, const std::string& data) {
  terminal::Terminal& terminal = session.terminal;
  uint32_t area = session.areas.file.number;
  const std::string upper = core::UpperCase(data);
  if (const size_t at = upper.find("/F"); at != std::string::npos && at + 2 < upper.size() &&
                                          std::isdigit(static_cast<unsigned char>(upper[at + 2]))) {
    area = static_cast<uint32_t>(std::clamp<long long>(core::LeadingNumber(upper.substr(at + 2)), 0, 65535));
  }
  const std::string path = core::AddBackslash(session.AreaFiles().FileAreaPath(area));
  terminal.NewLine();
  terminal.Display("File mask: ");
  std::string mask = core::Trim(terminal.InputLine(12));
  if (mask.empty()) mask = "*.*";
  terminal.NewLine();
  // A mask is a name in the area's directory, never a path out of it.
  if (mask.find('/') != std::string::npos || mask.find('\\') != std::string::npos ||
      mask.find("..") != std::string::npos || core::Trim(path) == "\\") {
    terminal.Display("Invalid file mask.");
    terminal.NewLine();
    return;
  }
  terminal.ClearScreen();
  terminal.Display("Directory of " + path);
  terminal.NewLine();
  terminal.Display("-------------- ----------- ---------");
  terminal.NewLine();
  const std::string host = platform::HostPath(path, session.env);
  std::vector<std::string> names;
  if (DIR* dir = ::opendir(host.c_str())) {
    while (const dirent* entry = ::readdir(dir)) {
      const std::string name = entry->d_name;
      if (name == "." || name == ".." || !MaskMatches(mask, name)) continue;
      names.push_back(name);
    }
    ::closedir(dir);
  }
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    struct stat st;
    if (::stat((host + "/" + name).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    std::tm t{};
    ::localtime_r(&st.st_mtime, &t);
    char line[96];
    std::snprintf(line, sizeof line, "%-14.14s %11lld %02d-%02d-%02d", name.c_str(),
                  static_cast<long long>(st.st_size), (t.tm_mon + 1) % 100, t.tm_mday % 100,
                  t.tm_year % 100);
    terminal.DisplayLn(line);
    if (terminal.output().stop_answer == "N") break;
  }
  terminal.EndListing();
}

int StatusEntry(uint8_t status) {
  if (status <= 5) return 169 + status;
  return status == 6 ? 570 : 572;
}

void UsersOnline(session::NodeSession& session) {
  terminal::Terminal& terminal = session.terminal;
  terminal.ClearScreen();
  const std::string& heading = session.language.Text(167);
  terminal.SetPromptColor(167);
  terminal.Display(std::string((80 - std::min<size_t>(heading.size(), 80)) / 2, ' ') + heading);
  terminal.NewLine();
  terminal.ShowPromptLn(168);
  auto bytes = core::ReadWholeFile(platform::HostPath(session.config.system_path + "USERON.BBS", session.env));
  if (!bytes) return;
  core::MemoryStream in(std::move(*bytes));
  const uint64_t count = in.Size() / core::kUserOnRecordSize;
  for (uint64_t r = 0; r < count; ++r) {
    in.Seek(r * core::kUserOnRecordSize);
    const core::UserOnRecord record = core::ReadUserOnRecord(in);
    if (core::Trim(record.name).empty()) continue;  // a free node
    terminal.SetForeground(11);
    terminal.Display(terminal::PadText(record.name, 30, 0));
    terminal.SetForeground(15);
    terminal.Display(terminal::PadText(std::to_string(r + 1), 7, 0));
    terminal.SetForeground(7);
    terminal.Display(terminal::PadText(record.city, 10, 0));
    terminal.Display(" ");
    terminal.Display(terminal::PadText(session.language.Text(StatusEntry(record.status)), 11, 0));
    terminal.NewLine();
    if (terminal.output().stop_answer == "N") break;
  }
  terminal.EndListing();
}

}  // namespace

void RegisterListings(session::NodeSession& session, MenuFunctions& functions) {
  functions.Register(30, [&session](const MenuEntry& e) {
    DirectoryListing(session, e.data);
    return MenuResult::kDone;
  });
  functions.Register(52, [&session](const MenuEntry&) {
    UsersOnline(session);
    return MenuResult::kDone;
  });
}

}  // namespace vx::menus
