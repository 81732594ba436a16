// The layout of CONFIG.VX, defined once: every field that the node reads and vxcfg writes, with
// its 1-based position, kind, width, readable name, meaning and the value vxcfg gives a new system.
// The node's accessors (config_snapshot.h) and vxcfg (tools/config_text.h) both read this table;
// bytes outside it are left alone. ConfigRecord reads fields out of the 6331 bytes.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vx::core {

inline constexpr int kConfigSize = 6331;

enum class ConfigKind : uint8_t {
  kString,   // String[width]: a length byte and `width` characters
  kByte,     // 0..255
  kWord,     // uint16, little-endian
  kChar,     // one character
  kFlags4,   // four flag bytes, sets A..D
  kAddress,  // four uint16: zone, net, node, point
};

struct ConfigField {
  const char* name;  // as system.toml and `vxcfg dump` write it
  int position;      // 1-based
  ConfigKind kind;
  int width;  // String[width]; 0 for the other kinds
  const char* default_value;
  const char* meaning;
  bool is_directory = false;  // a path vxcfg makes absolute from the system directory
  bool is_file = false;       // a file path vxcfg makes absolute (the node log)
};

// Bytes the field takes in the file.
constexpr int FieldSize(const ConfigField& field) {
  switch (field.kind) {
    case ConfigKind::kString:
      return field.width + 1;
    case ConfigKind::kByte:
    case ConfigKind::kChar:
      return 1;
    case ConfigKind::kWord:
      return 2;
    case ConfigKind::kFlags4:
      return 4;
    case ConfigKind::kAddress:
      return 8;
  }
  return 0;
}

// The fields by what they hold, one per line: name, position, (width,) vxcfg's default, meaning.
// A directory left empty stands for the system directory.
namespace config_field {

constexpr ConfigField Directory(const char* name, int position, const char* default_value,
                                const char* meaning) {
  return {name, position, ConfigKind::kString, 60, default_value, meaning, true, false};
}
constexpr ConfigField File(const char* name, int position, const char* default_value,
                           const char* meaning) {
  return {name, position, ConfigKind::kString, 60, default_value, meaning, false, true};
}
constexpr ConfigField Text(const char* name, int position, int width, const char* default_value,
                           const char* meaning) {
  return {name, position, ConfigKind::kString, width, default_value, meaning};
}
constexpr ConfigField Byte(const char* name, int position, const char* default_value,
                           const char* meaning) {
  return {name, position, ConfigKind::kByte, 0, default_value, meaning};
}
constexpr ConfigField Word(const char* name, int position, const char* default_value,
                           const char* meaning) {
  return {name, position, ConfigKind::kWord, 0, default_value, meaning};
}
constexpr ConfigField Char(const char* name, int position, const char* default_value,
                           const char* meaning) {
  return {name, position, ConfigKind::kChar, 0, default_value, meaning};
}

// clang-format off

// Paths, read once at start-up.
inline constexpr ConfigField kMenuPath = Directory("menu_path", 752, "menus", "menu files");
inline constexpr ConfigField kTextPath = Directory("text_path", 813, "text", "display files");
inline constexpr ConfigField kPath3 =
    Directory("path3", 874, "", "completed by the node, not used");
inline constexpr ConfigField kPath4 =
    Directory("path4", 935, "", "completed by the node, not used");
inline constexpr ConfigField kMsgBasePath =
    Directory("msgbase_path", 996, "msgbase", "Hudson base, USERS.BBS, USERSIDX.BBS");
inline constexpr ConfigField kSystemPath =
    Directory("system_path", 1057, "", "the system directory (always the built one)");
inline constexpr ConfigField kLogFileName =
    File("log_file", 1411, "logs/node*N.log", "node log; *N is the node number");
inline constexpr ConfigField kTransferPath =
    Directory("transfer_path", 2368, "transfer", "directory of downloads and uploads");
inline constexpr ConfigField kSemaphorePath =
    Directory("semaphore_path", 3028, "", "node semaphores");
inline constexpr ConfigField kFileBasePath =
    Directory("filebase_path", 3090, "filebase", "the file database");
inline constexpr ConfigField kPath10 =
    Directory("path10", 3153, "", "completed by the node, not used");

// Texts.
inline constexpr ConfigField kQuoteHeader =
    Text("quote_header", 1118, 60, "On ` at ~, # wrote to @:",
    "message entry: line before a quote (@ to, # from, ` date, ~ time)");
inline constexpr ConfigField kSystemName = Text("system_name", 1259, 30, "", "name of the system");
inline constexpr ConfigField kQuotePrefix = Text("quote_prefix", 1359, 15, " @> ",
    "message entry: prefix of quoted lines (@ initials)");
inline constexpr ConfigField kSysopName = Text("sysop_name", 1375, 35, "", "the sysop's name");
inline constexpr ConfigField kNamePrompt = Text("name_prompt", 2178, 40,
    "Please enter your full name: ", "shown before the name prompt");
inline constexpr ConfigField kEditorCommand =
    Text("editor_command", 2220, 60, "", "message editor command line");
inline constexpr ConfigField kLanguageSelectionText1 =
    Text("language_selection_text1", 2589, 40, "", "text of the language selection");
inline constexpr ConfigField kLanguageSelectionText2 =
    Text("language_selection_text2", 2886, 40, "", "text of the language selection");
inline constexpr ConfigField kFileListFormat =
    Text("file_list_format", 3259, 200, "@NE @SKk @UD @DF", "file listing line format");
inline constexpr ConfigField kSecondFileListText =
    Text("file_list_text2", 3460, 200, "", "second file listing text");

// The session and the logon.
inline constexpr ConfigField kInactivityTimeout =
    Word("inactivity_timeout", 1480, "300", "seconds without a key before the call ends");
inline constexpr ConfigField kLogonMinutes =
    Byte("logon_minutes", 1482, "10", "minutes allowed for the logon itself");
inline constexpr ConfigField kPasswordAttempts =
    Word("password_attempts", 1484, "3", "password tries at logon");
inline constexpr ConfigField kNameAttempts =
    Byte("name_attempts", 5754, "3", "name prompts at logon (0: 999)");
inline constexpr ConfigField kPersonalMailScan =
    Byte("personal_mail_scan", 1493, "2", "mail scan after logon: 0 no, 1 scan, 2 ask");
inline constexpr ConfigField kNewFilesScan =
    Byte("new_files_scan", 2219, "2", "new-files scan after logon: 0 no, 1 scan, 2 ask");
inline constexpr ConfigField kWatchdogArea =
    Byte("watchdog_area", 2164, "0", "message area of the watchdog notice (0 none)");
inline constexpr ConfigField kSysopMessageArea = Byte("sysop_message_area", 2503, "0",
    "area of the message to the sysop after failed passwords (0 none)");

// Menu functions, messages and files.
inline constexpr ConfigField kPageLength =
    Word("page_length", 1488, "30", "seconds a page of the sysop lasts");
inline constexpr ConfigField kPageReason =
    Byte("page_reason", 2163, "0", "1: a page of the sysop asks for a reason");
inline constexpr ConfigField kMinimumPasswordLength =
    Byte("min_password_length", 1540, "4", "shortest new password");
inline constexpr ConfigField kUploadMinimumFreeSpace =
    Word("upload_min_free_space", 1541, "0", "free space an upload must leave");
inline constexpr ConfigField kNewFilesListTagging =
    Byte("file_list_tagging", 3151, "0", "new-files list offers tagging (non-zero)");

// Input and output.
inline constexpr ConfigField kOpenBracket =
    Char("open_bracket", 2331, "[", "opening bracket of choice hints");
inline constexpr ConfigField kCloseBracket =
    Char("close_bracket", 2332, "]", "closing bracket of choice hints");
inline constexpr ConfigField kMaskEcho =
    Char("mask_echo", 2695, "*", "echo character of masked input");

// Colour sets 1..5, foreground and background.
inline constexpr ConfigField kColour1Foreground =
    Byte("colour1_fg", 1523, "7", "colour set 1 foreground (0 shows 7)");
inline constexpr ConfigField kColour1Background =
    Byte("colour1_bg", 1524, "0", "colour set 1 background");
inline constexpr ConfigField kColour2Foreground =
    Byte("colour2_fg", 2954, "14", "colour set 2 foreground");
inline constexpr ConfigField kColour2Background =
    Byte("colour2_bg", 2955, "0", "colour set 2 background");
inline constexpr ConfigField kColour3Foreground =
    Byte("colour3_fg", 2587, "11", "colour set 3 foreground");
inline constexpr ConfigField kColour3Background =
    Byte("colour3_bg", 2588, "0", "colour set 3 background");
inline constexpr ConfigField kColour4Foreground =
    Byte("colour4_fg", 3214, "3", "colour set 4 foreground; file list colour");
inline constexpr ConfigField kColour4Background =
    Byte("colour4_bg", 3215, "0", "colour set 4 background");
inline constexpr ConfigField kColour5Foreground =
    Byte("colour5_fg", 1546, "15", "colour set 5 foreground");
inline constexpr ConfigField kColour5Background =
    Byte("colour5_bg", 1547, "1", "colour set 5 background");

// New users: the defaults, and the questionnaire's switches (0 set without asking, 1 clear
// without asking, 2 ask, unless the meaning says otherwise).
inline constexpr ConfigField kNewUserSecurity =
    Word("new_user_security", 1290, "10", "security level of a new user");
inline constexpr ConfigField kNewUserSecondNumber =
    Word("new_user_second", 1292, "0", "second new-user number");
inline constexpr ConfigField kNewUserFlags{"new_user_flags", 1294, ConfigKind::kFlags4, 0, "",
                                           "flags of a new user"};
inline constexpr ConfigField kNewUserOption = Byte("new_user_option", 3661, "0", "new-user option");
inline constexpr ConfigField kNewUserOptionNumber =
    Word("new_user_number", 3662, "0", "number of the new-user option");
inline constexpr ConfigField kNamesWithoutBlank =
    Byte("names_without_blank", 1491, "0", "0: a name needs a blank");
inline constexpr ConfigField kAskVoicePhone =
    Byte("ask_voice_phone", 1494, "0", "1: ask the voice phone");
inline constexpr ConfigField kAskDataPhone =
    Byte("ask_data_phone", 1495, "0", "1: ask the data phone");
inline constexpr ConfigField kAskAnsi =
    Byte("ask_ansi", 1500, "0", "ANSI colour, prompt 8 (Attribute 4)");
inline constexpr ConfigField kAskClearScreen =
    Byte("ask_clear_screen", 1501, "0", "clear screen, prompt 15 (Attribute 2)");
inline constexpr ConfigField kAskMorePrompt =
    Byte("ask_more_prompt", 1502, "0", "page pause, prompt 14 (Attribute 3)");
inline constexpr ConfigField kAskPrompt11 =
    Byte("ask_prompt11", 1543, "1", "prompt 11 (Attribute2 1)");
inline constexpr ConfigField kQuestion2333 =
    Byte("question_2333", 2333, "0", "question switch the questionnaire does not ask");
inline constexpr ConfigField kAskBirthDate =
    Byte("ask_birth_date", 2334, "0", "1: ask the birth date");
inline constexpr ConfigField kQuestion2501 =
    Byte("question_2501", 2501, "0", "question switch the questionnaire does not ask");
inline constexpr ConfigField kAskPrompt10 =
    Byte("ask_prompt10", 2502, "1", "prompt 10 (Attribute2 2)");
inline constexpr ConfigField kAskPrompt12 =
    Byte("ask_prompt12", 2692, "1", "prompt 12 (Attribute2 3)");
inline constexpr ConfigField kQuestion2694 =
    Byte("question_2694", 2694, "0", "question switch the questionnaire does not ask");
inline constexpr ConfigField kAskPrompt9 =
    Byte("ask_prompt9", 2884, "1", "prompt 9 (Attribute 7), asked with ANSI only");
inline constexpr ConfigField kAskLanguage =
    Byte("ask_language", 2885, "0", "0: first language, otherwise ask");
inline constexpr ConfigField kNewUserDateFormat =
    Byte("new_user_date_format", 2930, "1", "date format of a new user (0: ask)");
inline constexpr ConfigField kQuestion2947 =
    Byte("question_2947", 2947, "0", "question switch the questionnaire does not ask");
inline constexpr ConfigField kQuestion2948 =
    Byte("question_2948", 2948, "0", "question switch the questionnaire does not ask");
inline constexpr ConfigField kAskPrompt647 =
    Byte("ask_prompt647", 5335, "1", "prompt 647 (Attribute2 6)");
inline constexpr ConfigField kAskSex = Byte("ask_sex", 5741, "0", "1: ask the sex");
inline constexpr ConfigField kAskAddress =
    Byte("ask_address", 5742, "0", "1: ask the address lines");
inline constexpr ConfigField kQuestion5744 =
    Byte("question_5744", 5744, "0", "question switch the questionnaire does not ask");

}  // namespace config_field

// The errorlevels of a front-end program: slot 0 is a local session, slots 1..19 a call at the
// speed named, slot 49 is never handled. 255, the usual mark of an unused slot, leaves it unused:
// with zeros, a front-end program that ends normally would be taken for a local logon.
struct ErrorlevelSlot {
  int slot;
  ConfigField field;
};
inline constexpr std::array<ErrorlevelSlot, 21> kErrorlevelSlots = {{
    {0,  config_field::Byte("errorlevel_slot_0",  1531, "255", "front-end errorlevel: local")},
    {1,  config_field::Byte("errorlevel_slot_1",  1532, "255", "front-end errorlevel: 300 bps")},
    {2,  config_field::Byte("errorlevel_slot_2",  1533, "255", "front-end errorlevel: 1200 bps")},
    {3,  config_field::Byte("errorlevel_slot_3",  1534, "255", "front-end errorlevel: 2400 bps")},
    {4,  config_field::Byte("errorlevel_slot_4",  1535, "255", "front-end errorlevel: 4800 bps")},
    {5,  config_field::Byte("errorlevel_slot_5",  2820, "255", "front-end errorlevel: 7200 bps")},
    {6,  config_field::Byte("errorlevel_slot_6",  1536, "255", "front-end errorlevel: 9600 bps")},
    {7,  config_field::Byte("errorlevel_slot_7",  2821, "255", "front-end errorlevel: 12000 bps")},
    {8,  config_field::Byte("errorlevel_slot_8",  2822, "255", "front-end errorlevel: 14400 bps")},
    {9,  config_field::Byte("errorlevel_slot_9",  3257, "255", "front-end errorlevel: 16800 bps")},
    {10, config_field::Byte("errorlevel_slot_10", 1537, "255", "front-end errorlevel: 19200 bps")},
    {11, config_field::Byte("errorlevel_slot_11", 5745, "255", "front-end errorlevel: 21600 bps")},
    {12, config_field::Byte("errorlevel_slot_12", 5746, "255", "front-end errorlevel: 24000 bps")},
    {13, config_field::Byte("errorlevel_slot_13", 5747, "255", "front-end errorlevel: 26400 bps")},
    {14, config_field::Byte("errorlevel_slot_14", 5748, "255", "front-end errorlevel: 28800 bps")},
    {15, config_field::Byte("errorlevel_slot_15", 5816, "255", "front-end errorlevel: 31200 bps")},
    {16, config_field::Byte("errorlevel_slot_16", 5817, "255", "front-end errorlevel: 33600 bps")},
    {17, config_field::Byte("errorlevel_slot_17", 1538, "255", "front-end errorlevel: 38400 bps")},
    {18, config_field::Byte("errorlevel_slot_18", 5749, "255", "front-end errorlevel: 57600 bps")},
    {19, config_field::Byte("errorlevel_slot_19", 5750, "255", "front-end errorlevel: 64000 bps")},
    {49, config_field::Byte("errorlevel_slot_49", 5331, "255",
                            "front-end errorlevel the node leaves alone")},
}};

// Network addresses 0..9: eight bytes each from position 1179.
constexpr ConfigField AddressField(const char* name, int slot) {
  return {name, 1179 + 8 * slot, ConfigKind::kAddress, 0, "0:0/0",
          "network address (zone:net/node.point)"};
}
inline constexpr std::array<ConfigField, 10> kAddressFields = {
    AddressField("address_0", 0), AddressField("address_1", 1), AddressField("address_2", 2),
    AddressField("address_3", 3), AddressField("address_4", 4), AddressField("address_5", 5),
    AddressField("address_6", 6), AddressField("address_7", 7), AddressField("address_8", 8),
    AddressField("address_9", 9),
};

// clang-format on

// The five colour sets as (foreground, background) fields.
inline constexpr std::array<std::array<const ConfigField*, 2>, 5> kColourSetFields = {{
    {&config_field::kColour1Foreground, &config_field::kColour1Background},
    {&config_field::kColour2Foreground, &config_field::kColour2Background},
    {&config_field::kColour3Foreground, &config_field::kColour3Background},
    {&config_field::kColour4Foreground, &config_field::kColour4Background},
    {&config_field::kColour5Foreground, &config_field::kColour5Background},
}};

// Every field, in the order `vxcfg dump` shows them.
std::span<const ConfigField* const> ConfigFields();
const ConfigField* FindConfigField(std::string_view name);

struct NetAddress {
  uint16_t zone = 0, net = 0, node = 0, point = 0;
  bool operator==(const NetAddress&) const = default;
};

// The 6331 bytes of CONFIG.VX with the readers of its fields. Bytes that a short file lacks
// read as zero; each reader takes a field of its own kind.
class ConfigRecord {
 public:
  ConfigRecord() { bytes_.fill(0); }
  // The first 6331 bytes of `bytes`, the rest zero.
  explicit ConfigRecord(std::span<const uint8_t> bytes);

  uint8_t Byte(const ConfigField& field) const;
  uint16_t Word(const ConfigField& field) const;
  char Char(const ConfigField& field) const;
  std::string Text(const ConfigField& field) const;  // the first L of its characters
  std::array<uint8_t, 4> Flags(const ConfigField& field) const;
  NetAddress Address(const ConfigField& field) const;

  const std::array<uint8_t, kConfigSize>& bytes() const { return bytes_; }

 private:
  uint8_t At(int position) const { return bytes_[static_cast<size_t>(position - 1)]; }
  uint16_t WordAt(int position) const;

  std::array<uint8_t, kConfigSize> bytes_;
};

}  // namespace vx::core
