// The node's copy of CONFIG.VX and its accessors. The node never writes the file, but the sysop
// may rewrite it while a call runs, and the change takes effect at once: every access checks the
// file with one stat() and reads it again only when its size, times or identity changed. A file
// changed within the last second is read again at the next access too, since a second change in
// the same clock tick would leave the times as they were. A missing or short file reads as zeros
// and empty texts.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <string>
#include <utility>

#include "core/config_fields.h"
#include "platform/environment.h"

namespace vx::core {

class ConfigSnapshot {
 public:
  explicit ConfigSnapshot(const platform::Environment& env, std::string system_path = {});
  ConfigSnapshot(const ConfigSnapshot&) = delete;
  ConfigSnapshot& operator=(const ConfigSnapshot&) = delete;

  // The directory of CONFIG.VX (as stored: a DOS or host path ending in a separator).
  void SetSystemPath(std::string system_path);
  const std::string& system_path() const { return system_path_; }

  // The whole record as it is now, for readers of many fields at once.
  ConfigRecord Record() const { return Current(); }
  bool Exists() const;

  // Texts.
  std::string SystemName() const { return Current().Text(config_field::kSystemName); }
  std::string SysopName() const { return Current().Text(config_field::kSysopName); }
  std::string NamePromptText() const { return Current().Text(config_field::kNamePrompt); }
  std::string QuoteHeader() const { return Current().Text(config_field::kQuoteHeader); }
  std::string QuotePrefix() const { return Current().Text(config_field::kQuotePrefix); }
  std::string EditorCommand() const { return Current().Text(config_field::kEditorCommand); }
  std::string LanguageSelectionText1() const {
    return Current().Text(config_field::kLanguageSelectionText1);
  }
  std::string LanguageSelectionText2() const {
    return Current().Text(config_field::kLanguageSelectionText2);
  }
  std::string FileListFormat() const { return Current().Text(config_field::kFileListFormat); }
  std::string SecondFileListText() const {
    return Current().Text(config_field::kSecondFileListText);
  }

  // The session and the logon.
  uint16_t InactivityTimeout() const { return Current().Word(config_field::kInactivityTimeout); }
  uint8_t LogonMinutes() const { return Current().Byte(config_field::kLogonMinutes); }
  uint16_t PasswordAttempts() const { return Current().Word(config_field::kPasswordAttempts); }
  int NameAttempts() const;  // 0 stored means 999
  // 0 no, 1 scan, 2 ask the caller.
  uint8_t PersonalMailScanAtLogon() const {
    return Current().Byte(config_field::kPersonalMailScan);
  }
  uint8_t NewFilesScanAtLogon() const { return Current().Byte(config_field::kNewFilesScan); }
  uint8_t WatchdogArea() const { return Current().Byte(config_field::kWatchdogArea); }
  uint8_t SysopMessageArea() const { return Current().Byte(config_field::kSysopMessageArea); }

  // Menu functions, messages and files.
  uint16_t PageLength() const { return Current().Word(config_field::kPageLength); }
  uint8_t PageReasonSetting() const { return Current().Byte(config_field::kPageReason); }
  uint8_t MinimumPasswordLength() const {
    return Current().Byte(config_field::kMinimumPasswordLength);
  }
  uint16_t UploadMinimumFreeSpace() const {
    return Current().Word(config_field::kUploadMinimumFreeSpace);
  }
  bool NewFilesListTagging() const {
    return Current().Byte(config_field::kNewFilesListTagging) != 0;
  }

  // Input and output.
  char OpenBracket() const { return Current().Char(config_field::kOpenBracket); }
  char CloseBracket() const { return Current().Char(config_field::kCloseBracket); }
  char MaskEchoCharacter() const { return Current().Char(config_field::kMaskEcho); }
  // Colour set k (1..5) as (foreground, background); a stored foreground of 0 is light grey.
  std::pair<int, int> ColourSet(int k) const;
  int FileListColour() const;  // 16 x background + foreground of colour set 4

  // How often the file was read, for the log and the tests.
  int reads() const { return reads_; }

 private:
  struct Identity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = -1;
    timespec modified{}, changed{};
    bool operator==(const Identity& o) const;
  };
  const ConfigRecord& Current() const;
  bool Load(Identity seen) const;
  void Forget() const;

  const platform::Environment& env_;
  std::string system_path_;
  mutable std::string host_path_;  // resolved once per system path (and again when it fails)
  mutable ConfigRecord record_;
  mutable Identity identity_;
  mutable bool present_ = false;
  mutable bool recent_ = false;  // changed too lately for its times to tell a further change
  mutable int reads_ = 0;
};

}  // namespace vx::core
