// A whole call to vxnode on the demo system, handed over as descriptor 3: the sysop logs on, takes
// the new files the logon offers, lists the first file area and tags two files at its end,
// searches by name, chooses another area and logs off. The file database is left byte for byte as
// it was, and the chosen area is in the caller's record.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "support/node_process.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace vx::console {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class FileCallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    system_ = dir_ / "s";
    const fs::path vxcfg = fs::path(VX_BINARY_DIR) / "tools" / "vxcfg";
    const test::ProgramResult built = test::RunProgram(
        {vxcfg.string(), "build", std::string(VX_SOURCE_DIR) + "/demo", system_}, {}, dir_.path());
    ASSERT_EQ(built.exit_code, 0) << built.error_output;
  }

  // Reads until `text` has come, answering every page pause on the way with "C" (non-stop).
  bool Until(test::NodeProcess& node, const std::string& text) {
    for (int round = 0; round < 100; ++round) {
      if (node.WaitFor(text, 100ms)) return true;
      const std::string& got = node.received();
      size_t pauses = 0;
      for (size_t at = got.find("More?"); at != std::string::npos; at = got.find("More?", at + 1)) {
        ++pauses;
      }
      if (pauses > answered_) {
        answered_ = pauses;
        node.Type("C");
      }
    }
    return false;
  }
  void Answer(test::NodeProcess& node, const std::string& text, const std::string& keys) {
    ASSERT_TRUE(Until(node, text)) << "no \"" << text << "\" in:\n" << node.received();
    node.Type(keys);
  }

  test::TempDir dir_;
  std::string system_;
  size_t answered_ = 0;
};

TEST_F(FileCallTest, TheSysopListsSearchesTagsAndChoosesAnArea) {
  const std::string database = system_ + "/filebase/";
  const std::string headers = test::ReadFile(database + "hdr/fdb1.hdr");
  const std::string index = test::ReadFile(database + "idx/fdb1.idx");
  const std::string texts = test::ReadFile(database + "txt/fdb1.txt");
  ASSERT_EQ(headers.size(), 5u * 194);

  test::NodeProcess node(std::string(VX_BINARY_DIR) + "/src/vxnode", {"-N1", "-B38400", "-H3"},
                         {"VX=" + system_, "VXCONSOLE=none", "PATH=/usr/bin:/bin"}, system_);
  ASSERT_TRUE(node.started());
  Answer(node, "full name: ", "sam sysop\r");
  Answer(node, "Password: ", "lighthouse\r");
  Answer(node, "addressed to you? ", "n");
  Answer(node, "last call? ", "y");
  Answer(node, "[D]ate? ", "S");
  Answer(node, "minutes left): ", "F");
  // The new files of every area, the sysop's own included; long names have their short names.
  std::string seen = node.received();
  EXPECT_NE(seen.find("1    ... "), std::string::npos);
  EXPECT_NE(seen.find("TIDES.TXT"), std::string::npos);
  EXPECT_NE(seen.find("LIGHTH~1.TXT"), std::string::npos);
  EXPECT_NE(seen.find("3    ... "), std::string::npos);
  EXPECT_NE(seen.find("KEYS.TXT"), std::string::npos);

  Answer(node, "in Small utilities (", "L");
  Answer(node, "[Q]uit: ", "T");
  Answer(node, "Numbers to tag: ", "9 11\r");
  Answer(node, "[Q]uit: ", "Q");
  Answer(node, "in Small utilities (", "F");
  Answer(node, "(wildcards allowed): ", "beacon*.*\r");
  Answer(node, "[Q]uit: ", "Q");
  Answer(node, "in Small utilities (", "A");
  Answer(node, "Enter for none): ", "2\r");
  Answer(node, "in Charts and maps (", "Q");
  Answer(node, "minutes left): ", "G");
  Answer(node, "log off? ", "Y");
  EXPECT_EQ(node.Wait(), 0);

  seen = node.received();
  if (std::getenv("SHOW")) std::fprintf(stderr, "%s", seen.c_str());
  // The list of area 1 numbered its files on from the new-files list (eight files there).
  EXPECT_NE(seen.find(" 09 BEACON~1.SH"), std::string::npos) << seen;
  EXPECT_NE(seen.find(" 11 LIGHTH~1.TXT"), std::string::npos);
  EXPECT_NE(seen.find("Tagged: 0, 0; Numbers to tag: "), std::string::npos);
  EXPECT_NE(seen.find("Looking for files named: BEACON*.*"), std::string::npos);
  EXPECT_NE(seen.find("+14 BEACON~1.SH"), std::string::npos) << "tagged before, so marked";
  // Nothing in the file database changed; the chosen area went back with the caller's record.
  EXPECT_EQ(test::ReadFile(database + "hdr/fdb1.hdr"), headers);
  EXPECT_EQ(test::ReadFile(database + "idx/fdb1.idx"), index);
  EXPECT_EQ(test::ReadFile(database + "txt/fdb1.txt"), texts);
  const std::string users = test::ReadFile(system_ + "/msgbase/USERS.BBS");
  ASSERT_GE(users.size(), 1016u);
  EXPECT_EQ(static_cast<uint8_t>(users[955]), 2);
  EXPECT_EQ(static_cast<uint8_t>(users[956]), 0);
}

}  // namespace
}  // namespace vx::console
