// Tokens, escapes, colours and numbers of the readable sources.
#include "tools/source_text.h"

#include <array>
#include <cctype>
#include <cstdio>

#include "core/text.h"
#include "tools/source_error.h"

namespace vx::tools {

namespace {

constexpr std::array<const char*, 16> kColourNames = {
    "black",    "blue",         "green",      "cyan",      "red",          "magenta",
    "brown",    "lightgray",    "darkgray",   "lightblue", "lightgreen",   "lightcyan",
    "lightred", "lightmagenta", "yellow",     "white"};

std::optional<int> ColourIndex(std::string_view name) {
  std::string n = core::LowerCase(core::Trim(name));
  if (n == "lightgrey") n = "lightgray";
  if (n == "darkgrey") n = "darkgray";
  for (size_t i = 0; i < kColourNames.size(); ++i) {
    if (n == kColourNames[i]) return static_cast<int>(i);
  }
  return std::nullopt;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::optional<char> ControlOf(char letter) {
  unsigned char c = static_cast<unsigned char>(std::toupper(static_cast<unsigned char>(letter)));
  if (c >= '@' && c <= '_') return static_cast<char>(c - '@');
  return std::nullopt;
}

}  // namespace

std::optional<std::string> DecodeEscapes(std::string_view text, bool caret_controls,
                                         std::string* error) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\\') {
      if (i + 1 >= text.size()) {
        *error = "a backslash ends the text (write \\\\ for a backslash)";
        return std::nullopt;
      }
      char e = text[++i];
      if (e == '\\' || e == '"') {
        out += e;
      } else if (e == 'x') {
        int hi = i + 1 < text.size() ? HexValue(text[i + 1]) : -1;
        int lo = i + 2 < text.size() ? HexValue(text[i + 2]) : -1;
        if (hi < 0 || lo < 0) {
          *error = "\\x needs two hexadecimal digits";
          return std::nullopt;
        }
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
      } else if (e == 'c') {
        auto control = i + 1 < text.size() ? ControlOf(text[i + 1]) : std::nullopt;
        if (!control) {
          *error = "\\c needs a letter or one of @[\\]^_";
          return std::nullopt;
        }
        out += *control;
        ++i;
      } else {
        *error = std::string("unknown escape \\") + e;
        return std::nullopt;
      }
    } else if (c == '^' && caret_controls) {
      if (i + 1 >= text.size()) {
        *error = "a caret ends the text (write ^^ for a caret)";
        return std::nullopt;
      }
      char e = text[++i];
      if (e == '^') {
        out += '^';
      } else if (auto control = ControlOf(e)) {
        out += *control;
      } else {
        *error = std::string("unknown control code ^") + e;
        return std::nullopt;
      }
    } else {
      out += c;
    }
  }
  return out;
}

std::string EncodeEscapes(std::string_view bytes, bool caret_controls) {
  std::string out;
  for (char ch : bytes) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c == '\\' || c == '"') {
      out += '\\';
      out += ch;
    } else if (c == '^' && caret_controls) {
      out += "^^";
    } else if (c < 32) {
      out += caret_controls ? "^" : "\\c";
      out += static_cast<char>(c + '@');
    } else if (c >= 127) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    } else {
      out += ch;
    }
  }
  return out;
}

std::vector<SourceToken> TokenizeLine(std::string_view line, bool caret_controls,
                                      const std::string& file, int line_number) {
  std::vector<SourceToken> tokens;
  size_t i = 0;
  auto read_quoted = [&](size_t& at) {
    // `at` is on the opening quote; finds the closing one, skipping escaped characters.
    size_t start = ++at;
    while (at < line.size() && line[at] != '"') {
      if (line[at] == '\\') ++at;
      ++at;
    }
    if (at >= line.size()) throw SourceError(file, line_number, "text without closing quote");
    std::string error;
    auto text = DecodeEscapes(line.substr(start, at - start), caret_controls, &error);
    if (!text) throw SourceError(file, line_number, error);
    ++at;
    return *text;
  };
  while (i < line.size()) {
    char c = line[i];
    if (c == ' ' || c == '\t' || c == '\r') {
      ++i;
      continue;
    }
    if (c == '#') break;
    SourceToken token;
    if (c == '"') {
      token.value = read_quoted(i);
      token.quoted = true;
    } else {
      size_t start = i;
      while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '=' &&
             line[i] != '"' && line[i] != '\r') {
        ++i;
      }
      std::string word(line.substr(start, i - start));
      if (i < line.size() && line[i] == '=') {
        token.name = core::LowerCase(word);
        ++i;
        if (i < line.size() && line[i] == '"') {
          token.value = read_quoted(i);
          token.quoted = true;
        } else {
          size_t vstart = i;
          while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
          token.value = std::string(line.substr(vstart, i - vstart));
        }
      } else {
        token.value = word;
      }
    }
    tokens.push_back(std::move(token));
  }
  return tokens;
}

std::optional<int> ParseColour(std::string_view text) {
  std::string t = core::LowerCase(core::Trim(text));
  if (t.empty()) return std::nullopt;
  if (std::isdigit(static_cast<unsigned char>(t[0]))) {
    auto n = ParseNumber(t, 255);
    if (!n) return std::nullopt;
    return static_cast<int>(*n);
  }
  if (t == "default" || t == "none") return 0;
  std::string fg = t, bg;
  if (size_t slash = t.find('/'); slash != std::string::npos) {
    fg = t.substr(0, slash);
    bg = t.substr(slash + 1);
  } else if (size_t on = t.find(" on "); on != std::string::npos) {
    fg = t.substr(0, on);
    bg = t.substr(on + 4);
  }
  auto f = ColourIndex(fg);
  if (!f) return std::nullopt;
  int attribute = *f;
  if (!bg.empty()) {
    auto b = ColourIndex(bg);
    if (!b || *b > 7) return std::nullopt;
    attribute |= *b << 4;
  }
  return attribute;
}

std::string ColourName(int attribute) {
  if (attribute == 0) return "default";
  std::string name = kColourNames[static_cast<size_t>(attribute & 15)];
  int bg = (attribute >> 4) & 15;
  if (bg == 0) return name;
  if (bg < 8) return name + "/" + kColourNames[static_cast<size_t>(bg)];
  char hex[8];
  std::snprintf(hex, sizeof hex, "0x%02X", attribute);
  return hex;
}

std::optional<long long> ParseNumber(std::string_view text, long long max) {
  std::string t = core::Trim(text);
  if (t.empty()) return std::nullopt;
  int base = 10;
  size_t i = 0;
  if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
    base = 16;
    i = 2;
  }
  long long value = 0;
  for (; i < t.size(); ++i) {
    int d = base == 16 ? HexValue(t[i]) : (std::isdigit(static_cast<unsigned char>(t[i])) ? t[i] - '0' : -1);
    if (d < 0) return std::nullopt;
    value = value * base + d;
    if (value > max) return std::nullopt;
  }
  return value;
}

}  // namespace vx::tools
