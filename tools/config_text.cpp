// CONFIG.VX fields from and to text.
#include "tools/config_text.h"

#include <cstdio>

#include "core/record_stream.h"
#include "core/text.h"
#include "tools/source_text.h"

namespace vx::tools {

namespace {

using K = core::ConfigKind;

std::optional<uint16_t> ParseWordPart(const std::string& text) {
  auto n = ParseNumber(text, 65535);
  if (!n) return std::nullopt;
  return static_cast<uint16_t>(*n);
}

}  // namespace

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

std::string SetConfigField(std::vector<uint8_t>& config, const core::ConfigField& field,
                           const std::string& value) {
  if (config.size() < static_cast<size_t>(core::kConfigSize)) config.resize(core::kConfigSize, 0);
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
        node = ParseWordPart(value.substr(
            slash + 1, dot == std::string::npos ? std::string::npos : dot - slash - 1));
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

std::string GetConfigField(const std::vector<uint8_t>& config, const core::ConfigField& field) {
  const core::ConfigRecord record(config);
  switch (field.kind) {
    case K::kString:
      return record.Text(field);
    case K::kByte:
      return std::to_string(record.Byte(field));
    case K::kWord:
      return std::to_string(record.Word(field));
    case K::kChar: {
      const char c = record.Char(field);
      return c == '\0' ? std::string() : std::string(1, c);
    }
    case K::kFlags4:
      return FormatFlagList(record.Flags(field));
    case K::kAddress: {
      const core::NetAddress a = record.Address(field);
      std::string text =
          std::to_string(a.zone) + ":" + std::to_string(a.net) + "/" + std::to_string(a.node);
      if (a.point > 0) text += "." + std::to_string(a.point);
      return text;
    }
  }
  return {};
}

}  // namespace vx::tools
