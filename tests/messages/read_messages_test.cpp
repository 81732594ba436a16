// The read function: modes, the count of the area, the starting number, reading forwards and
// backwards in both bases, "/M n", and the display codes of the current area's figures.
#include "messages/read_messages.h"

#include <regex>

#include "message_fixture.h"
#include "messages/area_selection.h"
#include "messages/message_bases.h"

namespace vx::messages::testing {
namespace {

std::vector<int> Titles(const std::string& seen) {
  std::vector<int> numbers;
  static const std::regex title("  #([0-9]+)\r\n");
  for (auto it = std::sregex_iterator(seen.begin(), seen.end(), title);
       it != std::sregex_iterator(); ++it) {
    numbers.push_back(std::stoi((*it)[1]));
  }
  return numbers;
}

class ReadMessagesTest : public MessageTest {
 protected:
  ReadMessagesTest() {
    core::MessageAreaRecord keepers = Area(2, "Keepers", true);
    keepers.jam_base_path = system.dir / "keepers";
    core::MessageAreaRecord empty = Area(4, "Empty", true);
    empty.jam_base_path = system.dir / "empty";
    WriteAreas({Area(1, "Harbour"), keepers, Area(3, "Tides"), empty});
    PostHudson(1, "All", "one");    // 1
    PostHudson(3, "All", "tides");  // 2
    PostHudson(1, "All", "three");  // 3
    PostHudson(1, "All", "four");   // 4
    session->caller.user.msg_area = 1;
    LoadMessageArea(*session);
  }
};

TEST_F(ReadMessagesTest, ForwardFromTheFirstSkippingOtherBoards) {
  AtPrompts("Choice: ", {"f"});
  AtPrompts("Start at 1-4: ", {"\r"});
  AtPrompts("(S)top: ", {"N", "H", "N"});
  ReadMessages(*session, "", {});
  const std::string seen = Seen();
  EXPECT_NE(seen.find("(F)orward, (B)ackward, (O)nward, (?)Help,\r\n(Q)uit, (X)it.\r\n"),
            std::string::npos)
      << seen;
  EXPECT_NE(seen.find("Area \"Harbour\" holds 3 messages\r\n"), std::string::npos);
  EXPECT_EQ(Titles(seen), (std::vector<int>{1, 3, 4}));
  EXPECT_NE(seen.find("No more messages."), std::string::npos);
  EXPECT_EQ(session->terminal.output().listing_mode, 0);
}

TEST_F(ReadMessagesTest, BackwardFromAChosenNumberAndBackAgain) {
  AtPrompts("Choice: ", {"B"});
  // 0 and 5 are out of range; 3 starts at #3 and reads down to #1. Back from #3 is the message
  // before it in the reading order, #4.
  AtPrompts("Start at 1-4: ", {"0\r", "5\r", "3\r"});
  AtPrompts("(S)top: ", {"P", "N", "N", "N"});
  ReadMessages(*session, "", {});
  const std::string seen = Seen();
  EXPECT_NE(seen.find("Out of range: 1-4"), std::string::npos);
  EXPECT_EQ(Titles(seen), (std::vector<int>{3, 4, 3, 1}));
}

TEST_F(ReadMessagesTest, HelpAsksAgainAndOtherModesLeave) {
  test::WriteFile(system.dir / "MAILHELP.ANS", "How to read mail");
  AtPrompts("Choice: ", {"?", "q"});
  ReadMessages(*session, "", {});
  const std::string seen = Seen();
  EXPECT_NE(seen.find("Reader help\r\n"), std::string::npos);
  EXPECT_NE(seen.find("How to read mail"), std::string::npos);
  EXPECT_EQ(seen.find("holds"), std::string::npos);
  EXPECT_TRUE(Titles(seen).empty());
}

TEST_F(ReadMessagesTest, AnotherAreaFromTheDataAndTheAreaComesBack) {
  PostJam("keepers", "All", "jam one");
  PostJam("keepers", "All", "jam two", kJamAttributeDeleted);
  PostJam("keepers", "All", "jam three");
  AtPrompts("Choice: ", {"O"});
  AtPrompts("Start at 1-3: ", {"2\r"});
  AtPrompts("(S)top: ", {"S"});
  ReadMessages(*session, "/M 2", {});
  const std::string seen = Seen();
  EXPECT_NE(seen.find("Area \"Keepers\" holds 3 messages"), std::string::npos) << seen;
  EXPECT_EQ(Titles(seen), (std::vector<int>{3})) << "the deleted #2 is passed over";
  EXPECT_EQ(session->caller.user.msg_area, 1);
  EXPECT_EQ(session->areas.message.record.name, "Harbour");
}

TEST_F(ReadMessagesTest, AnAreaWithoutMessagesSaysSo) {
  AtPrompts("Choice: ", {"F"});
  ReadMessages(*session, "/M=4", {});
  EXPECT_NE(Seen().find("No messages here."), std::string::npos);
  // An area number without an area reads nothing either, nor does an area the caller may not
  // read (its security was raised after the caller chose it).
  AtPrompts("Choice: ", {"F"});
  ReadMessages(*session, "/M 77", {});
  EXPECT_EQ(session->caller.user.msg_area, 1);
  session->areas.message.record.read_security = 100;
  caller->TakeNew();
  AtPrompts("Choice: ", {"F"});
  ReadMessages(*session, "", {});
  Settle();
  EXPECT_NE(caller->TakeNew().find("No messages here."), std::string::npos);
}

TEST_F(ReadMessagesTest, DamagedHudsonFilesAreSurvivedAndLogged) {
  // msgidx.bbs holds an entry more than msghdr.bbs has headers; msgtxt.bbs lost its last block.
  std::string index = File("msgidx.bbs");
  index += std::string("\x05\x00\x01", 3);
  test::WriteFile(system.dir / "msgidx.bbs", index);
  std::string text = File("msgtxt.bbs");
  text.resize(text.size() - 256);
  test::WriteFile(system.dir / "msgtxt.bbs", text);
  AtPrompts("Choice: ", {"F"});
  AtPrompts("Start at 1-4: ", {"\r"});
  AtPrompts("(S)top: ", {"N", "N", "N"});
  ReadMessages(*session, "", {});
  const std::string seen = Seen();
  EXPECT_EQ(Titles(seen), (std::vector<int>{1, 3, 4})) << seen;
  EXPECT_NE(seen.find("Subj: four\r\n"), std::string::npos) << "a message without its text";

  // Without msginfo.bbs the area counts no messages, and the log says why.
  std::filesystem::remove(system.dir / "msginfo.bbs");
  AtPrompts("Choice: ", {"F"});
  ReadMessages(*session, "", {});
  EXPECT_NE(Seen().find("No messages here."), std::string::npos);
  EXPECT_NE(File("NODE1.LOG").find("msginfo.bbs cannot be read"), std::string::npos);
}

TEST_F(ReadMessagesTest, AJamBaseNumberedFromFive) {
  PostJam("keepers", "All", "a");
  PostJam("keepers", "All", "b");
  PostJam("keepers", "All", "c");
  std::string jhr = File("keepers.JHR");
  jhr[20] = 5;  // base message number 5: the messages are #5, #6, #7
  for (size_t h = 1024, n = 5; h < jhr.size(); ++n) {
    jhr[h + 48] = static_cast<char>(n);
    h += 76 + (static_cast<uint8_t>(jhr[h + 8]) | (static_cast<uint8_t>(jhr[h + 9]) << 8));
  }
  test::WriteFile(system.dir / "keepers.JHR", jhr);
  session->caller.user.msg_area = 2;
  LoadMessageArea(*session);
  AtPrompts("Choice: ", {"F"});
  AtPrompts("Start at 1-7: ", {"6\r"});
  AtPrompts("(S)top: ", {"N", "N"});
  ReadMessages(*session, "", {});
  const std::string seen = Seen();
  EXPECT_EQ(Titles(seen), (std::vector<int>{6, 7})) << seen;
  EXPECT_NE(seen.find("Subj: b"), std::string::npos);
}

TEST_F(ReadMessagesTest, DisplayCodesShowTheCurrentAreasFigures) {
  session->code_values.SetMessageFigures([this] { return CurrentAreaFigures(*session); });
  const auto expand = [this](const char* text) {
    return session->terminal.ExpandControlCodes(text);
  };
  EXPECT_EQ(expand("\x0b"
                   "0/\x0b"
                   "C/\x0b"
                   "D/\x0b"
                   "E/\x0b"
                   "Y/\x0b"
                   "1"),
            "3/3/0/4/Harbour/1")
      << "msginfo.bbs keeps the lowest number, which posts leave alone";
  // Another node posts: the figures follow at once.
  PostHudson(1, "All", "five");
  EXPECT_EQ(expand("\x0b"
                   "0 \x0b"
                   "E"),
            "4 5");

  PostJam("keepers", "All", "a");
  PostJam("keepers", "All", "b");
  session->caller.user.msg_area = 2;
  LoadMessageArea(*session);
  EXPECT_EQ(expand("\x0b"
                   "C \x0b"
                   "D \x0b"
                   "E \x0b"
                   "1"),
            "2 1 2 2");
  // A Hudson area numbered beyond the 200 boards, and no area at all, have no messages.
  session->caller.user.msg_area = 77;
  LoadMessageArea(*session);
  EXPECT_EQ(expand("\x0b"
                   "0 \x0b"
                   "D \x0b"
                   "E"),
            "0 0 0");
  EXPECT_EQ(ReadAreaFigures(*session, Area(201, "Too high"), 201).count, 0);
}

}  // namespace
}  // namespace vx::messages::testing
