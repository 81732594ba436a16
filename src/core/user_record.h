// One caller's record of USERS.BBS (1016 bytes) and its USERSIDX.BBS entry (8 bytes).
//
//   off  width type         field            off  width type         field
//   0    36    String[35]   Name             468  4     int32        UploadsK
//   36   26    String[25]   Location         472  4     int32        DownloadsK
//   62   51    String[50]   Organisation     476  4     int32        TodayK
//   113  51    String[50]   Address1         480  2     int16        Elapsed
//   164  51    String[50]   Address2         482  2     uint16       ScreenLength
//   215  51    String[50]   Address3         484  1     uint8        Byte484
//   266  36    String[35]   Handle           485  2     uint16       Word485
//   302  81    String[80]   Comment          487  400   200 x uint16 WordTable487
//   383  4     uint32       PasswordCrc      887  9     String[8]    FirstDate
//   387  16    String[15]   DataPhone        896  9     String[8]    BirthDate
//   403  16    String[15]   VoicePhone       905  9     String[8]    Date905
//   419  6     String[5]    LastTime         914  1     uint8        ScreenWidth
//   425  9     String[8]    LastDate         915  1     uint8        Language
//   434  1     flags        Attribute        916  1     uint8        DateFormat
//   435  1     flags        Attribute2       917  36    String[35]   ForwardTo
//   436  4     4 x flags    Flags A..D       953  2     uint16       MsgArea
//   440  4     int32        Long440          955  2     uint16       FileArea
//   444  4     int32        Long444          957  1     char         DefaultProtocol
//   448  2     uint16       MsgsPosted       958  2     uint16       FileGroup
//   450  2     uint16       Security         960  1     uint8        Byte960
//   452  4     int32        Long452          961  1     uint8        Sex
//   456  4     int32        NoCalls          962  4     int32        Long962
//   460  4     int32        Uploads          966  2     uint16       MsgGroup
//   464  4     int32        Downloads        968  1     flags        Attribute3
//                                            969  16    String[15]   Text969
//                                            985  31    bytes        Reserved
//
// USERSIDX.BBS record r belongs to user record r: Crc32 of the upper-cased Name, then of the
// upper-cased Handle, 32 bits each.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/record_stream.h"

namespace vx::core {

inline constexpr int kUserRecordSize = 1016;
inline constexpr int kUserIndexSize = 8;

struct UserRecord {
  std::string name, location, organisation, address1, address2, address3, handle, comment;
  uint32_t password_crc = 0;
  std::string data_phone, voice_phone, last_time, last_date;
  std::string attribute = "00000000";   // flag strings, character k = bit k - 1
  std::string attribute2 = "00000000";
  std::array<std::string, 4> flags = {"00000000", "00000000", "00000000", "00000000"};
  int32_t long440 = 0, long444 = 0;
  uint16_t msgs_posted = 0, security = 0;
  int32_t long452 = 0, no_calls = 0, uploads = 0, downloads = 0, uploads_k = 0, downloads_k = 0,
          today_k = 0;
  int16_t elapsed = 0;
  uint16_t screen_length = 24;
  uint8_t byte484 = 0;
  uint16_t word485 = 0;
  std::array<uint16_t, 200> word_table487{};
  std::string first_date, birth_date, date905;
  uint8_t screen_width = 0, language = 1, date_format = 0;
  std::string forward_to;
  uint16_t msg_area = 0, file_area = 0;
  char default_protocol = 'Z';
  uint16_t file_group = 0;
  uint8_t byte960 = 0, sex = 0;
  int32_t long962 = 0;
  uint16_t msg_group = 0;
  std::string attribute3 = "00000000";
  std::string text969;
  std::array<uint8_t, 31> reserved{};

  // Attribute flag k (1-based character of the flag string) is set.
  bool AttributeFlag(int k) const { return k >= 1 && k <= 8 && attribute[k - 1] == '1'; }
};

// Reads one record at the stream's position.
UserRecord ReadUserRecord(RecordStream& in);
// Writes one record at the stream's position. With `write_language` false the stored language
// byte is skipped (left as it is on disk).
void WriteUserRecord(const UserRecord& user, RecordStream& out, bool write_language = true);

struct UserIndexEntry {
  uint32_t name_crc = 0;
  uint32_t handle_crc = 0;
};
UserIndexEntry IndexEntryFor(const UserRecord& user);

}  // namespace vx::core
