// Every field of CONFIG.VX that the node reads, by a readable name: its 1-based position, its type
// and the value a new system gets when its description is silent. vxcfg writes and shows CONFIG.VX
// through this table; all bytes outside it stay zero.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vx::tools {

enum class FieldKind {
  kString,   // String[width]
  kByte,     // 0..255
  kWord,     // uint16
  kChar,     // one character
  kFlags4,   // four flag bytes A..D, written as "A1 B8 ..." (the flags that are set)
  kAddress,  // four uint16: zone, net, node, point, written "zone:net/node.point"
};

struct ConfigField {
  const char* name;
  int position;  // 1-based, as the node reads it
  FieldKind kind;
  int width;     // String[width]; 0 for the others
  const char* default_value;
  const char* meaning;
  bool is_directory = false;  // a path the build makes absolute from the system directory
  bool is_file = false;       // a file path the build makes absolute (the node log)
};

inline constexpr int kConfigFileSize = 6331;

const std::vector<ConfigField>& ConfigFields();
const ConfigField* FindConfigField(const std::string& name);
// Bytes the field takes in the file.
int FieldSize(const ConfigField& field);

// Stores a value given as text (numbers in decimal or 0x hex; texts as they are). Returns an error
// message, empty on success: a text longer than its field is refused, never cut.
std::string SetConfigField(std::vector<uint8_t>& config, const ConfigField& field,
                           const std::string& value);
// The value as text, in the form SetConfigField takes.
std::string GetConfigField(const std::vector<uint8_t>& config, const ConfigField& field);

// "A1 B8" <-> four flag bytes (flag n of a set is bit n - 1).
std::optional<std::array<uint8_t, 4>> ParseFlagList(const std::string& text, std::string* error);
std::string FormatFlagList(const std::array<uint8_t, 4>& flags);

}  // namespace vx::tools
