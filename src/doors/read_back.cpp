// Reading back EXITINFO.BBS, DORINFO1.DEF and DOOR.SYS.
#include "doors/read_back.h"

#include <limits>
#include <optional>

#include "core/exit_info.h"
#include "core/record_stream.h"
#include "core/text.h"

namespace vx::doors {

namespace {

// The leading number of a line (blanks around it allowed), when the line starts with one and it
// lies within [low, high].
std::optional<long long> Number(const std::vector<std::string>& lines, size_t line, long long low,
                                long long high) {
  if (line == 0 || line > lines.size()) return std::nullopt;
  const std::string text = core::Trim(lines[line - 1]);
  size_t digit = (!text.empty() && (text[0] == '-' || text[0] == '+')) ? 1 : 0;
  if (digit >= text.size() || text[digit] < '0' || text[digit] > '9') return std::nullopt;
  const long long value = core::LeadingNumber(text);
  if (value < low || value > high) return std::nullopt;
  return value;
}

template <typename Field>
void TakeNumber(const std::vector<std::string>& lines, size_t line, long long low, long long high,
                Field& field) {
  if (auto n = Number(lines, line, low, high)) field = static_cast<Field>(*n);
}

// A text line cut to its field, control characters as blanks.
void TakeText(const std::vector<std::string>& lines, size_t line, size_t width,
              std::string& field) {
  if (line == 0 || line > lines.size()) return;
  std::string text = lines[line - 1].substr(0, width);
  for (char& c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 32 || byte == 127) c = ' ';
  }
  field = text;
}

constexpr long long kWordMax = 65535;
constexpr long long kLongMax = std::numeric_limits<int32_t>::max();
// Minutes left as the session keeps them; a door cannot hand out more than a 16-bit count.
constexpr long long kMinutesMax = 32767;

}  // namespace

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(start));
      break;
    }
    lines.emplace_back(text.substr(start, end - start));
    if (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
    start = end + 1;
  }
  return lines;
}

bool ReadBackExitInfo(const std::vector<uint8_t>& bytes, DoorState& state, std::string& problem) {
  if (bytes.size() != static_cast<size_t>(core::kExitInfoSize)) {
    problem = "EXITINFO.BBS has " + std::to_string(bytes.size()) + " bytes instead of " +
              std::to_string(core::kExitInfoSize) + "; not taken back";
    return false;
  }
  core::MemoryStream in(bytes);
  const core::ExitInfo e = core::ReadExitInfo(in);
  const std::string text969 = state.user.text969;
  const auto reserved = state.user.reserved;
  state.user = e.user;
  state.user.text969 = text969;
  state.user.reserved = reserved;
  state.echomail_entered = e.echomail_entered;
  state.netmail_entered = e.netmail_entered;
  state.logon_time = e.logon_time;
  state.logon_date = e.logon_date;
  return true;
}

void ReadBackDorinfo(std::string_view text, DoorState& state) {
  const std::vector<std::string> lines = SplitLines(text);
  TakeNumber(lines, 11, 0, kWordMax, state.user.security);
  TakeNumber(lines, 12, 0, kMinutesMax, state.minutes_left);
}

void ReadBackDoorSys(std::string_view text, DoorState& state) {
  const std::vector<std::string> lines = SplitLines(text);
  core::UserRecord& u = state.user;
  TakeText(lines, 11, 25, u.location);
  TakeText(lines, 12, 15, u.voice_phone);
  TakeText(lines, 13, 15, u.data_phone);
  TakeNumber(lines, 15, 0, kWordMax, u.security);
  TakeNumber(lines, 19, 0, kMinutesMax, state.minutes_left);
  TakeNumber(lines, 21, 10, 66, u.screen_length);
  TakeText(lines, 25, 8, u.date905);
  if (lines.size() >= 27 && !lines[26].empty()) {
    const auto c = static_cast<unsigned char>(lines[26][0]);
    if (c >= 32 && c != 127) u.default_protocol = lines[26][0];
  }
  TakeNumber(lines, 28, 0, kLongMax, u.uploads);
  TakeNumber(lines, 29, 0, kLongMax, u.downloads);
  TakeText(lines, 36, 35, u.handle);
  TakeNumber(lines, 48, 0, kLongMax, u.uploads_k);
  TakeNumber(lines, 49, 0, kLongMax, u.downloads_k);
  TakeText(lines, 50, 80, u.comment);
  TakeNumber(lines, 52, 0, kWordMax, u.msgs_posted);
}

}  // namespace vx::doors
