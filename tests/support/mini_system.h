// Test support: a minimal system directory written byte by byte (no code of ours writes it):
// CONFIG.VX with the paths and a few fields, LANGUAGE.VX with one language and its compiled file.
#pragma once

#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace vx::test {

struct MiniSystem {
  TempDir dir;
  std::vector<uint8_t> config = std::vector<uint8_t>(6331, 0);

  MiniSystem() {
    PutString(config, 1057, dir.path() + "/");  // SystemPath
    PutString(config, 1259, "Test BBS");        // SystemName
    PutString(config, 1411, dir.path() + "/NODE*N.LOG");
    PutWord(config, 1480, 20);  // inactivity time-out
    config.at(1481) = 10;       // logon minutes, position 1482
    WriteConfig();
    WriteLanguage();
  }

  void WriteConfig() { WriteFile(dir / "CONFIG.VX", config); }

  // LANGUAGE.VX: record 1 "English" with ENGLISH.VXL; the compiled file holds entries 1 and 2.
  void WriteLanguage(const std::string& definition = "ENGLISH") {
    std::vector<uint8_t> lang(466, 0);
    PutString(lang, 1, "English");
    lang[21] = 1;
    PutString(lang, 23, definition);
    WriteFile(dir / "LANGUAGE.VX", lang);
    // N = 3, positions P(0) = 0, P(1) = 11, P(2) = 14. Entry 1 starts B = 3 bytes before
    // offset 11 (the byte there is 3): colour 0x0E, "Hi". Entry 2 starts 3 bytes before offset 14
    // (the final byte, 3, which belongs to no entry): colour 0x03, "Yo". P(0) points at N's low
    // byte, 3, which would start entry 0 before the file: entry 0 is not read.
    std::vector<uint8_t> vxl = {0x03, 0x00, 0x00, 0x00, 0x0B, 0x00, 0x0E, 0x00,
                                0x0E, 'H',  'i',  0x03, 'Y',  'o',  0x03};
    WriteFile(dir / (definition + ".VXL"), vxl);
  }
};

}  // namespace vx::test
