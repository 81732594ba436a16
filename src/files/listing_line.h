// One file as the listings show it, built from the line format of CONFIG.VX. The format holds
// plain text and codes of three characters: a prefix ("@" the value as it is, "%" in lower case,
// "^" in upper case) and two upper-case letters:
//
//   NE  name with extension, left-aligned in 12     UL  uploader, 35 characters
//   NN  name before the first ".", left in 9        UD  upload date    } in the caller's
//   SB  size in bytes, right-aligned in 7           FD  file date      } date format
//   SK  size in kilobytes, right-aligned in 4       LD  last download  }
//   TD  times downloaded, "0"-padded to 4           NW  "*" when uploaded on or after the
//                                                       caller's last call, else a blank
// Any other letters stay as they are. The codes are replaced in one pass over the format: a value
// is never read for codes again, so an uploader called "@UL" is shown as "@UL".
//
// A format that ends with "@DF" (any case) numbers the file ("+" in front when it is tagged, then
// the number in two digits) and shows its description beside the line, wrapped between words to
// the room left of the screen, each further line starting in the same column; with less than 20
// columns left the description starts on the next line. "@DU" numbers it and shows the
// description below as it is stored. Without either, the line stands alone.
//
// A header record without a name is a comment: its description alone, in white on black.
// Names, uploaders and descriptions are caller text: their control characters are removed and
// the description never goes through the display codes.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/dos_date.h"
#include "files/file_database.h"
#include "files/listing_page.h"
#include "session/node_session.h"

namespace vx::files {

// What a listing takes once from the configuration and the caller.
struct ListingSettings {
  std::string format;
  int colour = 7;
  int date_format = 0;
  std::optional<core::CalendarDate> last_call;  // the "new" mark's date; none: nothing is new
};

// The date of the caller's last call: the LastDate the account had when this call logged on (the
// logon sets LastDate to today), else LastDate as it is now, else today.
core::CalendarDate LastCallDate(const session::NodeSession& session);
// The settings as they are now: the line format and listing colour (colour set 4) of CONFIG.VX,
// the caller's date format and last call.
ListingSettings ListingSettingsFor(const session::NodeSession& session);

enum class DescriptionForm { kNone, kBeside, kBelow };  // no "@DF"/"@DU", "@DF", "@DU"

// The format's form (its last three characters).
DescriptionForm FormOf(std::string_view format);

// The format with its codes replaced by the values of `header`.
std::string ExpandListingCodes(std::string_view format, const FileHeaderRecord& header,
                               const ListingSettings& settings);

// The rows of a description shown beside a listing line: its own lines (any line end ends one),
// each broken between words into rows of at most `width` characters; a word longer than a row
// is cut. Line ends at its end are dropped.
std::vector<std::string> DescriptionRows(std::string_view description, int width);

// ShowListingLine: the file as one listing entry. Stops when the caller answers No at a page
// pause (the terminal's stop answer).
void ShowListingLine(session::NodeSession& session, ListingPage& page, const ListedFile& file,
                     const ListingSettings& settings);

}  // namespace vx::files
