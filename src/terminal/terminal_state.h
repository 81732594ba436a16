// The session's output and input state as the terminal layer keeps it: what the page pause
// counts, how output is routed, and the one input request that may be active.
#pragma once

#include <cstdint>
#include <string>

namespace vx::terminal {

struct OutputState {
  // 0 normal (local terminal and caller); 1 capture (each Emit replaces `capture`); 2 and 3
  // discard.
  int mode = 0;
  std::string capture;
  // Lines written since the last pause, clear screen or prompt; carries over from one Display to
  // the next.
  int line_counter = 0;
  // The caller chose non-stop at a more prompt; cleared when the next menu function starts.
  bool non_stop = false;
  // Set by the file listings around lines that must not be counted.
  bool counting_suspended = false;
  // 0 normally, 20 while reading messages, 1010/1020/1030/1040 while a file listing runs (its
  // more prompt offers tagging).
  uint16_t listing_mode = 0;
  // "N" once the caller answered No at a more prompt.
  std::string stop_answer;
  // Set by the menu engine while it shows a menu text file.
  bool positioned_display = false;
  // 0 and 1 show the ".ANS" form of a display file, 2 the ".AVT" form, others the name as given.
  int terminal_type = 1;
  // The colours in which the last display file ended; the menu loop echoes the chosen key in them.
  int echo_foreground = 7;
  int echo_background = 0;
};

enum class InputMode : uint8_t { kNormal, kMasked, kNumOnly };

// The one request that KeyInput edits while it is active. It carries its own options, taken from
// the session's settings when it is made, so a prompt shown while it waits (which makes a request
// of its own and may change the settings) leaves it exactly as it was.
struct InputRequest {
  std::string buffer;
  // Characters still allowed; the request is active while it is not 0.
  int maximum = 0;
  int count = 0;
  InputMode mode = InputMode::kNormal;
  // Echoed for each key in masked mode; empty means no echo.
  std::string echo;
  // The request ends as soon as the buffer is full, without Enter.
  bool auto_accept = false;
  // The first character and every character after a blank are upper-cased.
  bool capitalise = false;
  // Line-editor mode: a full line ends the request and carries its last partial word over.
  bool word_wrap = false;
  // How the request ended: by Enter, or (auto-accept, word wrap) by filling up.
  bool ended_by_enter = false;
};

struct InputState {
  InputRequest request;

  // The session's settings from which the next request takes its options.
  // Echoed for each key in masked mode; empty means no echo. Start-up sets it from CONFIG.VX.
  std::string echo_character;
  // The menu loop sets it before the key that selects an entry and leaves it set while the
  // entry's function runs: one-key inputs then end at the first key, without Enter.
  bool auto_accept = false;
  // The name prompt's "name mode", and the hot-key prompts.
  bool capitalise = false;
  // The line editor's wrapping input.
  bool word_wrap = false;
  // The partial word carried by word wrap to the next line.
  std::string carried_text;

  // Live counters, not part of any request.
  char last_key = 0;
  // Seconds since the last key of the caller or the sysop; the session's one-second clock counts
  // it up and every key received or typed sets it back to 0.
  int idle_seconds = 0;
  // The next hot-key prompt is preceded by its hint. Set for the first prompt of a call.
  bool hint = true;
};

}  // namespace vx::terminal
