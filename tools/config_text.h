// CONFIG.VX fields as text, the form in which system.toml sets them and `vxcfg dump` shows them.
// The fields themselves (positions, kinds, widths, names, defaults) are the node's own table,
// core/config_fields.h; all bytes outside it stay zero.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/config_fields.h"

namespace vx::tools {

// Stores a value given as text (numbers in decimal or 0x hex; texts as they are). Returns an error
// message, empty on success: a text longer than its field is refused, never cut.
std::string SetConfigField(std::vector<uint8_t>& config, const core::ConfigField& field,
                           const std::string& value);
// The value as text, in the form SetConfigField takes.
std::string GetConfigField(const std::vector<uint8_t>& config, const core::ConfigField& field);

// "A1 B8" <-> four flag bytes (flag n of a set is bit n - 1).
std::optional<std::array<uint8_t, 4>> ParseFlagList(const std::string& text, std::string* error);
std::string FormatFlagList(const std::array<uint8_t, 4>& flags);

}  // namespace vx::tools
