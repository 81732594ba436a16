// Test support for the message functions: a node session on a hand-made system over a real
// socketpair, a manual clock and a caller who types; message areas in both bases, with the
// language entries the message functions show.
#pragma once

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <memory>
#include <string>
#include <vector>

#include "comm/raw_socket_line.h"
#include "core/area_records.h"
#include "core/record_stream.h"
#include "messages/hudson_base.h"
#include "messages/jam_base.h"
#include "session/node_session.h"
#include "support/mini_system.h"
#include "support/socket_call.h"
#include "support/test_caller.h"

namespace vx::messages::testing {

struct NoBoxes : platform::Console {
  int MessageBox(std::string_view, std::string_view, int) override { return platform::box::kOk; }
  bool interactive() const override { return false; }
};

inline std::tm Noon() {  // 2026-12-06 12:05:09
  std::tm t{};
  t.tm_year = 126;
  t.tm_mon = 11;
  t.tm_mday = 6;
  t.tm_hour = 12;
  t.tm_min = 5;
  t.tm_sec = 9;
  return t;
}

// An area of MESSAGES.VX as the tests describe it.
inline core::MessageAreaRecord Area(uint16_t number, std::string name, bool jam = false,
                                    uint16_t group = 1) {
  core::MessageAreaRecord r;
  r.area_number = number;
  r.name = std::move(name);
  r.group = group;
  if (jam) r.attribute = 0x80;
  return r;
}

class MessageTest : public ::testing::Test {
 protected:
  MessageTest()
      : clock(platform::WallTime(std::chrono::seconds(1796558709))),  // 2026-12-06 12:05:09 UTC
        loop(clock),
        env({"VX=" + system.dir.path()}),
        log(clock, env) {
    test::ConnectCaller(loop, line, caller);
    log.SetFileName(system.dir / "NODE1.LOG");
    session = std::make_unique<session::NodeSession>(loop, console, log, *line, env);
    const std::string dir = system.dir.path() + "/";
    test::UseSystemDirectory(*session, dir);
    core::UserRecord& user = session->caller.user;
    user.name = "Ann Caller";
    user.handle = "Annie";
    user.security = 20;
    user.screen_length = 24;
    user.attribute = "01100000";
    session->colour_sets = {{{7, 0}, {14, 0}, {11, 1}, {10, 0}, {15, 4}}};
    session->terminal.input().hint = false;
    SetLanguage();
  }
  ~MessageTest() override {
    session.reset();
    caller.reset();
  }

  void SetLanguage() {
    const std::vector<std::pair<int, std::string>> entries = {
        {0, "Y Yes\xff"},
        {1, "N No\xff"},
        {58, "Out of range:"},
        {67, "YNC More\xff"},
        {77, "Start at"},
        {229, "Message areas"},
        {230, "Not in the list."},
        {235, "Area: "},
        {258, "Scanning..."},
        {259, "No mail for you."},
        {260, "Area                Count"},
        {261, " message"},
        {262, " messages"},
        {268, "Reader help"},
        {269, "Read them now? Y"},
        {297, "Choice: "},
        {359, "Date: "},
        {360, "From: "},
        {361, "To:   "},
        {362, "Subj: "},
        {364, "Area "},
        {365, " holds "},
        {366, ": "},
        {372, "No more messages."},
        {374, "No messages here."},
        {423, "(A)gain"},
        {424, "(N)ext"},
        {425, "(P)revious"},
        {426, "(R)eply"},
        {427, "(E)nter"},
        {428, "(S)top"},
        {429, "(H)elp"},
        {431, "prev reply"},
        {432, "next reply"},
        {433, "Again"},
        {434, "Next"},
        {435, "Previous"},
        {436, "Help"},
        {437, "Reply"},
        {438, "Enter"},
        {445, "(F)orward"},
        {446, "(B)ackward"},
        {447, "(O)nward"},
        {448, "(?)Help"},
        {449, "(Q)uit"},
        {450, ""},
        {451, ""},
        {458, "(X)it"},
        {457, "Stop"},
        {471, "/"},
        {645, "Group: "},
        {655, "Message groups"},
        {659, "replied message"},
        {660, "first reply"},
    };
    for (const auto& [n, text] : entries) session->language.Set(n, text, 0);
  }

  // MESSAGES.VX and MESSAGES.VDX from the areas, in record order.
  void WriteAreas(const std::vector<core::MessageAreaRecord>& areas) {
    core::MemoryStream records;
    std::vector<uint16_t> numbers;
    for (const core::MessageAreaRecord& a : areas) {
      core::WriteMessageAreaRecord(a, records);
      numbers.push_back(a.area_number);
    }
    test::WriteFile(system.dir / "MESSAGES.VX", records.bytes());
    core::MemoryStream index;
    core::WriteAreaIndex(core::BuildAreaIndex(numbers), index);
    test::WriteFile(system.dir / "MESSAGES.VDX", index.bytes());
  }
  void WriteGroups(const std::vector<core::GroupRecord>& groups) {
    core::MemoryStream records;
    std::vector<uint16_t> numbers;
    for (const core::GroupRecord& g : groups) {
      core::WriteGroupRecord(g, records);
      numbers.push_back(g.number);
    }
    test::WriteFile(system.dir / "MGROUPS.VX", records.bytes());
    core::MemoryStream index;
    core::WriteAreaIndex(core::BuildAreaIndex(numbers), index);
    test::WriteFile(system.dir / "MGROUPS.VDX", index.bytes());
  }

  HudsonBase Hudson() const { return HudsonBase(system.dir.path() + "/", env); }
  JamBase Jam(const std::string& name) const { return JamBase(system.dir / name, env); }

  uint32_t PostHudson(int board, const std::string& to, const std::string& subject,
                      uint8_t attributes = 0, const std::string& from = "Bob Writer",
                      const std::string& text = "", int reply_to = 0) {
    HudsonPost post;
    post.from = from;
    post.to = to;
    post.subject = subject;
    post.text = text.empty() ? "Text of " + subject + "\r" : text;
    post.attributes = attributes;
    post.board = board;
    post.reply_to = reply_to;
    post.address = {2, 280, 1, 0};
    post.now = Noon();
    post.version = "test";
    const PostResult result = Hudson().WriteMessage(post);
    EXPECT_TRUE(result.ok) << result.error;
    return result.number;
  }
  uint32_t PostJam(const std::string& base, const std::string& to, const std::string& subject,
                   uint32_t attributes = 0, const std::string& from = "Bob Writer",
                   const std::string& text = "", uint32_t reply_to = 0) {
    JamPost post;
    post.from = from;
    post.to = to;
    post.subject = subject;
    post.text = text.empty() ? "Text of " + subject + "\r" : text;
    post.attributes = attributes;
    post.reply_to = reply_to;
    post.address = {2, 280, 1, 0};
    post.now = Noon();
    post.version = "test";
    const PostResult result = Jam(base).WriteMessage(post);
    EXPECT_TRUE(result.ok) << result.error;
    return result.number;
  }

  // The caller answers each appearance of `prompt` with the next of `keys`.
  void AtPrompts(const std::string& prompt, const std::vector<std::string>& keys) {
    for (const std::string& k : keys) caller->WhenType(prompt, k);
  }
  void Settle() {
    for (int i = 0; i < 5; ++i) loop.RunOnce(true, std::chrono::milliseconds(1));
  }
  // What the caller saw, with the escape sequences taken out.
  std::string Seen() {
    Settle();
    std::string out;
    const std::string& raw = caller->received();
    for (size_t i = 0; i < raw.size(); ++i) {
      if (raw[i] == '\x1b' && i + 1 < raw.size() && raw[i + 1] == '[') {
        i += 2;
        while (i < raw.size() && !(raw[i] >= 0x40 && raw[i] <= 0x7e)) ++i;
        continue;
      }
      out += raw[i];
    }
    return out;
  }
  std::string File(const std::string& name) const { return test::ReadFile(system.dir / name); }

  test::MiniSystem system;
  platform::ManualClock clock;
  platform::EventLoop loop;
  platform::Environment env;
  core::NodeLog log;
  NoBoxes console;
  std::unique_ptr<comm::RawSocketLine> line;
  std::unique_ptr<test::TestCaller> caller;
  std::unique_ptr<session::NodeSession> session;
};

}  // namespace vx::messages::testing
