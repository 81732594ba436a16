// Whole calls over the telnet line (loopback TCP, a manual clock) that write messages: a post in a
// Hudson area and in a JAM echomail area with the line editor, the bases compared byte for byte
// with bytes written out here from the layouts; replies in both bases that change only their
// link field; "/L"; a stub external editor run as a program; a caller who hangs up in the editor;
// and the watchdog's notice after three wrong passwords.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <ctime>

#include "comm/telnet_line.h"
#include "console/wiring.h"
#include "core/area_records.h"
#include "menus/menu_file.h"
#include "messages/hudson_base.h"
#include "messages/jam_base.h"
#include "session/call_fixture.h"
#include "support/language_file.h"
#include "support/loopback.h"
#include "support/test_caller.h"

namespace vx::session::testing {
namespace {

// --- Bytes written out from the layouts, by hand. ---
void Put16(std::string& b, size_t at, unsigned v) {
  b[at] = static_cast<char>(v & 0xFF);
  b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + static_cast<size_t>(i)] = static_cast<char>(v >> (8 * i));
}
void PutPascal(std::string& b, size_t at, const std::string& text) {
  b[at] = static_cast<char>(text.size());
  b.replace(at + 1, text.size(), text);
}
std::string Le32(uint32_t v) {
  std::string b(4, '\0');
  Put32(b, 0, v);
  return b;
}
uint32_t U32(const std::string& b, size_t at) {
  uint32_t v = 0;
  std::memcpy(&v, b.data() + at, 4);
  return v;
}
uint32_t PlainCrc(const std::string& text) {  // bitwise CRC-32, no final inversion
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char c : text) {
    crc ^= c;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return crc;
}
std::string Hex(uint32_t v) {
  char text[16];
  std::snprintf(text, sizeof text, "%x", static_cast<unsigned>(v));
  return text;
}

// The manual clock's moment as the node's local time, and as seconds counted in local time.
constexpr std::time_t kNow = 1796558709;
std::tm LocalNow() {
  std::tm t{};
  localtime_r(&kNow, &t);
  return t;
}
uint32_t LocalSeconds(std::tm t) { return static_cast<uint32_t>(timegm(&t)); }
std::string Two(int v) { return std::string(1, static_cast<char>('0' + v / 10 % 10)) + static_cast<char>('0' + v % 10); }

constexpr const char* kNote = "\x01NOTE: This message was sent by ngFarlink32 for Win95\r";
constexpr const char* kVersion = "0.982 beta2 (Public)";

class MessageEntryCallTest : public CallTest {
 protected:
  MessageEntryCallTest() {
    const auto [node_fd, caller_fd] = test::LoopbackTcpPair();
    telnet_line = std::make_unique<comm::TelnetLine>(loop, node_fd);
    caller = std::make_unique<test::TestCaller>(loop, caller_fd);
    // The system's addresses: 2:280/1 and 2:280/1.1.
    for (const auto& [position, value] : std::vector<std::pair<size_t, unsigned>>{
             {1179, 2}, {1181, 280}, {1183, 1}, {1185, 0}, {1187, 2}, {1189, 280}, {1191, 1},
             {1193, 1}}) {
      test::PutWord(system.config, position, value);
    }
    system.WriteConfig();
    WriteLanguage();
    WriteAreas();
    WriteMenu();
  }
  ~MessageEntryCallTest() override {
    // The menu functions hold call state that refers to the session: they go first.
    engine.reset();
    functions = menus::MenuFunctions{};
    session.reset();
    caller.reset();
  }

  void WriteLanguage() {
    std::map<int, std::string> entries = test::LogonSystem::Prompts();
    const std::map<int, std::string> more = {
        {77, "<77 start at>"},  {258, "<258 scan>"},     {271, "<271 no lines>"},
        {283, "<283 up to "},   {284, " lines"},         {285, " wide>"},
        {288, "(D)elete"},      {289, "(E)dit"},         {290, "(R)eplace"},
        {291, "(I)nsert"},      {292, "(H)elp"},         {293, "(C)ontinue"},
        {294, "(L)ist"},        {295, "(S)ave"},         {296, "(A)bort"},
        {298, "<298 abandon?> N"}, {300, "<300 saving>"}, {306, "<306 to?> "},
        {316, "Reply in the"},  {317, "New message in the"}, {318, "area"},
        {321, "<321 to> "},     {323, "<323 subject?> "}, {324, "<324 right?> Y"},
        {325, "S Subject"},     {326, "T To"},           {327, "<327 change>"},
        {328, "<328 to?> "},    {329, "<329 subject?> "}, {331, "<331 private?> N"},
        {339, "<339 saved>"},   {359, "Date: "},         {360, "From: "},
        {361, "To: "},          {362, "Subj: "},         {364, "Area "},
        {365, " holds "},       {366, ": "},             {372, "<372 no more>"},
        {374, "<374 none>"},    {380, "local"},          {381, "netmail"},
        {382, "echomail"},      {423, "(A)gain"},        {424, "(N)ext"},
        {425, "(P)revious"},    {426, "(R)eply"},        {427, "(E)nter"},
        {428, "(S)top"},        {429, "(H)elp"},         {433, "Again"},
        {434, "Next"},          {435, "Previous"},       {436, "Help"},
        {437, "Reply"},         {438, "Enter"},          {445, "(F)orward"},
        {446, "(B)ackward"},    {457, "Stop"},           {458, "(Q)uit"},
        {531, "<531 closed>"}};
    entries.insert(more.begin(), more.end());
    test::WriteFile(system.dir / "ENGLISH.VXL", test::LanguageFileBytes(entries));
  }

  // Area 1 "Harbour": Hudson, local. Area 2 "Keepers": JAM echomail with tear and origin lines
  // and the second address.
  void WriteAreas() {
    core::MemoryStream records;
    core::MessageAreaRecord harbour;
    harbour.area_number = 1;
    harbour.name = "Harbour";
    core::MessageAreaRecord keepers;
    keepers.area_number = 2;
    keepers.name = "Keepers";
    keepers.area_type = 2;
    keepers.attribute = 0x81;
    keepers.origin_line = "The Lighthouse";
    keepers.address_index = 1;
    keepers.jam_base_path = system.dir / "keepers";
    core::WriteMessageAreaRecord(harbour, records);
    core::WriteMessageAreaRecord(keepers, records);
    test::WriteFile(system.dir / "MESSAGES.VX", records.bytes());
    core::MemoryStream index;
    core::WriteAreaIndex(core::BuildAreaIndex({1, 2}), index);
    test::WriteFile(system.dir / "MESSAGES.VDX", index.bytes());
  }

  void WriteMenu() {
    menus::MenuFile menu;
    menu.header.prompt = "Menu: ";
    const auto entry = [](uint8_t type, const char* key, const char* data) {
      menus::MenuEntry e;
      e.type = type;
      e.hot_key = key;
      e.data = data;
      e.display_text = ";";
      return e;
    };
    menu.entries = {entry(27, "E", "1"),     entry(27, "J", "2"),     entry(27, "L", "1 /L"),
                    entry(23, "H", "/M 1"),  entry(23, "K", "/M 2"),  entry(9, "G", "")};
    core::MemoryStream out;
    menus::WriteMenuFile(menu, out);
    test::WriteFile(system.dir / "TOP.MNU", out.bytes());
  }

  // A call by the sysop; `script` sets what the caller types.
  int SysopCall(const std::function<void()>& script = {}) {
    caller->WhenType("Name: ", "sam sysop\r");
    caller->WhenType("<59 password?>", "lighthouse\r");
    if (script) script();
    const int code = Call(
        "",
        [this](NodeSession& s) {
          engine = std::make_unique<menus::MenuEngine>(s, functions);
          console::WireMenuFunctions(s, *engine, functions);
          s.hooks.run_menus = [this] { engine->EnterMenuLoop(); };
        },
        telnet_line.get());
    for (int i = 0; i < 5; ++i) loop.RunOnce(true, std::chrono::milliseconds(2));
    return code;
  }
  // The questions of a new message to `to` about `subject`, and its lines.
  void Compose(const std::string& to, const std::string& subject,
               const std::vector<std::string>& lines) {
    if (!to.empty()) caller->WhenType("<306 to?> ", to + "\r");
    caller->WhenType("<323 subject?> ", subject + "\r");
    caller->WhenType("<324 right?>", "Y");
    caller->WhenType("<331 private?>", "N");
    Lines(lines);
  }
  void Lines(const std::vector<std::string>& lines) {
    for (size_t i = 0; i < lines.size(); ++i) {
      std::string label = std::to_string(i + 1);
      caller->WhenType(std::string(3 - label.size(), ' ') + label + ": ", lines[i] + "\r");
    }
    std::string label = std::to_string(lines.size() + 1);
    caller->WhenType(std::string(3 - label.size(), ' ') + label + ": ", "\r");
    caller->WhenType("<297 choice?> ", "S");
  }
  std::string Bases() const {
    std::string all;
    for (const char* name : {"msghdr.bbs", "msgtxt.bbs", "msgidx.bbs", "msgtoidx.bbs",
                             "msginfo.bbs", "keepers.JHR", "keepers.JDX", "keepers.JDT"}) {
      all += test::ReadFile(system.dir / name) + "|";
    }
    return all;
  }
  uint16_t SamsMsgsPosted() const {
    const std::string users = test::ReadFile(system.dir / "USERS.BBS");
    return static_cast<uint16_t>(static_cast<uint8_t>(users[448]) |
                                 (static_cast<uint8_t>(users[449]) << 8));
  }

  std::unique_ptr<comm::TelnetLine> telnet_line;
  std::unique_ptr<test::TestCaller> caller;
  menus::MenuFunctions functions;
  std::unique_ptr<menus::MenuEngine> engine;
};

TEST_F(MessageEntryCallTest, APostInAHudsonAreaIsStoredByteForByte) {
  const int code = SysopCall([this] {
    caller->WhenType("Menu: ", "E");
    Compose("jane doe", "Fog", {"The horn sounds at nine."});
    caller->WhenType("Menu: ", "G");
  });
  EXPECT_EQ(code, 0);
  const std::tm now = LocalNow();
  const std::string text = "\x01MSGID: 2:280/1 " + Hex(LocalSeconds(now)) + "\r" +
                           "\x01PID: ngVX32 " + kVersion + "\r" + kNote +
                           "The horn sounds at nine.\r";
  std::string header(187, '\0');
  Put16(header, 0, 1);     // number
  Put16(header, 10, 1);    // one block, from block 0
  Put16(header, 16, 280);  // origin net, node, zone
  Put16(header, 18, 1);
  header[21] = 2;
  header[24] = 96;  // attributes
  header[26] = 1;   // board
  PutPascal(header, 27, Two(now.tm_hour) + ":" + Two(now.tm_min));
  PutPascal(header, 33, Two(now.tm_mon + 1) + "-" + Two(now.tm_mday) + "-" + Two(now.tm_year % 100));
  PutPascal(header, 42, "jane doe");
  PutPascal(header, 78, "Sam Sysop");
  PutPascal(header, 114, "Fog");
  EXPECT_EQ(test::ReadFile(system.dir / "msghdr.bbs"), header);
  std::string block(256, '\0');
  PutPascal(block, 0, text);
  EXPECT_EQ(test::ReadFile(system.dir / "msgtxt.bbs"), block);
  EXPECT_EQ(test::ReadFile(system.dir / "msgidx.bbs"), std::string("\x01\x00\x01", 3));
  std::string name(36, '\0');
  PutPascal(name, 0, "jane doe");
  EXPECT_EQ(test::ReadFile(system.dir / "msgtoidx.bbs"), name);
  std::string info(406, '\0');
  Put16(info, 2, 1);  // highest
  Put16(info, 4, 1);  // active
  Put16(info, 6, 1);  // board 1
  EXPECT_EQ(test::ReadFile(system.dir / "msginfo.bbs"), info);
  EXPECT_TRUE(Logged("Message #1 posted in Local area #1 Harbour"));
  EXPECT_EQ(SamsMsgsPosted(), 1);
}

TEST_F(MessageEntryCallTest, AnEchomailPostMakesTheJamBaseAndExitCodeThree) {
  const int code = SysopCall([this] {
    caller->WhenType("Menu: ", "J");
    Compose("All", "Fog signal", {"Winter schedule is up."});
    caller->WhenType("Menu: ", "G");
  });
  EXPECT_EQ(code, 3);
  const std::tm now = LocalNow();
  std::tm midnight = now;
  midnight.tm_hour = midnight.tm_min = midnight.tm_sec = 0;
  const uint32_t written = LocalSeconds(now);
  const std::string stored = std::string(kNote) + "Winter schedule is up.\r" +
                             "--- ngVX32 " + kVersion + " build 1\r" +
                             " * Origin: The Lighthouse (2:280/1.1)\r";
  std::string base(1024, '\0');
  base.replace(0, 4, std::string("JAM\0", 4));
  Put32(base, 4, LocalSeconds(midnight));
  Put32(base, 8, 2);   // 1 for the new base, 1 for the post
  Put32(base, 12, 1);  // active
  Put32(base, 20, 1);  // base number
  std::string fields;
  for (const auto& [id, data] : std::vector<std::pair<uint16_t, std::string>>{
           {0, "2:280/1.1"},
           {1, "0:0/0"},
           {2, "Sam Sysop"},
           {3, "All"},
           {4, "2:280/1.1 " + Hex(written)},
           {6, "Fog signal"},
           {7, std::string("ngVX32 ") + kVersion}}) {
    std::string head(8, '\0');
    Put16(head, 0, id);
    Put32(head, 4, static_cast<uint32_t>(data.size()));
    fields += head + data;
  }
  std::string fixed(76, '\0');
  fixed.replace(0, 4, std::string("JAM\0", 4));
  Put16(fixed, 4, 1);
  Put16(fixed, 6, 1);
  Put32(fixed, 8, static_cast<uint32_t>(fields.size()));
  Put32(fixed, 36, written);
  Put32(fixed, 48, 1);
  Put32(fixed, 52, 0x1000001u);
  Put32(fixed, 64, static_cast<uint32_t>(stored.size()));
  EXPECT_EQ(test::ReadFile(system.dir / "keepers.JHR"), base + fixed + fields);
  EXPECT_EQ(test::ReadFile(system.dir / "keepers.JDX"), Le32(PlainCrc("all")) + Le32(1024));
  EXPECT_EQ(test::ReadFile(system.dir / "keepers.JDT"), stored);
  EXPECT_FALSE(test::Exists(system.dir / "msghdr.bbs"));
  EXPECT_TRUE(Logged("Message #1 posted in Echomail area #2 Keepers"));
}

// A thread in each base: a message to all from Keeper Jo and two replies.
class ReplyCallTest : public MessageEntryCallTest {
 protected:
  ReplyCallTest() {
    const platform::Environment plain;
    const messages::JamBase jam(system.dir / "keepers", plain);
    const messages::HudsonBase hudson(system.dir.path() + "/", plain);
    for (uint32_t n = 1; n <= 3; ++n) {
      messages::JamPost post;
      post.from = n == 1 ? "Keeper Jo" : "Mariner Lee";
      post.to = n == 1 ? "All" : "Keeper Jo";
      post.subject = "Fog";
      post.text = "Message " + std::to_string(n) + "\r";
      post.attributes = 0x1000001;
      post.reply_to = n == 1 ? 0 : 1;
      post.link_reply = n > 1;
      post.now = LocalNow();
      EXPECT_TRUE(jam.WriteMessage(post).ok);
      messages::HudsonPost hpost;
      hpost.from = post.from;
      hpost.to = post.to;
      hpost.subject = "Lamp";
      hpost.text = post.text;
      hpost.attributes = 96;
      hpost.board = 1;
      hpost.now = LocalNow();
      EXPECT_TRUE(hudson.WriteMessage(hpost).ok);
    }
  }
};

TEST_F(ReplyCallTest, AJamReplyChangesOnlyTheSecondRepliesNextReplyField) {
  const std::string jhr = test::ReadFile(system.dir / "keepers.JHR");
  const std::string jdx = test::ReadFile(system.dir / "keepers.JDX");
  const uint32_t first = U32(jdx, 4), third = U32(jdx, 20);
  ASSERT_EQ(U32(jhr, first + 28), 2u);
  const int code = SysopCall([this] {
    caller->WhenType("Menu: ", "K");
    caller->WhenType("<297 choice?> ", "F");
    caller->WhenType("<77 start at>", "1\r");
    caller->WhenType("(S)top: ", "R");
    caller->WhenType("<321 to> ", "");
    caller->WhenType("<324 right?>", "Y");
    caller->WhenType("<331 private?>", "N");
    Lines({"Coming over."});
    caller->WhenType("(S)top: ", "S");
    caller->WhenType("Menu: ", "G");
  });
  EXPECT_EQ(code, 3);
  const std::string after = test::ReadFile(system.dir / "keepers.JHR");
  ASSERT_GT(after.size(), jhr.size());
  // Reading #1 raised its times read (its header + 12); the reply moved the base header's counter
  // (8) and active count (12) and set #3's next reply (its header + 32). Nothing else changed.
  for (size_t i = 0; i < jhr.size(); ++i) {
    const bool may_change = (i >= 8 && i < 16) || (i >= first + 12 && i < first + 16) ||
                            (i >= third + 32 && i < third + 36);
    if (!may_change) {
      EXPECT_EQ(after[i], jhr[i]) << "byte " << i;
    }
  }
  EXPECT_EQ(U32(after, third + 32), 4u);
  EXPECT_EQ(U32(after, first + 12), 1u);
  const uint32_t fourth = U32(test::ReadFile(system.dir / "keepers.JDX"), 28);
  EXPECT_EQ(fourth, jhr.size());
  EXPECT_EQ(U32(after, fourth + 24), 1u) << "the reply's reply-to";
  EXPECT_EQ(U32(after, fourth + 48), 4u);
  const std::string seen = caller->received();
  EXPECT_NE(seen.find("Reply in the echomail area \"Keepers\"."), std::string::npos);
  EXPECT_NE(seen.find("<321 to> Keeper Jo"), std::string::npos);
}

TEST_F(ReplyCallTest, AHudsonReplyChangesOnlyTheRepliedHeadersNextReplyField) {
  const std::string headers = test::ReadFile(system.dir / "msghdr.bbs");
  const int code = SysopCall([this] {
    caller->WhenType("Menu: ", "H");
    caller->WhenType("<297 choice?> ", "F");
    caller->WhenType("<77 start at>", "2\r");
    caller->WhenType("(S)top: ", "R");
    caller->WhenType("<324 right?>", "Y");
    caller->WhenType("<331 private?>", "N");
    Lines({"Noted."});
    caller->WhenType("(S)top: ", "S");
    caller->WhenType("Menu: ", "G");
  });
  EXPECT_EQ(code, 0);
  const std::string after = test::ReadFile(system.dir / "msghdr.bbs");
  ASSERT_EQ(after.size(), 4u * 187);
  std::string expected = headers;
  expected[187 + 6] = 1;  // #2 was read once
  expected[187 + 4] = 4;  // and its next reply is the new #4
  EXPECT_EQ(after.substr(0, 3 * 187), expected);
  EXPECT_EQ(after[3 * 187 + 2], 2) << "#4 replies to #2";
  EXPECT_EQ(after.substr(3 * 187 + 42, 12), std::string("\x0bMariner Lee"));
}

TEST_F(MessageEntryCallTest, LogOffAfterThePostEndsTheCallAndWritesTheUserBack) {
  const int code = SysopCall([this] {
    caller->WhenType("Menu: ", "L");
    Compose("Jane Doe", "Bye", {"Off to bed."});
  });
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(Logged("Message #1 posted in Local area #1 Harbour"));
  EXPECT_TRUE(Logged("User requested to terminate the call"));
  EXPECT_TRUE(Logged("User off-line"));
  EXPECT_EQ(SamsMsgsPosted(), 1);
  EXPECT_FALSE(test::Exists(system.dir / "VxBusy.2"));
}

// The editor is a shell script: it keeps copies of what it was given and writes the text with
// Linux line ends.
class EditorScriptCallTest : public ReplyCallTest {
 protected:
  void UseScript(const std::string& body) {
    const std::string script = system.dir / "editor.sh";
    test::WriteFile(script, "#!/bin/sh\n" + body);
    ::chmod(script.c_str(), 0700);
    test::PutString(system.config, 2220, "/bin/sh " + script);
    test::PutString(system.config, 1118, "# wrote on `:");
    test::PutString(system.config, 1359, " @> ");
    system.WriteConfig();
  }
};

TEST_F(EditorScriptCallTest, TheScriptGetsTheExchangeFilesAndItsTextIsStored) {
  UseScript("cp MSGINF seen.inf; cp MSGTMP seen.tmp; printf 'Fine by me.\\nSam\\n' >> MSGTMP\n");
  const int code = SysopCall([this] {
    caller->WhenType("Menu: ", "H");
    caller->WhenType("<297 choice?> ", "F");
    caller->WhenType("<77 start at>", "1\r");
    caller->WhenType("(S)top: ", "R");
    caller->WhenType("<324 right?>", "Y");
    caller->WhenType("<331 private?>", "Y");
    caller->WhenType("(S)top: ", "S");
    caller->WhenType("Menu: ", "G");
  });
  EXPECT_EQ(code, 0);
  EXPECT_EQ(test::ReadFile(system.dir / "seen.inf"),
            "Sam Sysop\r\nKeeper Jo\r\nLamp\r\n4\r\nHarbour\r\nYES\r\n");
  const std::tm now = LocalNow();
  const std::string date =
      Two(now.tm_mon + 1) + "-" + Two(now.tm_mday) + "-" + Two(now.tm_year % 100);
  EXPECT_EQ(test::ReadFile(system.dir / "seen.tmp"),
            "Keeper Jo wrote on " + date + ":\r\n KJ> Message 1\r\n");
  const messages::HudsonBase hudson(system.dir.path() + "/", env);
  const auto header = hudson.ReadHeader(3);
  ASSERT_TRUE(header.has_value());
  EXPECT_EQ(header->attributes, 96 + 8);
  const std::string text = hudson.ReadText(*header);
  EXPECT_EQ(text.substr(text.find(kNote) + std::strlen(kNote)),
            "Keeper Jo wrote on " + date + ":\r KJ> Message 1\rFine by me.\rSam\r");
}

TEST_F(EditorScriptCallTest, LeavingTheTextAloneAbortingOrHangingUpStoresNothing) {
  const messages::HudsonBase hudson(system.dir.path() + "/", env);
  const messages::JamBase jam(system.dir / "keepers", env);
  const auto new_line = [this] {
    engine.reset();
    functions = menus::MenuFunctions{};
    session.reset();
    const auto [node_fd, caller_fd] = test::LoopbackTcpPair();
    telnet_line = std::make_unique<comm::TelnetLine>(loop, node_fd);
    caller = std::make_unique<test::TestCaller>(loop, caller_fd);
  };
  for (const char* body : {"exit 0\n", "rm -f MSGTMP; exit 1\n"}) {
    UseScript(body);
    SysopCall([this] {
      caller->WhenType("Menu: ", "H");
      caller->WhenType("<297 choice?> ", "F");
      caller->WhenType("<77 start at>", "1\r");
      caller->WhenType("(S)top: ", "R");
      caller->WhenType("<324 right?>", "Y");
      caller->WhenType("<331 private?>", "N");
      caller->WhenType("(S)top: ", "S");
      caller->WhenType("Menu: ", "G");
    });
    new_line();
  }
  EXPECT_TRUE(Logged("No message saved: " + system.dir.path() + "/MSGTMP is as the node wrote it"));
  EXPECT_TRUE(Logged("No message saved: " + system.dir.path() + "/MSGTMP is not there"));

  // The caller hangs up while the editor runs (the script says through a fifo that it has
  // started, and waits until the caller is gone); it writes a text after that.
  const std::string started = system.dir / "started";
  ASSERT_EQ(::mkfifo(started.c_str(), 0600), 0);
  const int signal_fd = ::open(started.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(signal_fd, 0);
  bool hung_up = false;
  platform::FdWatcher editor_started(loop, signal_fd, POLLIN, [&](short) {
    char byte;
    while (::read(signal_fd, &byte, 1) > 0) {
    }
    if (hung_up) return;
    hung_up = true;
    caller->Hangup();
    test::WriteFile(system.dir / "gone", std::string());
  });
  UseScript("echo x > started; while [ ! -e gone ]; do sleep 0.01; done; echo late > MSGTMP\n");
  const int code = SysopCall([this] {
    caller->WhenType("Menu: ", "J");
    caller->WhenType("<306 to?> ", "All\r");
    caller->WhenType("<323 subject?> ", "x\r");
    caller->WhenType("<324 right?>", "Y");
    caller->WhenType("<331 private?>", "N");
  });
  ::close(signal_fd);
  EXPECT_TRUE(hung_up);
  EXPECT_EQ(code, 0) << "no echomail was entered";
  EXPECT_TRUE(Logged("The caller left the message editor by hanging up; no message saved"));
  EXPECT_EQ(hudson.HeaderCount(), 3u);
  EXPECT_EQ(jam.IndexCount(), 3u);
  EXPECT_EQ(test::ReadFile(system.dir / "keepers.JDT").find("late"), std::string::npos);
}

TEST_F(MessageEntryCallTest, ThreeWrongPasswordsLeaveTheWatchdogsNotice) {
  system.SetConfigByte(2164, 1);  // the watchdog area
  test::WriteFile(system.dir / "WATCHDOG.MSG",
                  std::string("Somebody tried your password three times.\r\n"));
  caller->WhenType("Name: ", "jane doe\r");
  for (int i = 0; i < 3; ++i) caller->WhenType("<59 password?>", "wrong\r");
  caller->WhenType("<67 more>", "Y");  // the screen is full by then
  caller->WhenType("<35 message to sysop?>", "N");
  const int code = Call(
      "",
      [this](NodeSession& s) {
        engine = std::make_unique<menus::MenuEngine>(s, functions);
        console::WireMenuFunctions(s, *engine, functions);
      },
      telnet_line.get());
  EXPECT_EQ(code, 0);
  const messages::HudsonBase hudson(system.dir.path() + "/", env);
  ASSERT_EQ(hudson.HeaderCount(), 1u);
  const auto header = hudson.ReadHeader(0);
  EXPECT_EQ(header->from, "Sam Sysop");
  EXPECT_EQ(header->to, "Jane Doe");
  EXPECT_EQ(header->subject, "Watchdog Alert!");
  EXPECT_EQ(header->board, 1);
  const std::string text = hudson.ReadText(*header);
  EXPECT_EQ(text.substr(text.find(kNote) + std::strlen(kNote)),
            "Somebody tried your password three times.\r");
  EXPECT_TRUE(Logged("Message #1 posted in Local area #1 Harbour"));
  EXPECT_TRUE(Logged("!Watchdog: User notified of password attempt"));
  // The account was never the caller's: its record is as it was.
  EXPECT_EQ(system.Read("USERS.BBS"), system.users);
}

TEST_F(MessageEntryCallTest, AfterThreeWrongPasswordsTheCallerMayWriteToTheSysop) {
  system.SetConfigByte(2503, 2);  // the sysop's message area: the echomail area
  caller->WhenType("Name: ", "jane doe\r");
  for (int i = 0; i < 3; ++i) caller->WhenType("<59 password?>", "wrong\r");
  caller->WhenType("<35 message to sysop?>", "Y");
  caller->WhenType("<67 more>", "Y");  // the screen is full by then
  caller->WhenType("<321 to> Sam Sysop", "");
  caller->WhenType("<323 subject?> ", "Locked out\r");
  caller->WhenType("<324 right?>", "Y");
  caller->WhenType("<331 private?>", "Y");
  Lines({"I forgot my password."});
  const int code = Call(
      "",
      [this](NodeSession& s) {
        engine = std::make_unique<menus::MenuEngine>(s, functions);
        console::WireMenuFunctions(s, *engine, functions);
      },
      telnet_line.get());
  EXPECT_EQ(code, 3) << "echomail was entered" << caller->received() << Log();
  const auto message = messages::JamBase(system.dir / "keepers", env).ReadMessageNumber(1);
  ASSERT_TRUE(message.has_value());
  EXPECT_EQ(message->to, "Sam Sysop");
  EXPECT_EQ(message->from, "Jane Doe");
  EXPECT_EQ(message->subject, "Locked out");
  EXPECT_EQ(message->header.attributes, 0x1000001u + 4);
  EXPECT_EQ(system.Read("USERS.BBS"), system.users) << "MsgsPosted of an account never logged on";
}

}  // namespace
}  // namespace vx::session::testing
