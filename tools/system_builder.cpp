// Building a system directory from its sources.
#include "tools/system_builder.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <set>

#include "core/area_records.h"
#include "core/crc32.h"
#include "core/dos_date.h"
#include "core/record_stream.h"
#include "core/status_records.h"
#include "core/text.h"
#include "files/short_name.h"
#include "menus/menu_file.h"
#include "messages/hudson_records.h"
#include "messages/jam_records.h"
#include "tools/config_text.h"
#include "tools/file_area_import.h"
#include "tools/language_compiler.h"
#include "tools/menu_compiler.h"
#include "tools/message_seeding.h"
#include "tools/running_nodes.h"
#include "tools/source_error.h"
#include "tools/system_description.h"
#include "tools/user_base.h"

namespace fs = std::filesystem;

namespace vx::tools {

namespace {

std::string ReadText(const fs::path& path, const std::string& what) {
  auto bytes = core::ReadWholeFile(path.string());
  if (!bytes) throw SourceError(path.string() + ": cannot read the " + what);
  return std::string(bytes->begin(), bytes->end());
}

void Write(const fs::path& path, const std::vector<uint8_t>& bytes) {
  fs::create_directories(path.parent_path());
  if (!core::WriteWholeFile(path.string(), bytes)) {
    throw SourceError(path.string() + ": cannot write");
  }
}

template <typename F>
std::vector<uint8_t> Bytes(F&& write) {
  core::MemoryStream m;
  write(m);
  return m.bytes();
}

std::string WithSlash(std::string p) {
  if (p.empty() || p.back() != '/') p += '/';
  return p;
}

std::string Today() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return core::FormatDateText({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday});
}

uint32_t MidnightToday() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  // JAM dates count local time as if it were UTC.
  return static_cast<uint32_t>(
      (std::time_t{0} + timegm(&local)) / 86400 * 86400);
}

// Where a directory of the description lands: `rel` inside the system (relative to it) or an
// absolute path outside it (`rel` empty then).
struct Placement {
  std::string absolute;  // as written into the files, ends in "/" for directories
  std::string rel;       // relative to the system directory, "" when outside
};

class Builder {
 public:
  Builder(const fs::path& source, std::string target, const SystemDescription& d)
      : source_(source), target_(std::move(target)), d_(d) {}

  Placement Place(const std::string& path, bool directory) const {
    fs::path p = fs::path(path).lexically_normal();
    std::string s = p.string();
    if (p.is_absolute()) {
      std::string abs = directory ? WithSlash(s) : s;
      if (abs.rfind(target_, 0) == 0) return {abs, abs.substr(target_.size())};
      return {abs, ""};
    }
    if (s == "." || s.empty()) return {target_, ""};
    if (s.rfind("..", 0) == 0) {
      throw SourceError(d_.file, 0, "\"" + path + "\" leaves the system directory");
    }
    std::string rel = directory ? WithSlash(s) : s;
    return {target_ + rel, rel};
  }

  void CheckFits(const std::string& what, const std::string& value, size_t width, int line) const {
    if (value.size() > width) {
      throw SourceError(d_.file, line,
                        what + " would be \"" + value + "\", " + std::to_string(value.size()) +
                            " characters; its field holds " + std::to_string(width) +
                            ". Build the system in a directory with a shorter path.");
    }
  }

  int ConfigLine(const std::string& field) const {
    for (const auto& [name, line] : d_.config_lines) {
      if (name == field) return line;
    }
    return 0;
  }

  const fs::path& source() const { return source_; }
  const std::string& target() const { return target_; }

 private:
  fs::path source_;
  std::string target_;
  const SystemDescription& d_;
};

std::vector<uint8_t> BuildConfig(const SystemDescription& d, const Builder& b,
                                 std::string* menu_dir, std::string* msgbase_dir,
                                 std::string* filebase_dir, std::vector<std::string>* made_dirs) {
  std::vector<uint8_t> config(core::kConfigSize, 0);
  std::vector<std::pair<std::string, std::string>> values;
  for (const core::ConfigField* f : core::ConfigFields()) {
    values.push_back({f->name, f->default_value});
  }
  auto set = [&](const std::string& name, const std::string& value) {
    for (auto& [n, v] : values) {
      if (n == name) v = value;
    }
  };
  set("menu_path", d.languages.front().menus);
  set("text_path", d.languages.front().text);
  for (const auto& [name, value] : d.config) set(name, value);
  for (auto& [name, value] : values) {
    const core::ConfigField& f = *core::FindConfigField(name);
    std::string v = value;
    if (name == "system_path") {
      v = b.target();
    } else if ((f.is_directory || f.is_file) && !core::Trim(v).empty()) {
      Placement p = b.Place(v, f.is_directory);
      v = p.absolute;
      if (f.is_directory && !p.rel.empty()) made_dirs->push_back(p.rel);
      if (f.is_file && !p.rel.empty()) made_dirs->push_back(fs::path(p.rel).parent_path().string());
      if ((name == "msgbase_path" || name == "filebase_path") && p.rel.empty() &&
          p.absolute != b.target()) {
        throw SourceError(name + " \"" + v + "\" must lie inside the system directory");
      }
    }
    if (f.kind == core::ConfigKind::kString) {
      b.CheckFits("CONFIG.VX field " + name, v, static_cast<size_t>(f.width), b.ConfigLine(name));
    }
    std::string error = SetConfigField(config, f, v);
    if (!error.empty()) throw SourceError(name + ": " + error);
    if (name == "menu_path") *menu_dir = v;
    if (name == "msgbase_path") *msgbase_dir = core::Trim(v).empty() ? b.target() : v;
    if (name == "filebase_path") *filebase_dir = core::Trim(v).empty() ? b.target() : v;
  }
  return config;
}

// The files of one file area: copies the source files into the area directory under their short
// names and lists what the directory then holds.
std::vector<ImportedFile> ImportFileArea(const FileAreaSpec& area, const fs::path& area_dir,
                                         const fs::path& source_dir,
                                         const std::map<std::string, std::string>& old_texts) {
  std::map<std::string, std::string> descriptions;
  fs::create_directories(area_dir);
  if (!area.source.empty()) {
    if (!fs::is_directory(source_dir)) {
      throw SourceError(source_dir.string() + ": the source of file area " + area.record.name +
                        " is not a directory");
    }
    if (fs::exists(source_dir / kDescriptionListName)) {
      descriptions = ParseDescriptionList(ReadText(source_dir / kDescriptionListName, "list"));
    }
    std::set<std::string> taken;
    for (const auto& e : fs::directory_iterator(area_dir)) taken.insert(core::UpperCase(e.path().filename().string()));
    std::vector<fs::path> sources;
    for (const auto& e : fs::directory_iterator(source_dir)) {
      if (e.is_regular_file() &&
          core::UpperCase(e.path().filename().string()) != kDescriptionListName) {
        sources.push_back(e.path());
      }
    }
    std::sort(sources.begin(), sources.end());
    for (const fs::path& src : sources) {
      std::string original = src.filename().string();
      std::string upper = core::UpperCase(original);
      std::string short_name = taken.count(upper) ? upper : files::ShortFileName(original, taken);
      taken.insert(short_name);
      fs::copy_file(src, area_dir / short_name, fs::copy_options::overwrite_existing);
      if (short_name != upper && descriptions.count(upper)) {
        descriptions[short_name] = descriptions[upper];
      }
    }
  }
  std::vector<ImportedFile> files;
  std::vector<fs::path> present;
  for (const auto& e : fs::directory_iterator(area_dir)) {
    if (e.is_regular_file()) present.push_back(e.path());
  }
  std::sort(present.begin(), present.end());
  for (const fs::path& p : present) {
    ImportedFile f;
    f.name = core::UpperCase(p.filename().string());
    if (f.name.size() > 12) continue;  // not an 8.3 name: the database cannot hold it
    f.size = static_cast<uint32_t>(std::min<uintmax_t>(fs::file_size(p), 0xFFFFFFFFu));
    struct stat st;
    if (::stat(p.c_str(), &st) == 0) {
      std::tm local{};
      localtime_r(&st.st_mtime, &local);
      f.file_date = core::PackDate(core::FormatDateText(
          {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday}));
    }
    if (auto it = descriptions.find(f.name); it != descriptions.end()) {
      f.description = it->second;
    } else if (auto old = old_texts.find(f.name); old != old_texts.end()) {
      f.description = old->second;
    }
    files.push_back(std::move(f));
  }
  return files;
}

// A rebuild under a running node would pull its files away from under it (it keeps writing to the
// old directory, which the swap then deletes): refused, with nothing changed.
void RefuseWhileNodesRun(const std::string& target) {
  const std::vector<std::string> held = HeldSemaphores(target);
  if (held.empty()) return;
  std::string names;
  for (const std::string& path : held) names += (names.empty() ? "" : ", ") + path;
  throw SourceError(target + " is in use by a running node (" + names +
                    " is locked); end the node before rebuilding the system. Nothing was changed.");
}

void SyncPath(const fs::path& path, bool directory) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | (directory ? O_DIRECTORY : 0));
  if (fd < 0 || ::fsync(fd) != 0) {
    const int error = errno;
    if (fd >= 0) ::close(fd);
    throw SourceError(path.string() + ": cannot be flushed to disk: " + std::strerror(error));
  }
  ::close(fd);
}

// Every file and directory of the new system on disk before it takes the old one's place, so that
// a crash right after the swap leaves a whole system rather than empty files.
void SyncTree(const fs::path& root) {
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_symlink()) continue;
    if (entry.is_regular_file() || entry.is_directory())
      SyncPath(entry.path(), entry.is_directory());
  }
  SyncPath(root, true);
}

void SwapIntoPlace(const std::string& temp, const std::string& target) {
  std::string final_dir = target.substr(0, target.size() - 1);  // without the slash
  ::chmod(temp.c_str(), 0755);
  if (!fs::exists(final_dir)) {
    fs::rename(temp, final_dir);
    return;
  }
  if (::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, final_dir.c_str(), RENAME_EXCHANGE) != 0) {
    std::string old = final_dir + ".old-" + std::to_string(::getpid());
    fs::rename(final_dir, old);
    fs::rename(temp, final_dir);
    fs::remove_all(old);
    return;
  }
  fs::remove_all(temp);  // now the previous system
}

}  // namespace

std::string AbsoluteDirectory(const std::string& dir) {
  fs::path p(dir);
  if (fs::exists(p)) return WithSlash(fs::canonical(p).string());
  fs::path abs = fs::absolute(p).lexically_normal();
  if (abs.filename().empty()) abs = abs.parent_path();
  fs::path parent = abs.parent_path();
  if (!fs::is_directory(parent)) {
    throw SourceError(parent.string() + ": the directory to build in does not exist");
  }
  return WithSlash((fs::canonical(parent) / abs.filename()).string());
}

BuildReport BuildSystem(const std::string& source_dir, const std::string& target_dir,
                        const BuildOptions& options) {
  const fs::path source(source_dir);
  const std::string description_file = (source / "system.toml").string();
  SystemDescription d =
      ReadSystemDescription(ReadText(description_file, "system description"), description_file);
  BuildReport report;
  report.system_dir = AbsoluteDirectory(target_dir);
  const std::string& target = report.system_dir;
  RefuseWhileNodesRun(target);
  Builder b(source, target, d);

  // Everything that can be wrong with the sources is found before anything is written.
  std::string menu_dir, msgbase_dir, filebase_dir;
  std::vector<std::string> dirs = {"logs"};
  std::vector<uint8_t> config = BuildConfig(d, b, &menu_dir, &msgbase_dir, &filebase_dir, &dirs);

  struct CompiledLanguageFile {
    std::string definition;
    std::vector<uint8_t> bytes;
  };
  std::vector<CompiledLanguageFile> compiled;
  core::MemoryStream language_list;
  std::vector<std::pair<std::string, std::vector<uint8_t>>> menu_files;  // rel path, bytes
  std::vector<std::pair<fs::path, std::string>> text_dirs;               // source, rel
  for (const LanguageSpec& l : d.languages) {
    const fs::path src = source / l.source;
    auto entries = ParseLanguageSource(ReadText(src, "language source"), src.string());
    CompiledLanguage c = CompileLanguage(entries);
    if (const std::string colours = ColourReport(c); !colours.empty()) {
      report.notes.push_back(l.name + ": " + colours);
    }
    compiled.push_back({l.definition, std::move(c.bytes)});
    Placement menus = b.Place(l.menus, true);
    Placement text = b.Place(l.text, true);
    for (const auto& [what, path] : {std::pair{"menu path", menus.absolute},
                                     std::pair{"text path", text.absolute}}) {
      b.CheckFits("the " + std::string(what) + " of language " + l.name, path, 60, 0);
    }
    if (menus.rel.empty() || text.rel.empty()) {
      throw SourceError(d.file, 0, "the menus and text of language " + l.name +
                                       " must lie inside the system directory");
    }
    language_list.WritePascalString(l.name, 20);
    language_list.WriteByte(l.available ? 1 : 0);
    language_list.WritePascalString(l.definition, 60);
    language_list.WritePascalString(menus.absolute, 60);
    language_list.WritePascalString(text.absolute, 60);
    language_list.WritePascalString(text.absolute, 60);
    language_list.WriteWord(l.security);
    language_list.WriteZeros(2 + 196);
    const fs::path menu_src = source / l.menus;
    if (fs::is_directory(menu_src)) {
      std::vector<fs::path> sources;
      for (const auto& e : fs::directory_iterator(menu_src)) {
        if (core::LowerCase(e.path().extension().string()) == ".mnu") sources.push_back(e.path());
      }
      std::sort(sources.begin(), sources.end());
      for (const fs::path& m : sources) {
        std::string text_src = ReadText(m, "menu source");
        text_src = core::ReplaceAll(text_src, "{system}", target);
        menus::MenuFile menu = ParseMenuSource(text_src, m.string());
        std::string name = core::UpperCase(m.stem().string()) + ".MNU";
        menu_files.push_back({menus.rel + name, Bytes([&](core::MemoryStream& out) {
                                menus::WriteMenuFile(menu, out);
                              })});
      }
    }
    text_dirs.push_back({source / l.text, text.rel});
  }

  std::vector<uint16_t> numbers;
  core::MemoryStream message_areas;
  std::vector<std::pair<uint16_t, std::string>> jam_bases;  // area number, rel base path
  for (const MessageAreaSpec& a : d.message_areas) {
    core::MessageAreaRecord r = a.record;
    if (r.IsJam()) {
      Placement p = b.Place(a.jam_path, false);
      b.CheckFits("the JAM base path of message area " + std::to_string(r.area_number),
                  p.absolute, 60, a.line);
      if (p.rel.empty()) {
        throw SourceError(d.file, a.line, "a JAM base must lie inside the system directory");
      }
      r.jam_base_path = p.absolute;
      jam_bases.push_back({r.area_number, p.rel});
    }
    core::WriteMessageAreaRecord(r, message_areas);
    numbers.push_back(r.area_number);
  }
  std::vector<uint16_t> message_index = core::BuildAreaIndex(numbers);

  numbers.clear();
  core::MemoryStream file_areas;
  std::vector<std::pair<const FileAreaSpec*, Placement>> area_dirs;
  for (const FileAreaSpec& a : d.file_areas) {
    core::FileAreaRecord r = a.record;
    Placement p = b.Place(a.path, true);
    b.CheckFits("the path of file area " + std::to_string(r.word0), p.absolute, 40, a.line);
    r.path = p.absolute;
    area_dirs.push_back({&a, p});
    core::WriteFileAreaRecord(r, file_areas);
    numbers.push_back(r.word0);
  }
  std::vector<uint16_t> file_index = core::BuildAreaIndex(numbers);

  auto groups_file = [](std::vector<core::GroupRecord> groups, std::vector<uint16_t>* index) {
    if (groups.empty()) groups.push_back({1, "All areas"});
    std::vector<uint16_t> nums;
    core::MemoryStream out;
    for (const auto& g : groups) {
      core::WriteGroupRecord(g, out);
      nums.push_back(g.number);
    }
    *index = core::BuildAreaIndex(nums);
    return out.bytes();
  };
  std::vector<uint16_t> mgroup_index, fgroup_index;
  std::vector<uint8_t> mgroups = groups_file(d.message_groups, &mgroup_index);
  std::vector<uint8_t> fgroups = groups_file(d.file_groups, &fgroup_index);
  auto index_bytes = [](const std::vector<uint16_t>& index) {
    return Bytes([&](core::MemoryStream& out) { core::WriteAreaIndex(index, out); });
  };

  // Write into a temporary directory beside the target, starting from the old system unless a
  // fresh one was asked for.
  const std::string final_dir = target.substr(0, target.size() - 1);
  std::string pattern = fs::path(final_dir).parent_path().string() + "/." +
                        fs::path(final_dir).filename().string() + ".build-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (::mkdtemp(buffer.data()) == nullptr) {
    throw SourceError(pattern + ": cannot create the temporary build directory");
  }
  const fs::path temp(buffer.data());
  try {
    if (!options.fresh && fs::is_directory(final_dir)) {
      fs::copy(final_dir, temp, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    }
    auto in_temp = [&](const std::string& absolute) {
      return temp / absolute.substr(target.size());
    };
    for (const std::string& dir : dirs) fs::create_directories(temp / dir);
    Write(temp / "CONFIG.VX", config);
    Write(temp / "LANGUAGE.VX", language_list.bytes());
    for (const auto& c : compiled) Write(temp / c.definition, c.bytes);
    for (const auto& [rel, bytes] : menu_files) Write(temp / rel, bytes);
    for (const auto& [src, rel] : text_dirs) {
      fs::create_directories(temp / rel);
      if (fs::is_directory(src)) {
        fs::copy(src, temp / rel,
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing);
      }
    }
    for (const std::string& dir : d.copy_dirs) {
      if (!fs::is_directory(source / dir)) {
        throw SourceError(d.file, 0, (source / dir).string() + " is not a directory to copy");
      }
      fs::copy(source / dir, temp / dir,
               fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    }

    std::vector<core::LimitsRecord> limits = d.limits;
    if (limits.empty()) {
      core::LimitsRecord normal, sysop;
      normal.security = 10;
      normal.daily_time = 60;
      normal.SetAllDownloadK(2048);
      sysop.security = 255;
      sysop.daily_time = 999;
      sysop.SetAllDownloadK(65535);
      limits = {normal, sysop};
    }
    Write(temp / "LIMITS.VX", Bytes([&](core::MemoryStream& out) {
            for (const auto& l : limits) core::WriteLimitsRecord(l, out);
          }));
    Write(temp / "MODEM.VX", Bytes([&](core::MemoryStream& out) {
            core::WriteModemSettings(d.modem, out);
          }));
    Write(temp / "MESSAGES.VX", message_areas.bytes());
    Write(temp / "MESSAGES.VDX", index_bytes(message_index));
    Write(temp / "FILES.VX", file_areas.bytes());
    Write(temp / "FILES.VDX", index_bytes(file_index));
    Write(temp / "MGROUPS.VX", mgroups);
    Write(temp / "MGROUPS.VDX", index_bytes(mgroup_index));
    Write(temp / "FGROUPS.VX", fgroups);
    Write(temp / "FGROUPS.VDX", index_bytes(fgroup_index));
    if (!fs::exists(temp / "SYSINFO.BBS")) {
      Write(temp / "SYSINFO.BBS", std::vector<uint8_t>(core::kSysInfoSize, 0));
    }

    // The user base: the users already there stay as they are; listed users who are missing are
    // added. The index is written afresh from the records, so the two are in step.
    const fs::path msgbase = in_temp(WithSlash(msgbase_dir));
    std::vector<core::UserRecord> users;
    if (auto old = core::ReadWholeFile((msgbase / "USERS.BBS").string())) {
      std::string problem;
      users = ParseUsers(*old, &problem);
      if (!problem.empty()) report.notes.push_back("USERS.BBS: " + problem);
    }
    for (const UserSpec& u : d.users) {
      if (!FindUser(users, u.record.name)) {
        core::UserRecord r = u.record;
        r.long962 = static_cast<int32_t>(users.size());
        users.push_back(r);
      }
    }
    Write(msgbase / "USERS.BBS", UsersBytes(users));
    Write(msgbase / "USERSIDX.BBS", UserIndexBytes(users));

    // An empty Hudson base, unless one is there.
    SeedBases seed;
    seed.hudson_dir = WithSlash(msgbase.string());
    seed.hudson_new = !core::FileHasData((msgbase / "MSGHDR.BBS").string());
    for (const char* name : {"MSGHDR.BBS", "MSGTXT.BBS", "MSGIDX.BBS", "MSGTOIDX.BBS"}) {
      if (!fs::exists(msgbase / name)) Write(msgbase / name, {});
    }
    if (!fs::exists(msgbase / "MSGINFO.BBS")) {
      Write(msgbase / "MSGINFO.BBS", Bytes([](core::MemoryStream& out) {
              messages::WriteHudsonInfo({}, out);
            }));
    }
    // An empty JAM base for each JAM area, unless one is there.
    for (const auto& [area, rel] : jam_bases) {
      const fs::path base = temp / rel;
      auto jhr = core::ReadWholeFile(base.string() + ".JHR");
      seed.jam_bases[area] = base.string();
      seed.jam_new[area] = (!jhr || jhr->size() <= messages::kJamBaseHeaderSize) &&
                           !core::FileHasData(base.string() + ".JDX");
      if (!jhr || jhr->empty()) {
        messages::JamBaseHeader h;
        h.date_created = MidnightToday();
        h.mod_counter = 1;
        Write(base.string() + ".JHR",
              Bytes([&](core::MemoryStream& out) { messages::WriteJamBaseHeader(h, out); }));
      }
      for (const char* ext : {".JDX", ".JDT", ".JLR"}) {
        if (!fs::exists(base.string() + ext)) Write(base.string() + ext, {});
      }
    }

    // The first messages of new bases.
    if (const int seeded = SeedMessages(d, seed, core::ConfigRecord(config)); seeded > 0) {
      report.notes.push_back(std::to_string(seeded) + " messages put into the new message bases");
    }

    // The file database of each area, filled from the files in its directory.
    const fs::path filebase = in_temp(WithSlash(filebase_dir));
    const uint32_t today = core::PackDate(Today());
    std::string sysop = GetConfigField(config, core::config_field::kSysopName);
    for (const auto& [area, place] : area_dirs) {
      const int number = area->record.word0;
      const fs::path hdr = filebase / ("hdr/fdb" + std::to_string(number) + ".hdr");
      const fs::path txt = filebase / ("txt/fdb" + std::to_string(number) + ".txt");
      const fs::path idx = filebase / ("idx/fdb" + std::to_string(number) + ".idx");
      std::map<std::string, std::string> old_texts;
      auto old_hdr = core::ReadWholeFile(hdr.string());
      auto old_txt = core::ReadWholeFile(txt.string());
      if (old_hdr && old_txt) old_texts = ReadDatabaseDescriptions(*old_hdr, *old_txt);
      fs::path dir = place.rel.empty() ? fs::path(place.absolute) : temp / place.rel;
      auto files = ImportFileArea(*area, dir, source / area->source, old_texts);
      FileDatabaseBytes db = BuildFileDatabase(files, sysop, today);
      Write(hdr, db.headers);
      Write(idx, db.index);
      Write(txt, db.descriptions);
      report.notes.push_back("file area " + std::to_string(number) + ": " +
                             std::to_string(db.file_count) + " files");
    }
    fs::create_directories(temp / "logs");
    SyncTree(temp);
    RefuseWhileNodesRun(target);  // a node may have started while the new system was written
    SwapIntoPlace(temp.string(), target);
  } catch (const fs::filesystem_error& e) {
    fs::remove_all(temp);
    throw SourceError(std::string("cannot build the system: ") + e.what());
  } catch (...) {
    std::error_code ignored;
    fs::remove_all(temp, ignored);
    throw;
  }
  if (const int fd =
          ::open(fs::path(final_dir).parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      fd < 0 || ::fsync(fd) != 0) {
    report.notes.push_back("the directory holding " + final_dir +
                           " could not be flushed to disk: " + std::strerror(errno));
    if (fd >= 0) ::close(fd);
  } else {
    ::close(fd);
  }
  report.notes.push_back(std::to_string(menu_files.size()) + " menus, " +
                         std::to_string(d.message_areas.size()) + " message areas, " +
                         std::to_string(d.file_areas.size()) + " file areas");
  return report;
}

}  // namespace vx::tools
