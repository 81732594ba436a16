// Choosing the dump of a file by its name, and the writer the dumps share.
#include "tools/dump.h"

#include <filesystem>

#include "core/record_stream.h"
#include "core/text.h"
#include "tools/config_text.h"
#include "tools/source_text.h"

namespace vx::tools {

void DumpWriter::Field(const std::string& name, const std::string& value) {
  std::string pad = name.size() < 22 ? std::string(22 - name.size(), ' ') : " ";
  text_ += indent_ + name + pad + "= " + value + "\n";
}

void DumpWriter::Heading(const std::string& text) {
  text_ += text + "\n";
  indent_ = "  ";
}

uint64_t DumpWriter::Records(uint64_t size, uint64_t record_size, const std::string& what) {
  if (size % record_size != 0) {
    Problem(std::to_string(size) + " bytes is not a whole number of " + std::to_string(record_size) +
            "-byte " + what + " records: the last " + std::to_string(size % record_size) +
            " bytes are a damaged or truncated record and are not shown");
  }
  return size / record_size;
}

std::string Quoted(const std::string& text) { return "\"" + EncodeEscapes(text, false) + "\""; }

std::string FlagText(const std::array<uint8_t, 4>& flags) {
  std::string list = FormatFlagList(flags);
  return list.empty() ? "none" : list;
}

std::string ColourText(int attribute) {
  return std::to_string(attribute) + " (" + ColourName(attribute) + ")";
}

DumpResult DumpBytes(const std::string& path_name, const std::vector<uint8_t>& bytes) {
  DumpWriter w;
  const std::string name = core::UpperCase(std::filesystem::path(path_name).filename().string());
  const std::string ext = core::UpperCase(std::filesystem::path(path_name).extension().string());
  auto is = [&](const char* n) { return name == n; };
  if (is("CONFIG.VX")) {
    DumpConfig(bytes, w);
  } else if (is("LANGUAGE.VX")) {
    DumpLanguageList(bytes, w);
  } else if (ext == ".VXL") {
    DumpLanguageFile(bytes, w);
  } else if (is("LIMITS.VX")) {
    DumpLimits(bytes, w);
  } else if (is("MODEM.VX")) {
    DumpModem(bytes, w);
  } else if (is("MESSAGES.VX")) {
    DumpMessageAreas(bytes, w);
  } else if (is("FILES.VX")) {
    DumpFileAreas(bytes, w);
  } else if (is("MGROUPS.VX") || is("FGROUPS.VX")) {
    DumpGroups(bytes, w);
  } else if (ext == ".VDX") {
    DumpAreaIndex(bytes, w);
  } else if (is("USERS.BBS")) {
    DumpUsers(bytes, w);
  } else if (is("USERSIDX.BBS")) {
    DumpUserIndex(bytes, w);
  } else if (is("USERON.BBS")) {
    DumpUserOn(bytes, w);
  } else if (is("LASTCALL.BBS")) {
    DumpLastCall(bytes, w);
  } else if (is("SYSINFO.BBS")) {
    DumpSysInfo(bytes, w);
  } else if (is("EXITINFO.BBS")) {
    DumpExitInfo(bytes, w);
  } else if (ext == ".MNU") {
    DumpMenu(bytes, w);
  } else if (is("MSGHDR.BBS")) {
    DumpHudsonHeaders(bytes, w);
  } else if (is("MSGTXT.BBS")) {
    DumpHudsonText(bytes, w);
  } else if (is("MSGIDX.BBS")) {
    DumpHudsonIndex(bytes, w);
  } else if (is("MSGTOIDX.BBS")) {
    DumpHudsonToIndex(bytes, w);
  } else if (is("MSGINFO.BBS")) {
    DumpHudsonInfo(bytes, w);
  } else if (ext == ".JHR") {
    DumpJamHeaders(bytes, w);
  } else if (ext == ".JDX") {
    DumpJamIndex(bytes, w);
  } else if (ext == ".JLR") {
    DumpJamLastRead(bytes, w);
  } else if (ext == ".JDT") {
    DumpJamText(bytes, w);
  } else if (name.rfind("FDB", 0) == 0 && ext == ".HDR") {
    DumpFileHeaders(bytes, w);
  } else if (name.rfind("FDB", 0) == 0 && ext == ".IDX") {
    DumpFileIndex(bytes, w);
  } else if (name.rfind("FDB", 0) == 0 && ext == ".TXT") {
    DumpFileTexts(bytes, w);
  } else {
    w.Problem("\"" + name + "\" is not a record file of the system that vxcfg knows");
  }
  return w.Result();
}

DumpResult DumpFile(const std::string& path) {
  auto bytes = core::ReadWholeFile(path);
  if (!bytes) {
    DumpResult r;
    r.problems.push_back(path + ": cannot be read");
    return r;
  }
  return DumpBytes(path, *bytes);
}

}  // namespace vx::tools
