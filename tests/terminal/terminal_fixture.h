// A terminal with everything it reads, for the terminal tests: a scripted line whose keys are
// queued by the test and whose output is recorded, a manual clock, a language table and a caller.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "comm/comm_control.h"
#include "core/config.h"
#include "core/language.h"
#include "core/user_record.h"
#include "platform/clock.h"
#include "platform/environment.h"
#include "platform/event_loop.h"
#include "terminal/terminal.h"

namespace vx::terminal::testing {

// A line that is always connected: keys queued with Type() arrive as received text, everything
// sent is kept in sent().
class ScriptedLine final : public comm::CommControl {
 public:
  bool OpenPort(std::string&) override { return open_ = true; }
  void ClosePort() override { open_ = false; }
  bool port_open() const override { return open_; }
  void SendText(std::string_view bytes) override { sent_.append(bytes); }
  size_t input_count() const override { return input_.size(); }
  void DiscardInput() override { input_.clear(); }
  size_t output_count() const override { return 0; }
  void DiscardOutput() override {}
  std::string ReadReceived() override {
    std::string taken;
    taken.swap(input_);
    return taken;
  }
  bool CarrierDetect() const override { return open_; }
  void SendBreak() override {}

  void Type(std::string_view keys) {
    input_.append(keys);
    NotifyReceived();
  }
  const std::string& sent() const { return sent_; }
  std::string TakeSent() {
    std::string out;
    out.swap(sent_);
    return out;
  }

 private:
  bool open_ = true;
  std::string input_;
  std::string sent_;
};

// A directory under the build tree, emptied for each test that asks for it.
inline std::filesystem::path FreshDirectory(const std::string& name) {
  std::filesystem::path dir = std::filesystem::path(VX_BINARY_DIR) / "test-scratch" / name;
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

// The running test's own scratch directory (tests run in parallel processes).
inline std::filesystem::path TestDirectory() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  return FreshDirectory(std::string(info->test_suite_name()) + "." + info->name());
}

class TerminalTest : public ::testing::Test {
 protected:
  TerminalTest() {
    // A system directory whose CONFIG.VX holds the hint brackets "[" and "]" (positions 2331 and
    // 2332) and nothing else.
    dir = TestDirectory();
    std::string config_bytes(core::kConfigSize, '\0');
    config_bytes[2330] = '[';
    config_bytes[2331] = ']';
    std::ofstream(dir / "CONFIG.VX", std::ios::binary) << config_bytes;
    config.system_path = dir.string() + "/";
    config_snapshot.SetSystemPath(config.system_path);
    user.screen_length = 24;
    user.attribute = "01100000";  // clear screen and more prompt allowed
    user.language = 1;
    colour_sets = {{{7, 0}, {14, 0}, {11, 1}, {10, 0}, {15, 4}}};
    language.Set(0, "Y Yes\xff", 10);
    language.Set(1, "N No\xff", 12);
    language.Set(67, "YNC More\xff", 0);
    language.Set(471, "/", 0);
    language.Set(602, "YNCT More (T=tag)\xff", 0);
  }

  // Types the keys on the caller's side; they wait in the line until an input takes them.
  void Type(std::string_view keys) { line.Type(keys); }
  std::string Row(int row) const { return line.terminal().RowText(row); }
  comm::TerminalModel& screen() { return line.terminal(); }

  std::filesystem::path dir;
  platform::ManualClock clock;
  platform::EventLoop loop{clock};
  platform::Environment env;
  core::Configuration config;
  core::ConfigSnapshot config_snapshot{env};
  core::LanguageList languages;
  core::LanguageTable language;
  core::UserRecord user;
  ColourSets colour_sets{};
  ScriptedLine line;
  Terminal terminal{TerminalContext{loop, line, env, config, config_snapshot, languages, language,
                                    user, colour_sets}};
};

}  // namespace vx::terminal::testing
