// The menu engine's own functions: navigation, display and log functions, log-off, version and
// time screens, and the undefined types.
#include <string>

#include "core/config.h"
#include "core/text.h"
#include "menus/engine_functions.h"
#include "menus/menu_engine.h"
#include "platform/dos_path.h"
#include "session/call_end.h"

namespace vx::menus {

namespace {

// A file named by its full path, line by line, CR LF between the lines; nothing when it is not
// there.
void ShowFileByPath(session::NodeSession& session, const std::string& path) {
  auto bytes = core::ReadWholeFile(platform::HostPath(core::Trim(path), session.env));
  if (!bytes) return;
  std::string text(bytes->begin(), bytes->end());
  terminal::Terminal& terminal = session.terminal;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    terminal.Display(line);
    if (end == std::string::npos) break;
    if (end + 1 >= text.size()) break;  // the last line's own end
    terminal.Display("\r\n");
    if (terminal.output().stop_answer == "N") break;
    start = end + 1;
  }
}

void VersionScreen(terminal::Terminal& terminal) {
  terminal.SetForeground(15);
  terminal.SetBackground(0);
  terminal.ClearScreen();
  terminal.NewLine();
  terminal.NewLine();
  terminal.SetForeground(15);
  terminal.Display(std::string("ngFarlink32 version ") + core::kVersionText + ", build " + core::kBuildNumber);
  terminal.NewLine();
  terminal.NewLine();
  terminal.PressEnter();
}

void TimeStatistics(session::NodeSession& session) {
  terminal::Terminal& terminal = session.terminal;
  const char* codes[] = {"\x0bI", "\x0bJ", "\x0bK", "\x0bM", "\x0bO", "\x0bQ"};
  for (int i = 0; i < 6; ++i) {
    terminal.SetForeground(14);
    terminal.Display(session.language.Text(149 + i));
    terminal.SetForeground(11);
    terminal.Display(codes[i]);
    if (i >= 2) terminal.Display(session.language.Text(39));
    terminal.NewLine();
  }
  terminal.NewLine();
  terminal.PressEnter();
}

void WriteLogLine(session::NodeSession& session, const std::string& data) {
  std::string text;
  for (char c : data) {
    if (c == '@') {
      text += session.areas.file.record.name;
    } else if (c == '`') {
      text += session.areas.message.record.name;
    } else {
      text += c;
    }
  }
  terminal::OutputState& output = session.terminal.output();
  const int mode = output.mode;
  output.mode = 1;
  output.capture.clear();
  try {
    session.terminal.Display(text);
  } catch (...) {
    output.mode = mode;
    throw;
  }
  output.mode = mode;
  session.log.WriteLog(output.capture);
}

}  // namespace

void RegisterEngineFunctions(MenuEngine& engine, session::NodeSession& session,
                             MenuFunctions& functions) {
  terminal::Terminal& terminal = session.terminal;
  const auto nothing = [](const MenuEntry&) { return MenuResult::kDone; };
  functions.Register(0, nothing);
  functions.Register(6, nothing);
  functions.Register(1, [&engine](const MenuEntry& e) {
    engine.LoadMenu(e.data);
    return MenuResult::kDone;
  });
  functions.Register(2, [&engine](const MenuEntry& e) {
    engine.Gosub(e.data);
    return MenuResult::kDone;
  });
  functions.Register(3, [&engine](const MenuEntry&) {
    engine.Return();
    return MenuResult::kDone;
  });
  functions.Register(4, [&engine](const MenuEntry& e) {
    engine.GotoAndClear(e.data);
    return MenuResult::kDone;
  });
  functions.Register(5, [&terminal](const MenuEntry& e) {
    terminal.ShowTextFile(core::Trim(e.data));
    return MenuResult::kDone;
  });
  functions.Register(8, [&terminal](const MenuEntry&) {
    VersionScreen(terminal);
    return MenuResult::kDone;
  });
  functions.Register(9, [&session](const MenuEntry&) -> MenuResult {
    session.terminal.ShowTextFile("GOODBYE");
    session.log.WriteLog("User requested to terminate the call");
    session::EndNodeProgram(session);
  });
  functions.Register(14, [&session](const MenuEntry&) {
    TimeStatistics(session);
    return MenuResult::kDone;
  });
  functions.Register(15, [&terminal](const MenuEntry&) {
    terminal.Display("Ignored, ngVX32 is able to exit, but not with errorlevel yet...");
    terminal.GetKey();
    return MenuResult::kDone;
  });
  functions.Register(39, [&session](const MenuEntry& e) {
    ShowFileByPath(session, e.data);
    return MenuResult::kDone;
  });
  functions.Register(40, [&terminal](const MenuEntry& e) {
    terminal.output().positioned_display = true;
    try {
      terminal.ShowTextFile(core::Trim(e.data));
    } catch (...) {
      terminal.output().positioned_display = false;
      throw;
    }
    terminal.output().positioned_display = false;
    return MenuResult::kDone;
  });
  functions.Register(45, [&terminal](const MenuEntry& e) {
    terminal.ShowTextFile(core::Trim(e.data));
    terminal.NewLine();
    terminal.PressEnter();
    return MenuResult::kDone;
  });
  functions.Register(46, [&session](const MenuEntry& e) {
    ShowFileByPath(session, e.data);
    session.terminal.NewLine();
    session.terminal.PressEnter();
    return MenuResult::kDone;
  });
  functions.Register(47, [&session](const MenuEntry& e) {
    WriteLogLine(session, e.data);
    return MenuResult::kDone;
  });
  RegisterToggles(session, functions);
  RegisterListings(session, functions);
  RegisterSettings(session, functions);
}

}  // namespace vx::menus
