// Test support for the file base: a node session on a hand-made system over a real socketpair,
// a manual clock, a caller with a terminal emulator (libvterm) on the other end, the language
// entries the listings show, and file areas with their databases.
#pragma once

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <memory>
#include <string>
#include <vector>

#include "comm/raw_socket_line.h"
#include "core/area_records.h"
#include "core/dos_date.h"
#include "core/record_stream.h"
#include "files/call_tagging.h"
#include "files/file_database_records.h"
#include "platform/process_exit.h"
#include "session/node_session.h"
#include "support/mini_system.h"
#include "terminal/vterm_caller.h"

namespace vx::files::testing {

struct NoBoxes : platform::Console {
  int MessageBox(std::string_view, std::string_view, int) override { return platform::box::kOk; }
  bool interactive() const override { return false; }
};

// One file of a seeded database.
struct SeedFile {
  std::string name;
  uint32_t size = 0;
  std::string uploaded;  // "MM-DD-YY"
  std::string description;
  std::string uploader = "Sam Sysop";
  uint16_t downloads = 0;
};

// One file area of FILES.VX: its number (its FILES.VDX entry), name, security and group.
struct SeedArea {
  uint16_t number = 1;
  std::string name;
  uint16_t security = 0;
  uint16_t group = 1;
  std::vector<SeedFile> files;
};

class FileTest : public ::testing::Test {
 protected:
  FileTest()
      : clock(platform::WallTime(std::chrono::seconds(1796558709))),  // 2026-12-06 12:05:09 UTC
        loop(clock),
        env({"VX=" + system.dir.path()}),
        log(clock, env) {
    clock.SetAutoAdvance(true);
    int fds[2];
    EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    line = std::make_unique<comm::RawSocketLine>(loop, fds[0]);
    std::string error;
    EXPECT_TRUE(line->OpenPort(error));
    caller = std::make_unique<terminal::testing::Caller>(loop, fds[1]);
    // CONFIG.VX: the hint brackets, the file-base directory, colour set 4 (the listing colour,
    // light cyan on black) and the listing format.
    test::PutString(system.config, 3090, system.dir.path() + "/filebase/");
    system.config.at(2330) = '[';
    system.config.at(2331) = ']';
    system.config.at(3213) = 11;
    SetFormat("@NE @SKk @UD @DF");
    log.SetFileName(system.dir / "NODE1.LOG");
    session = std::make_unique<session::NodeSession>(loop, console, log, *line, env);
    const std::string sys = system.dir.path() + "/";
    session->config.system_path = sys;
    session->config.menu_path = session->config.text_path = session->config.msgbase_path = sys;
    session->config.filebase_path = sys + "filebase/";
    session->config_snapshot.SetSystemPath(sys);
    core::UserRecord& user = session->caller.user;
    user.name = "Ann Caller";
    user.security = 20;
    user.screen_length = 24;
    user.attribute = "01100000";
    user.date_format = 2;
    user.last_date = "12-06-26";  // the logon has set it to today
    user.default_protocol = 'Z';
    session->clock.daily_download_k = 100000;
    session->clock.time_left = 60;
    session->caller.previous_call_date = "12-01-26";
    session->colour_sets = {{{7, 0}, {14, 0}, {11, 1}, {10, 0}, {15, 4}}};
    session->terminal.input().hint = false;
    SetLanguage();
    tagging = std::make_unique<CallTagging>(*session);
  }
  ~FileTest() override {
    tagging.reset();
    session.reset();
    caller.reset();
  }

  void SetFormat(const std::string& format) {
    test::PutString(system.config, 3259, format);
    system.WriteConfig();
  }

  void SetLanguage() {
    core::LanguageTable& l = session->language;
    l.Set(0, "Y Yes\xff", 0);
    l.Set(1, "N No\xff", 0);
    l.Set(58, "Please enter a number in the range", 12);
    l.Set(67, "YNC More? [Y,n,c]\xff", 0);
    l.Set(120, "Names to tag: ", 14);
    l.Set(193, "No more files can be tagged.", 12);
    l.Set(228, "File areas", 15);
    l.Set(230, "That area is not in the list.", 12);
    l.Set(235, "Choose an area: ", 15);
    l.Set(236, "Text to look for: ", 14);
    l.Set(237, "Looking for text:", 11);
    l.Set(238, "Press S to stop, P to pause.", 7);
    l.Set(240, "File name to look for: ", 14);
    l.Set(241, "Looking for files named:", 11);
    l.Set(247, "SD New since [S]last call or a [D]ate \xff", 15);
    l.Set(248, "Since ", 14);
    l.Set(249, "Files new since:", 11);
    l.Set(471, "/", 0);
    l.Set(475, "Date format", 11);
    l.Set(476, "DD-MM-YY", 11);
    l.Set(477, "MM-DD-YY", 11);
    l.Set(478, "YY-MM-DD", 11);
    l.Set(479, "DD-Mon-YY", 11);
    l.Set(497, "That is not a date.", 12);
    l.Set(602, "YNCT More? [Y]es [N]o [C]ont [T]ag \xff", 15);
    l.Set(603, "Numbers to tag: ", 15);
    l.Set(604, "Tagged: ", 15);
    l.Set(609, "TQ [T]ag files or [Q]uit: \xff", 15);
    l.Set(611, "Found: ", 11);
    l.Set(612, "The search has ended.", 10);
    l.Set(642, "YNS Tag this file? \xff", 15);
    l.Set(644, "File groups", 15);
    l.Set(645, "Choose a group: ", 15);
  }

  static std::vector<uint8_t> HeaderBytes(const FileHeaderRecord& r) {
    core::MemoryStream out;
    WriteFileHeaderRecord(r, out);
    return out.bytes();
  }
  static std::vector<uint8_t> IndexBytes(const FileIndexRecord& r) {
    core::MemoryStream out;
    WriteFileIndexRecord(r, out);
    return out.bytes();
  }

  std::string AreaDirectory(uint16_t number) const {
    return system.dir.path() + "/files/area" + std::to_string(number) + "/";
  }
  std::string DatabaseFile(const char* kind, uint16_t number) const {
    return system.dir /
           (std::string("filebase/") + kind + "/fdb" + std::to_string(number) + "." + kind);
  }

  // FILES.VX and FILES.VDX for `areas` (record r is areas[r - 1]), and each area's database.
  void WriteAreas(const std::vector<SeedArea>& areas) {
    core::MemoryStream records;
    std::vector<uint16_t> numbers;
    for (const SeedArea& a : areas) {
      core::FileAreaRecord r;
      r.word0 = a.number;
      r.name = a.name;
      r.path = AreaDirectory(a.number);
      r.security = a.security;
      r.group = a.group;
      core::WriteFileAreaRecord(r, records);
      numbers.push_back(a.number);
      WriteDatabase(a.number, a.files);
    }
    test::WriteFile(system.dir / "FILES.VX", records.bytes());
    core::MemoryStream index;
    core::WriteAreaIndex(core::BuildAreaIndex(numbers), index);
    test::WriteFile(system.dir / "FILES.VDX", index.bytes());
  }

  void WriteDatabase(uint16_t number, const std::vector<SeedFile>& files) {
    std::vector<uint8_t> headers, index, texts;
    for (const SeedFile& f : files) {
      FileHeaderRecord h;
      h.name = f.name;
      h.size = f.size;
      h.uploader = f.uploader;
      h.upload_date = core::PackDate(f.uploaded);
      h.file_date = core::PackDate("11-30-26");
      h.last_download = h.upload_date;
      h.times_downloaded = f.downloads;
      h.description_offset = f.description.empty() ? -1 : static_cast<int32_t>(texts.size());
      if (!f.description.empty()) {
        texts.insert(texts.end(), f.description.begin(), f.description.end());
        texts.push_back(0);
      }
      const auto hb = HeaderBytes(h);
      headers.insert(headers.end(), hb.begin(), hb.end());
      FileIndexRecord x;
      x.name = f.name;
      x.upload_date = h.upload_date;
      x.description_offset = h.description_offset;
      const auto xb = IndexBytes(x);
      index.insert(index.end(), xb.begin(), xb.end());
    }
    test::WriteFile(DatabaseFile("hdr", number), headers);
    test::WriteFile(DatabaseFile("idx", number), index);
    test::WriteFile(DatabaseFile("txt", number), texts);
  }

  void LoadArea(uint16_t number) {
    session->caller.user.file_area = number;
    session->areas.LoadFileArea(session->AreaFiles(), session->caller.user);
  }

  // Runs the event loop until what the node sent has reached the caller's screen.
  void Settle() {
    for (int i = 0; i < 5; ++i) loop.RunOnce(true, std::chrono::milliseconds(1));
  }
  std::vector<std::string> Screen() {
    Settle();
    return caller->Rows();
  }
  std::string LogText() const { return test::ReadFile(system.dir / "NODE1.LOG"); }

  test::MiniSystem system;
  platform::ManualClock clock;
  platform::EventLoop loop;
  platform::Environment env;
  core::NodeLog log;
  NoBoxes console;
  std::unique_ptr<comm::RawSocketLine> line;
  std::unique_ptr<terminal::testing::Caller> caller;
  std::unique_ptr<session::NodeSession> session;
  std::unique_ptr<CallTagging> tagging;
};

}  // namespace vx::files::testing
