// MODEM.VX: the modem settings, one record. The node reads the port, the number of initialisation
// tries and the two initialisation strings; this system writes the record 156 bytes long, up to
// the end of the last of those fields.
//
//   off  width  field
//   0    1      byte port number (COMn)
//   1    1      byte initialisation tries
//   2    12     not read
//   14   71     String[70] first initialisation string ("|" characters are dropped when read)
//   85   71     String[70] second initialisation string
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/record_stream.h"

namespace vx::core {

inline constexpr int kModemRecordSize = 156;

struct ModemSettings {
  uint8_t port = 0;
  uint8_t init_tries = 0;
  std::array<uint8_t, 12> bytes2{};
  std::string init1, init2;  // as stored, "|" included
};

ModemSettings ReadModemSettings(RecordStream& in);
void WriteModemSettings(const ModemSettings& m, RecordStream& out);
// An initialisation string as it is sent: every "|" removed (the node adds its own CR).
std::string ModemCommandText(const std::string& stored);

}  // namespace vx::core
