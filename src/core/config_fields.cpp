// The list of CONFIG.VX fields and the readers of ConfigRecord.
#include "core/config_fields.h"

#include <algorithm>
#include <cassert>
#include <vector>

namespace vx::core {

namespace {

std::vector<const ConfigField*> MakeList() {
  using namespace config_field;
  std::vector<const ConfigField*> list = {
      &kMenuPath,
      &kTextPath,
      &kPath3,
      &kPath4,
      &kMsgBasePath,
      &kSystemPath,
      &kLogFileName,
      &kTransferPath,
      &kSemaphorePath,
      &kFileBasePath,
      &kPath10,
      &kQuoteHeader,
      &kSystemName,
      &kQuotePrefix,
      &kSysopName,
      &kNamePrompt,
      &kEditorCommand,
      &kLanguageSelectionText1,
      &kLanguageSelectionText2,
      &kFileListFormat,
      &kSecondFileListText,
      &kInactivityTimeout,
      &kLogonMinutes,
      &kPasswordAttempts,
      &kPageLength,
      &kPersonalMailScan,
      &kMinimumPasswordLength,
      &kUploadMinimumFreeSpace,
      &kPageReason,
      &kWatchdogArea,
      &kNewFilesScan,
      &kOpenBracket,
      &kCloseBracket,
      &kSysopMessageArea,
      &kMaskEcho,
      &kNewFilesListTagging,
      &kNameAttempts,
  };
  for (const auto& set : kColourSetFields) list.insert(list.end(), set.begin(), set.end());
  for (const ConfigField* f : {&kNewUserSecurity, &kNewUserSecondNumber, &kNewUserFlags,
                               &kNewUserOption,   &kNewUserOptionNumber, &kNamesWithoutBlank,
                               &kAskVoicePhone,   &kAskDataPhone,        &kAskAnsi,
                               &kAskClearScreen,  &kAskMorePrompt,       &kAskPrompt11,
                               &kQuestion2333,    &kAskBirthDate,        &kQuestion2501,
                               &kAskPrompt10,     &kAskPrompt12,         &kQuestion2694,
                               &kAskPrompt9,      &kAskLanguage,         &kNewUserDateFormat,
                               &kQuestion2947,    &kQuestion2948,        &kAskPrompt647,
                               &kAskSex,          &kAskAddress,          &kQuestion5744}) {
    list.push_back(f);
  }
  for (const ErrorlevelSlot& slot : kErrorlevelSlots) list.push_back(&slot.field);
  for (const ConfigField& address : kAddressFields) list.push_back(&address);
  return list;
}

}  // namespace

std::span<const ConfigField* const> ConfigFields() {
  static const std::vector<const ConfigField*> list = MakeList();
  return list;
}

const ConfigField* FindConfigField(std::string_view name) {
  for (const ConfigField* f : ConfigFields()) {
    if (name == f->name) return f;
  }
  return nullptr;
}

ConfigRecord::ConfigRecord(std::span<const uint8_t> bytes) {
  bytes_.fill(0);
  std::copy_n(bytes.begin(), std::min(bytes.size(), bytes_.size()), bytes_.begin());
}

uint16_t ConfigRecord::WordAt(int position) const {
  return static_cast<uint16_t>(At(position) | (At(position + 1) << 8));
}

uint8_t ConfigRecord::Byte(const ConfigField& field) const {
  assert(field.kind == ConfigKind::kByte);
  return At(field.position);
}

uint16_t ConfigRecord::Word(const ConfigField& field) const {
  assert(field.kind == ConfigKind::kWord);
  return WordAt(field.position);
}

char ConfigRecord::Char(const ConfigField& field) const {
  assert(field.kind == ConfigKind::kChar);
  return static_cast<char>(At(field.position));
}

std::string ConfigRecord::Text(const ConfigField& field) const {
  assert(field.kind == ConfigKind::kString);
  const size_t length = std::min<size_t>(At(field.position), static_cast<size_t>(field.width));
  const auto first = bytes_.begin() + field.position;  // the byte after the length byte
  return std::string(first, first + static_cast<std::ptrdiff_t>(length));
}

std::array<uint8_t, 4> ConfigRecord::Flags(const ConfigField& field) const {
  assert(field.kind == ConfigKind::kFlags4);
  return {At(field.position), At(field.position + 1), At(field.position + 2),
          At(field.position + 3)};
}

NetAddress ConfigRecord::Address(const ConfigField& field) const {
  assert(field.kind == ConfigKind::kAddress);
  const int p = field.position;
  return {WordAt(p), WordAt(p + 2), WordAt(p + 4), WordAt(p + 6)};
}

}  // namespace vx::core
