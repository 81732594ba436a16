// Compiling menu sources into menu files and back.
#include "tools/menu_compiler.h"

#include <cstdio>
#include <sstream>
#include <utility>

#include "core/text.h"
#include "tools/config_text.h"
#include "tools/source_error.h"
#include "tools/source_text.h"

namespace vx::tools {

namespace {

constexpr std::pair<int, const char*> kTypeNames[] = {
    {0, "text"},           {1, "goto"},           {2, "gosub"},
    {3, "return"},         {4, "goto_clear"},     {5, "show_file"},
    {6, "text6"},          {7, "door"},           {8, "version"},
    {9, "logoff"},         {11, "page"},          {14, "time_stats"},
    {15, "exit_errorlevel"}, {16, "location"},    {17, "password"},
    {18, "screen_length"}, {19, "toggle_clear_screen"}, {20, "toggle_more"},
    {21, "toggle_attribute3"}, {22, "scan_mail"}, {23, "read_messages"},
    {27, "post_message"},  {30, "dir_listing"},   {31, "list_files"},
    {33, "upload"},        {35, "search_text"},   {36, "search_name"},
    {37, "new_files"},     {39, "show_path"},     {40, "menu_text_file"},
    {41, "toggle_attribute6"}, {42, "toggle_attribute2_0"}, {45, "show_file_wait"},
    {46, "show_path_wait"}, {47, "log_line"},     {49, "select_message_area"},
    {50, "select_file_area"}, {52, "users_online"}, {53, "toggle_more_report"},
    {57, "voice_phone"},   {58, "data_phone"},    {59, "download"},
    {60, "handle"},        {61, "toggle_attribute2_1"}, {62, "toggle_attribute2_2"},
    {63, "language"},      {64, "date_format"},   {65, "change_flags"},
    {67, "forward_to"},    {72, "select_protocol"}, {73, "toggle_attribute2_5"},
    {74, "address"},       {75, "toggle_attribute3_0"}};

constexpr const char* kDays[7] = {"sun", "mon", "tue", "wed", "thu", "fri", "sat"};

std::optional<uint16_t> ParseClock(const std::string& text) {
  if (text.size() != 5 || text[2] != ':') return std::nullopt;
  auto h = ParseNumber(text.substr(0, 2), 24);
  auto m = ParseNumber(text.substr(3, 2), 59);
  if (!h || !m || (*h == 24 && *m != 0)) return std::nullopt;
  return static_cast<uint16_t>(*h * 60 + *m);
}

class LineReader {
 public:
  LineReader(std::string file, int line) : file_(std::move(file)), line_(line) {}

  [[noreturn]] void Fail(const std::string& what) const { throw SourceError(file_, line_, what); }

  long long Number(const SourceToken& t, long long max) const {
    auto n = ParseNumber(t.value, max);
    if (!n) Fail(t.name + ": \"" + t.value + "\" is not a number from 0 to " + std::to_string(max));
    return *n;
  }
  uint8_t Colour(const SourceToken& t) const {
    auto c = ParseColour(t.value);
    if (!c) Fail(t.name + ": \"" + t.value + "\" is not a colour");
    return static_cast<uint8_t>(*c);
  }
  std::string Text(const SourceToken& t, size_t width) const {
    if (t.value.size() > width) {
      Fail(t.name + " is " + std::to_string(t.value.size()) + " characters long; the field holds " +
           std::to_string(width));
    }
    return t.value;
  }
  std::array<uint8_t, 4> Flags(const SourceToken& t) const {
    std::string error;
    auto f = ParseFlagList(t.value, &error);
    if (!f) Fail(t.name + ": " + error);
    return *f;
  }
  std::pair<uint16_t, uint16_t> Window(const SourceToken& t) const {
    size_t dash = t.value.find('-');
    std::optional<uint16_t> from, to;
    if (dash != std::string::npos) {
      from = ParseClock(core::Trim(t.value.substr(0, dash)));
      to = ParseClock(core::Trim(t.value.substr(dash + 1)));
    }
    if (!from || !to) Fail(t.name + ": \"" + t.value + "\" is not a time window like 08:00-17:00");
    return {*from, *to};
  }

 private:
  std::string file_;
  int line_;
};

void ApplyEntrySetting(menus::MenuEntry& e, const SourceToken& t, const LineReader& r,
                       bool* has_type) {
  const std::string& n = t.name;
  if (n == "key") {
    e.hot_key = core::UpperCase(t.value) == "ENTER" ? std::string("\r") : r.Text(t, 8);
  } else if (n == "auto") {
    if (core::LowerCase(t.value) == "yes") e.hot_key = "\x01";
  } else if (n == "type") {
    int type = MenuTypeByName(core::LowerCase(t.value));
    if (type < 0) {
      auto number = ParseNumber(t.value, 255);
      if (!number) r.Fail("type: \"" + t.value + "\" is neither a menu type name nor a number");
      type = static_cast<int>(*number);
    }
    e.type = static_cast<uint8_t>(type);
    *has_type = true;
  } else if (n == "data") {
    e.data = r.Text(t, 135);
  } else if (n == "text") {
    e.display_text = r.Text(t, 135);
  } else if (n == "colour" || n == "color") {
    e.colour = r.Colour(t);
  } else if (n == "colour2" || n == "color2") {
    e.colour2 = r.Colour(t);
  } else if (n == "security") {
    e.min_security = static_cast<uint16_t>(r.Number(t, 65535));
  } else if (n == "max_security") {
    e.max_security = static_cast<uint16_t>(r.Number(t, 65535));
  } else if (n == "flags") {
    e.required_flags = r.Flags(t);
  } else if (n == "not_flags") {
    e.forbidden_flags = r.Flags(t);
  } else if (n == "time_left") {
    e.min_minutes_left = static_cast<uint16_t>(r.Number(t, 65535));
  } else if (n == "time_online") {
    e.min_minutes_online = static_cast<uint16_t>(r.Number(t, 65535));
  } else if (n == "min_speed") {
    e.min_speed = static_cast<int32_t>(r.Number(t, 2147483647));
  } else if (n == "max_speed") {
    e.max_speed = static_cast<int32_t>(r.Number(t, 2147483647));
  } else if (n == "hours") {
    auto [from, to] = r.Window(t);
    e.start_minutes.fill(from);
    e.stop_minutes.fill(to);
  } else {
    for (int d = 0; d < 7; ++d) {
      if (n == kDays[d]) {
        auto [from, to] = r.Window(t);
        e.start_minutes[static_cast<size_t>(d)] = from;
        e.stop_minutes[static_cast<size_t>(d)] = to;
        return;
      }
    }
    r.Fail("unknown entry setting \"" + n + "\"");
  }
}

}  // namespace

std::string MenuTypeName(int type) {
  for (auto [t, name] : kTypeNames) {
    if (t == type) return name;
  }
  return {};
}

int MenuTypeByName(const std::string& name) {
  for (auto [t, n] : kTypeNames) {
    if (name == n) return t;
  }
  return -1;
}

menus::MenuFile ParseMenuSource(const std::string& source, const std::string& file) {
  menus::MenuFile menu;
  bool have_header = false;
  std::istringstream lines(source);
  std::string line;
  int line_number = 0;
  while (std::getline(lines, line)) {
    ++line_number;
    auto tokens = TokenizeLine(line, false, file, line_number);
    if (tokens.empty()) continue;
    LineReader r(file, line_number);
    const std::string keyword = core::LowerCase(tokens[0].value);
    if (!tokens[0].name.empty() || tokens[0].quoted || (keyword != "menu" && keyword != "entry")) {
      r.Fail("a line starts with \"menu\" or \"entry\"");
    }
    for (size_t i = 1; i < tokens.size(); ++i) {
      if (tokens[i].name.empty()) r.Fail("expected name=value, found \"" + tokens[i].value + "\"");
    }
    if (keyword == "menu") {
      if (have_header) r.Fail("a second \"menu\" line");
      if (!menu.entries.empty()) r.Fail("the \"menu\" line comes before the entries");
      have_header = true;
      for (size_t i = 1; i < tokens.size(); ++i) {
        const SourceToken& t = tokens[i];
        if (t.name == "highlight") {
          menu.header.highlight_colour = r.Colour(t);
        } else if (t.name == "prompt_colour" || t.name == "prompt_color") {
          menu.header.prompt_colour = r.Colour(t);
        } else if (t.name == "prompt") {
          menu.header.prompt = r.Text(t, 128);
        } else {
          r.Fail("unknown menu setting \"" + t.name + "\"");
        }
      }
      continue;
    }
    if (!have_header) r.Fail("the \"menu\" line comes before the entries");
    menus::MenuEntry e;
    bool has_type = false;
    for (size_t i = 1; i < tokens.size(); ++i) ApplyEntrySetting(e, tokens[i], r, &has_type);
    if (!has_type) r.Fail("the entry has no type");
    menu.entries.push_back(std::move(e));
  }
  if (!have_header) throw SourceError(file, 0, "no \"menu\" line");
  return menu;
}

std::string FormatMenuSource(const menus::MenuFile& menu) {
  auto text = [](const std::string& s) { return "\"" + EncodeEscapes(s, false) + "\""; };
  std::string out = "menu highlight=" + ColourName(menu.header.highlight_colour) +
                    " prompt_colour=" + ColourName(menu.header.prompt_colour) +
                    " prompt=" + text(menu.header.prompt) + "\n";
  for (const menus::MenuEntry& e : menu.entries) {
    out += "entry";
    if (e.IsAutomatic()) {
      out += " auto=yes";
    } else if (e.hot_key == "\r") {
      out += " key=ENTER";
    } else if (!e.hot_key.empty()) {
      out += " key=" + text(e.hot_key);
    }
    std::string type = MenuTypeName(e.type);
    out += " type=" + (type.empty() ? std::to_string(e.type) : type);
    if (!e.data.empty()) out += " data=" + text(e.data);
    out += " colour=" + ColourName(e.colour);
    if (e.colour2) out += " colour2=" + ColourName(e.colour2);
    if (e.min_security) out += " security=" + std::to_string(e.min_security);
    if (e.max_security) out += " max_security=" + std::to_string(e.max_security);
    std::string flags = FormatFlagList(e.required_flags);
    if (!flags.empty()) out += " flags=\"" + flags + "\"";
    flags = FormatFlagList(e.forbidden_flags);
    if (!flags.empty()) out += " not_flags=\"" + flags + "\"";
    if (e.min_minutes_left) out += " time_left=" + std::to_string(e.min_minutes_left);
    if (e.min_minutes_online) out += " time_online=" + std::to_string(e.min_minutes_online);
    if (e.min_speed) out += " min_speed=" + std::to_string(e.min_speed);
    if (e.max_speed) out += " max_speed=" + std::to_string(e.max_speed);
    for (int d = 0; d < 7; ++d) {
      auto [from, to] = menus::DayWindow(e, d);
      if (!from.empty()) out += std::string(" ") + kDays[d] + "=" + from + "-" + to;
    }
    out += " text=" + text(e.display_text) + "\n";
  }
  return out;
}

}  // namespace vx::tools
