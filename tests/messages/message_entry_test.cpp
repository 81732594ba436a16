// Message entry with a caller at the keys: the questions and their answers, areas that take no
// messages, the private flag, the sender's name, the tear and origin lines, the line editor, and
// an external editor (a stand-in that does what an editor would) with the exchange files and
// everything it may leave behind.
#include "messages/message_entry.h"

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <functional>

#include "message_fixture.h"
#include "messages/area_selection.h"
#include "messages/message_time.h"
#include "session/node_directory_claim.h"
#include "support/logon_system.h"

namespace vx::messages::testing {
namespace {

class MessageEntryTest : public MessageTest {
 protected:
  MessageEntryTest() {
    const std::string dir = system.dir.path() + "/";
    test::PutString(system.config, 1118, "On ` # wrote to @:");  // quote header
    test::PutString(system.config, 1359, " @> ");                // quote prefix
    test::PutString(system.config, 1375, "Sam Sysop");
    system.WriteConfig();
    session->config_snapshot.SetSystemPath(dir);
    session->node.startup_path = dir;
    session->node.number = 1;
    session->config.addresses[0] = {2, 280, 1, 0};
    session->config.addresses[1] = {2, 280, 1, 1};
    session->caller.user.attribute = "01000000";  // no page pauses

    core::MessageAreaRecord keepers = Area(2, "Keepers", true);
    keepers.area_type = 2;
    keepers.attribute |= 0x01;  // tear and origin lines
    keepers.origin_line = "The Lighthouse";
    keepers.address_index = 1;
    keepers.jam_base_path = system.dir / "keepers";
    core::MessageAreaRecord closed = Area(3, "Closed");
    closed.message_kinds = 3;
    core::MessageAreaRecord secret = Area(4, "Secrets");
    secret.message_kinds = 1;
    secret.attribute = 0x20;  // the sender's alias
    secret.area_type = 1;
    WriteAreas({Area(1, "Harbour"), keepers, closed, secret, Area(201, "Too far")});
    session->caller.user.msg_area = 1;
    LoadMessageArea(*session);
    // USERSIDX.BBS: Sam Sysop, handle Sysop.
    test::WriteFile(system.dir / "USERSIDX.BBS",
                    test::IndexEntry(test::crc::kSamSysop, test::crc::kSysop));

    const std::vector<std::pair<int, std::string>> entries = {{271, "No lines."},
                                                              {272, "From"},
                                                              {273, "To"},
                                                              {274, "Retype"},
                                                              {276, "Before"},
                                                              {277, "Line"},
                                                              {278, "Reads: "},
                                                              {279, "Find: "},
                                                              {280, "Put: "},
                                                              {283, "Up to "},
                                                              {284, " lines"},
                                                              {285, " wide."},
                                                              {288, "(D)elete"},
                                                              {289, "(E)dit"},
                                                              {290, "(R)eplace"},
                                                              {291, "(I)nsert"},
                                                              {292, "(H)elp"},
                                                              {293, "(C)ontinue"},
                                                              {294, "(L)ist"},
                                                              {295, "(S)ave"},
                                                              {296, "(A)bort"},
                                                              {297, "Choice: "},
                                                              {298, "Throw it away? N"},
                                                              {300, "Saving..."},
                                                              {303, "No such user."},
                                                              {306, "To: "},
                                                              {316, "Reply in the"},
                                                              {317, "New message in the"},
                                                              {318, "area"},
                                                              {321, "To is "},
                                                              {323, "Subject: "},
                                                              {324, "Right? Y"},
                                                              {325, "S Subject"},
                                                              {326, "T To"},
                                                              {327, "Change:"},
                                                              {328, "New to: "},
                                                              {329, "New subject: "},
                                                              {331, "Private? N"},
                                                              {339, "Saved."},
                                                              {380, "local"},
                                                              {381, "netmail"},
                                                              {382, "echomail"},
                                                              {531, "Closed here."}};
    for (const auto& [n, text] : entries) session->language.Set(n, text, 0);
  }

  void Post(const std::string& data, const Message* replied = nullptr) {
    EntryRequest request;
    request.data = data;
    request.replied = replied;
    PostMessage(*session, editor, request);
    Settle();
  }
  // The files of both bases, to compare before and after.
  std::string Bases() const {
    std::string all;
    for (const char* name : {"msghdr.bbs", "msgtxt.bbs", "msgidx.bbs", "msgtoidx.bbs",
                             "msginfo.bbs", "keepers.JHR", "keepers.JDX", "keepers.JDT"}) {
      all += File(name) + "|";
    }
    return all;
  }
  bool Logged(const std::string& text) const {
    return File("NODE1.LOG").find(text) != std::string::npos;
  }
  void UseEditor(const std::string& command) {
    test::PutString(system.config, 2220, command);
    system.WriteConfig();
  }
  std::string Node(const std::string& name) const { return File(name); }

  EditorRunner editor;
};

TEST_F(MessageEntryTest, AHudsonMessageWithTheLineEditor) {
  session->terminal.input().auto_accept = true;  // as the menu leaves it
  caller->WhenType("To: ", "sam sysop\r");
  caller->WhenType("Subject: ", "Fog tonight\r");
  caller->WhenType("Right? ", "Y");
  caller->WhenType("Private? ", "N");
  caller->WhenType(" 1: ", "The horn sounds at nine.\r");
  caller->WhenType(" 2: ", "\r");
  caller->WhenType("Choice: ", "S");
  Post("");
  const std::string seen = Seen();
  EXPECT_NE(seen.find("New message in the local area \"Harbour\"."), std::string::npos) << seen;
  EXPECT_NE(seen.find("Up to 100 lines, 70 wide."), std::string::npos);
  EXPECT_NE(seen.find("Saving..."), std::string::npos);
  EXPECT_NE(seen.find("Saved."), std::string::npos);

  const std::optional<HudsonHeader> header = Hudson().ReadHeader(0);
  ASSERT_TRUE(header.has_value());
  EXPECT_EQ(header->number, 1);
  EXPECT_EQ(header->to, "sam sysop");
  EXPECT_EQ(header->from, "Ann Caller");
  EXPECT_EQ(header->subject, "Fog tonight");
  EXPECT_EQ(header->attributes, 96);
  EXPECT_EQ(header->board, 1);
  EXPECT_EQ(header->orig_zone, 2);
  EXPECT_EQ(header->orig_net, 280);
  const std::string text = Hudson().ReadText(*header);
  EXPECT_EQ(text.substr(text.rfind("Win95\r") + 6), "The horn sounds at nine.\r");
  EXPECT_EQ(Hudson().ReadInfo().board_active[0], 1);
  EXPECT_EQ(session->caller.user.msgs_posted, 1);
  EXPECT_FALSE(session->call.echomail_entered);
  EXPECT_TRUE(Logged("Message #1 posted in Local area #1 Harbour"));
}

TEST_F(MessageEntryTest, TheAddresseeOfALocalAreaMustBeAUserAndTheHeaderCanBeChanged) {
  caller->WhenType("To: ", "Nobody Here\r");
  caller->WhenType("No such user.", "");
  caller->WhenType("To: ", "SYSOP\r");  // a handle is a user too
  caller->WhenType("Subject: ", "First try\r");
  caller->WhenType("Right? ", "N");
  caller->WhenType("Change:", "T");
  caller->WhenType("New to: ", "Sam Sysop\r");
  caller->WhenType("Right? ", "N");
  caller->WhenType("Change:", "S");
  caller->WhenType("New subject: ", "Second try\r");
  caller->WhenType("Right? ", "N");
  caller->WhenType("Change:", "\r");  // Enter goes on as it is
  caller->WhenType("Private? ", "Y");
  caller->WhenType(" 1: ", "x\r\r");
  caller->WhenType("Choice: ", "S");
  Post("");
  const std::optional<HudsonHeader> header = Hudson().ReadHeader(0);
  ASSERT_TRUE(header.has_value());
  EXPECT_EQ(header->to, "Sam Sysop");
  EXPECT_EQ(header->subject, "Second try");
  EXPECT_EQ(header->attributes, 96 + 8);
}

TEST_F(MessageEntryTest, EmptyAnswersAndAnAbandonedTextStoreNothing) {
  const std::string before = Bases();
  caller->WhenType("To: ", "\r");
  Post("");
  caller->WhenType("To: ", "Sam Sysop\r");
  caller->WhenType("Subject: ", "   \r");
  Post("");
  caller->WhenType("To: ", "Sam Sysop\r");
  caller->WhenType("Subject: ", "x\r");
  caller->WhenType("Right? ", "N");
  caller->WhenType("Change:", "T");
  caller->WhenType("New to: ", "\r");
  Post("");
  caller->WhenType("To: ", "Sam Sysop\r");
  caller->WhenType("Subject: ", "x\r");
  caller->WhenType("Right? ", "Y");
  caller->WhenType("Private? ", "N");
  caller->WhenType(" 1: ", "Never mind\r\r");
  caller->WhenType("Choice: ", "A");
  caller->WhenType("Throw it away? ", "Y");
  Post("");
  EXPECT_EQ(Bases(), before);
  EXPECT_EQ(session->caller.user.msgs_posted, 0);
  EXPECT_EQ(Seen().find("Saving..."), std::string::npos);
}

TEST_F(MessageEntryTest, AreasThatTakeNoMessagesAreRefusedBeforeAnyQuestion) {
  const std::string before = Bases();
  for (const char* data : {"3", "201", "999", "65536", "/T=Sam\x01Sysop"}) {
    Post(data);
    EXPECT_EQ(session->caller.user.msg_area, 1) << data;
    EXPECT_EQ(session->areas.message.record.name, "Harbour") << data;
  }
  const std::string seen = Seen();
  EXPECT_EQ(seen.find("To: "), std::string::npos) << seen;
  size_t refusals = 0;
  for (size_t at = seen.find("Closed here."); at != std::string::npos;
       at = seen.find("Closed here.", at + 1)) {
    ++refusals;
  }
  EXPECT_EQ(refusals, 3u) << "areas 3, 201 and 999";
  EXPECT_TRUE(Logged("No message can be written in area 201: a Hudson area is numbered 1 to 200"));
  EXPECT_TRUE(Logged("control characters"));
  EXPECT_EQ(Bases(), before);
  EXPECT_FALSE(test::Exists(system.dir / "msginfo.bbs"));
}

TEST_F(MessageEntryTest, PrivateAreasAndAliasesAndTheAddresseeOfTheMenuEntry) {
  // Area 4: every message private, the sender's handle; "/T=" names the addressee unchecked.
  caller->WhenType("Subject: ", "Quiet\r");
  caller->WhenType("Right? ", "Y");
  caller->WhenType(" 1: ", "Only for you.\r\r");
  caller->WhenType("Choice: ", "S");
  Post("4 /T=Pat_O'Neil");
  const std::string seen = Seen();
  EXPECT_NE(seen.find("New message in the netmail area \"Secrets\"."), std::string::npos);
  EXPECT_NE(seen.find("To is Pat O'Neil"), std::string::npos);
  EXPECT_EQ(seen.find("Private? "), std::string::npos);
  const std::optional<HudsonHeader> header = Hudson().ReadHeader(0);
  ASSERT_TRUE(header.has_value());
  EXPECT_EQ(header->board, 4);
  EXPECT_EQ(header->from, "Annie");
  EXPECT_EQ(header->to, "Pat O'Neil");
  EXPECT_EQ(header->attributes, 96 + 8);
  EXPECT_TRUE(session->call.netmail_entered);
  EXPECT_EQ(session->caller.user.msg_area, 1);
}

TEST_F(MessageEntryTest, AnEchomailMessageGetsTheTearAndOriginLines) {
  caller->WhenType("Subject: ", "Fog signal\r");
  caller->WhenType("Right? ", "Y");
  caller->WhenType("Private? ", "N");
  caller->WhenType(" 1: ", "Winter schedule is up.\r\r");
  caller->WhenType("Choice: ", "S");
  Post("2 /T=All");
  const std::optional<JamMessage> m = Jam("keepers").ReadMessageNumber(1);
  ASSERT_TRUE(m.has_value());
  EXPECT_EQ(m->from, "Ann Caller");
  EXPECT_EQ(m->to, "All");
  EXPECT_EQ(m->header.attributes, 0x1000001u);
  EXPECT_EQ(Jam("keepers").ReadText(m->header),
            "\x01NOTE: This message was sent by ngFarlink32 for Win95\r"
            "Winter schedule is up.\r"
            "--- ngVX32 0.982 beta2 (Public) build 1\r"
            " * Origin: The Lighthouse (2:280/1.1)\r");
  EXPECT_TRUE(session->call.echomail_entered);
  EXPECT_TRUE(Logged("Message #1 posted in Echomail area #2 Keepers"));
}

TEST_F(MessageEntryTest, APreparedNoticeAsksNothing) {
  EntryRequest request;
  request.data = "1 /T=Jane_Doe";
  request.prepared_text = "Somebody tried your password.\r\nTwice.\n";
  PostMessage(*session, editor, request);
  const std::optional<HudsonHeader> header = Hudson().ReadHeader(0);
  ASSERT_TRUE(header.has_value());
  EXPECT_EQ(header->from, "Sam Sysop");
  EXPECT_EQ(header->to, "Jane Doe");
  EXPECT_EQ(header->subject, "Watchdog Alert!");
  EXPECT_EQ(header->attributes, 96);
  const std::string text = Hudson().ReadText(*header);
  EXPECT_EQ(text.substr(text.rfind("Win95\r") + 6), "Somebody tried your password.\rTwice.\r");
  EXPECT_EQ(Seen().find("To: "), std::string::npos);
  // Without an addressee or a text there is no notice.
  request.data = "1";
  PostMessage(*session, editor, request);
  request.data = "1 /T=Jane_Doe";
  request.prepared_text = "\r\n";
  PostMessage(*session, editor, request);
  EXPECT_EQ(Hudson().HeaderCount(), 1u);
}

// --- The external editor ---

class ExternalEditorTest : public MessageEntryTest {
 protected:
  ExternalEditorTest() {
    UseEditor("EDITOR.EXE *N");
    PostHudson(1, "Ann Caller", "Lamp oil", 0, "Keeper Jo",
               "\x01MSGID: 2:280/1 1\rWe are low on lamp oil.\rCan you bring some?\r");
    LoadMessageArea(*session);
  }
  // The message the reader shows (and replies to).
  Message Replied() {
    return OpenMessage(*session, {1, session->areas.message.record}, {BaseKind::kHudson, 1, {}})
        .value();
  }
  // Answers the questions of a reply.
  void ConfirmReply() {
    caller->WhenType("Right? ", "Y");
    caller->WhenType("Private? ", "N");
  }
  std::string seen_info, seen_text, ran_command;
};

TEST_F(ExternalEditorTest, TheEditorGetsMsginfAndTheQuoteAndItsTextIsStored) {
  editor = [this](const std::string& command) {
    ran_command = command;
    seen_info = Node("MSGINF");
    seen_text = Node("MSGTMP");
    // What a Linux editor writes: LF line ends.
    test::WriteFile(system.dir / "MSGTMP", seen_text + "\nI will bring two cans.\nJo\n");
    return EditorRun{true, "", false};
  };
  ConfirmReply();
  const Message replied = Replied();
  const std::string before_header = File("msghdr.bbs").substr(0, 187);
  Post("", &replied);
  EXPECT_EQ(ran_command, "EDITOR.EXE *N");
  EXPECT_EQ(seen_info, "Ann Caller\r\nKeeper Jo\r\nLamp oil\r\n2\r\nHarbour\r\nNO\r\n");
  EXPECT_EQ(seen_text,
            "On 12-06-26 Keeper Jo wrote to Ann Caller:\r\n"
            " KJ> We are low on lamp oil.\r\n"
            " KJ> Can you bring some?\r\n");
  const std::optional<HudsonHeader> header = Hudson().ReadHeader(1);
  ASSERT_TRUE(header.has_value());
  EXPECT_EQ(header->number, 2);
  EXPECT_EQ(header->to, "Keeper Jo");
  EXPECT_EQ(header->subject, "Lamp oil");
  EXPECT_EQ(header->prev_reply, 1);
  const std::string text = Hudson().ReadText(*header);
  EXPECT_EQ(text.substr(text.rfind("Win95\r") + 6),
            "On 12-06-26 Keeper Jo wrote to Ann Caller:\r KJ> We are low on lamp oil.\r"
            " KJ> Can you bring some?\r\rI will bring two cans.\rJo\r");
  // The replied header: its next-reply field (offset 4) and nothing else but what reading it
  // changed before.
  std::string expected = before_header;
  expected[4] = 2;
  EXPECT_EQ(File("msghdr.bbs").substr(0, 187), expected);
}

TEST_F(ExternalEditorTest, NothingIsStoredThatTheCallerDidNotWrite) {
  const Message replied = Replied();
  const std::string before = Bases();
  const std::vector<std::function<void()>> editors = {
      [] {},                                                  // left untouched
      [this] { ::unlink((system.dir / "MSGTMP").c_str()); },  // aborted
      [this] { test::WriteFile(system.dir / "MSGTMP", std::string(" \r\n\x1a")); },  // blank
      [this] {  // a link to another file
        test::WriteFile(system.dir / "other", std::string("not the caller's"));
        ::unlink((system.dir / "MSGTMP").c_str());
        (void)!::symlink((system.dir / "other").c_str(), (system.dir / "MSGTMP").c_str());
      },
      [this] { test::WriteFile(system.dir / "MSGTMP", std::string(2 * 1024 * 1024, 'x')); },
  };
  for (const auto& act : editors) {
    editor = [&act](const std::string&) {
      act();
      return EditorRun{true, "", false};
    };
    ConfirmReply();
    Post("", &replied);
  }
  EXPECT_EQ(Bases(), before);
  EXPECT_NE(Seen().find("too long"), std::string::npos);
  EXPECT_TRUE(Logged("No message saved:"));
  EXPECT_EQ(session->caller.user.msgs_posted, 0);
}

TEST_F(ExternalEditorTest, AnEditorThatCannotStartOrABusyDirectoryGivesTheLineEditor) {
  editor = [](const std::string&) { return EditorRun{false, "No such file or directory", false}; };
  caller->WhenType("Subject: ", "One\r");
  caller->WhenType("Right? ", "Y");
  caller->WhenType("Private? ", "N");
  caller->WhenType(" 1: ", "typed here\r\r");
  caller->WhenType("Choice: ", "S");
  Post("/T=Sam_Sysop");
  EXPECT_TRUE(
      Logged("the message editor (EDITOR.EXE *N) cannot start: No such file or "
             "directory; the line editor is used"));
  EXPECT_FALSE(test::Exists(system.dir / "MSGINF")) << "nothing left for a later entry";
  ASSERT_EQ(Hudson().HeaderCount(), 2u);

  // Another running node works in this directory: its files stay as they are.
  test::WriteFile(system.dir / "MSGINF", std::string("the other node's\r\n"));
  bool ran = false;
  editor = [&ran](const std::string&) {
    ran = true;
    return EditorRun{true, "", false};
  };
  pid_t other = ::fork();
  if (other == 0) {
    session::NodeDirectoryClaim claim(system.dir.path() + "/", 7);
    ::pause();
    _exit(0);
  }
  // The other node holds its claim before this one asks.
  for (int i = 0; i < 500 && File("VXDOOR.LCK").find("7") == std::string::npos; ++i) ::usleep(2000);
  caller->WhenType("Subject: ", "Two\r");
  caller->WhenType("Right? ", "Y");
  caller->WhenType("Private? ", "N");
  caller->WhenType(" 1: ", "typed again\r\r");
  caller->WhenType("Choice: ", "S");
  Post("/T=Sam_Sysop");
  ::kill(other, SIGKILL);
  ::waitpid(other, nullptr, 0);
  EXPECT_FALSE(ran);
  EXPECT_TRUE(Logged("is in use by node 7; the line editor is used"));
  EXPECT_EQ(Node("MSGINF"), "the other node's\r\n");
  EXPECT_EQ(Hudson().HeaderCount(), 3u);
}

}  // namespace
}  // namespace vx::messages::testing
