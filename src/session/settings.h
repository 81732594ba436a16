// The caller's own settings, as the settings menu functions and the new-user questionnaire of the
// logon change them. Each asks on a new line with the language's prompts (typed text capitalised
// as it is entered) and changes the caller's record in memory; the record goes back to USERS.BBS
// when the call ends. Each takes only what it uses.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/language.h"
#include "core/user_base.h"
#include "core/user_record.h"
#include "terminal/terminal.h"

namespace vx::session {

struct NodeSession;

void ChangeLocation(terminal::Terminal& terminal, core::UserRecord& user);
void ChangeHandle(terminal::Terminal& terminal, core::UserRecord& user);
void ChangeVoicePhone(terminal::Terminal& terminal, core::UserRecord& user);
void ChangeDataPhone(terminal::Terminal& terminal, core::UserRecord& user);
void ChangeAddress(terminal::Terminal& terminal, core::UserRecord& user);
// Mail forwarding: an empty answer clears it; a name must be a user of the user base.
void ChangeForwardTo(terminal::Terminal& terminal, core::UserRecord& user,
                     const core::UserBase& users);

// A new user has no password yet: the current one is not asked for, and the function does not
// end before a password is set. Otherwise the current password must be given first, and an empty
// new one leaves the password as it was. A password is never empty, whatever the minimum length.
enum class PasswordCheck { kAskCurrent, kNewUser };
void ChangePassword(terminal::Terminal& terminal, core::UserRecord& user, int minimum_length,
                    PasswordCheck check = PasswordCheck::kAskCurrent);

// Lines per screen, 10 to 66, asked until one in range is given; `confirm` shows the new length.
void ChangeScreenLength(terminal::Terminal& terminal, core::UserRecord& user, bool confirm = true);
inline constexpr int kMinScreenLength = 10;
inline constexpr int kMaxScreenLength = 66;

void ChangeDateFormat(terminal::Terminal& terminal, core::UserRecord& user);

// The languages the caller may choose, numbered by their record, and the caller's choice.
// `use_language` makes a chosen record the session's language (its texts and menus) and says
// whether it could.
void ChangeLanguage(terminal::Terminal& terminal, core::UserRecord& user,
                    const core::LanguageList& languages, std::string_view heading,
                    std::string_view prompt, const std::function<bool(int record)>& use_language);
// The same with the session's languages and settings.
void ChangeLanguage(NodeSession& session);

// The birth date in the caller's date format, asked until it is a date; stored as "MM-DD-YY".
// `open` and `close` are the configured hint brackets (0: none).
void AskBirthDate(terminal::Terminal& terminal, core::UserRecord& user, char open, char close);
// A birth date as typed in date format `format` (see terminal/user_date.h) as "MM-DD-YY", or
// nullopt when it is not a date.
std::optional<std::string> ParseBirthDate(std::string_view typed, int format);

}  // namespace vx::session
