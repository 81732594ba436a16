// Locating and reading CONFIG.VX.
#include "core/config.h"

#include <sys/stat.h>

#include "core/record_stream.h"
#include "core/text.h"
#include "platform/dos_path.h"

namespace vx::core {

namespace {

constexpr char kCr = '\r';

bool IsDirectory(const std::string& host_path) {
  struct stat st;
  return ::stat(host_path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

ConfigLoad ReadConfiguration(const platform::Environment& env) {
  ConfigLoad load;
  std::string located;
  std::string local = platform::HostPath("CONFIG.VX", env);
  if (auto here = RecordFile::Open(local, RecordFile::Mode::kRead)) {
    if (here->Size() != static_cast<uint64_t>(kConfigSize)) {
      load.title = "Fatal Error";
      load.text = std::string("Invalid CONFIG.VX, filelength incorrect!") + kCr +
                  "Please correct by running the configuration utility.";
      return load;
    }
    located = platform::CurrentDirectory();
  } else {
    located = env.Value("vx");
    if (located.empty()) {
      load.title = "Fatal Error";
      load.text = std::string("Environment variable (VX) not set!") + kCr +
                  "Make sure that the system path is set (SET VX=[path]).";
      return load;
    }
  }
  located = CompleteDirectory(located);

  auto file = RecordFile::Open(platform::HostPath(located + "CONFIG.VX", env),
                               RecordFile::Mode::kRead);
  if (!file) {
    load.title = "Configuration Error";
    load.text = std::string("(7998) ") + kCr +
                "No valid general configuration file (CONFIG.VX) found in systempath." + kCr +
                "Please create a configuration file using the configuration utility.";
    return load;
  }
  if (file->Size() != static_cast<uint64_t>(kConfigSize)) {
    load.warning = "CONFIG.VX in " + located + " is " + std::to_string(file->Size()) +
                   " bytes long instead of " + std::to_string(kConfigSize) +
                   "; missing fields read as empty";
  }

  Configuration& c = load.config;
  file->SeekPosition(config_pos::kMenuPath);
  c.menu_path = file->ReadPascalString(60);
  c.text_path = file->ReadPascalString(60);
  c.path3 = file->ReadPascalString(60);
  c.path4 = file->ReadPascalString(60);
  c.msgbase_path = file->ReadPascalString(60);
  std::string stored_system = Trim(file->ReadPascalString(60));
  file->SeekPosition(config_pos::kLogFileName);
  c.log_file_name = file->ReadPascalString(60);
  file->SeekPosition(config_pos::kPath7);
  c.path7 = file->ReadPascalString(60);
  file->SeekPosition(config_pos::kSemaphorePath);
  c.semaphore_path = file->ReadPascalString(60);
  file->SeekPosition(config_pos::kFileBasePath);
  c.filebase_path = file->ReadPascalString(60);
  file->SeekPosition(config_pos::kPath10);
  c.path10 = file->ReadPascalString(60);
  file->SeekPosition(config_pos::kAddressTable);
  for (NetAddress& a : c.addresses) {
    a.zone = file->ReadWord();
    a.net = file->ReadWord();
    a.node = file->ReadWord();
    a.point = file->ReadWord();
  }

  // The stored system path replaces the located one, unless it names a directory that does not
  // exist here (a DOS path from the system's old home, say): then the node keeps the directory in
  // which it found CONFIG.VX, which certainly holds the system.
  c.system_path = located;
  if (!stored_system.empty()) {
    std::string stored = CompleteDirectory(stored_system);
    if (IsDirectory(platform::HostPath(stored, env))) {
      c.system_path = stored;
    } else if (load.warning.empty()) {
      load.warning = "SystemPath " + stored_system + " of CONFIG.VX does not exist here; using " +
                     located;
    }
  }

  c.semaphore_setting = Trim(c.semaphore_path);
  c.log_file_setting = Trim(c.log_file_name);
  for (std::string* p : {&c.menu_path, &c.text_path, &c.path3, &c.path4, &c.msgbase_path,
                         &c.log_file_name, &c.semaphore_path, &c.filebase_path, &c.path7,
                         &c.path10}) {
    if (Trim(*p).empty()) *p = c.system_path;
  }
  for (std::string* p : {&c.menu_path, &c.text_path, &c.path3, &c.path4, &c.msgbase_path,
                         &c.system_path, &c.semaphore_path, &c.filebase_path, &c.path7,
                         &c.path10}) {
    *p = CompleteDirectory(*p);
  }
  c.hudson_path = c.msgbase_path;
  load.ok = true;
  return load;
}

std::optional<std::string> ConfigAccessors::ReadField(int position, int width) const {
  auto file = RecordFile::Open(platform::HostPath(system_path_ + "CONFIG.VX", *env_),
                               RecordFile::Mode::kRead);
  if (!file) return std::nullopt;
  file->SeekPosition(static_cast<uint64_t>(position));
  return file->ReadChars(width);
}

bool ConfigAccessors::Exists() const {
  return FileExists(platform::HostPath(system_path_ + "CONFIG.VX", *env_));
}

uint8_t ConfigAccessors::ByteAt(int position) const {
  auto bytes = ReadField(position, 1);
  return bytes ? static_cast<uint8_t>((*bytes)[0]) : 0;
}

uint16_t ConfigAccessors::WordAt(int position) const {
  auto bytes = ReadField(position, 2);
  if (!bytes) return 0;
  MemoryStream m(std::vector<uint8_t>(bytes->begin(), bytes->end()));
  return m.ReadWord();
}

std::string ConfigAccessors::StringAt(int position, int width) const {
  auto bytes = ReadField(position, width + 1);
  if (!bytes) return {};
  MemoryStream m(std::vector<uint8_t>(bytes->begin(), bytes->end()));
  return m.ReadPascalString(width);
}

int ConfigAccessors::NameAttempts() const {
  int n = ByteAt(5754);
  return n == 0 ? 999 : n;
}

std::pair<int, int> ConfigAccessors::ColourSet(int k) const {
  static constexpr int kPositions[5] = {1523, 2954, 2587, 3214, 1546};
  if (k < 1 || k > 5) return {7, 0};
  int position = kPositions[k - 1];
  int fg = ByteAt(position);
  int bg = ByteAt(position + 1);
  return {fg == 0 ? 7 : fg, bg};
}

int ConfigAccessors::FileListColour() const {
  auto [fg, bg] = ColourSet(4);
  return 16 * bg + fg;
}

std::array<int, 51> ReadExitErrorlevelTable(const ConfigAccessors& config) {
  std::array<int, 51> table;
  table.fill(-1);
  static constexpr std::pair<int, int> kSlots[] = {
      {0, 1531},  {1, 1532},  {2, 1533},  {3, 1534},  {4, 1535},  {5, 2820},  {6, 1536},
      {7, 2821},  {8, 2822},  {9, 3257},  {10, 1537}, {11, 5745}, {12, 5746}, {13, 5747},
      {14, 5748}, {15, 5816}, {16, 5817}, {17, 1538}, {18, 5749}, {19, 5750}, {49, 5331}};
  for (auto [slot, position] : kSlots) table[static_cast<size_t>(slot)] = config.ByteAt(position);
  return table;
}

uint8_t NewUserSettings::Switch(int position) const {
  for (auto [p, value] : switches) {
    if (p == position) return value;
  }
  return 0;
}

std::optional<NewUserSettings> ReadNewUserSettings(const ConfigAccessors& config) {
  if (!config.Exists()) return std::nullopt;
  NewUserSettings s;
  s.security = config.WordAt(1290);
  s.second_number = config.WordAt(1292);
  for (int i = 0; i < 4; ++i) s.flags[static_cast<size_t>(i)] = FlagByteToText(config.ByteAt(1294 + i));
  s.new_user_option = config.ByteAt(3661);
  s.new_user_number = config.WordAt(3662);
  static constexpr int kSwitches[22] = {1491, 1494, 1495, 1500, 1501, 1502, 1543, 2333,
                                        2334, 2501, 2502, 2692, 2694, 2884, 2885, 2930,
                                        2947, 2948, 5335, 5741, 5742, 5744};
  for (size_t i = 0; i < 22; ++i) s.switches[i] = {kSwitches[i], config.ByteAt(kSwitches[i])};
  return s;
}

}  // namespace vx::core
