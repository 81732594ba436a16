// The menu engine: loading, showing and running menus.
#include "menus/menu_engine.h"

#include <algorithm>
#include <cstdio>

#include "core/area_files.h"
#include "core/record_stream.h"
#include "core/text.h"
#include "platform/dos_path.h"
#include "session/call_end.h"

namespace vx::menus {

namespace {

constexpr uint8_t kEmptyGlobalSlot = 0xFF;

std::string HexColour(int attribute) {
  char text[8];
  std::snprintf(text, sizeof text, "%02X", attribute & 0xFF);
  return text;
}

std::string NowText(const std::tm& now) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d", now.tm_hour % 100, now.tm_min % 100);
  return text;
}

}  // namespace

MenuEngine::MenuEngine(session::NodeSession& session, MenuFunctions& functions)
    : session_(session), functions_(functions) {}

bool MenuEngine::Available(const MenuEntry& e) const {
  const core::UserRecord& user = session_.caller.user;
  if (user.security < e.min_security) return false;
  if (e.max_security != 0 && user.security > e.max_security) return false;
  const core::FlagSet flags = core::CallerFlags(user);
  if (!core::AllowsFlags(e.required_flags, flags)) return false;
  if (!core::ForbidsFlags(e.forbidden_flags, flags)) return false;
  const long speed = session_.node.connect_speed;
  if (speed < e.min_speed) return false;
  if (e.max_speed != 0 && speed > e.max_speed) return false;
  if (session_.clock.time_left < e.min_minutes_left) return false;
  if (session_.clock.session_minutes < e.min_minutes_online) return false;
  const std::tm now = session_.loop.clock().LocalTime();
  const auto [start, stop] = DayWindow(e, now.tm_wday);
  if (!start.empty() && !stop.empty()) {
    const std::string time = NowText(now);
    if (!(start < time && time < stop)) return false;
  }
  return true;
}

std::string MenuEngine::Prepare(std::string_view text, int highlight) const {
  // The colour before the first "^" is the one the terminal shows now (the entry's colour).
  const int current = session_.comm.background() * 16 + session_.comm.foreground();
  std::string out;
  bool highlighted = false;
  for (char c : text) {
    switch (c) {
      case '^':
        highlighted = !highlighted;
        out += "\x0b[" + HexColour(highlighted ? highlight : current);
        break;
      case '~':
        out += core::NumToText(session_.clock.time_left);
        break;
      case '@':
        out += session_.areas.file.record.name;
        break;
      case '`':
        out += session_.areas.message.record.name;
        break;
      default:
        out += c;
    }
  }
  return out;
}

void MenuEngine::StepMessageArea(char direction) {
  const core::AreaFiles files = session_.AreaFiles();
  const std::vector<core::MessageAreaRecord> records = files.MessageAreas();
  const core::UserRecord& user = session_.caller.user;
  const core::FlagSet flags = core::CallerFlags(user);
  const bool group_only = direction == '+' || direction == '-';
  const bool forward = direction == '+' || direction == '>';
  const uint16_t current_record = files.MessageAreaRecordNumber(user.msg_area);
  // Without a record for the current area, a step forward starts before the first record.
  long r = current_record == 0 ? (forward ? 0 : static_cast<long>(records.size()) + 1) : current_record;
  for (r += forward ? 1 : -1; r >= 1 && r <= static_cast<long>(records.size()); r += forward ? 1 : -1) {
    const core::MessageAreaRecord& a = records[static_cast<size_t>(r - 1)];
    if (core::Trim(a.name).empty() || user.security < a.read_security) continue;
    if (!core::AllowsFlags(a.read_flags, flags) || !core::ForbidsFlags(a.read_not_flags, flags)) continue;
    if (group_only && a.group != user.msg_group &&
        std::find(a.further_groups.begin(), a.further_groups.end(), user.msg_group) ==
            a.further_groups.end()) {
      continue;
    }
    const uint32_t number = files.MessageAreaNumberOfRecord(static_cast<uint16_t>(r));
    if (number == 0) continue;
    session_.caller.user.msg_area = static_cast<uint16_t>(number);
    session_.areas.LoadMessageArea(files, session_.caller.user);
    return;
  }
}

void MenuEngine::StepFileArea(char direction) {
  const core::AreaFiles files = session_.AreaFiles();
  const std::vector<core::FileAreaRecord> records = files.FileAreas();
  const core::UserRecord& user = session_.caller.user;
  const core::FlagSet flags = core::CallerFlags(user);
  const bool group_only = direction == '+' || direction == '-';
  const bool forward = direction == '+' || direction == '>';
  const uint32_t group = session_.areas.file.group;
  const uint16_t current_record = files.FileAreaRecordNumber(session_.areas.file.number);
  long r = current_record == 0 ? (forward ? 0 : static_cast<long>(records.size()) + 1) : current_record;
  for (r += forward ? 1 : -1; r >= 1 && r <= static_cast<long>(records.size()); r += forward ? 1 : -1) {
    const core::FileAreaRecord& a = records[static_cast<size_t>(r - 1)];
    if (core::Trim(a.name).empty() || user.security < a.security) continue;
    if (!core::AllowsFlags(a.flags, flags) || !core::ForbidsFlags(a.not_flags, flags)) continue;
    if (group_only && a.group != group &&
        std::find(a.further_groups.begin(), a.further_groups.end(), group) == a.further_groups.end()) {
      continue;
    }
    const uint32_t number = files.FileAreaNumberOfRecord(static_cast<uint16_t>(r));
    if (number == 0) continue;
    session_.caller.user.file_area = static_cast<uint16_t>(number);
    session_.areas.LoadFileArea(files, session_.caller.user);
    return;
  }
}

void MenuEngine::ApplyAreaOption(std::string& options, const char* option, bool message) {
  const size_t at = options.find(option);
  if (at == std::string::npos) return;
  const size_t start = at + 3;
  const size_t end = std::min(options.find(' ', start), options.size());
  const std::string value = options.substr(start, end - start);
  options.erase(at, end - at);
  if (value.empty()) return;
  const char c = value[0];
  if (value.size() == 1 && (c == '+' || c == '-' || c == '>' || c == '<')) {
    message ? StepMessageArea(c) : StepFileArea(c);
    return;
  }
  // A number makes that area current; anything else (letters, a number past 65535) is ignored.
  if (!std::all_of(value.begin(), value.end(), [](char d) { return d >= '0' && d <= '9'; }) ||
      value.size() > 5) {
    return;
  }
  const long long number = core::LeadingNumber(value);
  if (number < 1 || number > 65535) return;
  const core::AreaFiles files = session_.AreaFiles();
  if (message) {
    session_.caller.user.msg_area = static_cast<uint16_t>(number);
    session_.areas.LoadMessageArea(files, session_.caller.user);
  } else {
    session_.caller.user.file_area = static_cast<uint16_t>(number);
    session_.areas.LoadFileArea(files, session_.caller.user);
  }
}

bool MenuEngine::LoadMenu(std::string_view spec_text) {
  const std::string spec = core::UpperCase(core::Trim(spec_text));
  const size_t blank = spec.find(' ');
  const std::string name = spec.substr(0, blank);
  std::string options = blank == std::string::npos ? std::string() : spec.substr(blank);
  ApplyAreaOption(options, "/M=", true);
  ApplyAreaOption(options, "/F=", false);

  terminal::Terminal& terminal = session_.terminal;
  const std::string path = platform::HostPath(session_.config.menu_path + name + ".MNU", session_.env);
  auto file = name.empty() ? std::nullopt : core::RecordFile::Open(path, core::RecordFile::Mode::kRead);
  if (!file) {
    terminal.NewLine();
    terminal.NewLine();
    terminal.SetBackground(0);
    terminal.SetForeground(12);
    terminal.Display(session_.language.Text(76));
    terminal.Display(name + ".MNU");
    terminal.Delay(2);
    session_.log.WriteLog("Menu " + name + ".MNU not found");
    if (name == "TOP") session::EndNodeProgram(session_);
    return false;
  }
  if (file->Size() % kMenuRecordSize != 0) {
    session_.log.WriteLog("Menu " + name + ".MNU has " + std::to_string(file->Size() % kMenuRecordSize) +
                          " bytes beyond its last whole record; they are ignored");
  }
  MenuFile menu = ReadMenuFile(*file);
  name_ = name;
  header_ = menu.header;
  entries_ = std::move(menu.entries);
  if (entries_.size() > kMaxEntries) entries_.resize(kMaxEntries);
  for (const MenuEntry& global : globals_) {
    if (entries_.size() >= kMaxEntries) break;
    if (global.type != kEmptyGlobalSlot) entries_.push_back(global);
  }
  return true;
}

void MenuEngine::RunMenu() {
  terminal::Terminal& terminal = session_.terminal;
  const std::string shown_menu = name_;
  for (;;) {
    // The key table: the upper-cased key of each entry available in this display.
    std::vector<std::string> keys(entries_.size());
    bool has_keys = false;
    const std::vector<MenuEntry> entries = entries_;  // a function run below may load another menu
    for (size_t i = 0; i < entries.size(); ++i) {
      const MenuEntry& e = entries[i];
      if (!Available(e)) continue;
      if (e.display_text != ";" && !core::Trim(e.display_text).empty()) {
        terminal.SetColor(e.colour);
        const std::string text = Prepare(e.display_text, header_.highlight_colour);
        if (!e.display_text.empty() && e.display_text.back() == ';') {
          terminal.Display(std::string_view(text).substr(0, text.size() - 1));
        } else {
          terminal.DisplayLn(text);
        }
      }
      if (e.IsAutomatic()) {
        RunMenuFunction(e);
        if (name_ != shown_menu) return;  // it went to another menu
      } else if (!e.hot_key.empty()) {
        keys[i] = core::UpperCase(e.hot_key);
        has_keys = true;
      }
    }
    if (!core::Trim(header_.prompt).empty()) {
      terminal.NewLine();
      terminal.SetColor(header_.prompt_colour);
      terminal.Display(Prepare(header_.prompt, header_.highlight_colour));
    }
    if (!has_keys) {
      // Nothing to choose: wait for a key before showing the menu again, rather than sending it
      // to the caller over and over.
      if (!warned_without_keys_) {
        session_.log.WriteLog("Menu " + name_ + " has no entry the caller can choose");
        warned_without_keys_ = true;
      }
      terminal.GetKey();
      return;
    }

    terminal::InputState& input = terminal.input();
    const std::string echo = input.echo_character;
    input.auto_accept = true;
    input.echo_character.clear();
    size_t chosen = keys.size();
    bool redraw = false;
    while (chosen == keys.size() && !redraw) {
      std::string key = terminal.InputMasked(1);
      if (key.empty()) key = "\r";
      key = core::UpperCase(key);
      for (size_t i = 0; i < keys.size(); ++i) {
        if (!keys[i].empty() && keys[i] == key) {
          chosen = i;
          break;
        }
      }
      if (chosen == keys.size() && key == "\r") redraw = true;
    }
    input.echo_character = echo;
    if (redraw) continue;

    session_.log.Debug("Flush buffer");
    terminal.FlushInput();
    const int fg = session_.comm.foreground();
    const int bg = session_.comm.background();
    terminal.SetForeground(terminal.output().echo_foreground);
    terminal.SetBackground(terminal.output().echo_background);
    if (keys[chosen] != "\r") terminal.Display(keys[chosen]);
    terminal.SetForeground(fg);
    terminal.SetBackground(bg);
    if (RunMenuFunction(entries[chosen]) != MenuResult::kKeepAutoAccept) input.auto_accept = false;
    return;
  }
}

MenuResult MenuEngine::RunMenuFunction(const MenuEntry& entry) {
  session_.terminal.output().non_stop = false;
  if (const MenuFunction* function = functions_.Find(entry.type)) return (*function)(entry);
  terminal::Terminal& terminal = session_.terminal;
  terminal.NewLine();
  terminal.Display("Undefined/Unimplemented MenuType:" + std::to_string(entry.type));
  terminal.NewLine();
  terminal.PressEnter();
  return MenuResult::kDone;
}

void MenuEngine::Gosub(std::string_view spec) {
  if (gosub_stack_.size() >= kMaxGosubDepth) {
    session_.log.WriteLog("Menu " + name_ + ": gosub refused, " + std::to_string(kMaxGosubDepth) +
                          " menus are remembered already");
    return;
  }
  gosub_stack_.push_back(name_);
  if (!LoadMenu(spec)) gosub_stack_.pop_back();  // the menu stayed: nothing to return to
}

void MenuEngine::Return() {
  if (gosub_stack_.empty()) return;
  const std::string previous = gosub_stack_.back();
  gosub_stack_.pop_back();
  LoadMenu(previous);
}

void MenuEngine::GotoAndClear(std::string_view spec) {
  gosub_stack_.clear();
  LoadMenu(spec);
}

void MenuEngine::EnterMenuLoop() {
  session_.log.Debug("Looking for GLOBALVX menu");
  const std::string global =
      platform::HostPath(session_.config.menu_path + "GLOBALVX.MNU", session_.env);
  globals_.clear();
  if (core::FileExists(global) && LoadMenu("GLOBALVX")) {
    globals_ = entries_;
    if (globals_.size() > kMaxEntries) globals_.resize(kMaxEntries);
  }
  session_.log.Debug("Looking for TOP menu");
  LoadMenu("TOP");
  for (;;) {
    session_.log.Debug("Now executing menu");
    RunMenu();
    session_.loop.ProcessEvents();
  }
}

}  // namespace vx::menus
