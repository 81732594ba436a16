// `vxcfg dump FILE`: any record file of a system shown as text, field by field with its name. The
// kind of file is told by its name. A short, damaged or unknown file never stops the dump: what
// can be read is shown and what is wrong is listed as problems.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vx::tools {

struct DumpResult {
  std::string text;
  std::vector<std::string> problems;
};

// Dumps the bytes of a file named `name` (only its last component counts).
DumpResult DumpBytes(const std::string& name, const std::vector<uint8_t>& bytes);
// Reads and dumps a file; a file that cannot be read is a problem.
DumpResult DumpFile(const std::string& path);

// The dumps of the single kinds, shared by DumpBytes (dump_system.cpp, dump_bases.cpp).
class DumpWriter {
 public:
  void Field(const std::string& name, const std::string& value);
  void Field(const std::string& name, long long value) { Field(name, std::to_string(value)); }
  void Heading(const std::string& text);
  void Line(const std::string& text) { text_ += text + "\n"; }
  void Problem(const std::string& text) { problems_.push_back(text); }
  // Checks that the size is a whole number of records; returns the number of whole records.
  uint64_t Records(uint64_t size, uint64_t record_size, const std::string& what);
  DumpResult Result() { return {text_, problems_}; }

 private:
  std::string text_;
  std::vector<std::string> problems_;
  std::string indent_;
};

std::string Quoted(const std::string& text);  // "text" with escapes
std::string FlagText(const std::array<uint8_t, 4>& flags);
std::string ColourText(int attribute);  // "14 (yellow)"

void DumpConfig(const std::vector<uint8_t>& bytes, DumpWriter& w);
void DumpLanguageList(const std::vector<uint8_t>& bytes, DumpWriter& w);
void DumpLanguageFile(const std::vector<uint8_t>& bytes, DumpWriter& w);
void DumpLimits(const std::vector<uint8_t>& bytes, DumpWriter& w);
void DumpModem(const std::vector<uint8_t>& bytes, DumpWriter& w);
void DumpMessageAreas(const std::vector<uint8_t>& bytes, DumpWriter& w);
void DumpFileAreas(const std::vector<uint8_t>& bytes, DumpWriter& w);
void DumpGroups(const std::vector<uint8_t>& bytes, DumpWriter& w);
void DumpAreaIndex(const std::vector<uint8_t>& bytes, DumpWriter& w);
void DumpUsers(const std::vector<uint8_t>& bytes, DumpWriter& w);
void DumpUserIndex(const std::vector<uint8_t>& bytes, DumpWriter& w);
void DumpUserOn(const std::vector<uint8_t>& bytes, DumpWriter& w);
void DumpLastCall(const std::vector<uint8_t>& bytes, DumpWriter& w);
void DumpSysInfo(const std::vector<uint8_t>& bytes, DumpWriter& w);
void DumpExitInfo(const std::vector<uint8_t>& bytes, DumpWriter& w);
void DumpMenu(const std::vector<uint8_t>& bytes, DumpWriter& w);
void DumpHudsonHeaders(const std::vector<uint8_t>& bytes, DumpWriter& w);
void DumpHudsonText(const std::vector<uint8_t>& bytes, DumpWriter& w);
void DumpHudsonIndex(const std::vector<uint8_t>& bytes, DumpWriter& w);
void DumpHudsonToIndex(const std::vector<uint8_t>& bytes, DumpWriter& w);
void DumpHudsonInfo(const std::vector<uint8_t>& bytes, DumpWriter& w);
void DumpJamHeaders(const std::vector<uint8_t>& bytes, DumpWriter& w);
void DumpJamIndex(const std::vector<uint8_t>& bytes, DumpWriter& w);
void DumpJamLastRead(const std::vector<uint8_t>& bytes, DumpWriter& w);
void DumpJamText(const std::vector<uint8_t>& bytes, DumpWriter& w);
void DumpFileHeaders(const std::vector<uint8_t>& bytes, DumpWriter& w);
void DumpFileIndex(const std::vector<uint8_t>& bytes, DumpWriter& w);
void DumpFileTexts(const std::vector<uint8_t>& bytes, DumpWriter& w);

}  // namespace vx::tools
