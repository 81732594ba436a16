// LANGUAGE.VX and compiled language files.
#include "core/language.h"

#include "core/record_stream.h"
#include "core/text.h"

namespace vx::core {

LanguageList LanguageList::Parse(const std::vector<uint8_t>& bytes) {
  LanguageList list;
  size_t count = bytes.size() / kLanguageRecordSize;
  if (count > kMaxLanguages) count = kMaxLanguages;
  list.record_count_ = static_cast<int>(count);
  MemoryStream in(bytes);
  for (size_t n = 1; n <= count; ++n) {
    in.Seek((n - 1) * kLanguageRecordSize);
    LanguageRecord r;
    r.name = in.ReadPascalString(20);
    r.available = in.ReadByte() != 0;
    r.definition_file = Trim(in.ReadPascalString(60));
    r.menu_path = CompleteDirectory(in.ReadPascalString(60));
    r.text_path = CompleteDirectory(in.ReadPascalString(60));
    r.question_path = CompleteDirectory(in.ReadPascalString(60));
    r.security = in.ReadWord();
    r.flags1 = in.ReadFlagByte();
    r.flags2 = in.ReadFlagByte();
    if (Trim(r.name).empty()) continue;
    list.records_[n] = std::move(r);
  }
  return list;
}

const LanguageRecord* LanguageList::Find(int n) const {
  if (n < 1 || n > kMaxLanguages || !records_[static_cast<size_t>(n)]) return nullptr;
  return &*records_[static_cast<size_t>(n)];
}

LanguageTable::LoadResult LanguageTable::Load(const std::vector<uint8_t>& bytes) {
  LoadResult result;
  const long long length = static_cast<long long>(bytes.size());
  if (length < 2) {
    result.problem = "file shorter than its header";
    return result;
  }
  const long long n = bytes[0] | (bytes[1] << 8);
  auto position = [&](long long k) -> long long {  // P(k), or -1 outside the file
    long long at = 2 + 2 * k;
    if (at + 1 >= length) return -1;
    return bytes[static_cast<size_t>(at)] | (bytes[static_cast<size_t>(at) + 1] << 8);
  };
  auto start = [&](long long k) -> long long {  // S(k) = P(k) - B(k), or -1 when unreadable
    long long p = position(k);
    if (p < 0 || p >= length) return -1;
    return p - bytes[static_cast<size_t>(p)];
  };

  // Entry 0 (the yes word) is read by the same rule as the others when its span lies inside
  // the file, so that the yes/no prompts have their key.
  const long long last = n - 1;
  const long long highest = std::min<long long>(last, kLastLanguageEntry);
  int bad = 0;
  for (long long k = (n >= 2 ? 0 : 1); k <= highest; ++k) {
    long long s = start(k);
    long long e = (k == last) ? length - 1 : start(k + 1);
    if (s < 0 || e < 0 || s > e || e > length) {
      if (k > 0) ++bad;
      continue;
    }
    if (k == 0 && s < 2 + 2 * n) continue;  // entry 0's span overlaps the position table
    if (e == s) continue;
    texts_[static_cast<size_t>(k)].assign(bytes.begin() + s + 1, bytes.begin() + e);
    colours_[static_cast<size_t>(k)] = bytes[static_cast<size_t>(s)];
    ++result.entries_loaded;
  }
  if (bad > 0) {
    result.problem = std::to_string(bad) + " entries point outside the file";
  }
  if (last > kLastLanguageEntry) {
    if (!result.problem.empty()) result.problem += "; ";
    result.problem += "entries above " + std::to_string(kLastLanguageEntry) + " ignored";
  }
  return result;
}

const std::string& LanguageTable::Text(int n) const {
  static const std::string kEmpty;
  if (n < 0 || n > kLastLanguageEntry) return kEmpty;
  return texts_[static_cast<size_t>(n)];
}

uint8_t LanguageTable::Colour(int n) const {
  if (n < 0 || n > kLastLanguageEntry) return 0;
  return colours_[static_cast<size_t>(n)];
}

void LanguageTable::Set(int n, std::string text, uint8_t colour) {
  if (n < 0 || n > kLastLanguageEntry) return;
  texts_[static_cast<size_t>(n)] = std::move(text);
  colours_[static_cast<size_t>(n)] = colour;
}

bool IsValueEntry(int n) {
  const auto between = [n](int first, int last) { return n >= first && n <= last; };
  return between(0, 1) || between(116, 117) || between(169, 174) || n == 570 || n == 572 ||
         between(250, 256) || between(380, 382) || between(661, 662) || n == 471 ||
         between(476, 479) || n == 488;
}

char EntryHotKey(std::string_view text) {
  for (size_t at = text.find('('); at != std::string_view::npos; at = text.find('(', at + 1)) {
    if (at + 2 < text.size() && text[at + 2] == ')' &&
        static_cast<unsigned char>(text[at + 1]) > 32) {
      return UpperChar(text[at + 1]);
    }
  }
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == 11 && i + 1 < text.size() && text[i + 1] == '[') {
      i += 3;  // a colour code ^K "[" xx
      continue;
    }
    if (c > 32 && c != 127 && c != 255) return UpperChar(text[i]);
  }
  return 0;
}

std::string CompleteLanguageFileName(const std::string& name, const std::string& system_path) {
  std::string file = Trim(name);
  if (file.find('.') == std::string::npos) file += ".VXL";
  if (file.find('\\') == std::string::npos && file.find('/') == std::string::npos) {
    file = system_path + file;
  }
  return file;
}

}  // namespace vx::core
