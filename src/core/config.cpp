// Locating and reading CONFIG.VX.
#include "core/config.h"

#include <sys/stat.h>

#include <vector>

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

  std::vector<uint8_t> bytes(static_cast<size_t>(kConfigSize), 0);
  bytes.resize(file->ReadBytes(bytes.data(), bytes.size()));
  const ConfigRecord record(bytes);
  using namespace config_field;
  Configuration& c = load.config;
  c.menu_path = record.Text(kMenuPath);
  c.text_path = record.Text(kTextPath);
  c.path3 = record.Text(kPath3);
  c.path4 = record.Text(kPath4);
  c.msgbase_path = record.Text(kMsgBasePath);
  const std::string stored_system = Trim(record.Text(kSystemPath));
  c.log_file_name = record.Text(kLogFileName);
  c.path7 = record.Text(kTransferPath);
  c.semaphore_path = record.Text(kSemaphorePath);
  c.filebase_path = record.Text(kFileBasePath);
  c.path10 = record.Text(kPath10);
  for (size_t i = 0; i < c.addresses.size(); ++i)
    c.addresses[i] = record.Address(kAddressFields[i]);

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

std::array<int, 51> ReadExitErrorlevelTable(const ConfigSnapshot& config) {
  std::array<int, 51> table;
  table.fill(-1);
  const ConfigRecord record = config.Record();
  for (const ErrorlevelSlot& s : kErrorlevelSlots) {
    table[static_cast<size_t>(s.slot)] = record.Byte(s.field);
  }
  return table;
}

std::optional<NewUserSettings> ReadNewUserSettings(const ConfigSnapshot& config) {
  if (!config.Exists()) return std::nullopt;
  const ConfigRecord r = config.Record();
  using namespace config_field;
  NewUserSettings s;
  s.security = r.Word(kNewUserSecurity);
  s.second_number = r.Word(kNewUserSecondNumber);
  const std::array<uint8_t, 4> flags = r.Flags(kNewUserFlags);
  for (size_t i = 0; i < flags.size(); ++i) s.flags[i] = FlagByteToText(flags[i]);
  s.option = r.Byte(kNewUserOption);
  s.option_number = r.Word(kNewUserOptionNumber);
  s.names_without_blank = r.Byte(kNamesWithoutBlank);
  s.ask_ansi = r.Byte(kAskAnsi);
  s.ask_prompt9 = r.Byte(kAskPrompt9);
  s.ask_prompt10 = r.Byte(kAskPrompt10);
  s.ask_prompt11 = r.Byte(kAskPrompt11);
  s.ask_prompt12 = r.Byte(kAskPrompt12);
  s.ask_more_prompt = r.Byte(kAskMorePrompt);
  s.ask_clear_screen = r.Byte(kAskClearScreen);
  s.ask_address = r.Byte(kAskAddress);
  s.ask_sex = r.Byte(kAskSex);
  s.ask_prompt647 = r.Byte(kAskPrompt647);
  s.ask_voice_phone = r.Byte(kAskVoicePhone);
  s.ask_data_phone = r.Byte(kAskDataPhone);
  s.date_format = r.Byte(kNewUserDateFormat);
  s.ask_birth_date = r.Byte(kAskBirthDate);
  s.ask_language = r.Byte(kAskLanguage);
  s.question_2333 = r.Byte(kQuestion2333);
  s.question_2501 = r.Byte(kQuestion2501);
  s.question_2694 = r.Byte(kQuestion2694);
  s.question_2947 = r.Byte(kQuestion2947);
  s.question_2948 = r.Byte(kQuestion2948);
  s.question_5744 = r.Byte(kQuestion5744);
  return s;
}

}  // namespace vx::core
