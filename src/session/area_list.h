// What the group and area lists of the message and file areas share: entries in one or two
// columns with the page pause before each row, the list's heading, and the prompt that takes only
// a number the list showed.
#pragma once

#include <bitset>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "session/node_session.h"

namespace vx::session {

// The numbers shown in the list now; only these are taken at the prompt.
using ListedNumbers = std::bitset<65536>;

// Lists entries in one or two columns. Each row starts with a line end, so the page pause runs
// before a row is shown; a No at the more prompt ends the list.
class ColumnList {
 public:
  static constexpr int kSecondColumn = 40;  // 0-based: the second column starts at column 41

  ColumnList(terminal::Terminal& terminal, bool one_column)
      : terminal_(terminal), one_column_(one_column) {}

  // False when the caller stopped the list at a more prompt.
  bool Next();

 private:
  terminal::Terminal& terminal_;
  bool one_column_;
  bool second_column_ = false;
};

// The list's heading, in bright white on its own line.
void ShowListHeading(terminal::Terminal& terminal, const std::string& text);

// A number typed at a prompt: nullopt for an empty answer, -1 for anything that is not a number
// from 1 to `highest` ("-1", "0", "65536" for a list of areas, which are numbered up to 65535).
std::optional<long long> ParseListNumber(std::string_view typed, long long highest = 65535);

// Asks with language entry `entry` until the caller types one of the `listed` numbers (nullopt
// for Enter alone); a number out of range or not listed is answered and asked again.
std::optional<uint16_t> AskListedNumber(NodeSession& session, int entry,
                                        const ListedNumbers& listed);

}  // namespace vx::session
