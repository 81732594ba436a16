// File area import: description lists, short names and the database bytes.
#include "tools/file_area_import.h"

#include <sstream>

#include "core/record_stream.h"
#include "core/text.h"
#include "files/file_database_records.h"

namespace vx::tools {

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
