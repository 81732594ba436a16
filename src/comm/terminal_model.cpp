// The caller's screen: a byte-at-a-time interpreter of what the node sends (see the header for
// the conventions it follows).
#include "comm/terminal_model.h"

#include <algorithm>

namespace vx::comm {

namespace {
constexpr uint8_t kEsc = 27;
// ANSI colour numbers (30 + n) name colours in the order black, red, green, yellow, blue,
// magenta, cyan, white; the IBM attribute orders them black, blue, green, cyan, red, magenta,
// brown, grey.
constexpr int kAnsiToIbm[8] = {0, 4, 2, 6, 1, 5, 3, 7};
}  // namespace

void TerminalModel::Reset() {
  fg_base_ = 7;
  bg_ = 0;
  bold_ = bright_fg_ = blink_ = reverse_ = concealed_ = false;
  cells_.fill(Cell{});
  row_ = column_ = 0;
  saved_row_ = saved_column_ = 0;
  pending_wrap_ = false;
  state_ = State::kGround;
  parameter_count_ = 0;
  private_marker_ = false;
  ++version_;
}

void TerminalModel::SetRows(int rows) {
  rows = std::clamp(rows, kRows, kMaxRows);
  if (rows == rows_) return;
  if (rows < rows_ && row_ >= rows) {
    // The caller's screen got shorter: what was above the cursor scrolls off the top.
    ScrollUp(0, row_ - rows + 1);
    row_ = rows - 1;
  }
  if (rows > rows_) {
    std::fill(cells_.begin() + rows_ * kColumns, cells_.begin() + rows * kColumns, Cell{});
  }
  rows_ = rows;
  saved_row_ = std::min(saved_row_, rows_ - 1);
  ++version_;
  if (on_change_) on_change_();
}

std::string TerminalModel::RowText(int row) const {
  std::string text;
  if (row < 1 || row > rows_) return text;
  text.reserve(kColumns);
  for (int c = 0; c < kColumns; ++c) text += static_cast<char>(CellAt(row - 1, c).character);
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

uint8_t TerminalModel::CurrentAttribute() const {
  int fg = foreground();
  int bg = bg_;
  if (reverse_) {
    int swapped = bg;
    bg = fg & 7;
    fg = swapped;
  }
  if (concealed_) fg = bg;
  return static_cast<uint8_t>(fg | (bg << 4) | (blink_ ? 0x80 : 0));
}

void TerminalModel::Feed(std::string_view bytes) {
  if (bytes.empty()) return;
  for (char ch : bytes) {
    const auto byte = static_cast<uint8_t>(ch);
    switch (state_) {
      case State::kGround:
        Ground(byte);
        break;
      case State::kEscape:
        state_ = State::kGround;
        if (byte == '[') {
          state_ = State::kCsi;
          parameters_.fill(0);
          parameter_count_ = 0;
          private_marker_ = false;
        } else if (byte == '7') {
          saved_row_ = row_;
          saved_column_ = column_;
        } else if (byte == '8') {
          MoveTo(saved_row_, saved_column_);
        } else if (byte == 'c') {
          Reset();
        } else if (byte == kEsc) {
          state_ = State::kEscape;
        } else if (byte >= 0x20 && byte <= 0x2F) {
          state_ = State::kEscapeIntermediate;  // a character set choice, ESC ( B
        } else if (byte < 0x20) {
          Ground(byte);
        }
        // Any other escape is two bytes long and has no effect on a BBS terminal.
        break;
      case State::kEscapeIntermediate:
        if (byte < 0x20) {
          state_ = State::kGround;
          Ground(byte);
        } else if (byte >= 0x30) {
          state_ = State::kGround;
        }
        break;
      case State::kCsi:
      case State::kCsiIgnore:
        CsiByte(byte);
        break;
    }
  }
  ++version_;
  if (on_change_) on_change_();
}

void TerminalModel::Ground(uint8_t byte) {
  switch (byte) {
    case 0:
      return;
    case 7:
      ++bells_;
      return;
    case 8:
      pending_wrap_ = false;
      if (column_ > 0) --column_;
      return;
    case 9: {
      pending_wrap_ = false;
      column_ = std::min(kColumns - 1, (column_ / 8 + 1) * 8);
      return;
    }
    case 10:
      LineFeed();
      return;
    case 12:
      EraseDisplay(2);
      return;
    case 13:
      pending_wrap_ = false;
      column_ = 0;
      return;
    case kEsc:
      state_ = State::kEscape;
      return;
    default:
      Print(byte);
  }
}

void TerminalModel::Print(uint8_t byte) {
  if (pending_wrap_) {
    pending_wrap_ = false;
    column_ = 0;
    LineFeed();
  }
  cells_[static_cast<size_t>(row_ * kColumns + column_)] = Cell{byte, CurrentAttribute()};
  if (column_ == kColumns - 1) {
    pending_wrap_ = true;
  } else {
    ++column_;
  }
}

void TerminalModel::LineFeed() {
  pending_wrap_ = false;
  if (row_ == rows_ - 1) {
    ScrollUp(0, 1);
  } else {
    ++row_;
  }
}

void TerminalModel::ScrollUp(int top, int count) {
  count = std::clamp(count, 0, rows_ - top);
  const auto begin = cells_.begin() + top * kColumns;
  std::move(begin + count * kColumns, cells_.begin() + rows_ * kColumns, begin);
  Fill((rows_ - count) * kColumns, rows_ * kColumns);
}

void TerminalModel::ScrollDown(int top, int count) {
  count = std::clamp(count, 0, rows_ - top);
  const auto begin = cells_.begin() + top * kColumns;
  std::move_backward(begin, cells_.begin() + rows_ * kColumns - count * kColumns, cells_.begin() + rows_ * kColumns);
  Fill(top * kColumns, (top + count) * kColumns);
}

void TerminalModel::Fill(int from_cell, int to_cell) {
  from_cell = std::clamp(from_cell, 0, rows_ * kColumns);
  to_cell = std::clamp(to_cell, from_cell, rows_ * kColumns);
  std::fill(cells_.begin() + from_cell, cells_.begin() + to_cell, Blank());
}

void TerminalModel::EraseDisplay(int mode) {
  const int cursor = row_ * kColumns + column_;
  if (mode == 0) {
    Fill(cursor, rows_ * kColumns);
  } else if (mode == 1) {
    Fill(0, cursor + 1);
  } else if (mode == 2) {
    Fill(0, rows_ * kColumns);
    MoveTo(0, 0);  // BBS terminals home the cursor on a clear screen
  }
}

void TerminalModel::EraseLine(int mode) {
  const int start = row_ * kColumns;
  if (mode == 0) {
    Fill(start + column_, start + kColumns);
  } else if (mode == 1) {
    Fill(start, start + column_ + 1);
  } else if (mode == 2) {
    Fill(start, start + kColumns);
  }
}

void TerminalModel::MoveTo(int row0, int column0) {
  row_ = std::clamp(row0, 0, rows_ - 1);
  column_ = std::clamp(column0, 0, kColumns - 1);
  pending_wrap_ = false;
}

void TerminalModel::CsiByte(uint8_t byte) {
  if (byte < 0x20) {
    // A control character in the middle of a sequence: the sequence is abandoned and the
    // character does what it always does (an ESC starts a new sequence).
    state_ = State::kGround;
    if (byte != 24 && byte != 26) Ground(byte);
    return;
  }
  if (state_ == State::kCsiIgnore) {
    if (byte >= 0x40 && byte <= 0x7E) state_ = State::kGround;
    return;
  }
  if (byte >= '0' && byte <= '9') {
    if (parameter_count_ == 0) parameter_count_ = 1;
    int& value = parameters_[static_cast<size_t>(parameter_count_ - 1)];
    value = std::min(kMaxParameterValue, value * 10 + (byte - '0'));
    return;
  }
  if (byte == ';') {
    if (parameter_count_ == 0) parameter_count_ = 1;
    if (parameter_count_ < kMaxParameters) {
      ++parameter_count_;
    } else {
      state_ = State::kCsiIgnore;  // more parameters than any sequence of ours has
    }
    return;
  }
  if (byte >= '<' && byte <= '?') {
    private_marker_ = true;
    return;
  }
  if (byte >= 0x20 && byte <= 0x3F) {
    state_ = State::kCsiIgnore;  // intermediate bytes and ":": nothing a BBS terminal acts on
    return;
  }
  state_ = State::kGround;
  if (byte >= 0x40 && byte <= 0x7E && !private_marker_) Dispatch(byte);
}

int TerminalModel::Parameter(int index, int default_value) const {
  if (index >= parameter_count_) return default_value;
  int value = parameters_[static_cast<size_t>(index)];
  return value == 0 ? default_value : value;
}

void TerminalModel::Dispatch(uint8_t final_byte) {
  const int n = Parameter(0, 1);
  switch (final_byte) {
    case 'A':
      MoveTo(row_ - n, column_);
      break;
    case 'B':
      MoveTo(row_ + n, column_);
      break;
    case 'C':
      MoveTo(row_, column_ + n);
      break;
    case 'D':
      MoveTo(row_, column_ - n);
      break;
    case 'E':
      MoveTo(row_ + n, 0);
      break;
    case 'F':
      MoveTo(row_ - n, 0);
      break;
    case 'G':
      MoveTo(row_, n - 1);
      break;
    case 'd':
      MoveTo(n - 1, column_);
      break;
    case 'H':
    case 'f':
      MoveTo(Parameter(0, 1) - 1, Parameter(1, 1) - 1);
      break;
    case 'J':
      EraseDisplay(parameter_count_ > 0 ? parameters_[0] : 0);
      break;
    case 'K':
      EraseLine(parameter_count_ > 0 ? parameters_[0] : 0);
      break;
    case 'L':
      ScrollDown(row_, n);
      break;
    case 'M':
      ScrollUp(row_, n);
      break;
    case '@':
    case 'P': {
      const int start = row_ * kColumns + column_;
      const int end = (row_ + 1) * kColumns;
      const int count = std::min(n, end - start);
      if (final_byte == 'P') {
        std::move(cells_.begin() + start + count, cells_.begin() + end, cells_.begin() + start);
        Fill(end - count, end);
      } else {
        std::move_backward(cells_.begin() + start, cells_.begin() + end - count,
                           cells_.begin() + end);
        Fill(start, start + count);
      }
      pending_wrap_ = false;
      break;
    }
    case 'X': {
      const int start = row_ * kColumns + column_;
      Fill(start, std::min(start + n, (row_ + 1) * kColumns));
      break;
    }
    case 'm':
      SelectGraphicRendition();
      break;
    case 's':
      saved_row_ = row_;
      saved_column_ = column_;
      break;
    case 'u':
      MoveTo(saved_row_, saved_column_);
      break;
    default:
      break;  // reports (ESC[6n) and modes have no effect on the screen
  }
}

void TerminalModel::SelectGraphicRendition() {
  if (parameter_count_ == 0) parameter_count_ = 1;  // ESC[m is ESC[0m
  for (int i = 0; i < parameter_count_; ++i) {
    const int p = parameters_[static_cast<size_t>(i)];
    if (p == 0) {
      fg_base_ = 7;
      bg_ = 0;
      bold_ = bright_fg_ = blink_ = reverse_ = concealed_ = false;
    } else if (p == 1) {
      bold_ = true;
    } else if (p == 5 || p == 6) {
      blink_ = true;
    } else if (p == 7) {
      reverse_ = true;
    } else if (p == 8) {
      concealed_ = true;
    } else if (p == 22) {
      bold_ = false;
    } else if (p == 25) {
      blink_ = false;
    } else if (p == 27) {
      reverse_ = false;
    } else if (p == 28) {
      concealed_ = false;
    } else if (p >= 30 && p <= 37) {
      fg_base_ = kAnsiToIbm[p - 30];
      bright_fg_ = false;
    } else if (p == 39) {
      fg_base_ = 7;
      bright_fg_ = false;
    } else if (p >= 40 && p <= 47) {
      bg_ = kAnsiToIbm[p - 40];
    } else if (p == 49) {
      bg_ = 0;
    } else if (p >= 90 && p <= 97) {
      fg_base_ = kAnsiToIbm[p - 90];
      bright_fg_ = true;
    } else if (p >= 100 && p <= 107) {
      bg_ = kAnsiToIbm[p - 100];
    }
  }
}

}  // namespace vx::comm
