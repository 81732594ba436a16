// The caller's screen as a BBS caller's ANSI terminal shows it: 80 x 25 cells of code page 437
// characters with IBM colour attributes (more rows, up to 66, for a caller whose screen is longer:
// the session sizes the model to the caller's screen length, so that rows counted here are the
// caller's rows). Everything the node sends to the caller is fed through
// it; it answers the cursor and colour queries that the page pause, the input fields and the
// colour save/restore depend on, and it is what the sysop's node window draws.
//
// Coordinates as the node asks for them:
//   cursor_row()     1-based, 1..rows(), as ESC[row;colH counts rows, so that a saved row can be
//                    sent back unchanged and the page pause compares it with ScreenLength.
//   cursor_column()  0-based, 0..79: the number of cells to the left of the cursor. An input
//                    field starting at column c with n cells ends at column c + n (1-based), so
//                    the field rule "c + n >= 80 -> n = 79 - c" ends a field at column 79. A
//                    column is sent back with MoveToColumn, which adds the 1.
// Cell access (CellAt) is 0-based in both directions.
//
// Interpretation, as BBS terminals do it (ANSI.SYS conventions where they differ from VT100):
// ESC[2J clears and homes the cursor; SGR 1 is bold, shown as the bright colours 8..15; the
// cursor wraps at column 80 with the DEC pending-wrap rule (the 80th character leaves the cursor
// on the last column until the next printable character); a line feed on row 25 scrolls; cleared
// and scrolled-in cells take the current colours; control characters without a terminal meaning
// are shown as their code page 437 glyphs. Every parameter is clamped and every sequence is
// parsed in constant memory, so no input can make the model hang or grow.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace vx::comm {

class TerminalModel {
 public:
  static constexpr int kColumns = 80;
  static constexpr int kRows = 25;     // the screen of most callers, and the least the model has
  static constexpr int kMaxRows = 66;  // the longest screen length a caller may choose

  // One screen cell. attribute: IBM text attribute, low nibble foreground 0..15, bits 4..6
  // background 0..7, bit 7 blink.
  struct Cell {
    uint8_t character = ' ';
    uint8_t attribute = 0x07;
    bool operator==(const Cell&) const = default;
  };

  TerminalModel() { Reset(); }

  // Interprets bytes as the caller's terminal would.
  void Feed(std::string_view bytes);
  // Power-on state: blank grey-on-black screen, cursor home.
  void Reset();

  // The caller's screen has `rows` rows (25 to 66). A shorter screen keeps the cursor's row on it
  // by scrolling what is above.
  void SetRows(int rows);
  int rows() const { return rows_; }

  int cursor_row() const { return row_ + 1; }
  int cursor_column() const { return column_; }
  int foreground() const { return (fg_base_ & 7) | (bold_ || bright_fg_ ? 8 : 0); }
  int background() const { return bg_; }
  bool blink() const { return blink_; }

  const Cell& CellAt(int row0, int column0) const {
    return cells_[static_cast<size_t>(row0 * kColumns + column0)];
  }
  // The characters of a row (1-based) as code page 437 bytes, trailing blanks removed.
  std::string RowText(int row) const;

  // Counts changes, so that a viewer can tell whether it must redraw.
  uint64_t version() const { return version_; }
  // Called after every Feed that changed the screen or the cursor.
  void SetChangeHandler(std::function<void()> handler) { on_change_ = std::move(handler); }
  // Times the caller's terminal would have rung its bell.
  uint64_t bells() const { return bells_; }

 private:
  static constexpr int kMaxParameters = 16;
  static constexpr int kMaxParameterValue = 9999;
  enum class State : uint8_t { kGround, kEscape, kEscapeIntermediate, kCsi, kCsiIgnore };

  void Ground(uint8_t byte);
  void Print(uint8_t byte);
  void CsiByte(uint8_t byte);
  void Dispatch(uint8_t final_byte);
  void SelectGraphicRendition();
  int Parameter(int index, int default_value) const;

  void LineFeed();
  void ScrollUp(int top, int count);
  void ScrollDown(int top, int count);
  void Fill(int from_cell, int to_cell);  // [from, to) in cell indexes, current colours
  void EraseDisplay(int mode);
  void EraseLine(int mode);
  void MoveTo(int row0, int column0);
  uint8_t CurrentAttribute() const;
  Cell Blank() const { return Cell{' ', CurrentAttribute()}; }

  std::array<Cell, kMaxRows * kColumns> cells_{};
  int rows_ = kRows;
  int row_ = 0;
  int column_ = 0;
  bool pending_wrap_ = false;
  int saved_row_ = 0;
  int saved_column_ = 0;

  int fg_base_ = 7;  // IBM colour 0..7
  int bg_ = 0;       // IBM colour 0..7
  bool bold_ = false;
  bool bright_fg_ = false;
  bool blink_ = false;
  bool reverse_ = false;
  bool concealed_ = false;

  State state_ = State::kGround;
  std::array<int, kMaxParameters> parameters_{};
  int parameter_count_ = 0;
  bool private_marker_ = false;

  uint64_t version_ = 0;
  uint64_t bells_ = 0;
  std::function<void()> on_change_;
};

}  // namespace vx::comm
