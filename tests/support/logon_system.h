// Test support: a system ready for calls, written byte by byte (no code of ours writes it): the
// mini system's CONFIG.VX with the logon's settings, a language whose prompts say which entry
// they are, LIMITS.VX, a TOP menu that logs off with G, and USERS.BBS / USERSIDX.BBS with
// hand-made records. The CRCs are those of
// the upper-cased texts (reflected CRC-32, no final inversion), computed outside our code.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "support/language_file.h"
#include "support/mini_system.h"

namespace vx::test {

// CRC-32 (no final inversion) of upper-cased texts used by the tests.
namespace crc {
inline constexpr uint32_t kSamSysop = 0x2ea822fa, kSysop = 0x821b6f06, kLighthouse = 0x7fc273c0,
                          kJaneDoe = 0xc34b50ac, kJaney = 0xed8b8588, kSecret = 0x53a5d09c,
                          kOldTimer = 0x8aa14fce, kEmpty = 0xffffffff, kNewCaller = 0xd42b3413,
                          kNewt = 0x4add1eb8, kWalrus = 0xb171a3ee;
}  // namespace crc

inline void PutLong(std::vector<uint8_t>& bytes, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i)
    bytes.at(offset + static_cast<size_t>(i)) = static_cast<uint8_t>(value >> (8 * i));
}
inline void PutWordAt(std::vector<uint8_t>& bytes, size_t offset, unsigned value) {
  bytes.at(offset) = static_cast<uint8_t>(value & 0xFF);
  bytes.at(offset + 1) = static_cast<uint8_t>((value >> 8) & 0xFF);
}
// A String[n] at a 0-based offset.
inline void PutText(std::vector<uint8_t>& bytes, size_t offset, const std::string& text) {
  PutString(bytes, offset + 1, text);
}

// One USERS.BBS record by its 0-based offsets.
struct HandUser {
  std::string name, handle, location, last_date, last_time, birth_date;
  uint32_t password_crc = 0;
  uint8_t attribute = 0x06;  // bits 1, 2: clear screen, more prompt
  uint8_t attribute2 = 0;
  unsigned security = 10;
  int32_t no_calls = 0;
  int16_t elapsed = 0;
  int32_t today_k = 0;
  unsigned screen_length = 24;
  uint8_t language = 1;
  uint8_t date_format = 1;
  char protocol = 'Z';
  std::string comment = "kept as it is";

  std::vector<uint8_t> Bytes() const {
    std::vector<uint8_t> b(1016, 0);
    PutText(b, 0, name);
    PutText(b, 36, location);
    PutText(b, 266, handle);
    PutText(b, 302, comment);
    PutLong(b, 383, password_crc);
    PutText(b, 419, last_time);
    PutText(b, 425, last_date);
    b[434] = attribute;
    b[435] = attribute2;
    PutWordAt(b, 450, security);
    PutLong(b, 456, static_cast<uint32_t>(no_calls));
    PutLong(b, 476, static_cast<uint32_t>(today_k));
    PutWordAt(b, 480, static_cast<uint16_t>(elapsed));
    PutWordAt(b, 482, screen_length);
    PutText(b, 896, birth_date);
    b[915] = language;
    b[916] = date_format;
    b[957] = static_cast<uint8_t>(protocol);
    for (size_t i = 985; i < 1016; ++i) b[i] = static_cast<uint8_t>(i);  // reserved, kept
    return b;
  }
};

inline std::vector<uint8_t> IndexEntry(uint32_t name_crc, uint32_t handle_crc) {
  std::vector<uint8_t> b(8, 0);
  PutLong(b, 0, name_crc);
  PutLong(b, 4, handle_crc);
  return b;
}

struct LogonSystem : MiniSystem {
  // Sam Sysop (security 255, last call yesterday), Jane Doe (handle Janey, security 10, already
  // on today for 15 minutes), Old Timer (deleted).
  HandUser sam, jane, old_timer;
  std::vector<uint8_t> users, index;

  LogonSystem() {
    PutString(config, 2178, "Name: ");
    PutWord(config, 1484, 3);   // password attempts
    PutWord(config, 1290, 10);  // new-user security
    config.at(1539) = 4;        // minimum password length, position 1540
    config.at(2330) = '[';      // hint brackets, positions 2331 and 2332
    config.at(2331) = ']';
    config.at(2929) = 1;  // date format of new users, position 2930: not asked
    PutString(config, 1375, "Sam Sysop");
    WriteConfig();
    WriteFile(dir / "ENGLISH.VXL", LanguageFileBytes(Prompts()));

    // LIMITS.VX: level 10 60 minutes a day, 1000 K local, 900 K at 38400, 336 K at 33600;
    // level 255 999 minutes.
    std::vector<uint8_t> limits(160, 0);
    PutWordAt(limits, 0, 10);
    PutWordAt(limits, 2, 60);
    PutWordAt(limits, 4 + 2 * 10, 900);   // 38400
    PutWordAt(limits, 4 + 2 * 11, 1000);  // local
    PutWordAt(limits, 65, 336);           // 33600
    PutWordAt(limits, 80, 255);
    PutWordAt(limits, 82, 999);
    WriteFile(dir / "LIMITS.VX", limits);

    sam = HandUser{.name = "Sam Sysop",
                   .handle = "Sysop",
                   .location = "Lamp room",
                   .last_date = "12-05-26",
                   .last_time = "22:10"};
    sam.password_crc = crc::kLighthouse;
    sam.security = 255;
    sam.no_calls = 7;
    sam.elapsed = 50;
    jane = HandUser{.name = "Jane Doe",
                    .handle = "Janey",
                    .location = "Harbour",
                    .last_date = "12-06-26",
                    .last_time = "09:30"};
    jane.password_crc = crc::kSecret;
    jane.no_calls = 41;
    jane.elapsed = 15;
    jane.today_k = 100;
    old_timer = HandUser{.name = "Old Timer", .location = "Gone", .last_date = "01-01-99"};
    old_timer.password_crc = crc::kWalrus;
    old_timer.attribute = 0x07;  // deleted
    // TOP.MNU (the menu directory is the system's): the prompt "Menu: " and one entry, key G,
    // log off (type 9).
    std::vector<uint8_t> top(2 * 464, 0);
    PutText(top, 131, "Menu: ");
    top[464] = 9;
    PutText(top, 464 + 131, ";");
    PutText(top, 464 + 267, "G");
    WriteFile(dir / "TOP.MNU", top);

    WriteUsers({sam, jane, old_timer},
               {IndexEntry(crc::kSamSysop, crc::kSysop), IndexEntry(crc::kJaneDoe, crc::kJaney),
                IndexEntry(crc::kOldTimer, crc::kEmpty)});
  }

  void WriteUsers(const std::vector<HandUser>& list,
                  const std::vector<std::vector<uint8_t>>& entries) {
    users.clear();
    index.clear();
    for (const HandUser& u : list) {
      std::vector<uint8_t> b = u.Bytes();
      users.insert(users.end(), b.begin(), b.end());
    }
    for (const auto& e : entries) index.insert(index.end(), e.begin(), e.end());
    WriteFile(dir / "USERS.BBS", users);
    WriteFile(dir / "USERSIDX.BBS", index);
  }

  void SetConfigByte(size_t position, uint8_t value) {
    config.at(position - 1) = value;
    WriteConfig();
  }

  std::vector<uint8_t> Read(const std::string& name) const {
    const std::string text = ReadFile(dir / name);
    return std::vector<uint8_t>(text.begin(), text.end());
  }

  // Each prompt names its entry, so that a caller can answer when it appears.
  static std::map<int, std::string> Prompts() {
    std::map<int, std::string> p = {{0, "Y Yes\xff"},
                                    {1, "N No\xff"},
                                    {3, "<3 not found>"},
                                    {4, "<4 you typed> "},
                                    {5, "<5 join?> Y"},
                                    {8, "<8 ansi?> Y"},
                                    {9, "<9 full menus?> Y"},
                                    {10, "<10 ask clear?> N"},
                                    {11, "<11 hot keys?> Y"},
                                    {12, "<12 full reader?> Y"},
                                    {13, "<13 lines?> "},
                                    {14, "<14 pause?> Y"},
                                    {15, "<15 clear?> Y"},
                                    {16, "<16 location?> "},
                                    {17, "<17 voice>"},
                                    {18, "<18 data>"},
                                    {19, "<19 handle?> "},
                                    {21, "<21 born> "},
                                    {23, "<23 new password?> "},
                                    {24, "<24 again?> "},
                                    {26, "<26 all right?> Y"},
                                    {27, "<27 welcome>"},
                                    {33, "<33 wrong password>"},
                                    {34, "<34 too many>"},
                                    {35, "<35 message to sysop?> N"},
                                    {36, "<36 locked out>"},
                                    {39, " minutes"},
                                    {40, "<40 mail?> Y"},
                                    {41, "<41 files?> N"},
                                    {47, "<47 too short, at least>"},
                                    {48, " characters"},
                                    {58, "<58 range>"},
                                    {59, "<59 password?> "},
                                    {60, "<60 number?> "},
                                    {61, "<61 you entered> "},
                                    {62, "<62 right?> Y"},
                                    {63, "<63 time is up>"},
                                    {64, "<64 time left>"},
                                    {66, "<66 still there?>"},
                                    {67, "YNC <67 more>\xff"},
                                    {226, "<226 two names>"},
                                    {227, "<227 lines set>"},
                                    {257, "<257 press a key>"},
                                    {297, "<297 choice?> "},
                                    {303, "<303 no such user>"},
                                    {319, "<319 looking>"},
                                    {422, "<422 current password?> "},
                                    {471, "/"},
                                    {475, "Date format"},
                                    {476, "DD-MM-YY"},
                                    {477, "MM-DD-YY"},
                                    {478, "YY-MM-DD"},
                                    {479, "DD-Mon-YY"},
                                    {480, "<480 date format>"},
                                    {485, "<485 forwarded>"},
                                    {486, "<486 forward to?> "},
                                    {647, "<647 real name?> Y"},
                                    {653, "<653 male?> Y"},
                                    {654, "<654 address>"},
                                    {656, "<656 address is>"},
                                    {657, "-----"},
                                    {658, "<658 change it?> N"}};
    return p;
  }
};

}  // namespace vx::test
