// The transfer protocols a caller chooses from, by the letter kept in the caller's record, and the
// commands of the transfer engine (lrzsz) that run them. The control's protocol index names the
// protocol in the log lines.
//
//   letter  shown        menu name     index  control name       batch
//   X       XModem       Xmodem        1      XModem-CRC         no
//   1       XModem/1K    Xmodem/1K     2      XModem-1K          no
//   Q       XModem/1K-G  Xmodem/1K-G   0      XModem-Checksum    no
//   Y       YModem       Ymodem        3      YModem-Batch       yes
//   G       YModem-G     Ymodem-G      4      YModem-G           yes
//   Z       ZModem       Zmodem        5      ZModem             yes
#pragma once

#include <string>
#include <vector>

#include "session/node_session.h"

namespace vx::files {

struct Protocol {
  char letter;
  const char* shown;      // after language entry 628
  const char* menu_name;  // in the protocol menu
  int index;              // the control's protocol index
  bool batch;             // sends several files at once
};

// The protocol of a letter; nullptr for a letter that is none (the character 0: never chosen).
const Protocol* FindProtocol(char letter);
const std::vector<Protocol>& Protocols();
// The control's protocol names, index 0 to 7.
const char* ControlProtocolName(int index);

// The engine's command that sends `files` (host paths) with `protocol`. `binary_path` is false
// when the caller's side does not take every byte (ZModem then escapes control characters).
std::vector<std::string> SendCommand(const Protocol& protocol, const std::vector<std::string>& files,
                                     bool binary_path);
// The engine's command that receives with `protocol` into its working directory; a single-file
// protocol writes the file `name`.
std::vector<std::string> ReceiveCommand(const Protocol& protocol, const std::string& name);

// SelectProtocol: the protocol menu; a chosen letter becomes the caller's protocol.
void SelectProtocol(session::NodeSession& session);

// The caller's protocol, after the protocol menu when none was ever chosen (or the caller's side
// takes only ZModem and another is set). Shows language entry 628 and the protocol's name after
// clearing the screen. nullptr when the caller chose none.
const Protocol* CurrentProtocol(session::NodeSession& session);

}  // namespace vx::files
