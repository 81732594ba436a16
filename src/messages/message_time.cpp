// Message time stamps and address texts.
#include "messages/message_time.h"

#include <cstdio>

#include "core/dos_date.h"

namespace vx::messages {

uint32_t LocalEpochSeconds(const std::tm& local) {
  std::tm copy = local;
  const std::time_t t = ::timegm(&copy);
  return t < 0 ? 0 : static_cast<uint32_t>(t);
}

namespace {
std::tm Broken(uint32_t seconds) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm out{};
  ::gmtime_r(&t, &out);
  return out;
}
}  // namespace

std::string JamDateText(uint32_t seconds) {
  const std::tm t = Broken(seconds);
  char text[40];
  std::snprintf(text, sizeof text, "%02d-%02d-%02d", t.tm_mon + 1, t.tm_mday, t.tm_year % 100);
  return text;
}

std::string JamTimeText(uint32_t seconds) {
  const std::tm t = Broken(seconds);
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d", t.tm_hour, t.tm_min);
  return text;
}

uint32_t UnixTime(std::string_view date_text) {
  const auto date = core::ParseDateText(date_text);
  if (!date) return 0;
  std::tm t{};
  t.tm_year = date->year - 1900;
  t.tm_mon = date->month - 1;
  t.tm_mday = date->day;
  return LocalEpochSeconds(t);
}

std::string AddressText(const core::NetAddress& a) {
  std::string text = std::to_string(a.zone) + ":" + std::to_string(a.net) + "/" + std::to_string(a.node);
  if (a.point > 0) text += "." + std::to_string(a.point);
  return text;
}

std::string LowerHex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%x", value);
  return text;
}

}  // namespace vx::messages
