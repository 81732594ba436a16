// The node window's status panel: the caller's particulars and the call's figures in two blocks,
// and the status bar's text. Built as lines of text from the session; the console draws them.
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "terminal/code_values.h"

namespace vx::session {

struct NodeSession;

struct StatusPanel {
  std::vector<std::string> lines;  // six lines of the caller, then eight of the call
  std::string status_bar;
};

// `today` is the local date; `tags` answers the tagged files and kilobytes.
StatusPanel BuildStatusPanel(const NodeSession& session, const terminal::CodeValues& tags,
                             const std::tm& today);

// "Birthdate: mm-dd-yy, Age: n" or, for a birth date that cannot be read, lies in the future or
// gives an age of 0, "Birthdate: -, Age: - ".
std::string BirthDateLine(const std::string& birth_date, const std::tm& today);

}  // namespace vx::session
