// The listing frame.
#include "files/listing_frame.h"

#include "core/text.h"
#include "terminal/control_codes.h"

namespace vx::files {

namespace {
constexpr char kHorizontalLine = static_cast<char>(196);
}  // namespace

void ShowListingHeading(session::NodeSession& session) {
  terminal::Terminal& terminal = session.terminal;
  terminal.ShowPrompt(238);
  terminal.NewLine();
  const size_t length = terminal::ValueLength(terminal::CleanValue(session.language.Text(238)));
  terminal.SetColor(3);
  terminal.Display(std::string(length, kHorizontalLine));
  terminal.NewLine();
}

bool StopOrHold(session::NodeSession& session) {
  terminal::Terminal& terminal = session.terminal;
  const std::optional<char> key = terminal.TakeKeyNoWait();
  if (!key) return false;
  const char pressed = core::UpperChar(*key);
  if (pressed == 'S') return true;
  if (pressed == 'P') {
    // Any key goes on; a one-key wait ends at the key itself, whatever the menu left set.
    terminal::InputState& input = terminal.input();
    const bool auto_accept = input.auto_accept;
    input.auto_accept = true;
    try {
      terminal.GetKey();
    } catch (...) {
      input.auto_accept = auto_accept;
      throw;
    }
    input.auto_accept = auto_accept;
  }
  return false;
}

}  // namespace vx::files
