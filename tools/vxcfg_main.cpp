// vxcfg: the system's configuration utility. Builds a system from its readable sources, compiles
// single language and menu files, shows any record file as text and manages the user base.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "core/crc32.h"
#include "core/record_stream.h"
#include "core/text.h"
#include "menus/menu_file.h"
#include "tools/dump.h"
#include "tools/language_compiler.h"
#include "tools/menu_compiler.h"
#include "tools/source_error.h"
#include "tools/source_text.h"
#include "tools/system_builder.h"
#include "tools/system_description.h"
#include "tools/user_base.h"

namespace {

constexpr const char* kUsage =
    "usage:\n"
    "  vxcfg build [--fresh] SRC DIR     build the system described in SRC/system.toml into DIR\n"
    "  vxcfg lang SRC OUT                compile a language source into a .VXL file\n"
    "  vxcfg menu SRC OUT                compile a menu source into a .MNU file\n"
    "  vxcfg dump FILE...                show record files field by field\n"
    "  vxcfg user add DIR NAME PASSWORD [SECURITY]\n"
    "  vxcfg user list DIR\n"
    "  vxcfg user set DIR NAME FIELD VALUE\n";

std::string ReadSource(const std::string& path) {
  auto bytes = vx::core::ReadWholeFile(path);
  if (!bytes) throw vx::tools::SourceError(path + ": cannot be read");
  return std::string(bytes->begin(), bytes->end());
}

void WriteOutput(const std::string& path, const std::vector<uint8_t>& bytes) {
  if (!vx::core::WriteWholeFile(path, bytes)) {
    throw vx::tools::SourceError(path + ": cannot be written");
  }
}

int Dump(const std::vector<std::string>& files) {
  int status = 0;
  for (const std::string& file : files) {
    if (files.size() > 1) std::cout << "==> " << file << " <==\n";
    vx::tools::DumpResult r = vx::tools::DumpFile(file);
    std::cout << r.text;
    for (const std::string& p : r.problems) {
      std::cerr << file << ": problem: " << p << "\n";
      status = 1;
    }
  }
  return status;
}

int User(const std::vector<std::string>& a) {
  if (a.size() >= 4 && a[1] == "add" && a.size() <= 6) {
    long long security = 10;
    if (a.size() == 6) {
      auto n = vx::tools::ParseNumber(a[5], 65535);
      if (!n) throw vx::tools::SourceError("security must be a number from 0 to 65535");
      security = *n;
    }
    if (a.size() < 5) throw vx::tools::SourceError("user add needs DIR NAME PASSWORD");
    if (a[3].size() > 35) throw vx::tools::SourceError("a name holds 35 characters");
    if (a[4].empty() || a[4].size() > 15) {
      throw vx::tools::SourceError("a password has 1 to 15 characters");
    }
    vx::core::UserRecord u = vx::tools::NewUserRecord(a[3], static_cast<uint16_t>(security));
    u.password_crc = vx::core::Crc32(vx::core::UpperCase(a[4]));
    vx::tools::AddUser(a[2], u);
    std::cout << "added " << a[3] << "\n";
    return 0;
  }
  if (a.size() == 3 && a[1] == "list") {
    std::cout << vx::tools::ListUsers(a[2]);
    return 0;
  }
  if (a.size() == 6 && a[1] == "set") {
    vx::tools::SetUser(a[2], a[3], a[4], a[5]);
    std::cout << "set " << a[4] << " of " << a[3] << "\n";
    return 0;
  }
  std::cerr << kUsage;
  return 2;
}

int Run(const std::vector<std::string>& a) {
  if (a.empty()) {
    std::cerr << kUsage;
    return 2;
  }
  const std::string& command = a[0];
  if (command == "build") {
    vx::tools::BuildOptions options;
    std::vector<std::string> rest;
    for (size_t i = 1; i < a.size(); ++i) {
      if (a[i] == "--fresh") {
        options.fresh = true;
      } else {
        rest.push_back(a[i]);
      }
    }
    if (rest.size() != 2) {
      std::cerr << kUsage;
      return 2;
    }
    vx::tools::BuildReport report = vx::tools::BuildSystem(rest[0], rest[1], options);
    std::cout << "built " << report.system_dir << "\n";
    for (const std::string& note : report.notes) std::cout << "  " << note << "\n";
    return 0;
  }
  if (command == "lang" && a.size() == 3) {
    auto entries = vx::tools::ParseLanguageSource(ReadSource(a[1]), a[1]);
    vx::tools::CompiledLanguage c = vx::tools::CompileLanguage(entries);
    WriteOutput(a[2], c.bytes);
    std::cout << "compiled " << entries.size() << " entries into " << a[2] << " ("
              << c.bytes.size() << " bytes)";
    if (const std::string report = vx::tools::ColourReport(c); !report.empty()) {
      std::cout << "; " << report;
    }
    std::cout << "\n";
    return 0;
  }
  if (command == "menu" && a.size() == 3) {
    vx::menus::MenuFile menu = vx::tools::ParseMenuSource(ReadSource(a[1]), a[1]);
    vx::core::MemoryStream out;
    vx::menus::WriteMenuFile(menu, out);
    WriteOutput(a[2], out.bytes());
    std::cout << "compiled " << menu.entries.size() << " entries into " << a[2] << "\n";
    return 0;
  }
  if (command == "dump" && a.size() >= 2) {
    return Dump(std::vector<std::string>(a.begin() + 1, a.end()));
  }
  if (command == "user") return User(a);
  std::cerr << kUsage;
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  try {
    return Run(args);
  } catch (const std::exception& e) {
    std::cerr << "vxcfg: " << e.what() << "\n";
    return 1;
  }
}
