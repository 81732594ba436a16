// Test support for doors: a node session on a hand-made system (the logon system's users, with
// Jane Doe logged on) over a real socketpair, a manual clock, a node directory of its own, a
// caller who types, and a runner that stands in for the program on the line.
#pragma once

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "comm/raw_socket_line.h"
#include "core/user_base.h"
#include "platform/process_exit.h"
#include "session/line_program.h"
#include "session/node_session.h"
#include "support/logon_system.h"
#include "support/socket_call.h"
#include "support/test_caller.h"

namespace vx::doors::testing {

struct NoBoxes : platform::Console {
  std::vector<std::string> boxes;
  int MessageBox(std::string_view text, std::string_view, int) override {
    boxes.emplace_back(text);
    return platform::box::kOk;
  }
  bool interactive() const override { return false; }
};

// Stands in for the program: records what it was asked to start and does what the test says.
struct FakeRunner : session::LineProgramRunner {
  std::vector<std::vector<std::string>> runs;
  std::function<session::LineProgramOutcome(const std::vector<std::string>&)> act;

  session::LineProgramOutcome RunOnLine(const std::vector<std::string>& argv) override {
    runs.push_back(argv);
    if (act) return act(argv);
    session::LineProgramOutcome outcome;
    outcome.started = true;
    outcome.exit_code = 0;
    return outcome;
  }
};

class DoorTest : public ::testing::Test {
 protected:
  // Sunday 2026-12-06 12:05:09 UTC.
  static constexpr auto kNoon = std::chrono::seconds(1796558709);

  DoorTest() : clock(platform::WallTime(kNoon)), loop(clock), env({"VX=" + system.dir.path()}), log(clock, env) {
    test::PutString(system.config, 1259, "The Lighthouse");
    system.WriteConfig();
    test::ConnectCaller(loop, line, caller);
    log.SetFileName(system.dir / "NODE2.LOG");
    session = std::make_unique<session::NodeSession>(loop, console, log, *line, env);
    test::UseSystemDirectory(*session, system.dir.path() + "/");
    session->config_snapshot.SetSystemPath(session->config.system_path);
    session->node.number = 2;
    session->node.connect_speed = 19200;
    session->node.startup_path = node_dir.path() + "/";
    session->call.connected = true;
    session->colour_sets = {{{7, 0}, {14, 0}, {11, 1}, {10, 0}, {15, 4}}};
    // Jane Doe (record 2) is on.
    core::MemoryStream jane(system.jane.Bytes());
    session->caller.Load(2, core::ReadUserRecord(jane));
    session->caller.LogOn();
    session->caller.logon_time = "12:05";
    session->caller.logon_date = "12-06-26";
    session->clock.time_left = 30;
    session->clock.daily_time = 60;
    session->terminal.input().hint = false;
    session->language.Set(472, "<472 starting the door>", 0x0E);
    session->language.Set(257, "<257 press a key>", 0x07);
  }
  ~DoorTest() override {
    session.reset();
    caller.reset();
  }

  std::string NodeFile(const std::string& name) const { return node_dir / name; }
  std::string Log() const { return test::ReadFile(system.dir / "NODE2.LOG"); }
  void Settle() {
    for (int i = 0; i < 5; ++i) loop.RunOnce(true, std::chrono::milliseconds(1));
  }

  test::LogonSystem system;
  test::TempDir node_dir;
  platform::ManualClock clock;
  platform::EventLoop loop;
  platform::Environment env;
  core::NodeLog log;
  NoBoxes console;
  std::unique_ptr<comm::RawSocketLine> line;
  std::unique_ptr<test::TestCaller> caller;
  std::unique_ptr<session::NodeSession> session;
};

}  // namespace vx::doors::testing
