// Dumps of the configuration, area, user and status files.
#include <cstdio>

#include "core/area_records.h"
#include "core/exit_info.h"
#include "core/limits_record.h"
#include "core/modem_settings.h"
#include "core/record_stream.h"
#include "core/status_records.h"
#include "core/user_record.h"
#include "tools/config_text.h"
#include "tools/dump.h"
#include "tools/language_compiler.h"
#include "tools/source_text.h"

namespace vx::tools {

namespace {

std::string Hex32(uint32_t v) {
  char text[16];
  std::snprintf(text, sizeof text, "%08X", v);
  return text;
}

std::string FlagBytes(const std::array<std::string, 4>& flags) {
  std::array<uint8_t, 4> bytes{};
  for (size_t i = 0; i < 4; ++i) {
    for (size_t bit = 0; bit < 8 && bit < flags[i].size(); ++bit) {
      if (flags[i][bit] == '1') bytes[i] |= static_cast<uint8_t>(1 << bit);
    }
  }
  return FlagText(bytes);
}

void UserFields(const core::UserRecord& u, DumpWriter& w) {
  w.Field("name", Quoted(u.name));
  w.Field("location", Quoted(u.location));
  w.Field("organisation", Quoted(u.organisation));
  w.Field("address1", Quoted(u.address1));
  w.Field("address2", Quoted(u.address2));
  w.Field("address3", Quoted(u.address3));
  w.Field("handle", Quoted(u.handle));
  w.Field("comment", Quoted(u.comment));
  w.Field("password_crc", Hex32(u.password_crc));
  w.Field("data_phone", Quoted(u.data_phone));
  w.Field("voice_phone", Quoted(u.voice_phone));
  w.Field("last_time", Quoted(u.last_time));
  w.Field("last_date", Quoted(u.last_date));
  w.Field("attribute", u.attribute + " (deleted, clear screen, more, ANSI, ...)");
  w.Field("attribute2", u.attribute2);
  w.Field("flags", FlagBytes(u.flags));
  w.Field("long440", u.long440);
  w.Field("long444", u.long444);
  w.Field("msgs_posted", u.msgs_posted);
  w.Field("security", u.security);
  w.Field("long452", u.long452);
  w.Field("no_calls", u.no_calls);
  w.Field("uploads", u.uploads);
  w.Field("downloads", u.downloads);
  w.Field("uploads_k", u.uploads_k);
  w.Field("downloads_k", u.downloads_k);
  w.Field("today_k", u.today_k);
  w.Field("elapsed", u.elapsed);
  w.Field("screen_length", u.screen_length);
  w.Field("byte484", u.byte484);
  w.Field("word485", u.word485);
  int used = 0;
  for (uint16_t v : u.word_table487) used += v != 0;
  w.Field("word_table487", std::to_string(used) + " non-zero of 200");
  w.Field("first_date", Quoted(u.first_date));
  w.Field("birth_date", Quoted(u.birth_date));
  w.Field("date905", Quoted(u.date905));
  w.Field("screen_width", u.screen_width);
  w.Field("language", u.language);
  w.Field("date_format", u.date_format);
  w.Field("forward_to", Quoted(u.forward_to));
  w.Field("msg_area", u.msg_area);
  w.Field("file_area", u.file_area);
  w.Field("default_protocol", Quoted(std::string(1, u.default_protocol)));
  w.Field("file_group", u.file_group);
  w.Field("byte960", u.byte960);
  w.Field("sex", u.sex);
  w.Field("long962", u.long962);
  w.Field("msg_group", u.msg_group);
  w.Field("attribute3", u.attribute3);
  w.Field("text969", Quoted(u.text969));
}

}  // namespace

void DumpConfig(const std::vector<uint8_t>& bytes, DumpWriter& w) {
  if (bytes.size() != static_cast<size_t>(core::kConfigSize)) {
    w.Problem("CONFIG.VX is " + std::to_string(bytes.size()) + " bytes long instead of " +
              std::to_string(core::kConfigSize) + "; fields beyond the end read as zero");
  }
  for (const core::ConfigField* f : core::ConfigFields()) {
    std::string value = GetConfigField(bytes, *f);
    if (f->kind == core::ConfigKind::kString || f->kind == core::ConfigKind::kChar) {
      value = Quoted(value);
    }
    char pos[16];
    std::snprintf(pos, sizeof pos, "%4d", f->position);
    w.Field(f->name, value + "    # " + pos + " " + f->meaning);
  }
}

void DumpLanguageList(const std::vector<uint8_t>& bytes, DumpWriter& w) {
  uint64_t n = w.Records(bytes.size(), 466, "LANGUAGE.VX");
  core::MemoryStream in(bytes);
  for (uint64_t r = 0; r < n; ++r) {
    in.Seek(r * 466);
    w.Heading("language " + std::to_string(r + 1) + ":");
    w.Field("name", Quoted(in.ReadPascalString(20)));
    w.Field("available", in.ReadByte());
    w.Field("definition_file", Quoted(in.ReadPascalString(60)));
    w.Field("menu_path", Quoted(in.ReadPascalString(60)));
    w.Field("text_path", Quoted(in.ReadPascalString(60)));
    w.Field("question_path", Quoted(in.ReadPascalString(60)));
    w.Field("security", in.ReadWord());
    w.Field("flags1", in.ReadFlagByte());
    w.Field("flags2", in.ReadFlagByte());
  }
}

void DumpLanguageFile(const std::vector<uint8_t>& bytes, DumpWriter& w) {
  DecodedLanguage d = DecodeLanguageFile(bytes);
  for (const std::string& p : d.problems) w.Problem(p);
  w.Line("# " + std::to_string(d.entries.size()) + " entries, numbered up to " +
         std::to_string(d.entry_count) + "; number colour \"text\"");
  w.Line(FormatLanguageSource(d.entries));
}

void DumpLimits(const std::vector<uint8_t>& bytes, DumpWriter& w) {
  uint64_t n = w.Records(bytes.size(), core::kLimitsRecordSize, "LIMITS.VX");
  core::MemoryStream in(bytes);
  for (uint64_t r = 0; r < n; ++r) {
    in.Seek(r * core::kLimitsRecordSize);
    core::LimitsRecord l = core::ReadLimitsRecord(in);
    w.Heading("record " + std::to_string(r + 1) + ":");
    w.Field("security", l.security);
    w.Field("daily_time", l.daily_time);
    for (long speed : core::kLimitSpeeds) {
      w.Field("download_k_" + (speed == 0 ? std::string("local") : std::to_string(speed)),
              *l.DownloadK(speed));
    }
    w.Field("limit28", l.limit28);
    w.Field("limit30", l.limit30);
  }
}

void DumpModem(const std::vector<uint8_t>& bytes, DumpWriter& w) {
  if (bytes.size() < static_cast<size_t>(core::kModemRecordSize)) {
    w.Problem("MODEM.VX is " + std::to_string(bytes.size()) + " bytes long, shorter than the " +
              std::to_string(core::kModemRecordSize) + " bytes of its fields; the rest reads as zero");
  }
  core::MemoryStream in(bytes);
  core::ModemSettings m = core::ReadModemSettings(in);
  w.Field("port", m.port);
  w.Field("init_tries", m.init_tries);
  w.Field("init1", Quoted(m.init1));
  w.Field("init2", Quoted(m.init2));
}

void DumpMessageAreas(const std::vector<uint8_t>& bytes, DumpWriter& w) {
  static const char* kTypes[] = {"local", "netmail", "echomail", "internet", "newsgroup"};
  uint64_t n = w.Records(bytes.size(), core::kMessageAreaRecordSize, "MESSAGES.VX");
  core::MemoryStream in(bytes);
  for (uint64_t r = 0; r < n; ++r) {
    in.Seek(r * core::kMessageAreaRecordSize);
    core::MessageAreaRecord a = core::ReadMessageAreaRecord(in);
    w.Heading("record " + std::to_string(r + 1) + ":");
    w.Field("area_number", a.area_number);
    w.Field("name", Quoted(a.name));
    w.Field("type", std::to_string(a.area_type) + (a.area_type < 5 ? std::string(" (") + kTypes[a.area_type] + ")" : ""));
    w.Field("message_kinds", a.message_kinds);
    char attr[64];
    std::snprintf(attr, sizeof attr, "0x%02X (%s%s%s)", a.attribute, a.IsJam() ? "JAM" : "Hudson",
                  (a.attribute & 1) ? ", tear and origin lines" : "",
                  (a.attribute & 0x20) ? ", alias as sender" : "");
    w.Field("attribute", attr);
    w.Field("read_security", a.read_security);
    w.Field("read_flags", FlagText(a.read_flags));
    w.Field("read_not_flags", FlagText(a.read_not_flags));
    w.Field("write_security", a.write_security);
    w.Field("write_flags", FlagText(a.write_flags));
    w.Field("write_not_flags", FlagText(a.write_not_flags));
    w.Field("sysop_security", a.sysop_security);
    w.Field("sysop_flags", FlagText(a.sysop_flags));
    w.Field("sysop_not_flags", FlagText(a.sysop_not_flags));
    w.Field("origin_line", Quoted(a.origin_line));
    w.Field("address_index", a.address_index);
    w.Field("jam_base_path", Quoted(a.jam_base_path));
    w.Field("group", a.group);
    w.Field("further_groups", std::to_string(a.further_groups[0]) + " " +
                                  std::to_string(a.further_groups[1]) + " " +
                                  std::to_string(a.further_groups[2]));
    w.Field("attribute2", a.attribute2);
  }
}

void DumpFileAreas(const std::vector<uint8_t>& bytes, DumpWriter& w) {
  uint64_t n = w.Records(bytes.size(), core::kFileAreaRecordSize, "FILES.VX");
  core::MemoryStream in(bytes);
  for (uint64_t r = 0; r < n; ++r) {
    in.Seek(r * core::kFileAreaRecordSize);
    core::FileAreaRecord a = core::ReadFileAreaRecord(in);
    w.Heading("record " + std::to_string(r + 1) + ":");
    w.Field("word0", a.word0);
    w.Field("name", Quoted(a.name));
    w.Field("attribute", std::to_string(a.attribute) +
                             ((a.attribute & 2) ? " (duplicate check)" : ""));
    w.Field("path", Quoted(a.path));
    w.Field("group", a.group);
    w.Field("all_groups", a.all_groups);
    w.Field("upload_area", a.upload_area);
    w.Field("security", a.security);
    w.Field("flags", FlagText(a.flags));
    w.Field("not_flags", FlagText(a.not_flags));
    std::string groups;
    for (uint16_t g : a.further_groups) groups += (groups.empty() ? "" : " ") + std::to_string(g);
    w.Field("further_groups", groups);
  }
}

void DumpGroups(const std::vector<uint8_t>& bytes, DumpWriter& w) {
  uint64_t n = w.Records(bytes.size(), core::kGroupRecordSize, "group");
  core::MemoryStream in(bytes);
  for (uint64_t r = 0; r < n; ++r) {
    in.Seek(r * core::kGroupRecordSize);
    core::GroupRecord g = core::ReadGroupRecord(in);
    w.Heading("record " + std::to_string(r + 1) + ":");
    w.Field("number", g.number);
    w.Field("name", Quoted(g.name));
    w.Field("security", g.security);
    w.Field("flags", FlagText(g.flags));
    w.Field("not_flags", FlagText(g.not_flags));
  }
}

void DumpAreaIndex(const std::vector<uint8_t>& bytes, DumpWriter& w) {
  uint64_t n = w.Records(bytes.size(), 2, "index");
  core::MemoryStream in(bytes);
  for (uint64_t i = 0; i < n; ++i) {
    uint16_t r = in.ReadWord();
    w.Field("number " + std::to_string(i + 1), r == 0 ? std::string("0 (none)") : "record " + std::to_string(r));
  }
}

void DumpUsers(const std::vector<uint8_t>& bytes, DumpWriter& w) {
  uint64_t n = w.Records(bytes.size(), core::kUserRecordSize, "USERS.BBS");
  core::MemoryStream in(bytes);
  for (uint64_t r = 0; r < n; ++r) {
    in.Seek(r * core::kUserRecordSize);
    w.Heading("user " + std::to_string(r + 1) + ":");
    UserFields(core::ReadUserRecord(in), w);
  }
}

void DumpUserIndex(const std::vector<uint8_t>& bytes, DumpWriter& w) {
  uint64_t n = w.Records(bytes.size(), core::kUserIndexSize, "USERSIDX.BBS");
  core::MemoryStream in(bytes);
  for (uint64_t r = 0; r < n; ++r) {
    w.Heading("user " + std::to_string(r + 1) + ":");
    w.Field("name_crc", Hex32(in.ReadUInt32()));
    w.Field("handle_crc", Hex32(in.ReadUInt32()));
  }
}

void DumpUserOn(const std::vector<uint8_t>& bytes, DumpWriter& w) {
  uint64_t n = w.Records(bytes.size(), core::kUserOnRecordSize, "USERON.BBS");
  core::MemoryStream in(bytes);
  for (uint64_t r = 0; r < n; ++r) {
    in.Seek(r * core::kUserOnRecordSize);
    core::UserOnRecord u = core::ReadUserOnRecord(in);
    w.Heading("node " + std::to_string(r + 1) + ":");
    w.Field("name", Quoted(u.name));
    w.Field("handle", Quoted(u.handle));
    w.Field("line", u.line);
    w.Field("speed", u.speed);
    w.Field("city", Quoted(u.city));
    w.Field("status", u.status);
    w.Field("attribute", u.attribute);
    w.Field("status_text", Quoted(u.status_text));
    w.Field("calls", u.calls);
  }
}

void DumpLastCall(const std::vector<uint8_t>& bytes, DumpWriter& w) {
  uint64_t n = w.Records(bytes.size(), core::kLastCallRecordSize, "LASTCALL.BBS");
  core::MemoryStream in(bytes);
  for (uint64_t r = 0; r < n; ++r) {
    in.Seek(r * core::kLastCallRecordSize);
    core::LastCallRecord c = core::ReadLastCallRecord(in);
    w.Heading("call " + std::to_string(r + 1) + ":");
    w.Field("line", c.line);
    w.Field("name", Quoted(c.name));
    w.Field("handle", Quoted(c.handle));
    w.Field("city", Quoted(c.city));
    w.Field("speed", c.speed);
    w.Field("calls", c.calls);
    w.Field("logon_time", Quoted(c.logon_time));
    w.Field("logoff_time", Quoted(c.logoff_time));
    w.Field("flag", c.flag);
  }
}

void DumpSysInfo(const std::vector<uint8_t>& bytes, DumpWriter& w) {
  if (bytes.size() < static_cast<size_t>(core::kSysInfoSize)) {
    w.Problem("SYSINFO.BBS is " + std::to_string(bytes.size()) + " bytes long, shorter than its " +
              std::to_string(core::kSysInfoSize) + "; the rest reads as zero");
  }
  core::MemoryStream in(bytes);
  core::SysInfoRecord s = core::ReadSysInfoRecord(in);
  w.Field("total_calls", s.total_calls);
  w.Field("last_caller_name", Quoted(s.last_caller_name));
  w.Field("last_caller_handle", Quoted(s.last_caller_handle));
}

void DumpExitInfo(const std::vector<uint8_t>& bytes, DumpWriter& w) {
  if (bytes.size() != static_cast<size_t>(core::kExitInfoSize)) {
    w.Problem("EXITINFO.BBS is " + std::to_string(bytes.size()) + " bytes long instead of " +
              std::to_string(core::kExitInfoSize) + "; missing fields read as zero");
  }
  core::MemoryStream in(bytes);
  core::ExitInfo e = core::ReadExitInfo(in);
  w.Field("speed", e.speed);
  core::MemoryStream sys(e.sysinfo);
  core::SysInfoRecord s = core::ReadSysInfoRecord(sys);
  w.Field("sysinfo.total_calls", s.total_calls);
  w.Field("sysinfo.last_caller", Quoted(s.last_caller_name));
  w.Field("echomail_entered", e.echomail_entered ? "yes" : "no");
  w.Field("netmail_entered", e.netmail_entered ? "yes" : "no");
  w.Field("logon_time", Quoted(e.logon_time));
  w.Field("logon_date", Quoted(e.logon_date));
  w.Field("time_limit", e.time_limit);
  w.Field("security", e.security);
  w.Heading("user:");
  UserFields(e.user, w);
}

}  // namespace vx::tools
