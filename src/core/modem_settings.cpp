// MODEM.VX, field by field.
#include "core/modem_settings.h"

namespace vx::core {

ModemSettings ReadModemSettings(RecordStream& in) {
  ModemSettings m;
  m.port = in.ReadByte();
  m.init_tries = in.ReadByte();
  in.ReadInto(m.bytes2);
  m.init1 = in.ReadPascalString(70);
  m.init2 = in.ReadPascalString(70);
  return m;
}

void WriteModemSettings(const ModemSettings& m, RecordStream& out) {
  out.WriteByte(m.port);
  out.WriteByte(m.init_tries);
  out.WriteFrom(m.bytes2);
  out.WritePascalString(m.init1, 70);
  out.WritePascalString(m.init2, 70);
}

std::string ModemCommandText(const std::string& stored) {
  std::string text;
  for (char c : stored) {
    if (c != '|') text += c;
  }
  return text;
}

}  // namespace vx::core
