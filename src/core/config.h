// CONFIG.VX, the system-wide configuration: one 6331-byte record that the configuration utility
// writes and every node reads (never writes). Its layout is the table of config_fields.h. Here:
// locating the file at start-up and the fields read once then (the paths, the front-end
// errorlevels, the new-user defaults); config_snapshot.h holds the fields read during the call.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "core/config_fields.h"
#include "core/config_snapshot.h"
#include "platform/environment.h"

namespace vx::core {

inline constexpr const char* kVersionText = "0.982 beta2 (Public)";
inline constexpr const char* kBuildNumber = "1";

// The fields read once at start-up, completed (empty paths fall back to the system path, every
// directory ends in a backslash). Paths are as stored: DOS or host paths.
struct Configuration {
  std::string system_path;
  std::string menu_path, text_path, path3, path4, msgbase_path, log_file_name, path7,
      semaphore_path, filebase_path, path10;
  std::string semaphore_setting;  // SemaphorePath as stored, before the fallback
  std::string log_file_setting;   // LogFileName as stored, before the fallback
  std::array<NetAddress, 10> addresses{};
  std::string hudson_path;  // copy of MsgBasePath for the Hudson base
};

inline constexpr std::array<const char*, 8> kProtocolNames = {
    "XModem-Checksum", "XModem-CRC", "XModem-1K", "YModem-Batch",
    "YModem-G",        "ZModem",     "Kermit",    "CompuServe B+"};

// Outcome of locating and reading CONFIG.VX. On failure `title`, `text` and `icon` are the
// message box that ends the program.
struct ConfigLoad {
  bool ok = false;
  Configuration config;
  std::string title, text;
  std::string warning;  // logged once the log exists (a file of the wrong length, say)
};

// Finds CONFIG.VX (the current directory first, where its length must be exact, then the
// directory named by VX), reads and completes the path fields.
ConfigLoad ReadConfiguration(const platform::Environment& env);

// The 51 errorlevels of a front-end program, from single bytes of CONFIG.VX; empty slots (-1)
// never match.
std::array<int, 51> ReadExitErrorlevelTable(const ConfigSnapshot& config);

// The new-user defaults of CONFIG.VX, as the logon applies them. A question switch is 0 (set
// without asking), 1 (clear without asking) or 2 (ask), unless its comment says otherwise.
struct NewUserSettings {
  uint16_t security = 0;
  uint16_t second_number = 0;
  std::array<std::string, 4> flags = {"00000000", "00000000", "00000000", "00000000"};
  uint8_t option = 0;
  uint16_t option_number = 0;

  uint8_t names_without_blank = 0;  // 0: a name must hold a blank
  uint8_t ask_ansi = 0;             // prompt 8, Attribute character 4
  uint8_t ask_prompt9 = 0;          // Attribute character 7, asked only with ANSI
  uint8_t ask_prompt10 = 0;         // Attribute2 character 2
  uint8_t ask_prompt11 = 0;         // Attribute2 character 1
  uint8_t ask_prompt12 = 0;         // Attribute2 character 3
  uint8_t ask_more_prompt = 0;      // prompt 14, Attribute character 3
  uint8_t ask_clear_screen = 0;     // prompt 15, Attribute character 2
  uint8_t ask_address = 0;          // 1: ask the address lines
  uint8_t ask_sex = 0;              // 1: ask the sex (prompt 653)
  uint8_t ask_prompt647 = 0;        // Attribute2 character 6
  uint8_t ask_voice_phone = 0;      // 1: ask
  uint8_t ask_data_phone = 0;       // 1: ask
  uint8_t date_format = 0;          // above 0: taken without asking; 0: ask
  uint8_t ask_birth_date = 0;       // 1: ask
  uint8_t ask_language = 0;         // 0: the first language the caller may use; otherwise ask
  // Read with the others; the questionnaire does not ask them.
  uint8_t question_2333 = 0, question_2501 = 0, question_2694 = 0, question_2947 = 0,
          question_2948 = 0, question_5744 = 0;
};

// nullopt when CONFIG.VX cannot be opened.
std::optional<NewUserSettings> ReadNewUserSettings(const ConfigSnapshot& config);

}  // namespace vx::core
