// The logon: the caller names themselves, is found in the user base and gives the password, or
// registers as a new user through the questionnaire; then the limits of the day, the opening
// screens, and the menus. Logon() never returns: the call ends inside it (a failed logon, the end
// of the menus) through EndNodeProgram.
//
//   name prompt -> search -> found:     password -> accepted -> common tail -> menus
//                                                -> refused  -> watchdog, sysop message, end
//                         -> not found: confirm -> questionnaire -> registered -> common tail
#pragma once

#include <optional>
#include <string>

#include "core/limits_record.h"
#include "session/node_session.h"

namespace vx::session {

[[noreturn]] void Logon(NodeSession& session);

// The pieces, in the order the logon runs them.

// Asks for the name up to NameAttempts times; ends the call when none is given.
std::string AskName(NodeSession& session);
// The account named `name` (by name or handle), loaded as the account the caller named; false
// when there is none.
bool FindCaller(NodeSession& session, const std::string& name);
// The password tries; true when one was right.
bool AskPassword(NodeSession& session);
// All tries failed: the watchdog message to the account's owner, the offer of a message to the
// sysop, the log lines and the end of the call.
[[noreturn]] void RefuseLogon(NodeSession& session);

enum class NewUserOutcome { kRegistered, kAskNameAgain };
// The new-user path for a name that is not in the user base.
NewUserOutcome RegisterNewUser(NodeSession& session, const std::string& name);
// The new-user questionnaire, in its order, by the new-user switches of CONFIG.VX.
void AskNewUserQuestions(NodeSession& session);

// The common tail for every caller who got in: limits, the day's time, the opening screens and
// the menus.
[[noreturn]] void FinishLogon(NodeSession& session);

// The LIMITS.VX record for a security level (the first that names it); nullopt when none does or
// the file is missing. `partial` tells of bytes beyond the last whole record.
std::optional<core::LimitsRecord> FindLimits(const std::string& host_path, int security,
                                             bool* partial = nullptr);
// The transfer protocol name of a DefaultProtocol character; nullopt for any other character.
std::optional<std::string> ProtocolName(char default_protocol);
// BASIC's Str(): a blank in front of a number that is not negative.
std::string Str(long long n);

}  // namespace vx::session
