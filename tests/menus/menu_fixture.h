// Test support for the menu engine: a node session on a hand-made system over a real socketpair,
// a manual clock, menus written into the menu directory, and a caller who types.
#pragma once

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <memory>

#include "comm/raw_socket_line.h"
#include "core/record_stream.h"
#include "menus/engine_functions.h"
#include "menus/menu_engine.h"
#include "platform/process_exit.h"
#include "session/node_session.h"
#include "support/mini_system.h"
#include "support/socket_call.h"
#include "support/test_caller.h"

namespace vx::menus::testing {

struct NoBoxes : platform::Console {
  int MessageBox(std::string_view, std::string_view, int) override { return platform::box::kOk; }
  bool interactive() const override { return false; }
};

inline MenuEntry Entry(uint8_t type, std::string key, std::string text, std::string data = "") {
  MenuEntry e;
  e.type = type;
  e.hot_key = std::move(key);
  e.display_text = std::move(text);
  e.data = std::move(data);
  e.colour = 7;
  return e;
}

class MenuTest : public ::testing::Test {
 protected:
  MenuTest()
      : clock(platform::WallTime(std::chrono::seconds(1796558709))),  // Sunday 2026-12-06 12:05:09 UTC
        loop(clock),
        env({"VX=" + system.dir.path()}),
        log(clock, env) {
    test::ConnectCaller(loop, line, caller);
    log.SetFileName(system.dir / "NODE1.LOG");
    session = std::make_unique<session::NodeSession>(loop, console, log, *line, env);
    test::UseSystemDirectory(*session, system.dir.path() + "/");
    session->caller.user.name = "Ann Caller";
    session->caller.user.security = 20;
    session->caller.user.screen_length = 24;
    session->caller.user.attribute = "01100000";
    session->clock.time_left = 30;
    session->colour_sets = {{{7, 0}, {14, 0}, {11, 1}, {10, 0}, {15, 4}}};
    session->terminal.input().hint = false;
    engine = std::make_unique<MenuEngine>(*session, functions);
    RegisterEngineFunctions(*engine, *session, functions);
  }
  ~MenuTest() override {
    engine.reset();
    session.reset();
    caller.reset();
  }

  void WriteMenu(const std::string& name, std::vector<MenuEntry> entries, std::string prompt = "Choose: ") {
    MenuFile menu;
    menu.header.prompt = std::move(prompt);
    menu.header.highlight_colour = 0x0E;
    menu.header.prompt_colour = 0x0F;
    menu.entries = std::move(entries);
    core::MemoryStream out;
    WriteMenuFile(menu, out);
    test::WriteFile(system.dir / (name + ".MNU"), out.bytes());
  }
  // The caller answers each menu prompt with the next of `keys` (the menu loop discards what was
  // typed ahead of its prompt).
  void AtPrompts(const std::vector<std::string>& keys, const std::string& prompt = "Choose: ") {
    for (const std::string& k : keys) caller->WhenType(prompt, k);
  }
  // Runs `rounds` rounds of the current menu.
  void Rounds(int rounds) {
    for (int i = 0; i < rounds; ++i) engine->RunMenu();
  }
  void Settle() {
    for (int i = 0; i < 5; ++i) loop.RunOnce(true, std::chrono::milliseconds(1));
  }

  test::MiniSystem system;
  platform::ManualClock clock;
  platform::EventLoop loop;
  platform::Environment env;
  core::NodeLog log;
  NoBoxes console;
  std::unique_ptr<comm::RawSocketLine> line;
  std::unique_ptr<test::TestCaller> caller;
  std::unique_ptr<session::NodeSession> session;
  MenuFunctions functions;
  std::unique_ptr<MenuEngine> engine;
};

}  // namespace vx::menus::testing
