// Whole calls run in-process on a hand-made system, with a manual clock: the node's start-up,
// logon and end, a line whose keys the test types (before the prompts, as type-ahead, or when a
// text appears), and a console that records its message boxes.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "comm/comm_control.h"
#include "core/node_log.h"
#include "platform/clock.h"
#include "platform/console.h"
#include "platform/environment.h"
#include "platform/event_loop.h"
#include "platform/process_exit.h"
#include "session/node_session.h"
#include "session/startup.h"
#include "support/logon_system.h"

namespace vx::session::testing {

struct RecordingConsole : platform::Console {
  bool is_interactive = false;
  std::vector<std::string> boxes;
  int MessageBox(std::string_view text, std::string_view title, int) override {
    boxes.push_back(std::string(title) + "|" + std::string(text));
    return platform::box::kOk;
  }
  bool interactive() const override { return is_interactive; }
};

// A connected line: keys typed by the test arrive as received text, everything sent is kept, and
// the carrier is there until the test drops it. A reaction types keys when a text has been sent.
class TestLine final : public comm::CommControl {
 public:
  bool OpenPort(std::string&) override { return open_ = true; }
  void ClosePort() override { open_ = false; }
  bool port_open() const override { return open_; }
  void SendText(std::string_view bytes) override {
    if (modem && bytes.find("ATH0") != std::string_view::npos) carrier = false;  // it hangs up
    sent_.append(bytes);
    unseen_.append(bytes);
    if (on_sent) on_sent(bytes);
    // The script's reactions, in their order: each waits for its text after the one before.
    while (!reactions_.empty()) {
      const size_t at = unseen_.find(reactions_.front().first);
      if (at == std::string::npos) break;
      unseen_.erase(0, at + reactions_.front().first.size());
      const std::string keys = reactions_.front().second;
      reactions_.erase(reactions_.begin());
      Type(keys);
    }
    // Reactions that answer every time their text comes (a page pause, say).
    always_unseen_.append(bytes);
    for (const auto& [text, keys] : always_) {
      for (size_t at = always_unseen_.find(text); at != std::string::npos;
           at = always_unseen_.find(text)) {
        always_unseen_.erase(0, at + text.size());
        Type(keys);
      }
    }
    if (always_unseen_.size() > 256) always_unseen_.erase(0, always_unseen_.size() - 256);
  }
  size_t input_count() const override { return input_.size(); }
  void DiscardInput() override { input_.clear(); }
  size_t output_count() const override { return 0; }
  void DiscardOutput() override {}
  std::string ReadReceived() override {
    std::string taken;
    taken.swap(input_);
    return taken;
  }
  bool CarrierDetect() const override { return open_ && carrier; }
  bool IsModemLine() const override { return modem; }
  void SendBreak() override {}

  void Type(std::string_view keys) {
    input_.append(keys);
    NotifyReceived();
  }
  // When `text` has been sent (after the texts of the reactions before this one), `keys` are typed.
  void When(std::string text, std::string keys) {
    reactions_.emplace_back(std::move(text), std::move(keys));
  }
  // Whenever `text` is sent, `keys` are typed.
  void Always(std::string text, std::string keys) {
    always_.emplace_back(std::move(text), std::move(keys));
  }
  const std::string& sent() const { return sent_; }

  bool carrier = true;
  bool modem = false;  // a modem on a serial port, hung up by its commands
  std::function<void(std::string_view)> on_sent;

 private:
  bool open_ = false;
  std::string input_, sent_, unseen_, always_unseen_;
  std::vector<std::pair<std::string, std::string>> reactions_, always_;
};

class CallTest : public ::testing::Test {
 protected:
  CallTest()
      : clock(platform::WallTime(std::chrono::seconds(1796558709))),  // 2026-12-06 12:05:09 UTC
        loop(clock),
        env({"VX=" + system.dir.path()}),
        log(clock, env),
        cd(system.dir.path()) {
    line.Always("<67 more>", "Y");  // the caller reads on at every page pause
  }

  // Runs a call on node `node` with the caller connected at 38400 bps; returns the exit code.
  // `prepare` runs on the new session before the node starts (hooks, say).
  int Call(const std::string& options = "", const std::function<void(NodeSession&)>& prepare = {},
           comm::CommControl* line_to_use = nullptr) {
    session =
        std::make_unique<NodeSession>(loop, console, log, line_to_use ? *line_to_use : line, env);
    if (prepare) prepare(*session);
    try {
      RunNode(*session, "-N" + std::to_string(node) + " -B38400 -C1 " + options);
    } catch (const platform::ProcessExit& e) {
      return e.code;
    }
    return -1;
  }

  std::string Log() const {
    return test::ReadFile(system.dir / ("NODE" + std::to_string(node) + ".LOG"));
  }
  // The log's texts without their marker and time: "> 12:05:09  text" gives "text", an alarm
  // line "!text".
  std::vector<std::string> LogTexts() const {
    std::vector<std::string> texts;
    const std::string log_text = Log();
    size_t start = 0;
    while (start < log_text.size()) {
      size_t end = log_text.find("\r\n", start);
      if (end == std::string::npos) end = log_text.size();
      const std::string line_text = log_text.substr(start, end - start);
      if (line_text.size() > 12 && line_text[1] == ' ' && line_text[4] == ':') {
        texts.push_back((line_text[0] == '!' ? "!" : "") + line_text.substr(12));
      }
      start = end + 2;
    }
    return texts;
  }
  bool Logged(const std::string& text) const {
    for (const std::string& t : LogTexts()) {
      if (t == text) return true;
    }
    return false;
  }

  test::LogonSystem system;
  int node = 2;
  platform::ManualClock clock;
  platform::EventLoop loop;
  platform::Environment env;
  core::NodeLog log;
  RecordingConsole console;
  TestLine line;
  std::unique_ptr<NodeSession> session;
  test::ScopedChdir cd;
};

}  // namespace vx::session::testing
