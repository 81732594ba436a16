// Menu sources and menu files (NAME.MNU).
//
// Source: one line per record; '#' starts a comment. The header line comes first:
//   menu highlight=yellow prompt_colour=lightcyan prompt="^M^ain menu (~ minutes left): "
// then one line per entry, shown and matched in this order:
//   entry key=M type=goto data="MESSAGE" colour=lightgray text="^M^essage areas"
// Entry settings (all optional except type):
//   key            hot key, up to 8 characters ("ENTER" for the Enter key)
//   auto=yes       an automatic entry, run whenever the menu is shown (no key)
//   type           menu type: a number 0..75 or its name (see MenuTypeNames), such as goto,
//                  gosub, return, show_file, door, logoff, read_messages, list_files
//   data           the menu type's optional data, up to 135 characters
//   text           display line, up to 135 characters; "^" switches to the highlight colour and
//                  back; a text ending in ";" keeps the cursor on the line; ";" alone shows nothing
//   colour, colour2   entry colours (number or name)
//   security, max_security   security range (max 0: no upper limit)
//   flags, not_flags  required and forbidden flags, such as "A1 B8"
//   time_left, time_online   minimum minutes left / online
//   min_speed, max_speed     connection speed range (max 0: no upper limit)
//   hours="08:00-17:00"      time window on every day; sun= mon= tue= wed= thu= fri= sat= for one day
// Texts take the escapes \cK (control characters), \xHH, \" and \\; a caret is a plain caret.
#pragma once

#include <string>
#include <vector>

#include "menus/menu_file.h"

namespace vx::tools {

// Throws SourceError with the file and line of the first problem; a text longer than its field is
// an error, never cut.
menus::MenuFile ParseMenuSource(const std::string& source, const std::string& file);
std::string FormatMenuSource(const menus::MenuFile& menu);

// The name of menu type t ("" when it has none) and the type of a name (-1 when unknown).
std::string MenuTypeName(int type);
int MenuTypeByName(const std::string& name);

}  // namespace vx::tools
