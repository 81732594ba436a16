// The menu functions by menu type (0 to 255; the menu files use 0 to 75). The menu engine's own
// types (navigation, display and log functions, toggles, the caller's settings) are registered by
// the engine; the message, file, door and paging functions live in layers beside this one and
// are registered by the program's entry, which knows all of them. A type without a function shows
// the "Undefined/Unimplemented MenuType:" line.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "menus/menu_file.h"

namespace vx::menus {

// The result of a menu function: kKeepAutoAccept leaves auto-accept set for the next input, as the
// menu loop set it before the key that chose the entry.
enum class MenuResult { kDone, kKeepAutoAccept };

using MenuFunction = std::function<MenuResult(const MenuEntry& entry)>;

class MenuFunctions {
 public:
  void Register(uint8_t type, MenuFunction function) { functions_[type] = std::move(function); }
  const MenuFunction* Find(uint8_t type) const {
    return functions_[type] ? &functions_[type] : nullptr;
  }

 private:
  std::array<MenuFunction, 256> functions_{};
};

}  // namespace vx::menus
