// Whole calls to vxnode over loopback telnet with lrzsz on the caller's side: a ZModem download
// of two files (one of 300,000 bytes of 0xFF) arrives identical and is counted; a ZModem upload
// lands under its short name in the upload directory and in the area's database; a hostile name
// is refused with nothing written.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
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
    ASSERT_TRUE(node.WaitFor(text))
        << "no \"" << text << "\" in:\n"
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

  // 300,000 bytes of 0xFF in the area's KNOTS.TXT (the database still lists its old size).
  std::string WriteBigKnots() {
    const std::string big(300000, '\xff');
    std::ofstream out(system_ + "/files/utils/KNOTS.TXT", std::ios::binary | std::ios::trunc);
    out << big;
    return big;
  }

  // A whole download: tags `names` (`count` files), chooses protocol `protocol` (empty keeps
  // ZModem), receives with `receiver` on the caller's side, and logs off.
  test::TransferResult Download(const std::string& names, int count, const std::string& protocol,
                                const std::vector<std::string>& receiver) {
    test::TransferResult got;
    auto node = Call();
    Answer(*node, "in Small utilities (", "D");
    Answer(*node, "[D]ownload: ", "A");
    Answer(*node, "(wildcards allowed): ", names + "\r");
    for (int i = 0; i < count; ++i) Answer(*node, "Tag this file? ", "Y");
    Answer(*node, "[D]ownload: ", "D");
    Answer(*node, "list of files? ", "N");
    if (!protocol.empty()) {
      Answer(*node, "[Q]uit: ", "P");
      Answer(*node, "[K]eep yours: ", protocol);
    }
    Answer(*node, "[Q]uit: ", "D");
    EXPECT_TRUE(node->WaitFor("Ctrl-X a few times to abort."));
    got =
        test::RunTelnetTransfer(node->caller_fd(), receiver, (dir_ / "caller"), node->TakeUnseen());
    Answer(*node, "go on...", " ");  // any key but Enter
    LogOff(*node);
    return got;
  }

  test::TempDir dir_;
  std::string system_;
};

TEST_F(TransferCallTest, ZModemDownloadOfTwoFilesArrivesIdenticalAndIsCounted) {
  const std::string big = WriteBigKnots();
  const std::string tides = test::ReadFile(system_ + "/files/utils/TIDES.TXT");
  const std::string users_before = Users();
  const test::TransferResult got = Download("knots.txt tides.txt", 2, "", {"rz", "-R"});
  EXPECT_EQ(got.exit_code, 0) << got.error_output;
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

// XModem sends one file, padded to its last block with ^Z; the caller names it.
TEST_F(TransferCallTest, XModemDownloadOfOneFile) {
  const std::string tides = test::ReadFile(system_ + "/files/utils/TIDES.TXT");
  const std::string users_before = Users();
  const test::TransferResult got = Download("tides.txt", 1, "X", {"rx", "-c", "tides.got"});
  EXPECT_EQ(got.exit_code, 0) << got.error_output;
  const std::string received = test::ReadFile((dir_ / "caller/tides.got"));
  ASSERT_EQ(received.size(), 128u);
  EXPECT_EQ(received.substr(0, tides.size()), tides);
  EXPECT_EQ(received.substr(tides.size()), std::string(128 - tides.size(), '\x1a'));
  const std::string log = test::ReadFile(system_ + "/logs/node1.log");
  EXPECT_NE(log.find("Download [XModem-CRC] TIDES.TXT"), std::string::npos) << log;
  const std::string users = Users();
  EXPECT_EQ(Long(users, 464) - Long(users_before, 464), 1);
  EXPECT_EQ(Long(users, 472) - Long(users_before, 472), 0);  // 42 bytes: no whole kilobyte
}

// YModem sends the names and sizes: both files arrive as they are.
TEST_F(TransferCallTest, YModemDownloadOfTwoFiles) {
  const std::string big = WriteBigKnots();
  const std::string tides = test::ReadFile(system_ + "/files/utils/TIDES.TXT");
  const std::string users_before = Users();
  const test::TransferResult got = Download("knots.txt tides.txt", 2, "Y", {"rb"});
  EXPECT_EQ(got.exit_code, 0) << got.error_output;
  EXPECT_TRUE(test::ReadFile((dir_ / "caller/knots.txt")) == big ||
              test::ReadFile((dir_ / "caller/KNOTS.TXT")) == big);
  const std::string tides_got = fs::exists(dir_ / "caller/tides.txt")
                                    ? test::ReadFile((dir_ / "caller/tides.txt"))
                                    : test::ReadFile((dir_ / "caller/TIDES.TXT"));
  EXPECT_EQ(tides_got, tides);
  const std::string log = test::ReadFile(system_ + "/logs/node1.log");
  EXPECT_NE(log.find("Download [YModem-Batch] KNOTS.TXT"), std::string::npos) << log;
  EXPECT_NE(log.find("Download [YModem-Batch] TIDES.TXT"), std::string::npos) << log;
  const std::string users = Users();
  EXPECT_EQ(Long(users, 464) - Long(users_before, 464), 2);
  // The kilobytes counted are the database's sizes (24 and 42 bytes): none whole.
  EXPECT_EQ(Long(users, 472) - Long(users_before, 472), 0);
  EXPECT_EQ(Long(users, 476) - Long(users_before, 476), 0);
}

// Little-endian bytes of a 32-bit number.
std::string Le32(uint32_t v) {
  return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8 & 0xFF),
          static_cast<char>(v >> 16 & 0xFF), static_cast<char>(v >> 24 & 0xFF)};
}

// A packed DOS date of a day (the time half 0).
uint32_t PackedDay(int year, int month, int day) {
  return static_cast<uint32_t>((year - 1980) << 9 | month << 5 | day) << 16;
}

uint32_t PackedToday() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  ::localtime_r(&now, &tm);
  return PackedDay(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
}

TEST_F(TransferCallTest, ZModemUploadLandsUnderItsShortNameAndIsAdded) {
  const std::string database = system_ + "/filebase/";
  const std::string headers = test::ReadFile(database + "hdr/fdb1.hdr");
  const std::string index = test::ReadFile(database + "idx/fdb1.idx");
  const std::string texts = test::ReadFile(database + "txt/fdb1.txt");
  const std::string users_before = Users();
  const std::string upload = (dir_ / "caller/a long upload name.txt");
  {
    std::ofstream out(upload, std::ios::binary);
    out << std::string(5000, '\xff') << "\r\0\xff\xfa"
        << "end";
  }
  // The sender's date: 15 March 1999 at noon.
  std::tm sent_tm{};
  sent_tm.tm_year = 99;
  sent_tm.tm_mon = 2;
  sent_tm.tm_mday = 15;
  sent_tm.tm_hour = 12;
  sent_tm.tm_isdst = -1;
  const timespec times[2] = {{std::mktime(&sent_tm), 0}, {std::mktime(&sent_tm), 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, upload.c_str(), times, 0), 0);
  const std::string sent = test::ReadFile(upload);
  auto node = Call();
  Answer(*node, "in Small utilities (", "U");
  Answer(*node, "[Q]uit: ", "C");
  ASSERT_TRUE(node->WaitFor("Ctrl-X a few times to abort."));
  const test::TransferResult got =
      test::RunTelnetTransfer(node->caller_fd(), {"sz", "-b", "a long upload name.txt"},
                              (dir_ / "caller"), node->TakeUnseen());
  EXPECT_EQ(got.exit_code, 0) << got.error_output;
  // A description beginning with "/" makes the file private.
  Answer(*node, "Describe the file", "/Knots, in a long name\r\r");
  Answer(*node, "Your choice: ", "S");
  ASSERT_TRUE(node->WaitFor("in Small utilities (")) << node->received();
  const uint32_t today = PackedToday();
  node->Type("Q");
  Answer(*node, "minutes left): ", "G");
  Answer(*node, "log off? ", "Y");
  EXPECT_EQ(node->Wait(), 0);
  EXPECT_TRUE(test::ReadFile(system_ + "/files/utils/ALONGU~1.TXT") == sent);

  const std::string name(
      "\x0c"
      "ALONGU~1.TXT",
      13);
  const uint32_t offset = static_cast<uint32_t>(texts.size());
  std::string header = name;                           // 0: string[12]
  header += Le32(static_cast<uint32_t>(sent.size()));  // 13: size
  header += Le32(0);                                   // 17: CRC
  header += std::string(
                "\x09"
                "Sam Sysop") +
            std::string(26, '\0');         // 21: string[35]
  header += Le32(today);                   // 57: upload date
  header += Le32(PackedDay(1999, 3, 15));  // 61: the sender's date
  header += Le32(today);                   // 65: last download
  header += std::string("\0\0", 2);        // 69: times downloaded
  header += '\x02';                        // 71: attribute, private
  header += std::string(16 + 80, '\0');    // 72, 88: six empty string[15]
  header += std::string("\0\0", 2);        // 168: cost
  header += Le32(offset);                  // 170: description offset
  header += std::string(20, '\0');         // 174: reserved
  ASSERT_EQ(header.size(), 194u);
  std::string index_record = name + Le32(today) + std::string(20, '\0') + Le32(offset);
  ASSERT_EQ(index_record.size(), 41u);

  const std::string new_headers = test::ReadFile(database + "hdr/fdb1.hdr");
  const std::string new_index = test::ReadFile(database + "idx/fdb1.idx");
  const std::string new_texts = test::ReadFile(database + "txt/fdb1.txt");
  ASSERT_EQ(new_headers.size(), headers.size() + 194);
  ASSERT_EQ(new_index.size(), index.size() + 41);
  EXPECT_EQ(new_headers.substr(0, headers.size()), headers);
  EXPECT_EQ(new_index.substr(0, index.size()), index);
  EXPECT_EQ(new_texts.substr(0, texts.size()), texts);
  EXPECT_TRUE(new_headers.substr(headers.size()) == header);
  EXPECT_TRUE(new_index.substr(index.size()) == index_record);
  // The line as typed, with its line end, without the "/", and the zero byte.
  EXPECT_EQ(new_texts.substr(texts.size()), std::string("Knots, in a long name\r\n\0", 24));
  // Uploads (offset 460) and UploadsK (468) grew by the file.
  const std::string users = Users();
  EXPECT_EQ(Long(users, 460) - Long(users_before, 460), 1);
  EXPECT_EQ(Long(users, 468) - Long(users_before, 468), static_cast<int32_t>(sent.size() / 1024));
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
  test::RunTelnetTransfer(node->caller_fd(), {"sz", "-f", (dir_ / "x/evil")}, (dir_ / "caller"),
                          node->TakeUnseen(), true, 4s);
  node->HangUp();
  EXPECT_EQ(node->Wait(), 0);
  EXPECT_NE(test::ReadFile(system_ + "/logs/node1.log").find("Refused file name: "),
            std::string::npos);
  EXPECT_EQ(test::ReadFile(database + "hdr/fdb1.hdr"), headers);
  for (const auto& entry : fs::recursive_directory_iterator(system_)) {
    EXPECT_EQ(entry.path().filename().string().find("evil"), std::string::npos) << entry.path();
  }
}

// A file of the same name in another letter case is a duplicate: nothing is replaced, nothing kept,
// nothing added to the database.
TEST_F(TransferCallTest, ADuplicateUploadInAnotherCaseIsRefused) {
  const std::string database = system_ + "/filebase/";
  const std::string headers = test::ReadFile(database + "hdr/fdb1.hdr");
  const std::string index = test::ReadFile(database + "idx/fdb1.idx");
  const std::string texts = test::ReadFile(database + "txt/fdb1.txt");
  const std::string tides = test::ReadFile(system_ + "/files/utils/TIDES.TXT");
  const std::string users_before = Users();
  std::vector<std::string> files_before;
  for (const auto& entry : fs::directory_iterator(system_ + "/files/utils")) {
    files_before.push_back(entry.path().filename().string());
  }
  std::sort(files_before.begin(), files_before.end());
  { std::ofstream((dir_ / "caller/Tides.txt")) << "other tides, not to be kept"; }
  auto node = Call();
  Answer(*node, "in Small utilities (", "U");
  Answer(*node, "[Q]uit: ", "C");
  ASSERT_TRUE(node->WaitFor("Ctrl-X a few times to abort."));
  test::RunTelnetTransfer(node->caller_fd(), {"sz", "Tides.txt"}, (dir_ / "caller"),
                          node->TakeUnseen(), true, 3s);
  node->HangUp();
  EXPECT_GE(node->Wait(), 0);
  const std::string log = test::ReadFile(system_ + "/logs/node1.log");
  EXPECT_NE(log.find("File already exist in filebase..."), std::string::npos) << log;
  EXPECT_EQ(log.find("Upload [ZModem]"), std::string::npos) << log;
  EXPECT_EQ(test::ReadFile(system_ + "/files/utils/TIDES.TXT"), tides);
  std::vector<std::string> files_after;
  for (const auto& entry : fs::directory_iterator(system_ + "/files/utils")) {
    files_after.push_back(entry.path().filename().string());
  }
  std::sort(files_after.begin(), files_after.end());
  EXPECT_EQ(files_after, files_before);
  EXPECT_EQ(test::ReadFile(database + "hdr/fdb1.hdr"), headers);
  EXPECT_EQ(test::ReadFile(database + "idx/fdb1.idx"), index);
  EXPECT_EQ(test::ReadFile(database + "txt/fdb1.txt"), texts);
  const std::string users = Users();
  EXPECT_EQ(Long(users, 460), Long(users_before, 460));
  EXPECT_EQ(Long(users, 468), Long(users_before, 468));
}

// A sender that speaks no protocol at all, and a caller who hangs up in the middle: the engine is
// stopped, the call ends through the normal end, and nothing received is kept.
TEST_F(TransferCallTest, GarbageAndAHangUpMidTransferKeepNothing) {
  const std::string database = system_ + "/filebase/";
  const std::string headers = test::ReadFile(database + "hdr/fdb1.hdr");
  std::vector<std::string> files_before;
  for (const auto& entry : fs::recursive_directory_iterator(system_ + "/files")) {
    files_before.push_back(entry.path().string());
  }
  auto node = Call();
  Answer(*node, "in Small utilities (", "U");
  Answer(*node, "[Q]uit: ", "C");
  ASSERT_TRUE(node->WaitFor("Ctrl-X a few times to abort."));
  // 200 kB of noise with IAC and CR NUL in it, then nothing: the caller is gone.
  test::RunTelnetTransfer(node->caller_fd(),
                          {"sh", "-c", "head -c 200000 /dev/urandom; printf '\\377\\372\\r\\0'"},
                          (dir_ / "caller"), node->TakeUnseen(), true, 2s);
  node->HangUp();
  EXPECT_EQ(node->Wait(std::chrono::seconds(15)), 0) << "the call ends after the engine is stopped";
  std::vector<std::string> files_after;
  for (const auto& entry : fs::recursive_directory_iterator(system_ + "/files")) {
    files_after.push_back(entry.path().string());
  }
  EXPECT_EQ(files_after, files_before) << "no received or temporary file is left";
  EXPECT_EQ(test::ReadFile(database + "hdr/fdb1.hdr"), headers);
  EXPECT_FALSE(fs::exists(system_ + "/VxBusy.1"));
  const std::string log = test::ReadFile(system_ + "/logs/node1.log");
  EXPECT_NE(log.find("User off-line"), std::string::npos) << log;
}

}  // namespace
}  // namespace vx::console
