// The menu engine over a real connection: navigation with the gosub stack, availability of
// entries, the key table, redrawing, and the area options of the loader.
#include "menu_fixture.h"

namespace vx::menus::testing {
namespace {

// What the caller reads, without the colour and cursor sequences.
std::string Visible(const std::string& sent) {
  std::string out;
  for (size_t i = 0; i < sent.size(); ++i) {
    if (sent[i] == '\x1b' && i + 1 < sent.size() && sent[i + 1] == '[') {
      i += 2;
      while (i < sent.size() && !std::isalpha(static_cast<unsigned char>(sent[i]))) ++i;
      continue;
    }
    out += sent[i];
  }
  return out;
}

TEST_F(MenuTest, GosubAndReturnComeBackThroughTheStack) {
  WriteMenu("TOP", {Entry(2, "A", "Gosub A", "MENUA")});
  WriteMenu("MENUA", {Entry(2, "B", "Gosub B", "MENUB"), Entry(3, "R", "Back")});
  WriteMenu("MENUB", {Entry(3, "R", "Back")});
  ASSERT_TRUE(engine->LoadMenu("TOP"));
  AtPrompts({"A", "B", "R", "R"});
  Rounds(2);
  EXPECT_EQ(engine->current_menu(), "MENUB");
  EXPECT_EQ(engine->gosub_depth(), 2u);
  Rounds(2);
  EXPECT_EQ(engine->current_menu(), "TOP");
  EXPECT_EQ(engine->gosub_depth(), 0u);
  // Return at depth 0 stays where it is.
  engine->Return();
  EXPECT_EQ(engine->current_menu(), "TOP");
}

TEST_F(MenuTest, AMissingMenuKeepsTheCurrentOneAndSaysSo) {
  session->language.Set(76, "Menu not found: ", 0x0C);
  WriteMenu("TOP", {Entry(1, "G", "Go", "NOWHERE")});
  ASSERT_TRUE(engine->LoadMenu("TOP"));
  AtPrompts({"G"});
  Rounds(1);
  Settle();
  EXPECT_EQ(engine->current_menu(), "TOP");
  EXPECT_NE(caller->received().find("Menu not found: NOWHERE.MNU"), std::string::npos);
}

TEST_F(MenuTest, TheFirstOfTwoEntriesWithOneKeyRunsAndHiddenTextsKeepTheirKeys) {
  int first = 0, second = 0, hidden = 0;
  functions.Register(70, [&](const MenuEntry&) { ++first; return MenuResult::kDone; });
  functions.Register(71, [&](const MenuEntry&) { ++second; return MenuResult::kDone; });
  functions.Register(72, [&](const MenuEntry&) { ++hidden; return MenuResult::kDone; });
  WriteMenu("TOP", {Entry(70, "X", "First X"), Entry(71, "x", "Second X"), Entry(72, "H", ";")});
  ASSERT_TRUE(engine->LoadMenu("TOP"));
  AtPrompts({"x", "h"});
  Rounds(2);
  Settle();
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 0);
  EXPECT_EQ(hidden, 1);
  EXPECT_EQ(Visible(caller->received()).find(";"), std::string::npos);
  EXPECT_NE(caller->received().find("Second X"), std::string::npos);  // shown, just not chosen
}

TEST_F(MenuTest, EnterWithoutAnEnterEntryRedraws) {
  int runs = 0;
  functions.Register(70, [&](const MenuEntry&) { ++runs; return MenuResult::kDone; });
  WriteMenu("TOP", {Entry(70, "Q", "Quit entry")});
  ASSERT_TRUE(engine->LoadMenu("TOP"));
  AtPrompts({"\r", "z\r", "q"});
  Rounds(1);
  Settle();
  EXPECT_EQ(runs, 1);
  const std::string& seen = caller->received();
  size_t shown = 0;
  for (size_t at = seen.find("Quit entry"); at != std::string::npos; at = seen.find("Quit entry", at + 1)) ++shown;
  EXPECT_EQ(shown, 3u) << "two Enters, two redraws; the unknown z redraws nothing";
}

TEST_F(MenuTest, AvailabilityConditions) {
  MenuEntry window = Entry(0, "W", "Window");
  window.start_minutes[0] = 8 * 60;  // Sunday 08:00 to 17:00
  window.stop_minutes[0] = 17 * 60;
  MenuEntry high = Entry(0, "S", "Senior");
  high.min_security = 10;
  high.max_security = 0;  // no maximum
  MenuEntry capped = Entry(0, "C", "Capped");
  capped.max_security = 19;
  MenuEntry flagged = Entry(0, "F", "Flagged");
  flagged.required_flags = {0x01, 0, 0, 0};  // A1
  MenuEntry forbidden = Entry(0, "N", "Not B8");
  forbidden.forbidden_flags = {0, 0x80, 0, 0};
  MenuEntry fast = Entry(0, "P", "Fast callers");
  fast.min_speed = 9600;
  MenuEntry time = Entry(0, "T", "Time");
  time.min_minutes_left = 31;

  const auto at = [&](int hour, int minute) {
    clock.SetWall(platform::WallTime(std::chrono::seconds(1796515200 + hour * 3600 + minute * 60)));
    return engine->Available(window);
  };
  EXPECT_FALSE(at(8, 0));
  EXPECT_TRUE(at(8, 1));
  EXPECT_TRUE(at(16, 59));
  EXPECT_FALSE(at(17, 0));
  window.start_minutes[0] = 0;
  window.stop_minutes[0] = 0;
  EXPECT_TRUE(at(3, 0)) << "no window on this weekday: all day";

  EXPECT_TRUE(engine->Available(high));
  session->caller.user.security = 65000;
  EXPECT_TRUE(engine->Available(high));
  EXPECT_FALSE(engine->Available(capped));
  session->caller.user.security = 20;
  EXPECT_FALSE(engine->Available(flagged));
  session->caller.user.flags[0] = "10000000";
  EXPECT_TRUE(engine->Available(flagged));
  EXPECT_TRUE(engine->Available(forbidden));
  session->caller.user.flags[1] = "00000001";
  EXPECT_FALSE(engine->Available(forbidden));
  session->node.connect_speed = 2400;
  EXPECT_FALSE(engine->Available(fast));
  session->node.connect_speed = 0;
  EXPECT_FALSE(engine->Available(fast)) << "a local session is speed 0";
  EXPECT_FALSE(engine->Available(time));
  session->clock.time_left = 31;
  EXPECT_TRUE(engine->Available(time));
}

TEST_F(MenuTest, HighlightsAndValuesInTexts) {
  session->areas.file.record.name = "Utilities";
  session->areas.message.record.name = "Harbour Talk";
  session->clock.time_left = 42;
  // The terminal shows grey on black: the text after the second "^" goes back to it.
  EXPECT_EQ(engine->Prepare("^Q^uit ~ min, @ and `", 0x1E),
            "\x0b[1EQ\x0b[07uit 42 min, Utilities and Harbour Talk");
}

}  // namespace
}  // namespace vx::menus::testing
