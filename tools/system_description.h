// The readable description of a whole system (system.toml in a source directory), as vxcfg build
// reads it. Directories are relative to the system directory unless absolute; source files are
// relative to the source directory. See README "vxcfg and the demo system" for the format.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/area_records.h"
#include "core/limits_record.h"
#include "core/modem_settings.h"
#include "core/user_record.h"

namespace vx::tools {

struct LanguageSpec {
  std::string name;
  std::string source;      // language source, relative to the source directory
  std::string definition;  // compiled file name written into LANGUAGE.VX (default NAME.VXL)
  std::string menus;       // menu sources (source dir) -> same directory in the system
  std::string text;        // display files (source dir) -> same directory in the system
  uint16_t security = 0;
  bool available = true;
};

struct MessageAreaSpec {
  core::MessageAreaRecord record;  // paths still relative
  std::string jam_path;            // relative or absolute, without extension ("" for Hudson)
  int line = 0;
};

struct FileAreaSpec {
  core::FileAreaRecord record;
  std::string path;    // the area's directory in the system (relative or absolute)
  std::string source;  // files to copy there, relative to the source directory ("" none)
  int line = 0;
};

struct UserSpec {
  core::UserRecord record;
  std::string password;
  int line = 0;
};

// A message put into a new base when the system is built (the demo's first messages).
struct MessageSpec {
  uint16_t area = 0;
  std::string from, to, subject;
  std::string text;  // lines ended by CR
  bool is_private = false;
  uint32_t reply_to = 0;  // the number in its base of an earlier message of the same area
  int line = 0;
};

struct SystemDescription {
  std::string file;  // the description's file name, for messages
  std::vector<std::pair<std::string, std::string>> config;  // CONFIG.VX field name -> value
  std::vector<std::pair<std::string, int>> config_lines;    // field name -> source line
  std::vector<LanguageSpec> languages;
  std::vector<core::LimitsRecord> limits;
  core::ModemSettings modem;
  std::vector<core::GroupRecord> message_groups, file_groups;
  std::vector<MessageAreaSpec> message_areas;
  std::vector<FileAreaSpec> file_areas;
  std::vector<UserSpec> users;
  std::vector<MessageSpec> messages;
  std::vector<std::string> copy_dirs;  // further source directories copied as they are (doors)
};

// Reads and checks a description; throws SourceError naming the file, the line and the problem.
SystemDescription ReadSystemDescription(const std::string& toml_text, const std::string& file);

// A user record with the defaults of a new account (dates of today, ANSI, clear screen and more
// prompt on, language 1, first areas and groups).
core::UserRecord NewUserRecord(const std::string& name, uint16_t security);

}  // namespace vx::tools
