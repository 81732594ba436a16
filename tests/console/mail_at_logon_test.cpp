// A whole call over a loopback TCP connection with a manual clock: the sysop logs on, the
// personal-mail scan of the logon finds exactly the messages addressed to him by name or handle in
// both bases, he reads them and logs off; the bases are then compared byte for byte with what
// reading may change (and nothing else).
#include <gtest/gtest.h>

#include "comm/raw_socket_line.h"
#include "console/wiring.h"
#include "core/area_records.h"
#include "messages/hudson_base.h"
#include "messages/jam_base.h"
#include "session/call_fixture.h"
#include "support/loopback.h"
#include "support/test_caller.h"

namespace vx::session::testing {
namespace {

std::tm Noon() {
  std::tm t{};
  t.tm_year = 126;
  t.tm_mon = 11;
  t.tm_mday = 6;
  t.tm_hour = 11;
  return t;
}

class MailAtLogonTest : public CallTest {
 protected:
  MailAtLogonTest() {
    const auto [node_fd, caller_fd] = test::LoopbackTcpPair();
    socket_line = std::make_unique<comm::RawSocketLine>(loop, node_fd);
    caller = std::make_unique<test::TestCaller>(loop, caller_fd);
    system.SetConfigByte(1493, 1);  // the personal-mail scan at logon, without asking

    core::MemoryStream records;
    core::MessageAreaRecord harbour;
    harbour.area_number = 1;
    harbour.name = "Harbour";
    core::MessageAreaRecord keepers;
    keepers.area_number = 2;
    keepers.name = "Keepers";
    keepers.attribute = 0x80;
    keepers.area_type = 2;
    keepers.jam_base_path = system.dir / "keepers";
    core::WriteMessageAreaRecord(harbour, records);
    core::WriteMessageAreaRecord(keepers, records);
    test::WriteFile(system.dir / "MESSAGES.VX", records.bytes());
    core::MemoryStream index;
    core::WriteAreaIndex(core::BuildAreaIndex({1, 2}), index);
    test::WriteFile(system.dir / "MESSAGES.VDX", index.bytes());

    const messages::HudsonBase hudson(system.dir.path() + "/", env);
    const auto hudson_post = [&](const std::string& to, const std::string& subject,
                                 uint8_t attributes) {
      messages::HudsonPost post;
      post.from = "Jane Doe";
      post.to = to;
      post.subject = subject;
      post.text = "About " + subject + "\r";
      post.attributes = attributes;
      post.board = 1;
      post.now = Noon();
      EXPECT_TRUE(hudson.WriteMessage(post).ok);
    };
    hudson_post("Sam Sysop", "by name", 0);        // 1, found
    hudson_post("SYSOP", "by handle", 0);          // 2, found
    hudson_post("Jane Doe", "not for Sam", 0);     // 3
    hudson_post("Sam Sysop", "a private one", 8);  // 4, found
    const messages::JamBase jam(system.dir / "keepers", env);
    const auto jam_post = [&](const std::string& to, const std::string& subject,
                              uint32_t attributes) {
      messages::JamPost post;
      post.from = "Jane Doe";
      post.to = to;
      post.subject = subject;
      post.text = "About " + subject + "\r";
      post.attributes = attributes;
      post.now = Noon();
      EXPECT_TRUE(jam.WriteMessage(post).ok);
    };
    jam_post("sam sysop", "echo for Sam", 0);                            // 1, found
    jam_post("Jane Doe", "echo for Jane", 0);                            // 2
    jam_post("Sam Sysop", "read already", messages::kJamAttributeRead);  // 3
  }
  ~MailAtLogonTest() override {
    // The menu functions hold call state that refers to the session: they go first.
    engine.reset();
    functions = menus::MenuFunctions{};
    session.reset();
    caller.reset();
  }

  std::unique_ptr<comm::RawSocketLine> socket_line;
  std::unique_ptr<test::TestCaller> caller;
  menus::MenuFunctions functions;
  std::unique_ptr<menus::MenuEngine> engine;
};

TEST_F(MailAtLogonTest, TheSysopsMailIsFoundReadAndMarked) {
  const std::string headers = test::ReadFile(system.dir / "msghdr.bbs");
  const std::string names = test::ReadFile(system.dir / "msgtoidx.bbs");
  const std::string jhr = test::ReadFile(system.dir / "keepers.JHR");
  const std::string jdx = test::ReadFile(system.dir / "keepers.JDX");
  const std::string jdt = test::ReadFile(system.dir / "keepers.JDT");

  caller->WhenType("Name: ", "sam sysop\r");
  caller->WhenType("<59 password?>", "lighthouse\r");
  caller->WhenType("Read them now? ", "Y");
  for (int i = 0; i < 4; ++i) caller->WhenType("(S)top: ", "N");
  caller->WhenType("Menu: ", "G");
  const int code = Call(
      "",
      [this](NodeSession& s) {
        for (const auto& [n, text] :
             std::vector<std::pair<int, std::string>>{{258, "Scanning..."},
                                                      {260, "Area      Count"},
                                                      {261, " message"},
                                                      {262, " messages"},
                                                      {269, "Read them now? Y"},
                                                      {372, "No more messages."},
                                                      {424, "(N)ext"},
                                                      {428, "(S)top"}}) {
          s.language.Set(n, text, 0);
        }
        engine = std::make_unique<menus::MenuEngine>(s, functions);
        console::WireMenuFunctions(s, *engine, functions);
        s.hooks.run_menus = [this] { engine->EnterMenuLoop(); };
      },
      socket_line.get());
  EXPECT_EQ(code, 0);
  for (int i = 0; i < 5; ++i) loop.RunOnce(true, std::chrono::milliseconds(2));
  const std::string seen = caller->received();
  EXPECT_NE(seen.find("Harbour" + std::string(33, ' ')), std::string::npos) << seen;
  EXPECT_NE(seen.find("3 : messages"), std::string::npos);
  EXPECT_NE(seen.find("1 : message"), std::string::npos);
  for (const char* subject : {"by name", "by handle", "a private one", "echo for Sam"}) {
    EXPECT_NE(seen.find(subject), std::string::npos) << subject;
  }
  for (const char* subject : {"not for Sam", "echo for Jane", "read already"}) {
    EXPECT_EQ(seen.find(subject), std::string::npos) << subject;
  }
  EXPECT_NE(seen.find("No more messages."), std::string::npos);

  // Hudson: headers 1, 2 and 4 (0-based 0, 1, 3) read once (offset 6) and received (bit 4 of
  // offset 24); their msgtoidx entries hold " * Received * "; message 3 is untouched.
  std::string headers_after = headers, names_after = names;
  for (size_t k : {0u, 1u, 3u}) {
    headers_after[k * 187 + 6] = 1;
    headers_after[k * 187 + 24] = static_cast<char>(headers_after[k * 187 + 24] | 16);
    names_after.replace(k * 36, 36, std::string("\x0e * Received * ") + std::string(21, '\0'));
  }
  EXPECT_EQ(test::ReadFile(system.dir / "msghdr.bbs"), headers_after);
  EXPECT_EQ(test::ReadFile(system.dir / "msgtoidx.bbs"), names_after);
  // JAM: message 1 read once (offset 12), read by its addressee (8 at offset 52) with the date
  // received (offset 40); the rest of the base as it was.
  const std::string jhr_after = test::ReadFile(system.dir / "keepers.JHR");
  ASSERT_EQ(jhr_after.size(), jhr.size());
  for (size_t i = 0; i < jhr.size(); ++i) {
    const bool may_change = i == 1024 + 12 || i == 1024 + 52 || (i >= 1024 + 40 && i < 1024 + 44);
    if (!may_change) {
      EXPECT_EQ(jhr_after[i], jhr[i]) << i;
    }
  }
  EXPECT_EQ(jhr_after[1024 + 12], 1);
  EXPECT_EQ(jhr_after[1024 + 52], 8);
  EXPECT_NE(jhr_after.substr(1024 + 40, 4), std::string(4, '\0'));
  EXPECT_EQ(test::ReadFile(system.dir / "keepers.JDX"), jdx);
  EXPECT_EQ(test::ReadFile(system.dir / "keepers.JDT"), jdt);
  EXPECT_FALSE(Logged("The personal-mail scan is not available in this build"));
}

}  // namespace
}  // namespace vx::session::testing
