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

struct InputState {
  std::string buffer;
  // Characters still allowed; the request is active while it is not 0.
  int maximum = 0;
  int count = 0;
  // "" (normal), "Masked" or "NumOnly".
  std::string mode;
  // Echoed for each key in "Masked" mode; empty means no echo. Start-up sets it from CONFIG.VX.
  std::string echo_character;
  // The request ends as soon as the buffer is full, without Enter.
  bool auto_accept = false;
  // The first character and every character after a blank are upper-cased (the name prompt's
  // "name mode", and the hot-key prompts).
  bool capitalise = false;
  // Line-editor mode: a full line ends the request and carries its last partial word over.
  bool word_wrap = false;
  std::string carried_text;
  char last_key = 0;
  // Seconds since the last key of the caller or the sysop; the session's one-second clock counts
  // it up and every key received or typed sets it back to 0.
  int idle_seconds = 0;
  // The next hot-key prompt is preceded by its hint. Set for the first prompt of a call.
  bool hint = true;
  // How the last request ended: by Enter, or (auto-accept, word wrap) by filling up.
  bool ended_by_enter = false;
};

}  // namespace vx::terminal
