// The demo system from a new caller's side: registering, every menu of the main menu and back,
// a few settings changed, and the log-off; afterwards the new record in USERS.BBS holds what was
// answered and changed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "core/user_base.h"
#include "support/node_process.h"
#include "support/temp_dir.h"

namespace vx::console {
namespace {

namespace fs = std::filesystem;

TEST(DemoWalkthrough, ANewCallerRegistersBrowsesEveryMenuAndLogsOff) {
  const fs::path vxcfg = fs::path(VX_BINARY_DIR) / "tools" / "vxcfg";
  const fs::path vxnode = fs::path(VX_BINARY_DIR) / "src" / "vxnode";
  char scratch[] = "/tmp/vxdwXXXXXX";  // the demo's paths must fit their 60-character fields
  ASSERT_NE(::mkdtemp(scratch), nullptr);
  const std::string system = std::string(scratch) + "/s";
  ASSERT_EQ(std::system((vxcfg.string() + " build " + VX_SOURCE_DIR + "/demo " + system +
                         " >/dev/null 2>&1").c_str()),
            0);

  test::NodeProcess node(vxnode.string(), {"-N1", "-B38400", "-H3"},
                         {"VX=" + system, "VXCONSOLE=none", "PATH=/usr/bin:/bin"}, system);
  ASSERT_TRUE(node.started());
  const auto answer = [&node](const std::string& prompt, const std::string& keys) {
    ASSERT_TRUE(node.WaitFor(prompt)) << "waiting for \"" << prompt << "\":\n" << node.received();
    node.Type(keys);
  };
  answer("full name:", "Nora Newcomer\r");
  answer("want to join?", "y");
  answer("(10-66)?", "24\r");
  answer("call from", "Harbour\r");
  answer("(your handle):", "Nora\r");
  answer("new password:", "secret1\r");
  answer("again:", "secret1\r");
  answer("answers right?", "y");
  answer("addressed to you?", "n");
  answer("last call?", "n");
  // Every menu of the main menu, and back.
  for (const char* menu : {"M", "F"}) {
    answer("minutes left): ", menu);
    answer("min): ", "Q");
  }
  // The demo's door shows what the drop files say and waits for Enter.
  answer("minutes left): ", "D");
  answer("min): ", "1");
  answer("caller NORA NEWCOMER from HARBOUR", "");
  answer("go back to the board. ", "\r");
  answer("min): ", "Q");
  answer("minutes left): ", "S");
  answer("min): ", "M");  // page pause off: no more prompts in the rest of the walk
  answer("min): ", "C");  // clear screen off
  answer("min): ", "S");
  answer("(10-66)?", "30\r");
  answer("min): ", "Q");
  answer("minutes left): ", "W");
  answer("minutes left): ", "T");
  answer("any key", "x");
  answer("minutes left): ", "G");
  answer("log off?", "y");
  EXPECT_EQ(node.Wait(), 0) << node.received();

  core::UserBase users(system + "/msgbase/USERS.BBS", system + "/msgbase/USERSIDX.BBS");
  std::optional<core::UserRecord> nora;
  for (uint64_t r = 1; r <= users.Count(); ++r) {
    auto u = users.Read(r);
    if (u && u->name == "Nora Newcomer") nora = u;
  }
  ASSERT_TRUE(nora.has_value());
  EXPECT_EQ(nora->location, "Harbour");
  EXPECT_EQ(nora->handle, "Nora");
  EXPECT_EQ(nora->screen_length, 30);
  EXPECT_EQ(nora->attribute[1], '0') << "clear screen switched off in the settings";
  EXPECT_EQ(nora->attribute[2], '0') << "page pause switched off";
  EXPECT_EQ(nora->no_calls, 1);
  EXPECT_FALSE(test::Exists(system + "/VxBusy.1"));
  fs::remove_all(scratch);
}

}  // namespace
}  // namespace vx::console
