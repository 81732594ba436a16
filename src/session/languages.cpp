// Language loading.
#include "session/languages.h"

#include "core/record_stream.h"
#include "core/text.h"
#include "platform/dos_path.h"

namespace vx::session {

bool ReadLanguageList(NodeSession& session) {
  auto bytes = core::ReadWholeFile(
      platform::HostPath(session.config.system_path + "language.vx", session.env));
  if (!bytes) return false;
  if (bytes->size() % core::kLanguageRecordSize != 0) {
    session.log.WriteLog("LANGUAGE.VX has " + std::to_string(bytes->size() % core::kLanguageRecordSize) +
                         " bytes beyond its last whole record; they are ignored");
  }
  session.languages = core::LanguageList::Parse(*bytes);
  return true;
}

bool LoadLanguageFile(NodeSession& session, const std::string& name) {
  std::string file = core::CompleteLanguageFileName(name, session.config.system_path);
  auto bytes = core::ReadWholeFile(platform::HostPath(file, session.env));
  if (!bytes || core::Trim(name).empty()) return false;
  core::LanguageTable::LoadResult result = session.language.Load(*bytes);
  if (!result.problem.empty()) {
    session.log.Alarm("Language file " + file + ": " + result.problem);
  }
  return true;
}

bool UseLanguage(NodeSession& session, int record) {
  const core::LanguageRecord* language = session.languages.Find(record);
  if (!language || core::Trim(language->definition_file).empty()) return false;
  if (!LoadLanguageFile(session, language->definition_file)) {
    session.log.Alarm("Language " + language->name + ": cannot load " + language->definition_file);
    return false;
  }
  if (!language->menu_path.empty()) session.config.menu_path = language->menu_path;
  return true;
}

int FirstLanguageFor(const core::LanguageList& languages, int security) {
  for (int r = 1; r <= languages.record_count(); ++r) {
    const core::LanguageRecord* language = languages.Find(r);
    if (!language) return 0;
    if (language->available && language->security <= security) return r;
  }
  return 0;
}

}  // namespace vx::session
