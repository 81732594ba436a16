// Whole calls to vxnode over loopback telnet with lrzsz on the caller's side: a ZModem download
// of two files (one of 300,000 bytes of 0xFF) arrives identical and is counted; a ZModem upload
// lands under its short name in the upload directory and in the area's database; a hostile name
// is refused with nothing written.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "support/node_process.h"
#include "support/run_program.h"
#include "support/telnet_transfer.h"
#include "support/temp_dir.h"

namespace vx::console {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

int32_t Long(const std::string& bytes, size_t at) {
  return static_cast<int32_t>(static_cast<uint8_t>(bytes[at]) |
                              static_cast<uint8_t>(bytes[at + 1]) << 8 |
                              static_cast<uint8_t>(bytes[at + 2]) << 16 |
                              static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 3])) << 24);
}

class TransferCallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    system_ = dir_ / "s";
    const fs::path vxcfg = fs::path(VX_BINARY_DIR) / "tools" / "vxcfg";
    const test::ProgramResult built = test::RunProgram(
        {vxcfg.string(), "build", std::string(VX_SOURCE_DIR) + "/demo", system_}, {}, dir_.path());
    ASSERT_EQ(built.exit_code, 0) << built.error_output;
    fs::create_directories(dir_ / "caller");
  }

  std::unique_ptr<test::NodeProcess> Call() {
    auto node = std::make_unique<test::NodeProcess>(
        std::string(VX_BINARY_DIR) + "/src/vxnode",
        std::vector<std::string>{"-N1", "-B38400", "-H3"},
        std::vector<std::string>{"VX=" + system_, "VXCONSOLE=none", "PATH=/usr/bin:/bin"}, system_,
        true);
    // The caller's telnet agrees to binary both ways.
    node->Type(std::string("\xff\xfd\x00\xff\xfb\x00", 6));
    Answer(*node, "full name: ", "sam sysop\r");
    Answer(*node, "Password: ", "lighthouse\r");
    Answer(*node, "addressed to you? ", "n");
    Answer(*node, "last call? ", "n");
    Answer(*node, "minutes left): ", "F");
    return node;
  }
  void Answer(test::NodeProcess& node, const std::string& text, const std::string& keys) {
    ASSERT_TRUE(node.WaitFor(text)) << "no \"" << text << "\" in:\n"
                                    << node.received().substr(node.received().size() > 600 ? node.received().size() - 600 : 0);
    node.Type(keys);
  }
  void LogOff(test::NodeProcess& node) {
    Answer(node, "in Small utilities (", "Q");
    Answer(node, "minutes left): ", "G");
    Answer(node, "log off? ", "Y");
    EXPECT_EQ(node.Wait(), 0);
  }
  std::string Users() { return test::ReadFile(system_ + "/msgbase/USERS.BBS"); }

  test::TempDir dir_;
  std::string system_;
};

TEST_F(TransferCallTest, ZModemDownloadOfTwoFilesArrivesIdenticalAndIsCounted) {
  const std::string big(300000, '\xff');
  {
    std::ofstream out(system_ + "/files/utils/KNOTS.TXT", std::ios::binary | std::ios::trunc);
    out << big;
  }
  const std::string tides = test::ReadFile(system_ + "/files/utils/TIDES.TXT");
  const std::string users_before = Users();
  auto node = Call();
  Answer(*node, "in Small utilities (", "D");
  Answer(*node, "[D]ownload: ", "A");
  Answer(*node, "(wildcards allowed): ", "knots.txt tides.txt\r");
  Answer(*node, "Tag this file? ", "Y");
  Answer(*node, "Tag this file? ", "Y");
  Answer(*node, "[D]ownload: ", "D");
  Answer(*node, "list of files? ", "N");
  Answer(*node, "[Q]uit: ", "D");
  ASSERT_TRUE(node->WaitFor("Ctrl-X a few times to abort."));
  const test::TransferResult got = test::RunTelnetTransfer(
      node->caller_fd(), {"rz", "-R"}, (dir_ / "caller"), node->TakeUnseen());
  EXPECT_EQ(got.exit_code, 0) << got.error_output;
  Answer(*node, "go on...", " ");  // any key but Enter
  LogOff(*node);
  EXPECT_TRUE(test::ReadFile((dir_ / "caller/KNOTS.TXT")) == big);
  EXPECT_EQ(test::ReadFile((dir_ / "caller/TIDES.TXT")), tides);
  const std::string log = test::ReadFile(system_ + "/logs/node1.log");
  EXPECT_NE(log.find("Download [ZModem] KNOTS.TXT"), std::string::npos) << log;
  EXPECT_NE(log.find("Download [ZModem] TIDES.TXT"), std::string::npos) << log;
  // Downloads (offset 464), DownloadsK (472), TodayK (476) grew by the files and the header
  // sizes' kilobytes.
  const std::string users = Users();
  EXPECT_EQ(Long(users, 464) - Long(users_before, 464), 2);
  EXPECT_GT(Long(users, 472), Long(users_before, 472) - 1);
  EXPECT_EQ(Long(users, 472) - Long(users_before, 472), Long(users, 476) - Long(users_before, 476));
}

TEST_F(TransferCallTest, ZModemUploadLandsUnderItsShortNameAndIsAdded) {
  const std::string database = system_ + "/filebase/";
  const std::string headers = test::ReadFile(database + "hdr/fdb1.hdr");
  const std::string index = test::ReadFile(database + "idx/fdb1.idx");
  {
    std::ofstream out((dir_ / "caller/a long upload name.txt"), std::ios::binary);
    out << std::string(5000, '\xff') << "\r\0\xff\xfa" << "end";
  }
  const std::string sent = test::ReadFile((dir_ / "caller/a long upload name.txt"));
  auto node = Call();
  Answer(*node, "in Small utilities (", "U");
  Answer(*node, "[Q]uit: ", "C");
  ASSERT_TRUE(node->WaitFor("Ctrl-X a few times to abort."));
  const test::TransferResult got =
      test::RunTelnetTransfer(node->caller_fd(), {"sz", "-b", "a long upload name.txt"},
                              (dir_ / "caller"), node->TakeUnseen());
  EXPECT_EQ(got.exit_code, 0) << got.error_output;
  Answer(*node, "Describe the file", "Knots, in a long name\r\r");
  Answer(*node, "Your choice: ", "S");
  ASSERT_TRUE(node->WaitFor("in Small utilities (")) << node->received();
  node->Type("Q");
  Answer(*node, "minutes left): ", "G");
  Answer(*node, "log off? ", "Y");
  EXPECT_EQ(node->Wait(), 0);
  EXPECT_TRUE(test::ReadFile(system_ + "/files/utils/ALONGU~1.TXT") == sent);
  const std::string new_headers = test::ReadFile(database + "hdr/fdb1.hdr");
  const std::string new_index = test::ReadFile(database + "idx/fdb1.idx");
  ASSERT_EQ(new_headers.size(), headers.size() + 194);
  ASSERT_EQ(new_index.size(), index.size() + 41);
  EXPECT_EQ(new_headers.substr(0, 13), headers.substr(0, 13));
  EXPECT_EQ(new_headers.substr(headers.size(), 13), std::string("\x0c" "ALONGU~1.TXT", 13));
  EXPECT_EQ(Long(new_headers, headers.size() + 13), static_cast<int32_t>(sent.size()));
  EXPECT_EQ(new_index.substr(index.size(), 13), std::string("\x0c" "ALONGU~1.TXT", 13));
  const std::string users = Users();
  EXPECT_GE(Long(users, 460), 1);  // Uploads
}

TEST_F(TransferCallTest, AHostileNameIsRefusedWithNothingWritten) {
  const std::string database = system_ + "/filebase/";
  const std::string headers = test::ReadFile(database + "hdr/fdb1.hdr");
  fs::create_directories(dir_ / "x");
  { std::ofstream((dir_ / "x/evil")) << "evil"; }
  auto node = Call();
  Answer(*node, "in Small utilities (", "U");
  Answer(*node, "[Q]uit: ", "C");
  ASSERT_TRUE(node->WaitFor("Ctrl-X a few times to abort."));
  // The caller's sz does not always take the cancel and may retry for a while, its relay taking
  // what the node shows meanwhile: the caller hangs up after a few seconds instead.
  test::RunTelnetTransfer(node->caller_fd(), {"sz", "-f", (dir_ / "x/evil")},
                          (dir_ / "caller"), node->TakeUnseen(), true, 4s);
  node->HangUp();
  EXPECT_EQ(node->Wait(), 0);
  EXPECT_NE(test::ReadFile(system_ + "/logs/node1.log").find("Refused file name: "),
            std::string::npos);
  EXPECT_EQ(test::ReadFile(database + "hdr/fdb1.hdr"), headers);
  for (const auto& entry : fs::recursive_directory_iterator(system_)) {
    EXPECT_EQ(entry.path().filename().string().find("evil"), std::string::npos) << entry.path();
  }
}

}  // namespace
}  // namespace vx::console
