// The protocol table, the engine's commands and the protocol menu.
#include "files/protocols.h"

#include "core/text.h"

namespace vx::files {

namespace {

constexpr int kWhite = 15;
constexpr int kLightRed = 12;
constexpr int kLightGrey = 7;
constexpr int kLightCyan = 11;
constexpr int kCyan = 3;
constexpr int kBlack = 0;

}  // namespace

const std::vector<Protocol>& Protocols() {
  static const std::vector<Protocol> table = {
      {'X', "XModem", "Xmodem", 1, false},       {'1', "XModem/1K", "Xmodem/1K", 2, false},
      {'Q', "XModem/1K-G", "Xmodem/1K-G", 0, false}, {'Y', "YModem", "Ymodem", 3, true},
      {'G', "YModem-G", "Ymodem-G", 4, true},    {'Z', "ZModem", "Zmodem", 5, true},
  };
  return table;
}

const Protocol* FindProtocol(char letter) {
  for (const Protocol& p : Protocols()) {
    if (p.letter == letter) return &p;
  }
  return nullptr;
}

const char* ControlProtocolName(int index) {
  static const char* const names[] = {"XModem-Checksum", "XModem-CRC", "XModem-1K",
                                      "YModem-Batch",    "YModem-G",   "ZModem",
                                      "Kermit",          "CompuServe B+"};
  return index >= 0 && index < 8 ? names[index] : "";
}

std::vector<std::string> SendCommand(const Protocol& protocol, const std::vector<std::string>& files,
                                     bool binary_path) {
  std::vector<std::string> argv;
  switch (protocol.index) {
    case 0:
    case 1:
      argv = {"sx", "-vv"};  // the receiver picks checksum or CRC
      break;
    case 2:
      argv = {"sx", "-vv", "-k"};
      break;
    case 3:
    case 4:
      argv = {"sb", "-vv", "-k"};  // streams as YModem-G when the receiver asks for it
      break;
    default:
      argv = {"sz", "-vv", "-b"};
      if (!binary_path) argv.push_back("-e");
      break;
  }
  // Names that begin with "-" are never taken for options.
  argv.push_back("--");
  if (protocol.batch) {
    argv.insert(argv.end(), files.begin(), files.end());
  } else if (!files.empty()) {
    argv.push_back(files.front());
  }
  return argv;
}

std::vector<std::string> ReceiveCommand(const Protocol& protocol, const std::string& name) {
  switch (protocol.index) {
    case 0:
      return {"rx", "-vv", "--", name};
    case 1:
    case 2:
      return {"rx", "-vv", "-c", "--", name};
    case 3:
    case 4:
      // No YModem-G receive in the engine: YModem takes the file. Restricted names, and a
      // file that exists is never replaced (rb would crash on it).
      return {"rb", "-vvv", "-R", "-E"};
    default:
      return {"rz", "-vvv", "-R", "-E"};
  }
}

void SelectProtocol(session::NodeSession& session) {
  terminal::Terminal& terminal = session.terminal;
  terminal.NewLine();
  terminal.SetForeground(kLightCyan);
  terminal.SetBackground(kBlack);
  terminal.DisplayLn(session.language.Text(629));
  terminal.NewLine();
  const bool binary = session.node.local_mode || session.comm.BinaryPath();
  std::string keys;
  for (const Protocol& p : Protocols()) {
    // A caller whose side would change control characters can only use ZModem, which escapes
    // them.
    if (!binary && p.letter != 'Z') continue;
    keys += p.letter;
    terminal.SetForeground(kWhite);
    terminal.Display(std::string("(") + p.letter + ")  ");
    terminal.SetForeground(kLightRed);
    terminal.Display(p.menu_name);
    if (p.batch) {
      terminal.SetForeground(kLightGrey);
      terminal.Display(std::string(14 - std::string(p.menu_name).size(), ' ') + "(*)");
    }
    terminal.NewLine();
  }
  terminal.NewLine();
  terminal.SetForeground(kCyan);
  terminal.DisplayLn(session.language.Text(213));
  // The entry's own first key keeps the protocol; the letters follow it.
  std::string entry = session.language.Text(214);
  if (!entry.empty() && static_cast<unsigned char>(entry.back()) == 0xFF) entry.pop_back();
  const size_t blank = entry.find(' ');
  const char first = blank == 0 || entry.empty() ? '\r' : core::UpperChar(entry.front());
  terminal.SetPromptColor(214);
  terminal.Display(blank == std::string::npos ? std::string() : entry.substr(blank + 1));
  const char key = terminal.GetHotKey(std::string(1, first) + keys);
  terminal.NewLine();
  if (key == first) return;
  if (FindProtocol(key) == nullptr) return;
  session.caller.user.default_protocol = key;
  session.protocol_name = FindProtocol(key)->shown;
}

const Protocol* CurrentProtocol(session::NodeSession& session) {
  const bool binary = session.node.local_mode || session.comm.BinaryPath();
  const Protocol* protocol = FindProtocol(session.caller.user.default_protocol);
  if (protocol == nullptr || (!binary && protocol->letter != 'Z')) {
    SelectProtocol(session);
    protocol = FindProtocol(session.caller.user.default_protocol);
    if (protocol == nullptr || (!binary && protocol->letter != 'Z')) return nullptr;
  }
  terminal::Terminal& terminal = session.terminal;
  terminal.ClearScreen();
  terminal.ShowPrompt(628);
  terminal.Display(protocol->shown);
  terminal.NewLine();
  return protocol;
}

}  // namespace vx::files
