// CONFIG.VX, the system-wide configuration: one 6331-byte record that the configuration utility
// writes and every node reads (never writes). Positions are 1-based.
//
//   pos   field                          pos   field
//   752   String[60] MenuPath            1411  String[60] LogFileName ("*N" = node number)
//   813   String[60] TextPath            2368  String[60] path 7 (transfers)
//   874   String[60] path 3              3028  String[60] SemaphorePath
//   935   String[60] path 4              3090  String[60] FileBasePath
//   996   String[60] MsgBasePath         3153  String[60] path 10
//   1057  String[60] SystemPath          1179  10 x 4 x uint16 network addresses
//
// The single fields that the node reads on demand are listed with their accessors in
// ConfigAccessors; the exit errorlevels and new-user defaults below them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "platform/environment.h"

namespace vx::core {

inline constexpr int kConfigSize = 6331;
inline constexpr const char* kVersionText = "0.982 beta2 (Public)";
inline constexpr const char* kBuildNumber = "1";

namespace config_pos {
inline constexpr int kMenuPath = 752, kTextPath = 813, kPath3 = 874, kPath4 = 935,
                     kMsgBasePath = 996, kSystemPath = 1057, kAddressTable = 1179,
                     kLogFileName = 1411, kPath7 = 2368, kSemaphorePath = 3028,
                     kFileBasePath = 3090, kPath10 = 3153;
}  // namespace config_pos

struct NetAddress {
  uint16_t zone = 0, net = 0, node = 0, point = 0;
};

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

// Reads one field of CONFIG.VX afresh on every call, so that a change by the configuration
// utility is seen at once. A missing or short file gives zeros and empty texts.
class ConfigAccessors {
 public:
  ConfigAccessors(std::string system_path, const platform::Environment& env)
      : system_path_(std::move(system_path)), env_(&env) {}

  uint8_t ByteAt(int position) const;
  uint16_t WordAt(int position) const;
  std::string StringAt(int position, int width) const;
  bool Exists() const;

  std::string MessageEntryText1118() const { return StringAt(1118, 60); }
  std::string SystemName() const { return StringAt(1259, 30); }
  std::string MessageEntryText1359() const { return StringAt(1359, 15); }
  std::string SysopName() const { return StringAt(1375, 35); }
  uint16_t InactivityTimeout() const { return WordAt(1480); }
  uint8_t LogonMinutes() const { return ByteAt(1482); }
  uint16_t PasswordAttempts() const { return WordAt(1484); }
  uint16_t PageValue() const { return WordAt(1488); }
  uint8_t AfterLogonValue1493() const { return ByteAt(1493); }
  uint8_t PasswordChangeValue() const { return ByteAt(1540); }
  uint16_t UploadValue() const { return WordAt(1541); }
  uint8_t MenuDispatcherValue() const { return ByteAt(2163); }
  uint8_t WatchdogArea() const { return ByteAt(2164); }
  std::string NamePromptText() const { return StringAt(2178, 40); }
  uint8_t AfterLogonValue2219() const { return ByteAt(2219); }
  std::string MessageEntryText2220() const { return StringAt(2220, 60); }
  char OpenBracket() const { return static_cast<char>(ByteAt(2331)); }
  char CloseBracket() const { return static_cast<char>(ByteAt(2332)); }
  uint8_t SysopMessageArea() const { return ByteAt(2503); }
  std::string LanguageSelectionText2589() const { return StringAt(2589, 40); }
  char MaskEchoCharacter() const { return static_cast<char>(ByteAt(2695)); }
  std::string LanguageSelectionText2886() const { return StringAt(2886, 40); }
  bool FileListFlag() const { return ByteAt(3151) != 0; }
  std::string FileListText1() const { return StringAt(3259, 200); }
  std::string FileListText2() const { return StringAt(3460, 200); }
  int NameAttempts() const;  // 0 stored means 999
  // Colour set k (1..5) as (foreground, background); a stored foreground of 0 is light grey.
  std::pair<int, int> ColourSet(int k) const;
  int FileListColour() const;  // 16 x background + foreground of colour set 4

  const std::string& system_path() const { return system_path_; }

 private:
  std::optional<std::string> ReadField(int position, int width) const;
  std::string system_path_;
  const platform::Environment* env_;
};

// The 51 errorlevels of a front-end program, from single bytes of CONFIG.VX; empty slots (-1)
// never match.
std::array<int, 51> ReadExitErrorlevelTable(const ConfigAccessors& config);

// The new-user defaults of CONFIG.VX, as the logon applies them.
struct NewUserSettings {
  uint16_t security = 0;
  uint16_t second_number = 0;
  std::array<std::string, 4> flags = {"00000000", "00000000", "00000000", "00000000"};
  uint8_t new_user_option = 0;   // position 3661
  uint16_t new_user_number = 0;  // position 3662
  // The question switches, keyed by position: 1491, 1494, 1495, 1500, 1501, 1502, 1543, 2333,
  // 2334, 2501, 2502, 2692, 2694, 2884, 2885, 2930, 2947, 2948, 5335, 5741, 5742, 5744.
  std::array<std::pair<int, uint8_t>, 22> switches{};
  uint8_t Switch(int position) const;
};

// nullopt when CONFIG.VX cannot be opened.
std::optional<NewUserSettings> ReadNewUserSettings(const ConfigAccessors& config);

}  // namespace vx::core
