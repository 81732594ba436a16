// Dumps of menus, the Hudson and JAM message bases and the file database.
#include <cstdio>
#include <ctime>

#include "core/dos_date.h"
#include "core/record_stream.h"
#include "files/file_database_records.h"
#include "menus/menu_file.h"
#include "messages/hudson_records.h"
#include "messages/jam_records.h"
#include "tools/dump.h"
#include "tools/menu_compiler.h"

namespace vx::tools {

namespace {

std::string JamDate(uint32_t seconds) {
  if (seconds == 0) return "0";
  std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  gmtime_r(&t, &tm);
  char text[96];
  std::snprintf(text, sizeof text, "%u (%04d-%02d-%02d %02d:%02d:%02d)", seconds,
                tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
  return text;
}

std::string Packed(uint32_t packed) {
  return std::to_string(packed) + " (" + core::UnpackDate(packed) + ")";
}

// Zero-terminated texts of a description or text file, each with its offset.
void DumpTexts(const std::vector<uint8_t>& bytes, DumpWriter& w, bool zero_terminated) {
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = start;
    while (end < bytes.size() && (!zero_terminated || bytes[end] != 0)) ++end;
    std::string text(bytes.begin() + static_cast<long>(start), bytes.begin() + static_cast<long>(end));
    w.Field("offset " + std::to_string(start), Quoted(text));
    if (zero_terminated && end >= bytes.size()) {
      w.Problem("the text at offset " + std::to_string(start) + " has no closing zero byte");
    }
    start = end + 1;
  }
}

}  // namespace

void DumpMenu(const std::vector<uint8_t>& bytes, DumpWriter& w) {
  uint64_t n = w.Records(bytes.size(), menus::kMenuRecordSize, "menu");
  if (n == 0) {
    w.Problem("the menu has no header record");
    return;
  }
  core::MemoryStream in(bytes);
  menus::MenuHeader h = menus::ReadMenuHeader(in);
  w.Heading("header:");
  w.Field("highlight_colour", ColourText(h.highlight_colour));
  w.Field("prompt", Quoted(h.prompt));
  w.Field("prompt_colour", ColourText(h.prompt_colour));
  for (uint64_t r = 1; r < n; ++r) {
    in.Seek(r * menus::kMenuRecordSize);
    menus::MenuEntry e = menus::ReadMenuEntry(in);
    w.Heading("entry " + std::to_string(r) + ":");
    std::string type = MenuTypeName(e.type);
    w.Field("type", std::to_string(e.type) + (type.empty() ? "" : " (" + type + ")"));
    w.Field("hot_key", e.IsAutomatic() ? std::string("automatic") : Quoted(e.hot_key));
    w.Field("display_text", Quoted(e.display_text));
    w.Field("data", Quoted(e.data));
    w.Field("colour", ColourText(e.colour));
    w.Field("colour2", ColourText(e.colour2));
    w.Field("min_security", e.min_security);
    w.Field("max_security", e.max_security);
    w.Field("required_flags", FlagText(e.required_flags));
    w.Field("forbidden_flags", FlagText(e.forbidden_flags));
    w.Field("min_minutes_left", e.min_minutes_left);
    w.Field("min_minutes_online", e.min_minutes_online);
    w.Field("min_speed", e.min_speed);
    w.Field("max_speed", e.max_speed);
    std::string windows;
    static const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    for (int d = 0; d < 7; ++d) {
      auto [from, to] = menus::DayWindow(e, d);
      if (!from.empty()) windows += std::string(windows.empty() ? "" : " ") + kDays[d] + " " + from + "-" + to;
    }
    w.Field("time_windows", windows.empty() ? "none" : windows);
    w.Field("kept_bytes_17_18", std::to_string(e.byte17) + " " + std::to_string(e.byte18));
  }
}

void DumpHudsonHeaders(const std::vector<uint8_t>& bytes, DumpWriter& w) {
  uint64_t n = w.Records(bytes.size(), messages::kHudsonHeaderSize, "msghdr.bbs");
  core::MemoryStream in(bytes);
  for (uint64_t r = 0; r < n; ++r) {
    in.Seek(r * messages::kHudsonHeaderSize);
    messages::HudsonHeader h = messages::ReadHudsonHeader(in);
    w.Heading("header " + std::to_string(r + 1) + ":");
    w.Field("number", h.number);
    w.Field("prev_reply", h.prev_reply);
    w.Field("next_reply", h.next_reply);
    w.Field("times_read", h.times_read);
    w.Field("start_block", h.start_block);
    w.Field("block_count", h.block_count);
    w.Field("destination", std::to_string(h.dest_zone) + ":" + std::to_string(h.dest_net) + "/" + std::to_string(h.dest_node));
    w.Field("origin", std::to_string(h.orig_zone) + ":" + std::to_string(h.orig_net) + "/" + std::to_string(h.orig_node));
    w.Field("cost", h.cost);
    w.Field("attributes", h.attributes);
    w.Field("net_attributes", h.net_attributes);
    w.Field("board", h.board);
    w.Field("time", Quoted(h.time));
    w.Field("date", Quoted(h.date));
    w.Field("to", Quoted(h.to));
    w.Field("from", Quoted(h.from));
    w.Field("subject", Quoted(h.subject));
  }
}

void DumpHudsonText(const std::vector<uint8_t>& bytes, DumpWriter& w) {
  uint64_t n = w.Records(bytes.size(), messages::kHudsonTextBlockSize, "msgtxt.bbs");
  core::MemoryStream in(bytes);
  for (uint64_t b = 0; b < n; ++b) {
    in.Seek(b * messages::kHudsonTextBlockSize);
    w.Field("block " + std::to_string(b), Quoted(in.ReadPascalString(255)));
  }
}

void DumpHudsonIndex(const std::vector<uint8_t>& bytes, DumpWriter& w) {
  uint64_t n = w.Records(bytes.size(), messages::kHudsonIndexSize, "msgidx.bbs");
  core::MemoryStream in(bytes);
  for (uint64_t r = 0; r < n; ++r) {
    messages::HudsonIndexEntry e = messages::ReadHudsonIndexEntry(in);
    w.Field("entry " + std::to_string(r + 1), "number " + std::to_string(e.number) + ", board " + std::to_string(e.board));
  }
}

void DumpHudsonToIndex(const std::vector<uint8_t>& bytes, DumpWriter& w) {
  uint64_t n = w.Records(bytes.size(), messages::kHudsonToIndexSize, "msgtoidx.bbs");
  core::MemoryStream in(bytes);
  for (uint64_t r = 0; r < n; ++r) {
    w.Field("entry " + std::to_string(r + 1), Quoted(in.ReadPascalString(35)));
  }
}

void DumpHudsonInfo(const std::vector<uint8_t>& bytes, DumpWriter& w) {
  if (bytes.size() != static_cast<size_t>(messages::kHudsonInfoSize)) {
    w.Problem("msginfo.bbs is " + std::to_string(bytes.size()) + " bytes long instead of " +
              std::to_string(messages::kHudsonInfoSize) + "; missing counters read as zero");
  }
  core::MemoryStream in(bytes);
  messages::HudsonInfo info = messages::ReadHudsonInfo(in);
  w.Field("lowest", info.low);
  w.Field("highest", info.high);
  w.Field("active", info.active);
  for (int b = 0; b < messages::kHudsonBoards; ++b) {
    if (info.board_active[static_cast<size_t>(b)] != 0) {
      w.Field("board " + std::to_string(b + 1), info.board_active[static_cast<size_t>(b)]);
    }
  }
}

void DumpJamHeaders(const std::vector<uint8_t>& bytes, DumpWriter& w) {
  core::MemoryStream in(bytes);
  if (bytes.size() < static_cast<size_t>(messages::kJamBaseHeaderSize)) {
    w.Problem(".JHR is " + std::to_string(bytes.size()) + " bytes long, shorter than its " +
              std::to_string(messages::kJamBaseHeaderSize) + "-byte base header");
  }
  messages::JamBaseHeader b = messages::ReadJamBaseHeader(in);
  if (!b.signature_ok) w.Problem("the base header does not start with \"JAM\" and a zero byte");
  w.Heading("base header:");
  w.Field("date_created", JamDate(b.date_created));
  w.Field("mod_counter", b.mod_counter);
  w.Field("active", b.active);
  w.Field("password_crc", b.password_crc);
  w.Field("base_number", b.base_number);
  uint64_t at = messages::kJamBaseHeaderSize;
  int count = 0;
  while (at < bytes.size()) {
    in.Seek(at);
    if (bytes.size() - at < static_cast<uint64_t>(messages::kJamFixedHeaderSize)) {
      w.Problem("a message header at offset " + std::to_string(at) + " is cut short");
      break;
    }
    messages::JamMessageHeader h = messages::ReadJamMessageHeader(in);
    if (!h.signature_ok) {
      w.Problem("no message header signature at offset " + std::to_string(at) + "; the rest is not shown");
      break;
    }
    w.Heading("message header at offset " + std::to_string(at) + ":");
    w.Field("number", h.number);
    w.Field("revision", h.revision);
    w.Field("subfield_length", h.subfield_length);
    w.Field("times_read", h.times_read);
    w.Field("reply_to", h.reply_to);
    w.Field("first_reply", h.first_reply);
    w.Field("next_reply", h.next_reply);
    w.Field("date_written", JamDate(h.date_written));
    w.Field("date_received", JamDate(h.date_received));
    w.Field("attributes", h.attributes);
    w.Field("text_offset", h.text_offset);
    w.Field("text_length", h.text_length);
    bool complete = true;
    for (const auto& s : messages::ReadJamSubfields(in, h.subfield_length, &complete)) {
      std::string name = messages::JamSubfieldName(s.id);
      w.Field("subfield " + (name.empty() ? std::to_string(s.id) : name), Quoted(s.data));
    }
    if (!complete) {
      w.Problem("the subfields of message " + std::to_string(h.number) + " run past their length or the file");
      break;
    }
    at += messages::kJamFixedHeaderSize + static_cast<uint64_t>(h.subfield_length);
    ++count;
  }
  w.Line("# " + std::to_string(count) + " message headers");
}

void DumpJamIndex(const std::vector<uint8_t>& bytes, DumpWriter& w) {
  uint64_t n = w.Records(bytes.size(), messages::kJamIndexSize, ".JDX");
  core::MemoryStream in(bytes);
  for (uint64_t r = 0; r < n; ++r) {
    messages::JamIndexRecord x = messages::ReadJamIndexRecord(in);
    char text[64];
    std::snprintf(text, sizeof text, "receiver crc %08X, header offset %u", x.receiver_crc, x.header_offset);
    w.Field("message " + std::to_string(r + 1), x.header_offset == 0xFFFFFFFFu ? std::string("none") : text);
  }
}

void DumpJamLastRead(const std::vector<uint8_t>& bytes, DumpWriter& w) {
  uint64_t n = w.Records(bytes.size(), messages::kJamLastReadSize, ".JLR");
  core::MemoryStream in(bytes);
  for (uint64_t r = 0; r < n; ++r) {
    messages::JamLastRead l = messages::ReadJamLastRead(in);
    w.Heading("record " + std::to_string(r + 1) + ":");
    char crc[16];
    std::snprintf(crc, sizeof crc, "%08X", l.user_crc);
    w.Field("user_crc", crc);
    w.Field("user_id", l.user_id);
    w.Field("last_read", l.last_read);
    w.Field("high_read", l.high_read);
  }
}

void DumpJamText(const std::vector<uint8_t>& bytes, DumpWriter& w) {
  w.Field("length", static_cast<long long>(bytes.size()));
  w.Field("text", Quoted(std::string(bytes.begin(), bytes.end())));
}

void DumpFileHeaders(const std::vector<uint8_t>& bytes, DumpWriter& w) {
  uint64_t n = w.Records(bytes.size(), files::kFileHeaderSize, "file header");
  core::MemoryStream in(bytes);
  for (uint64_t r = 0; r < n; ++r) {
    in.Seek(r * files::kFileHeaderSize);
    files::FileHeaderRecord h = files::ReadFileHeaderRecord(in);
    w.Heading("file " + std::to_string(r + 1) + ":");
    w.Field("name", Quoted(h.name));
    w.Field("size", h.size);
    w.Field("crc", h.crc);
    w.Field("uploader", Quoted(h.uploader));
    w.Field("upload_date", Packed(h.upload_date));
    w.Field("file_date", Packed(h.file_date));
    w.Field("last_download", Packed(h.last_download));
    w.Field("times_downloaded", h.times_downloaded);
    w.Field("attributes", h.attributes);
    w.Field("cost", h.cost);
    w.Field("description_offset", h.description_offset);
  }
}

void DumpFileIndex(const std::vector<uint8_t>& bytes, DumpWriter& w) {
  uint64_t n = w.Records(bytes.size(), files::kFileIndexSize, "file index");
  core::MemoryStream in(bytes);
  for (uint64_t r = 0; r < n; ++r) {
    in.Seek(r * files::kFileIndexSize);
    files::FileIndexRecord x = files::ReadFileIndexRecord(in);
    w.Heading("file " + std::to_string(r + 1) + ":");
    w.Field("name", Quoted(x.name));
    w.Field("upload_date", Packed(x.upload_date));
    w.Field("description_offset", x.description_offset);
  }
}

void DumpFileTexts(const std::vector<uint8_t>& bytes, DumpWriter& w) { DumpTexts(bytes, w, true); }

}  // namespace vx::tools
