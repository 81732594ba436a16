// The personal-mail scan: exactly the messages addressed to the caller by name or handle, in the
// areas the caller may read, not received or read yet, after the caller's own lastread in each JAM
// base; its area lines and debug lines; reading them marks them; damaged bases are survived.
#include "messages/personal_mail.h"

#include "message_fixture.h"
#include "messages/area_selection.h"

namespace vx::messages::testing {
namespace {

void PutU32(std::string& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i)
    b[at + static_cast<size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// A .JLR record written by hand: user CRC, user id, last read, highest read.
std::string LastRead(uint32_t crc, uint32_t last) {
  std::string r(16, '\0');
  PutU32(r, 0, crc);
  PutU32(r, 4, 7);
  PutU32(r, 8, last);
  PutU32(r, 12, last);
  return r;
}

class PersonalMailTest : public MessageTest {
 protected:
  PersonalMailTest() {
    core::MessageAreaRecord keepers = Area(2, "Keepers", true);
    keepers.jam_base_path = system.dir / "keepers";
    keepers.area_type = 2;  // echomail
    core::MessageAreaRecord sysops = Area(3, "Sysops");
    sysops.read_security = 100;
    core::MessageAreaRecord net = Area(4, "Netmail", true);
    net.jam_base_path = system.dir / "net";
    WriteAreas({Area(1, "Harbour"), keepers, sysops, net});

    PostHudson(1, "Ann Caller", "to the name");       // 1 found
    PostHudson(1, "annie", "to the handle");          // 2 found
    PostHudson(1, "Pat Other", "to someone else");    // 3
    PostHudson(1, "Ann Caller", "received already");  // 4
    EXPECT_TRUE(Hudson().MarkReceived(3, "Ann Caller", "").ok);
    PostHudson(3, "Ann Caller", "unreadable area");     // 5
    PostHudson(9, "Ann Caller", "board without area");  // 6
    PostHudson(1, "Ann Caller", "deleted", 1);          // 7
    PostHudson(1, "", "to nobody");                     // 8

    PostJam("keepers", "Ann Caller", "echo to Ann");                    // 1 found
    PostJam("keepers", "Annie", "read already", kJamAttributeRead);     // 2
    PostJam("keepers", "Ann Caller", "deleted", kJamAttributeDeleted);  // 3

    PostJam("net", "Ann Caller", "before lastread");  // 1
    PostJam("net", "ANN CALLER", "after lastread");   // 2 found
    PostJam("net", "Somebody", "not Ann");            // 3
    // Another caller's record comes first and has read everything; Ann has read #1.
    test::WriteFile(system.dir / "net.JLR", LastRead(JamBase::NameCrc("Pat Other"), 3) +
                                                LastRead(JamBase::NameCrc("Ann Caller"), 1));
  }

  PersonalMail Find() {
    const core::AreaFiles files = session->AreaFiles();
    areas = files.MessageAreas();
    index = files.MessageAreaIndex();
    hudson = std::make_unique<HudsonBase>(Hudson());
    const MailSearch search{session->caller.user,
                            areas,
                            index,
                            *hudson,
                            [this](const std::string& path) { return JamBase(path, env); },
                            [this](std::string_view text) { debug.emplace_back(text); },
                            [this](std::string_view text) { problems.emplace_back(text); },
                            4 * 224};
    return FindPersonalMail(search);
  }

  std::vector<core::MessageAreaRecord> areas;
  std::vector<uint16_t> index;
  std::unique_ptr<HudsonBase> hudson;
  std::vector<std::string> debug, problems;
};

std::vector<std::string> Subjects(const PersonalMail& mail) {
  std::vector<std::string> out;
  for (const FoundMessage& f : mail.found) out.push_back(f.subject);
  return out;
}

TEST_F(PersonalMailTest, FindsExactlyTheCallersNewMail) {
  const PersonalMail mail = Find();
  EXPECT_EQ(Subjects(mail), (std::vector<std::string>{"to the name", "to the handle", "echo to Ann",
                                                      "after lastread"}));
  EXPECT_EQ(mail.counts, (std::vector<int>{2, 1, 0, 1}));
  const FoundMessage& jam = mail.found[3];
  EXPECT_EQ(jam.base, BaseKind::kJam);
  EXPECT_EQ(jam.number, 2u);
  EXPECT_EQ(jam.area_record, 3u);
  EXPECT_EQ(jam.date, "12-06-26");
  EXPECT_EQ(jam.time, "12:05");
  EXPECT_EQ(mail.found[1].header, 1u);  // the Hudson header index
  EXPECT_EQ(mail.found[1].board, 1);
  EXPECT_TRUE(problems.empty());
}

TEST_F(PersonalMailTest, EchomailSkippersAndCallersWithoutAHandle) {
  session->caller.user.attribute2 = "00000100";
  EXPECT_EQ(Subjects(Find()),
            (std::vector<std::string>{"to the name", "to the handle", "after lastread"}));

  // Without a handle, an empty addressee, an empty index entry and a deleted JAM index record
  // (all ones) are nobody's mail.
  session->caller.user.attribute2 = "00000000";
  session->caller.user.handle.clear();
  std::string jdx = File("keepers.JDX");
  jdx += std::string(8, '\xff');
  test::WriteFile(system.dir / "keepers.JDX", jdx);
  std::string names = File("msgtoidx.bbs");
  names += std::string(36, '\0');
  test::WriteFile(system.dir / "msgtoidx.bbs", names);
  EXPECT_EQ(Subjects(Find()),
            (std::vector<std::string>{"to the name", "echo to Ann", "after lastread"}));
}

TEST_F(PersonalMailTest, HudsonMailInAJamAreaIsNotSearchedAgain) {
  core::MessageAreaRecord mixed = Area(5, "Mixed", true);
  mixed.jam_base_path = system.dir / "mixed";
  core::MessageAreaRecord keepers = Area(2, "Keepers", true);
  keepers.jam_base_path = system.dir / "keepers";
  WriteAreas({Area(1, "Harbour"), keepers, mixed});
  PostHudson(5, "Ann Caller", "hudson board 5");
  PostJam("mixed", "Ann Caller", "jam in mixed");
  const PersonalMail mail = Find();
  EXPECT_EQ(mail.counts[2], 1);
  const std::vector<std::string> subjects = Subjects(mail);
  EXPECT_EQ(std::count(subjects.begin(), subjects.end(), "hudson board 5"), 1);
  EXPECT_EQ(std::count(subjects.begin(), subjects.end(), "jam in mixed"), 0);
}

TEST_F(PersonalMailTest, DamagedJamBasesAreSurvived) {
  PostJam("net", "Ann Caller", "after the damage");  // 4
  // #2's header loses its signature; an index record points past the end of .JHR; the other
  // messages are still found.
  std::string jhr = File("net.JHR");
  const std::string jdx = File("net.JDX");
  const uint32_t second = static_cast<uint8_t>(jdx[12]) | (static_cast<uint8_t>(jdx[13]) << 8);
  jhr[second] = 'X';
  test::WriteFile(system.dir / "net.JHR", jhr);
  std::string bad_index = jdx;
  bad_index += std::string("\0\0\0\0", 4);
  PutU32(bad_index, bad_index.size() - 4, JamBase::NameCrc("Ann Caller"));
  bad_index += std::string(4, '\0');
  PutU32(bad_index, bad_index.size() - 4, 0x7FFFFFF0);
  test::WriteFile(system.dir / "net.JDX", bad_index);
  // A Keepers base shorter than its base header.
  test::WriteFile(system.dir / "keepers.JHR", std::string("JAM", 3));
  // An addressee entry for Ann without a header behind it.
  std::string names = File("msgtoidx.bbs");
  names += std::string(
               "\x0a"
               "Ann Caller") +
           std::string(25, '\0');
  test::WriteFile(system.dir / "msgtoidx.bbs", names);

  const PersonalMail mail = Find();
  EXPECT_EQ(Subjects(mail),
            (std::vector<std::string>{"to the name", "to the handle", "after the damage"}));
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_NE(problems[0].find("shorter than its base header"), std::string::npos) << problems[0];
  EXPECT_NE(problems[1].find("Invalid Message - Rebuild Index!"), std::string::npos) << problems[1];
}

TEST_F(PersonalMailTest, TheScanShowsTheAreasAndReadingMarksTheMail) {
  AtPrompts("Read them now? ", {"Y"});
  AtPrompts("(S)top: ", {"N", "N", "N", "N"});
  ScanPersonalMail(*session, {});
  const std::string seen = Seen();
  EXPECT_NE(seen.find("Scanning..."), std::string::npos);
  EXPECT_NE(seen.find("Area                Count\r\n" + std::string(25, '\xc4') + "\r\n"),
            std::string::npos)
      << seen;
  EXPECT_NE(seen.find("Harbour" + std::string(33, ' ') + "2 : messages\r\n"), std::string::npos);
  EXPECT_NE(seen.find("Keepers" + std::string(33, ' ') + "1 : message\r\n"), std::string::npos);
  EXPECT_NE(seen.find("Netmail" + std::string(33, ' ') + "1 : message\r\n"), std::string::npos);
  EXPECT_EQ(seen.find("Sysops"), std::string::npos);
  EXPECT_NE(seen.find("No more messages."), std::string::npos);
  // Everything read is marked: a second scan finds nothing.
  caller->TakeNew();
  ScanPersonalMail(*session, {});
  Settle();
  const std::string again = caller->TakeNew();
  EXPECT_NE(again.find("No mail for you."), std::string::npos);
  EXPECT_EQ(again.find("Read them now?"), std::string::npos);
  // Hudson #1 and #2 have " * Received * " in msgtoidx.bbs; #3 still has its name.
  const std::string names = File("msgtoidx.bbs");
  EXPECT_EQ(names.substr(1, 14), " * Received * ");
  EXPECT_EQ(names.substr(37, 14), " * Received * ");
  EXPECT_EQ(names.substr(73, 9), "Pat Other");
}

TEST_F(PersonalMailTest, NoReadsNothingAndStopEndsTheReading) {
  const std::string names = File("msgtoidx.bbs");
  AtPrompts("Read them now? ", {"N"});
  ScanPersonalMail(*session, {});
  EXPECT_EQ(File("msgtoidx.bbs"), names);
  AtPrompts("Read them now? ", {"Y"});
  AtPrompts("(S)top: ", {"S"});
  ScanPersonalMail(*session, {});
  const std::string after = File("msgtoidx.bbs");
  EXPECT_EQ(after.substr(1, 14), " * Received * ");
  EXPECT_EQ(after.substr(37, 36), names.substr(37, 36)) << "the second was not read";
}

TEST_F(PersonalMailTest, DebugModeLogsEachStep) {
  log.SetDebug(true);
  AtPrompts("Read them now? ", {"N"});
  ScanPersonalMail(*session, {});
  const std::string log_text = File("NODE1.LOG");
  size_t at = 0;
  for (const char* step : {"Open Hudson Base",
                           "Finding personal messages in Hudson indexfile",
                           "Closing Hudson base",
                           "Hudson base closed",
                           "Open MESSAGES.VX",
                           "Checking area 1",
                           "Check access of area: Harbour",
                           "Mtype: 0 FlagsB: 00000000",
                           "NOT CheckNA - POS:224 LOF: 896",
                           "mA # : 1",
                           "mA b : 00000000",
                           "Check Hudson or JAM",
                           "(HUDSON) area (personals already found)",
                           "Checking area 2",
                           "(JAM) Get areapath",
                           "(JAM) open HDR and JDX",
                           "(JAM) Get area info",
                           "(JAM) Check msg# 1",
                           "(JAM) Close area HDR and JDX",
                           "Checking area 3",
                           "Check access of area: Sysops",
                           "Checking area 4",
                           "(JAM) Check msg# 2",
                           "Msgs found: 4",
                           "Read now yes no?"}) {
    const size_t found = log_text.find(step, at);
    ASSERT_NE(found, std::string::npos) << step << "\n" << log_text;
    at = found;
  }
}

}  // namespace
}  // namespace vx::messages::testing
