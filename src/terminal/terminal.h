// The caller's terminal as the session uses it: all output (Display and its helpers, the page
// pause), all input (the key handler, edited lines, hot-key prompts) and the display files with
// their control codes. One Terminal lives in the node session; it is built from references to the
// objects it reads and keeps its own output and input state.
//
// Waits (for a key, Delay) run the event loop and never spin. The call may end inside any of them:
// the session's poll hook or a timer throws platform::ProcessExit, which unwinds through here;
// every wait leaves the state consistent when it does.
//
// The implementation is spread by concept: output.cpp (Display, Emit, colours, cursor moves),
// more_prompt.cpp (the page pause and tagging at it), input.cpp (keys, PollInput, line input),
// choice_prompt.cpp (AskChoice and friends), display_file.cpp (ShowTextFile, ShowFile),
// stored_text.cpp (ShowStoredText).
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "comm/comm_control.h"
#include "core/config.h"
#include "core/language.h"
#include "core/user_record.h"
#include "platform/environment.h"
#include "platform/event_loop.h"
#include "terminal/code_values.h"
#include "terminal/control_codes.h"
#include "terminal/pause_tagging.h"
#include "terminal/terminal_state.h"

namespace vx::terminal {

class CodeScanner;  // output.cpp: finds the embedded codes of a text

using ColourSets = std::array<std::pair<int, int>, 5>;  // (foreground, background), sets 1..5

struct TerminalContext {
  platform::EventLoop& loop;
  comm::CommControl& comm;
  const platform::Environment& env;
  const core::Configuration& config;  // text path, system path, message base path
  const core::ConfigSnapshot& config_snapshot;  // settings read during the call
  const core::LanguageList& languages;
  const core::LanguageTable& language;
  core::UserRecord& user;  // Attribute, ScreenLength, ScreenWidth, Language, DateFormat...
  const ColourSets& colour_sets;
};

class Terminal {
 public:
  // Type-ahead kept for later rounds; a flood beyond it waits in the line (which stops reading)
  // and anything beyond the hard limit is dropped.
  static constexpr size_t kTypeAheadLimit = 4096;
  static constexpr size_t kReceiveHardLimit = 64 * 1024;
  // Display files shown from within display files.
  static constexpr int kMaxFileNesting = 4;

  explicit Terminal(const TerminalContext& context);
  ~Terminal();
  Terminal(const Terminal&) = delete;
  Terminal& operator=(const Terminal&) = delete;

  // The language entries the terminal shows prompts from.
  const core::LanguageTable& language() const { return context_.language; }

  OutputState& output() { return output_; }
  const OutputState& output() const { return output_; }
  InputState& input() { return input_; }
  const InputState& input() const { return input_; }

  // What higher layers provide. The poll hook is the session's part of PollInput (the carrier
  // check that ends the call); it runs on every input round and may throw ProcessExit.
  void SetPollHook(std::function<void()> hook) { poll_hook_ = std::move(hook); }
  void SetCodeValues(const CodeValues* values) { codes_.SetValues(values); }
  void SetPauseTagging(PauseTagging* tagging) { tagging_ = tagging ? tagging : &no_tagging_; }
  const PauseTagging& tagging() const { return *tagging_; }

  // Output.
  void Display(std::string_view text);
  void DisplayLn(std::string_view text);
  // Text that is shown as it stands: no display codes are expanded and no embedded code acts
  // (a stored file description, a name a caller chose). Its lines are counted against the page
  // like those of Display. The caller removes the control characters it must not send.
  void DisplayVerbatim(std::string_view text);
  void Emit(std::string_view text);
  void NewLine();
  void ShowPrompt(int n);
  void ShowPromptLn(int n);
  void SetForeground(int colour);
  void SetBackground(int colour);
  void SetColor(int attribute);
  void SetPromptColor(int n);
  void SetColorPreset(int k);
  void ClearScreen();
  void MoveToColumn(int column);  // 0-based, as cursor_column() reports it
  void MoveToRow(int row);        // 1-based, as cursor_row() reports it
  void ReturnToLineStart();
  void Delay(double seconds);

  // Input.
  int KeyInput(int code);   // returns the code, or 0 when the key was refused
  void LocalKey(int code);  // a key typed at the node's own keyboard
  void PollInput();
  std::string InputLine(int max_len);
  std::string InputMasked(int max_len);
  long long InputNumber(int max_len, long long default_value);
  std::string InputDigits(int max_len);
  char GetKey();
  char GetHotKey(std::string_view keys);
  int AskChoice(int n);
  int AskPrompt(int n);
  int AskPromptLn(int n);
  // The name prompt's name mode: capitalise the first letter and every letter after a blank.
  void SetNameMode(bool on) { input_.capitalise = on; }
  // Discards every key waiting for the next request, here and in the line.
  void FlushInput();
  // While set, what the caller sends goes to `divert` instead of becoming keys for the next input
  // (a chat takes the caller's typing, and none of it is left for the menu afterwards). Keys
  // waiting when it is set go to it too. An empty function ends the diversion.
  void DivertReceived(std::function<void(std::string_view)> divert);
  // A key waiting from the caller or the local keyboard, taken without waiting. Like every input
  // round it checks the line first (the poll hook), so a long run that only looks for keys
  // notices a caller who has hung up.
  std::optional<char> TakeKeyNoWait();
  // Keys received and not yet taken.
  size_t pending_keys() const { return receive_buffer_.size() - receive_head_; }

  // Display files and codes.
  void ShowTextFile(std::string_view name);
  bool DisplayFileExists(std::string_view path) const;
  void ShowFile(std::string_view path);
  // Text stored by other callers and systems (a message): shown line by line through the page
  // pause, with no display codes and no embedded actions (see stored_text.h).
  void ShowStoredText(std::string_view text);
  std::string ExpandControlCodes(std::string_view text) const {
    return codes_.Expand(text, output_.positioned_display);
  }
  std::string PromptColorCode(int n) const {
    return terminal::PromptColorCode(context_.language, n);
  }
  std::string FlagText(std::string_view flags, int k) const { return codes_.FlagText(flags, k); }
  void PressEnter();
  void EndListing();
  const ControlCodes& codes() const { return codes_; }

 private:
  // output.cpp
  enum class Step { kAgain, kLines, kDone };
  Step HandleEmbeddedCode(std::string_view all, CodeScanner& scan, size_t& pos);
  void SendLines(std::string_view text);
  int ScreenWidth() const;
  // more_prompt.cpp: returns false when the caller stopped the output.
  bool Pause();
  bool TagAtPause();
  // input.cpp
  void OnReceived();
  void Receive(std::string_view bytes);
  void FillReceiveBuffer();
  std::string ReadField(int max_len, InputMode mode, bool draw_field, bool word_wrap);
  void WaitForRequest();
  // display_file.cpp
  std::string FileExtension() const;

  TerminalContext context_;
  OutputState output_;
  InputState input_;
  ControlCodes codes_;
  PauseTagging no_tagging_;
  PauseTagging* tagging_ = &no_tagging_;
  std::function<void()> poll_hook_;
  std::function<void(std::string_view)> divert_;
  std::string receive_buffer_;  // keys not yet taken start at receive_head_
  size_t receive_head_ = 0;
  bool last_received_cr_ = false;
  int file_depth_ = 0;
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace vx::terminal
