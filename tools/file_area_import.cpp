// File area import: description lists, short names and the database bytes.
#include "tools/file_area_import.h"

#include <cctype>
#include <sstream>
#include <string_view>

#include "core/record_stream.h"
#include "core/text.h"
#include "files/file_database_records.h"

namespace vx::tools {

namespace {

bool ValidShortChar(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  if (u >= 128) return false;
  if (std::isalnum(u)) return true;
  return std::string_view("!#$%&'()-@^_`{}~").find(c) != std::string_view::npos;
}

bool IsShortName(const std::string& name) {
  size_t dot = name.find('.');
  std::string base = name.substr(0, dot);
  std::string ext = dot == std::string::npos ? "" : name.substr(dot + 1);
  if (base.empty() || base.size() > 8 || ext.size() > 3) return false;
  if (ext.find('.') != std::string::npos) return false;
  for (char c : base + ext) {
    if (!ValidShortChar(c)) return false;
  }
  return true;
}

}  // namespace

std::map<std::string, std::string> ParseDescriptionList(const std::string& text) {
  std::map<std::string, std::string> out;
  std::istringstream in(text);
  std::string line, current;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == ' ' || line[0] == '\t') {
      if (!current.empty()) {
        std::string& d = out[current];
        d += (d.empty() ? "" : "\r\n") + core::Trim(line);
      }
      continue;
    }
    size_t blank = line.find_first_of(" \t");
    current = core::UpperCase(line.substr(0, blank));
    out[current] = blank == std::string::npos ? "" : core::Trim(line.substr(blank));
  }
  return out;
}

std::string ShortFileName(const std::string& name, const std::set<std::string>& taken) {
  std::string upper = core::UpperCase(name);
  if (IsShortName(upper) && !taken.count(upper)) return upper;
  size_t dot = upper.rfind('.');
  std::string base, ext;
  for (size_t i = 0; i < upper.size() && i != dot; ++i) {
    if (ValidShortChar(upper[i])) base += upper[i];
  }
  if (dot != std::string::npos) {
    for (size_t i = dot + 1; i < upper.size() && ext.size() < 3; ++i) {
      if (ValidShortChar(upper[i])) ext += upper[i];
    }
  }
  if (base.empty()) base = "FILE";
  for (int n = 1; n < 1000000; ++n) {
    std::string tail = "~" + std::to_string(n);
    std::string candidate = base.substr(0, 8 - tail.size()) + tail + (ext.empty() ? "" : "." + ext);
    if (!taken.count(candidate)) return candidate;
  }
  return base.substr(0, 8);
}

FileDatabaseBytes BuildFileDatabase(const std::vector<ImportedFile>& files,
                                    const std::string& uploader, uint32_t upload_date) {
  core::MemoryStream headers, index, texts;
  for (const ImportedFile& f : files) {
    files::FileHeaderRecord h;
    h.name = f.name;
    h.size = f.size;
    h.uploader = uploader;
    h.upload_date = upload_date;
    h.file_date = f.file_date;
    h.last_download = upload_date;
    h.description_offset = static_cast<int32_t>(texts.Size());
    texts.WriteBytes(f.description.data(), f.description.size());
    texts.WriteByte(0);
    files::WriteFileHeaderRecord(h, headers);
    files::FileIndexRecord x;
    x.name = f.name;
    x.upload_date = upload_date;
    x.description_offset = h.description_offset;
    files::WriteFileIndexRecord(x, index);
  }
  return {headers.bytes(), index.bytes(), texts.bytes(), static_cast<int>(files.size())};
}

std::map<std::string, std::string> ReadDatabaseDescriptions(const std::vector<uint8_t>& headers,
                                                            const std::vector<uint8_t>& texts) {
  std::map<std::string, std::string> out;
  core::MemoryStream in(headers);
  const uint64_t count = headers.size() / files::kFileHeaderSize;
  for (uint64_t k = 0; k < count; ++k) {
    in.Seek(k * files::kFileHeaderSize);
    files::FileHeaderRecord h = files::ReadFileHeaderRecord(in);
    std::string name = core::UpperCase(core::Trim(h.name));
    if (name.empty() || h.description_offset < 0 ||
        static_cast<uint64_t>(h.description_offset) >= texts.size()) {
      continue;
    }
    std::string d;
    for (size_t i = static_cast<size_t>(h.description_offset); i < texts.size() && texts[i]; ++i) {
      d += static_cast<char>(texts[i]);
    }
    out[name] = d;
  }
  return out;
}

}  // namespace vx::tools
