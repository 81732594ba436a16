// Reading system.toml into a SystemDescription, with the line of every problem.
#include "tools/system_description.h"

#include <toml++/toml.h>

#include <algorithm>
#include <ctime>
#include <map>
#include <set>

#include "core/crc32.h"
#include "core/dos_date.h"
#include "core/text.h"
#include "tools/config_text.h"
#include "tools/source_error.h"
#include "tools/source_text.h"

namespace vx::tools {

namespace {

int LineOf(const toml::node& n) { return static_cast<int>(n.source().begin.line); }

// Typed access to one TOML table, refusing unknown keys so that a misspelt setting is not
// silently ignored.
class Table {
 public:
  Table(const toml::table& t, std::string file, std::string what, std::set<std::string> keys)
      : t_(t), file_(std::move(file)), what_(std::move(what)) {
    for (auto&& [k, v] : t_) {
      if (!keys.count(std::string(k.str()))) {
        Fail(v, "unknown setting \"" + std::string(k.str()) + "\" in " + what_);
      }
    }
  }

  [[noreturn]] void Fail(const toml::node& n, const std::string& message) const {
    throw SourceError(file_, LineOf(n), message);
  }
  int line() const { return LineOf(t_); }
  bool Has(const char* key) const { return t_.contains(key); }

  std::string Text(const char* key, const std::string& fallback, size_t width) const {
    const toml::node* n = t_.get(key);
    if (!n) return fallback;
    auto v = n->value<std::string>();
    if (!v) Fail(*n, std::string(key) + " must be a text");
    if (v->size() > width) {
      Fail(*n, std::string(key) + " \"" + *v + "\" is " + std::to_string(v->size()) +
                   " characters long; the field holds " + std::to_string(width));
    }
    return *v;
  }
  long long Number(const char* key, long long fallback, long long max) const {
    const toml::node* n = t_.get(key);
    if (!n) return fallback;
    auto v = n->value<int64_t>();
    if (!v || *v < 0 || *v > max) {
      Fail(*n, std::string(key) + " must be a whole number from 0 to " + std::to_string(max));
    }
    return *v;
  }
  bool Flag(const char* key, bool fallback) const {
    const toml::node* n = t_.get(key);
    if (!n) return fallback;
    auto v = n->value<bool>();
    if (!v) Fail(*n, std::string(key) + " must be true or false");
    return *v;
  }
  core::FlagSet Flags(const char* key) const {
    const toml::node* n = t_.get(key);
    if (!n) return {};
    auto v = n->value<std::string>();
    std::string error;
    auto f = v ? ParseFlagList(*v, &error) : std::nullopt;
    if (!f) Fail(*n, std::string(key) + ": " + (v ? error : "must be a text such as \"A1 B8\""));
    return *f;
  }
  std::vector<uint16_t> Numbers(const char* key, size_t most) const {
    const toml::node* n = t_.get(key);
    if (!n) return {};
    const toml::array* a = n->as_array();
    if (!a || a->size() > most) {
      Fail(*n, std::string(key) + " must be a list of at most " + std::to_string(most) +
                   " numbers");
    }
    std::vector<uint16_t> out;
    for (const toml::node& item : *a) {
      auto v = item.value<int64_t>();
      if (!v || *v < 0 || *v > 65535) Fail(item, std::string(key) + " holds numbers 0 to 65535");
      out.push_back(static_cast<uint16_t>(*v));
    }
    return out;
  }
  const toml::node* Node(const char* key) const { return t_.get(key); }

 private:
  const toml::table& t_;
  std::string file_, what_;
};

// The tables of an array of tables ([[name]]), or none.
std::vector<const toml::table*> Tables(const toml::table& root, const char* name,
                                       const std::string& file) {
  std::vector<const toml::table*> out;
  const toml::node* n = root.get(name);
  if (!n) return out;
  const toml::array* a = n->as_array();
  if (!a) throw SourceError(file, LineOf(*n), std::string(name) + " must be written [[" + name + "]]");
  for (const toml::node& item : *a) {
    const toml::table* t = item.as_table();
    if (!t) throw SourceError(file, LineOf(item), std::string("[[") + name + "]] holds tables");
    out.push_back(t);
  }
  return out;
}

uint16_t RequiredNumber(const Table& t, const std::string& what, std::set<int>& seen,
                        const toml::table& raw) {
  if (!t.Has("number")) t.Fail(raw, what + " without a number");
  long long n = t.Number("number", 0, 65535);
  if (n == 0) t.Fail(*t.Node("number"), what + " numbers start at 1");
  if (!seen.insert(static_cast<int>(n)).second) {
    t.Fail(*t.Node("number"), what + " " + std::to_string(n) + " is given twice");
  }
  return static_cast<uint16_t>(n);
}

std::string Today() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return core::FormatDateText({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday});
}

}  // namespace

core::UserRecord NewUserRecord(const std::string& name, uint16_t security) {
  core::UserRecord u;
  u.name = name;
  u.security = security;
  u.attribute = "01110000";  // clear screen, more prompt, ANSI
  u.screen_length = 24;
  u.language = 1;
  u.date_format = 1;
  u.default_protocol = 'Z';
  u.msg_area = u.file_area = u.msg_group = u.file_group = 1;
  u.first_date = Today();
  u.birth_date = "";
  return u;
}

SystemDescription ReadSystemDescription(const std::string& toml_text, const std::string& file) {
  toml::table root;
  try {
    root = toml::parse(toml_text, file);
  } catch (const toml::parse_error& e) {
    throw SourceError(file, static_cast<int>(e.source().begin.line),
                      std::string(e.description()));
  }
  SystemDescription d;
  d.file = file;
  Table top(root, file, "the description",
            {"system", "config", "language", "limits", "modem", "message_group", "file_group",
             "message_area", "file_area", "user", "message", "copy"});

  if (const toml::node* n = root.get("system")) {
    const toml::table* t = n->as_table();
    if (!t) top.Fail(*n, "[system] must be a table");
    Table s(*t, file, "[system]", {"name", "sysop", "addresses"});
    if (s.Has("name")) d.config.push_back({"system_name", s.Text("name", "", 30)});
    if (s.Has("sysop")) d.config.push_back({"sysop_name", s.Text("sysop", "", 35)});
    if (const toml::node* a = t->get("addresses")) {
      const toml::array* list = a->as_array();
      if (!list || list->size() > 10) s.Fail(*a, "addresses: a list of at most 10 addresses");
      for (size_t i = 0; i < list->size(); ++i) {
        auto v = (*list)[i].value<std::string>();
        if (!v) s.Fail((*list)[i], "an address is a text such as \"2:280/1\"");
        d.config.push_back({"address_" + std::to_string(i), *v});
        d.config_lines.push_back({"address_" + std::to_string(i), LineOf((*list)[i])});
      }
    }
    for (const char* key : {"name", "sysop"}) {
      if (t->get(key)) {
        d.config_lines.push_back({key == std::string("name") ? "system_name" : "sysop_name",
                                  LineOf(*t->get(key))});
      }
    }
  }

  if (const toml::node* n = root.get("config")) {
    const toml::table* t = n->as_table();
    if (!t) top.Fail(*n, "[config] must be a table");
    for (auto&& [k, v] : *t) {
      std::string key(k.str());
      const core::ConfigField* field = core::FindConfigField(key);
      if (!field || key == "system_path") {
        top.Fail(v, "unknown CONFIG.VX field \"" + key + "\"");
      }
      std::string value;
      if (auto s = v.value<std::string>()) {
        value = *s;
      } else if (auto i = v.value<int64_t>()) {
        value = std::to_string(*i);
      } else if (auto b = v.value<bool>()) {
        value = *b ? "1" : "0";
      } else {
        top.Fail(v, key + " must be a text, a number or true/false");
      }
      std::vector<uint8_t> probe(core::kConfigSize, 0);
      if (!field->is_directory && !field->is_file) {
        std::string error = SetConfigField(probe, *field, value);
        if (!error.empty()) top.Fail(v, key + ": " + error);
      }
      d.config.push_back({key, value});
      d.config_lines.push_back({key, LineOf(v)});
    }
  }

  for (const toml::table* t : Tables(root, "language", file)) {
    Table s(*t, file, "[[language]]",
            {"name", "source", "definition", "menus", "text", "security", "available"});
    LanguageSpec l;
    l.name = s.Text("name", "", 20);
    if (core::Trim(l.name).empty()) s.Fail(*t, "a language needs a name");
    l.source = s.Text("source", "", 4096);
    if (l.source.empty()) s.Fail(*t, "language " + l.name + " needs a source");
    l.definition = s.Text("definition", core::UpperCase(l.name) + ".VXL", 60);
    l.menus = s.Text("menus", "menus", 4096);
    l.text = s.Text("text", "text", 4096);
    l.security = static_cast<uint16_t>(s.Number("security", 0, 65535));
    l.available = s.Flag("available", true);
    d.languages.push_back(l);
  }
  if (d.languages.empty()) top.Fail(root, "the description names no [[language]]");

  for (const toml::table* t : Tables(root, "limits", file)) {
    Table s(*t, file, "[[limits]]",
            {"security", "daily_time", "download_k", "limit28", "limit30"});
    core::LimitsRecord r;
    r.security = static_cast<uint16_t>(s.Number("security", 0, 65535));
    r.daily_time = static_cast<uint16_t>(s.Number("daily_time", 60, 65535));
    r.SetAllDownloadK(static_cast<uint16_t>(s.Number("download_k", 1024, 65535)));
    r.limit28 = static_cast<uint16_t>(s.Number("limit28", 0, 65535));
    r.limit30 = static_cast<uint16_t>(s.Number("limit30", 0, 65535));
    d.limits.push_back(r);
  }

  if (const toml::node* n = root.get("modem")) {
    const toml::table* t = n->as_table();
    if (!t) top.Fail(*n, "[modem] must be a table");
    Table s(*t, file, "[modem]", {"port", "init_tries", "init1", "init2"});
    d.modem.port = static_cast<uint8_t>(s.Number("port", 1, 255));
    d.modem.init_tries = static_cast<uint8_t>(s.Number("init_tries", 3, 255));
    d.modem.init1 = s.Text("init1", "ATZ|", 70);
    d.modem.init2 = s.Text("init2", "", 70);
  } else {
    d.modem.port = 1;
    d.modem.init_tries = 3;
    d.modem.init1 = "ATZ|";
  }

  std::set<int> seen;
  for (const char* kind : {"message_group", "file_group"}) {
    seen.clear();
    for (const toml::table* t : Tables(root, kind, file)) {
      Table s(*t, file, std::string("[[") + kind + "]]",
              {"number", "name", "security", "flags", "not_flags"});
      core::GroupRecord g;
      g.number = RequiredNumber(s, "group", seen, *t);
      g.name = s.Text("name", "", 40);
      g.security = static_cast<uint16_t>(s.Number("security", 0, 65535));
      g.flags = s.Flags("flags");
      g.not_flags = s.Flags("not_flags");
      (kind == std::string("message_group") ? d.message_groups : d.file_groups).push_back(g);
    }
  }

  seen.clear();
  for (const toml::table* t : Tables(root, "message_area", file)) {
    Table s(*t, file, "[[message_area]]",
            {"number", "name", "base", "jam_path", "type", "kinds", "group", "groups",
             "read_security", "read_flags", "read_not_flags", "write_security", "write_flags",
             "write_not_flags", "sysop_security", "sysop_flags", "sysop_not_flags", "origin",
             "address", "tear_line", "alias", "attribute2"});
    MessageAreaSpec a;
    a.line = s.line();
    core::MessageAreaRecord& r = a.record;
    r.area_number = RequiredNumber(s, "message area", seen, *t);
    r.name = s.Text("name", "", 40);
    std::string base = core::LowerCase(s.Text("base", "hudson", 10));
    if (base == "jam") {
      r.attribute |= 0x80;
      a.jam_path = s.Text("jam_path", "msgbase/area" + std::to_string(r.area_number), 4096);
    } else if (base != "hudson") {
      s.Fail(*t->get("base"), "base is \"hudson\" or \"jam\"");
    } else if (r.area_number > 200) {
      s.Fail(*t->get("number"), "a Hudson area is numbered 1 to 200 (the board number)");
    }
    static const char* kTypes[] = {"local", "netmail", "echomail", "internet", "newsgroup"};
    std::string type = core::LowerCase(s.Text("type", "local", 20));
    bool known = false;
    for (uint8_t i = 0; i < 5; ++i) {
      if (type == kTypes[i]) {
        r.area_type = i;
        known = true;
      }
    }
    if (!known) s.Fail(*t->get("type"), "type is local, netmail, echomail, internet or newsgroup");
    r.message_kinds = static_cast<uint8_t>(s.Number("kinds", 0, 255));
    r.group = static_cast<uint16_t>(s.Number("group", 1, 65535));
    auto groups = s.Numbers("groups", 3);
    for (size_t i = 0; i < groups.size(); ++i) r.further_groups[i] = groups[i];
    r.read_security = static_cast<uint16_t>(s.Number("read_security", 0, 65535));
    r.read_flags = s.Flags("read_flags");
    r.read_not_flags = s.Flags("read_not_flags");
    r.write_security = static_cast<uint16_t>(s.Number("write_security", r.read_security, 65535));
    r.write_flags = s.Flags("write_flags");
    r.write_not_flags = s.Flags("write_not_flags");
    r.sysop_security = static_cast<uint16_t>(s.Number("sysop_security", 255, 65535));
    r.sysop_flags = s.Flags("sysop_flags");
    r.sysop_not_flags = s.Flags("sysop_not_flags");
    r.origin_line = s.Text("origin", "", 60);
    r.address_index = static_cast<uint8_t>(s.Number("address", 0, 9));
    if (s.Flag("tear_line", r.area_type == 2)) r.attribute |= 0x01;
    if (s.Flag("alias", false)) r.attribute |= 0x20;
    r.attribute2 = static_cast<uint8_t>(s.Number("attribute2", 0, 255));
    d.message_areas.push_back(a);
  }

  seen.clear();
  for (const toml::table* t : Tables(root, "file_area", file)) {
    Table s(*t, file, "[[file_area]]",
            {"number", "name", "path", "source", "security", "flags", "not_flags", "group",
             "groups", "all_groups", "upload_area", "dupe_check"});
    FileAreaSpec a;
    a.line = s.line();
    core::FileAreaRecord& r = a.record;
    uint16_t number = RequiredNumber(s, "file area", seen, *t);
    r.name = s.Text("name", "", 40);
    a.path = s.Text("path", "files/area" + std::to_string(number), 4096);
    a.source = s.Text("source", "", 4096);
    r.security = static_cast<uint16_t>(s.Number("security", 0, 65535));
    r.flags = s.Flags("flags");
    r.not_flags = s.Flags("not_flags");
    r.group = static_cast<uint16_t>(s.Number("group", 1, 65535));
    auto groups = s.Numbers("groups", 4);
    for (size_t i = 0; i < groups.size(); ++i) r.further_groups[i] = groups[i];
    r.all_groups = s.Flag("all_groups", false) ? 1 : 0;
    r.upload_area = static_cast<uint16_t>(s.Number("upload_area", 0, 65535));
    if (s.Flag("dupe_check", true)) r.attribute |= 0x02;
    r.word0 = number;  // the record carries its own number, as the area list shows it
    d.file_areas.push_back(a);
  }

  std::set<uint32_t> names;
  for (const toml::table* t : Tables(root, "user", file)) {
    Table s(*t, file, "[[user]]",
            {"name", "password", "security", "handle", "location", "flags", "screen_length",
             "comment"});
    UserSpec u;
    u.line = s.line();
    std::string name = s.Text("name", "", 35);
    if (core::Trim(name).empty()) s.Fail(*t, "a user needs a name");
    if (!names.insert(core::Crc32(core::UpperCase(name))).second) {
      s.Fail(*t, "user \"" + name + "\" is given twice");
    }
    u.record = NewUserRecord(name, static_cast<uint16_t>(s.Number("security", 10, 65535)));
    u.password = s.Text("password", "", 15);
    if (u.password.empty()) s.Fail(*t, "user \"" + name + "\" needs a password");
    u.record.password_crc = core::Crc32(core::UpperCase(u.password));
    u.record.handle = s.Text("handle", "", 35);
    u.record.location = s.Text("location", "", 25);
    u.record.comment = s.Text("comment", "", 80);
    auto flags = s.Flags("flags");
    for (size_t i = 0; i < 4; ++i) u.record.flags[i] = core::FlagByteToText(flags[i]);
    u.record.screen_length = static_cast<uint16_t>(s.Number("screen_length", 24, 66));
    d.users.push_back(u);
  }

  for (const toml::table* t : Tables(root, "message", file)) {
    Table s(*t, file, "[[message]]",
            {"area", "from", "to", "subject", "text", "private", "reply_to"});
    MessageSpec m;
    m.line = s.line();
    if (!s.Has("area")) s.Fail(*t, "a message needs the number of its area");
    m.area = static_cast<uint16_t>(s.Number("area", 0, 65535));
    const bool known =
        std::any_of(d.message_areas.begin(), d.message_areas.end(),
                    [&](const MessageAreaSpec& a) { return a.record.area_number == m.area; });
    if (!known)
      s.Fail(*t->get("area"), "message area " + std::to_string(m.area) + " is not described");
    m.from = s.Text("from", "", 35);
    m.to = s.Text("to", "All", 35);
    m.subject = s.Text("subject", "", 72);
    if (core::Trim(m.from).empty()) s.Fail(*t, "a message needs a sender (from)");
    // Lines of the text end in CR, as stored messages keep them.
    std::string text = core::ReplaceAll(s.Text("text", "", 16384), "\r\n", "\n");
    text = core::ReplaceAll(text, "\n", "\r");
    if (!text.empty() && text.back() != '\r') text += '\r';
    m.text = text;
    m.is_private = s.Flag("private", false);
    m.reply_to = static_cast<uint32_t>(s.Number("reply_to", 0, 65535));
    d.messages.push_back(m);
  }
  // A new base numbers its messages from 1 in the order they are described: the Hudson areas
  // share one base, each JAM area has its own. A reply names an earlier message of its own area.
  std::map<int, uint32_t> next_number;             // base (0: Hudson, else the JAM area) -> number
  std::map<uint16_t, std::set<uint32_t>> numbers;  // area -> numbers of its messages
  for (const MessageSpec& m : d.messages) {
    const auto area =
        std::find_if(d.message_areas.begin(), d.message_areas.end(),
                     [&](const MessageAreaSpec& a) { return a.record.area_number == m.area; });
    const int base = area->record.IsJam() ? m.area : 0;
    if (m.reply_to != 0 && !numbers[m.area].count(m.reply_to)) {
      throw SourceError(file, m.line,
                        "reply_to " + std::to_string(m.reply_to) +
                            " is not the number of an earlier message of area " +
                            std::to_string(m.area));
    }
    numbers[m.area].insert(++next_number[base]);
  }

  if (const toml::node* n = root.get("copy")) {
    const toml::array* a = n->as_array();
    if (!a) top.Fail(*n, "copy is a list of source directories");
    for (const toml::node& item : *a) {
      auto v = item.value<std::string>();
      if (!v) top.Fail(item, "copy lists directory names");
      d.copy_dirs.push_back(*v);
    }
  }
  return d;
}

}  // namespace vx::tools
