// The menu engine: loading menus (with their area options and the global entries), showing the
// entries a caller may use, reading the key and running the chosen entry's function, in a loop
// until the call ends.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "menus/menu_file.h"
#include "menus/menu_functions.h"
#include "session/node_session.h"

namespace vx::menus {

class MenuEngine {
 public:
  // Loaded entries of a menu, its own and the global ones together.
  static constexpr size_t kMaxEntries = 255;
  // The gosub stack's bound (its index is a 16-bit number).
  static constexpr size_t kMaxGosubDepth = 65535;

  MenuEngine(session::NodeSession& session, MenuFunctions& functions);

  // The session loop: the global menu GLOBALVX when there is one, TOP, then one round of the
  // current menu after another until the call ends (which ends the process).
  [[noreturn]] void EnterMenuLoop();

  // Loads "NAME [/M=...] [/F=...]". False when the menu file is missing: the previous menu stays
  // (a missing TOP ends the call).
  bool LoadMenu(std::string_view spec);
  // Shows the current menu once, reads a key and runs the chosen entry.
  void RunMenu();
  // Runs an entry's function (non-stop output is cleared first).
  MenuResult RunMenuFunction(const MenuEntry& entry);

  // Navigation.
  void Gosub(std::string_view spec);
  void Return();
  void GotoAndClear(std::string_view spec);

  const std::string& current_menu() const { return name_; }
  size_t gosub_depth() const { return gosub_stack_.size(); }
  const std::vector<MenuEntry>& entries() const { return entries_; }
  const std::vector<MenuEntry>& global_entries() const { return globals_; }

  // Whether the entry's conditions let the caller use it now.
  bool Available(const MenuEntry& entry) const;
  // An entry text or prompt with its "^" highlight switches and "~", "@", "`" values.
  std::string Prepare(std::string_view text, int highlight) const;

 private:
  void ApplyAreaOption(std::string& options, const char* option, bool message);
  void StepMessageArea(char direction);
  void StepFileArea(char direction);

  session::NodeSession& session_;
  MenuFunctions& functions_;
  std::string name_;
  MenuHeader header_;
  std::vector<MenuEntry> entries_;
  std::vector<MenuEntry> globals_;
  std::vector<std::string> gosub_stack_;
  bool warned_without_keys_ = false;
};

// The menu engine's own functions (navigation, display and log functions, toggles, the
// directory listing, users on line, flags) registered for their types.
void RegisterEngineFunctions(MenuEngine& engine, session::NodeSession& session,
                             MenuFunctions& functions);

}  // namespace vx::menus
