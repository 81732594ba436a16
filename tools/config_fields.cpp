// The table of CONFIG.VX fields and their conversion from and to text.
#include "tools/config_fields.h"

#include <cstdio>

#include "core/record_stream.h"
#include "core/text.h"
#include "tools/source_text.h"

namespace vx::tools {

namespace {

using K = FieldKind;

std::vector<ConfigField> MakeFields() {
  std::vector<ConfigField> f = {
      // Directories and files; relative ones are made absolute from the system directory.
      {"menu_path", 752, K::kString, 60, "menus", "menu files", true},
      {"text_path", 813, K::kString, 60, "text", "display files", true},
      {"path3", 874, K::kString, 60, "", "completed by the node, not used (empty: system path)", true},
      {"path4", 935, K::kString, 60, "", "completed by the node, not used (empty: system path)", true},
      {"msgbase_path", 996, K::kString, 60, "msgbase", "Hudson base, USERS.BBS, USERSIDX.BBS", true},
      {"system_path", 1057, K::kString, 60, "", "the system directory (always the built one)", true},
      {"log_file", 1411, K::kString, 60, "logs/node*N.log", "node log; *N is the node number", false, true},
      {"transfer_path", 2368, K::kString, 60, "transfer", "directory of downloads and uploads", true},
      {"semaphore_path", 3028, K::kString, 60, "", "node semaphores (empty: system path)", true},
      {"filebase_path", 3090, K::kString, 60, "filebase", "the file database", true},
      {"path10", 3153, K::kString, 60, "", "completed by the node, not used (empty: system path)", true},
      // Texts.
      {"quote_header", 1118, K::kString, 60, "On ` at ~, # wrote to @:", "message entry: quote header (@ to, # from, ` date, ~ time)"},
      {"system_name", 1259, K::kString, 30, "", "name of the system"},
      {"quote_prefix", 1359, K::kString, 15, " @> ", "message entry: quote prefix (@ initials)"},
      {"sysop_name", 1375, K::kString, 35, "", "the sysop's name"},
      {"name_prompt", 2178, K::kString, 40, "Please enter your full name: ", "shown before the name prompt"},
      {"editor_command", 2220, K::kString, 60, "", "message editor command line"},
      {"language_text_2589", 2589, K::kString, 40, "", "text of the language selection"},
      {"language_text_2886", 2886, K::kString, 40, "", "text of the language selection"},
      {"file_list_format", 3259, K::kString, 200, "@NE @SKk @UD @DF", "file listing line format"},
      {"file_list_text2", 3460, K::kString, 200, "", "second file listing text"},
      // Session and logon.
      {"inactivity_timeout", 1480, K::kWord, 0, "300", "seconds without a key before the call ends"},
      {"logon_minutes", 1482, K::kByte, 0, "10", "minutes allowed for the logon itself"},
      {"password_attempts", 1484, K::kWord, 0, "3", "password tries at logon"},
      {"page_length", 1488, K::kWord, 0, "30", "seconds the page of the sysop lasts"},
      {"personal_mail_scan", 1493, K::kByte, 0, "2", "after logon: 0 no, 1 scan, 2 ask"},
      {"min_password_length", 1540, K::kByte, 0, "4", "shortest new password"},
      {"upload_min_free_space", 1541, K::kWord, 0, "0", "free space an upload must leave"},
      {"menu_dispatcher_value", 2163, K::kByte, 0, "0", "value used by the menu dispatcher"},
      {"watchdog_area", 2164, K::kByte, 0, "0", "message area of the watchdog notice (0 none)"},
      {"new_files_scan", 2219, K::kByte, 0, "2", "after logon: 0 no, 1 scan, 2 ask"},
      {"open_bracket", 2331, K::kChar, 0, "[", "opening bracket of choice hints"},
      {"close_bracket", 2332, K::kChar, 0, "]", "closing bracket of choice hints"},
      {"sysop_message_area", 2503, K::kByte, 0, "0", "area of the message to the sysop after failed passwords (0 none)"},
      {"mask_echo", 2695, K::kChar, 0, "*", "echo character of masked input"},
      {"file_list_tagging", 3151, K::kByte, 0, "0", "new-files list offers tagging (non-zero)"},
      {"name_attempts", 5754, K::kByte, 0, "3", "name prompts at logon (0: 999)"},
      // Colour sets: foreground and background.
      {"colour1_fg", 1523, K::kByte, 0, "7", "colour set 1 foreground (0 shows 7)"},
      {"colour1_bg", 1524, K::kByte, 0, "0", "colour set 1 background"},
      {"colour2_fg", 2954, K::kByte, 0, "14", "colour set 2 foreground"},
      {"colour2_bg", 2955, K::kByte, 0, "0", "colour set 2 background"},
      {"colour3_fg", 2587, K::kByte, 0, "11", "colour set 3 foreground"},
      {"colour3_bg", 2588, K::kByte, 0, "0", "colour set 3 background"},
      {"colour4_fg", 3214, K::kByte, 0, "3", "colour set 4 foreground; file list colour"},
      {"colour4_bg", 3215, K::kByte, 0, "0", "colour set 4 background"},
      {"colour5_fg", 1546, K::kByte, 0, "15", "colour set 5 foreground"},
      {"colour5_bg", 1547, K::kByte, 0, "1", "colour set 5 background"},
      // New users.
      {"new_user_security", 1290, K::kWord, 0, "10", "security level of a new user"},
      {"new_user_second", 1292, K::kWord, 0, "0", "second new-user number"},
      {"new_user_flags", 1294, K::kFlags4, 0, "", "flags of a new user"},
      {"new_user_option", 3661, K::kByte, 0, "0", "new-user option"},
      {"new_user_number", 3662, K::kWord, 0, "0", "number of the new-user option"},
      {"names_without_blank", 1491, K::kByte, 0, "0", "0: a name needs a blank"},
      {"ask_voice_phone", 1494, K::kByte, 0, "0", "1: ask the voice phone"},
      {"ask_data_phone", 1495, K::kByte, 0, "0", "1: ask the data phone"},
      {"ask_ansi", 1500, K::kByte, 0, "0", "0 yes, 1 no, 2 ask (prompt 8)"},
      {"ask_clear_screen", 1501, K::kByte, 0, "0", "0 yes, 1 no, 2 ask (prompt 15)"},
      {"ask_more_prompt", 1502, K::kByte, 0, "0", "0 yes, 1 no, 2 ask (prompt 14)"},
      {"ask_prompt11", 1543, K::kByte, 0, "1", "0 yes, 1 no, 2 ask (prompt 11)"},
      {"question_2333", 2333, K::kByte, 0, "0", "question switch"},
      {"ask_birth_date", 2334, K::kByte, 0, "0", "1: ask the birth date"},
      {"question_2501", 2501, K::kByte, 0, "0", "question switch"},
      {"ask_prompt10", 2502, K::kByte, 0, "1", "0 yes, 1 no, 2 ask (prompt 10)"},
      {"ask_prompt12", 2692, K::kByte, 0, "1", "0 yes, 1 no, 2 ask (prompt 12)"},
      {"question_2694", 2694, K::kByte, 0, "0", "question switch"},
      {"ask_prompt9", 2884, K::kByte, 0, "1", "0 yes, 1 no, 2 ask (prompt 9)"},
      {"ask_language", 2885, K::kByte, 0, "0", "0: first language, otherwise ask"},
      {"new_user_date_format", 2930, K::kByte, 0, "1", "date format of a new user (0: ask)"},
      {"question_2947", 2947, K::kByte, 0, "0", "question switch"},
      {"question_2948", 2948, K::kByte, 0, "0", "question switch"},
      {"ask_prompt647", 5335, K::kByte, 0, "1", "0 yes, 1 no, 2 ask (prompt 647)"},
      {"ask_sex", 5741, K::kByte, 0, "0", "1: ask the sex"},
      {"ask_address", 5742, K::kByte, 0, "0", "1: ask the address lines"},
      {"question_5744", 5744, K::kByte, 0, "0", "question switch"},
  };
  // Errorlevels a front-end program ends with, per connection speed.
  static constexpr struct {
    const char* name;
    int position;
  } kLevels[] = {{"errorlevel_local", 1531}, {"errorlevel_300", 1532},   {"errorlevel_1200", 1533},
                 {"errorlevel_2400", 1534},  {"errorlevel_4800", 1535},  {"errorlevel_7200", 2820},
                 {"errorlevel_9600", 1536},  {"errorlevel_12000", 2821}, {"errorlevel_14400", 2822},
                 {"errorlevel_16800", 3257}, {"errorlevel_19200", 1537}, {"errorlevel_21600", 5745},
                 {"errorlevel_24000", 5746}, {"errorlevel_26400", 5747}, {"errorlevel_28800", 5748},
                 {"errorlevel_31200", 5816}, {"errorlevel_33600", 5817}, {"errorlevel_38400", 1538},
                 {"errorlevel_57600", 5749}, {"errorlevel_64000", 5750}, {"errorlevel_slot49", 5331}};
  for (const auto& level : kLevels) {
    f.push_back({level.name, level.position, K::kByte, 0, "0", "front-end errorlevel"});
  }
  static constexpr const char* kAddressNames[10] = {"address_0", "address_1", "address_2",
                                                    "address_3", "address_4", "address_5",
                                                    "address_6", "address_7", "address_8",
                                                    "address_9"};
  for (int i = 0; i < 10; ++i) {
    f.push_back({kAddressNames[i], 1179 + 8 * i, K::kAddress, 0, "0:0/0",
                 "network address (zone:net/node.point)"});
  }
  return f;
}

std::optional<uint16_t> ParseWordPart(const std::string& text) {
  auto n = ParseNumber(text, 65535);
  if (!n) return std::nullopt;
  return static_cast<uint16_t>(*n);
}

}  // namespace

const std::vector<ConfigField>& ConfigFields() {
  static const std::vector<ConfigField> fields = MakeFields();
  return fields;
}

const ConfigField* FindConfigField(const std::string& name) {
  for (const ConfigField& f : ConfigFields()) {
    if (name == f.name) return &f;
  }
  return nullptr;
}

int FieldSize(const ConfigField& field) {
  switch (field.kind) {
    case K::kString: return field.width + 1;
    case K::kByte: return 1;
    case K::kWord: return 2;
    case K::kChar: return 1;
    case K::kFlags4: return 4;
    case K::kAddress: return 8;
  }
  return 0;
}

std::optional<std::array<uint8_t, 4>> ParseFlagList(const std::string& text, std::string* error) {
  std::array<uint8_t, 4> flags{};
  std::string t = core::UpperCase(text);
  for (char& c : t) {
    if (c == ',') c = ' ';
  }
  size_t i = 0;
  while (i < t.size()) {
    if (t[i] == ' ') {
      ++i;
      continue;
    }
    if (i + 1 >= t.size() || t[i] < 'A' || t[i] > 'D' || t[i + 1] < '1' || t[i + 1] > '8' ||
        (i + 2 < t.size() && t[i + 2] != ' ')) {
      *error = "flags are written as a set letter A-D and a number 1-8, such as \"A1 B8\"";
      return std::nullopt;
    }
    flags[static_cast<size_t>(t[i] - 'A')] |= static_cast<uint8_t>(1 << (t[i + 1] - '1'));
    i += 2;
  }
  return flags;
}

std::string FormatFlagList(const std::array<uint8_t, 4>& flags) {
  std::string out;
  for (int set = 0; set < 4; ++set) {
    for (int bit = 0; bit < 8; ++bit) {
      if (flags[static_cast<size_t>(set)] & (1 << bit)) {
        if (!out.empty()) out += ' ';
        out += static_cast<char>('A' + set);
        out += static_cast<char>('1' + bit);
      }
    }
  }
  return out;
}

std::string SetConfigField(std::vector<uint8_t>& config, const ConfigField& field,
                           const std::string& value) {
  if (config.size() < static_cast<size_t>(kConfigFileSize)) config.resize(kConfigFileSize, 0);
  core::MemoryStream out(std::move(config));
  out.SeekPosition(static_cast<uint64_t>(field.position));
  std::string error;
  switch (field.kind) {
    case K::kString:
      if (value.size() > static_cast<size_t>(field.width)) {
        error = "\"" + value + "\" is " + std::to_string(value.size()) +
                " characters long; the field holds " + std::to_string(field.width);
      } else {
        out.WritePascalString(value, field.width);
      }
      break;
    case K::kByte:
    case K::kWord: {
      long long max = field.kind == K::kByte ? 255 : 65535;
      auto n = ParseNumber(value, max);
      if (!n) {
        error = "\"" + value + "\" is not a number from 0 to " + std::to_string(max);
      } else if (field.kind == K::kByte) {
        out.WriteByte(static_cast<uint8_t>(*n));
      } else {
        out.WriteWord(*n);
      }
      break;
    }
    case K::kChar:
      if (value.size() != 1) {
        error = "\"" + value + "\" is not a single character";
      } else {
        out.WriteByte(static_cast<uint8_t>(value[0]));
      }
      break;
    case K::kFlags4:
      if (auto flags = ParseFlagList(value, &error)) {
        out.WriteFrom(*flags);
      }
      break;
    case K::kAddress: {
      // zone:net/node[.point]
      size_t colon = value.find(':'), slash = value.find('/');
      size_t dot = value.find('.', slash == std::string::npos ? 0 : slash);
      std::optional<uint16_t> zone, net, node, point = uint16_t{0};
      if (colon != std::string::npos && slash != std::string::npos && colon < slash) {
        zone = ParseWordPart(value.substr(0, colon));
        net = ParseWordPart(value.substr(colon + 1, slash - colon - 1));
        node = ParseWordPart(value.substr(slash + 1, dot == std::string::npos ? std::string::npos
                                                                              : dot - slash - 1));
        if (dot != std::string::npos) point = ParseWordPart(value.substr(dot + 1));
      }
      if (!zone || !net || !node || !point) {
        error = "\"" + value + "\" is not an address zone:net/node or zone:net/node.point";
      } else {
        for (uint16_t part : {*zone, *net, *node, *point}) out.WriteWord(part);
      }
      break;
    }
  }
  config = std::move(out.bytes());
  return error;
}

std::string GetConfigField(const std::vector<uint8_t>& config, const ConfigField& field) {
  core::MemoryStream in(config);
  in.SeekPosition(static_cast<uint64_t>(field.position));
  switch (field.kind) {
    case K::kString: return in.ReadPascalString(field.width);
    case K::kByte: return std::to_string(in.ReadByte());
    case K::kWord: return std::to_string(in.ReadWord());
    case K::kChar: {
      uint8_t c = in.ReadByte();
      return c == 0 ? std::string() : std::string(1, static_cast<char>(c));
    }
    case K::kFlags4: {
      std::array<uint8_t, 4> flags{};
      in.ReadInto(flags);
      return FormatFlagList(flags);
    }
    case K::kAddress: {
      uint16_t zone = in.ReadWord(), net = in.ReadWord(), node = in.ReadWord(),
               point = in.ReadWord();
      std::string text = std::to_string(zone) + ":" + std::to_string(net) + "/" +
                         std::to_string(node);
      if (point > 0) text += "." + std::to_string(point);
      return text;
    }
  }
  return {};
}

}  // namespace vx::tools
