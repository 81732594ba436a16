// The reader: what a shown message looks like, the bytes that showing it changes (and only those),
// who sees private and deleted messages, stored text that must not act, the reader's keys through
// reply chains of both bases, and the message-entry seam.
#include "messages/message_reader.h"

#include <regex>

#include "message_fixture.h"
#include "messages/area_selection.h"
#include "messages/message_time.h"

namespace vx::messages::testing {
namespace {

// The numbers of the messages whose screens were shown, in order (the title line ends in "#n").
std::vector<int> Titles(const std::string& seen) {
  std::vector<int> numbers;
  static const std::regex title("  #([0-9]+)\r\n");
  for (auto it = std::sregex_iterator(seen.begin(), seen.end(), title);
       it != std::sregex_iterator(); ++it) {
    numbers.push_back(std::stoi((*it)[1]));
  }
  return numbers;
}

// Positions where two byte strings differ.
std::vector<size_t> Differences(const std::string& a, const std::string& b) {
  std::vector<size_t> at;
  for (size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
    if (i >= a.size() || i >= b.size() || a[i] != b[i]) at.push_back(i);
  }
  return at;
}

uint32_t U32(const std::string& b, size_t at) {
  return static_cast<uint8_t>(b[at]) | (static_cast<uint8_t>(b[at + 1]) << 8) |
         (static_cast<uint8_t>(b[at + 2]) << 16) |
         (static_cast<uint32_t>(static_cast<uint8_t>(b[at + 3])) << 24);
}

class ReaderTest : public MessageTest {
 protected:
  ReaderTest() {
    core::MessageAreaRecord sysops = Area(3, "Sysops");
    sysops.read_security = 100;
    core::MessageAreaRecord keepers = Area(2, "Keepers", true);
    keepers.jam_base_path = system.dir / "keepers";
    WriteAreas({Area(1, "Harbour"), keepers, sysops});
    session->caller.user.msg_area = 1;
    LoadMessageArea(*session);
    harbour = {1, session->AreaFiles().MessageArea(1).value()};
    jam = {2, keepers};
  }
  ReadingArea harbour, jam;
};

TEST_F(ReaderTest, AHudsonMessageOnScreenAndTheBytesItsReadingChanges) {
  PostHudson(1, "Ann Caller", "Hello Ann", 0, "Bob Writer", "First line\rSecond line\r");
  PostHudson(1, "Somebody Else", "Not for Ann");
  const std::string headers = File("msghdr.bbs"), names = File("msgtoidx.bbs");
  const std::string index = File("msgidx.bbs"), text = File("msgtxt.bbs"),
                    info = File("msginfo.bbs");

  ASSERT_TRUE(ShowMessage(*session, harbour, {BaseKind::kHudson, 1, {}}));
  const std::string seen = Seen();
  EXPECT_NE(seen.find(" Harbour"), std::string::npos);
  EXPECT_EQ(Titles(seen), std::vector<int>{1});
  EXPECT_NE(seen.find("Date: 12-06-26 12:05\r\n"), std::string::npos) << seen;
  EXPECT_NE(seen.find("From: Bob Writer\r\n"), std::string::npos);
  EXPECT_NE(seen.find("To:   Ann Caller\r\n"), std::string::npos);
  EXPECT_NE(seen.find("Subj: Hello Ann\r\n"), std::string::npos);
  EXPECT_NE(seen.find("First line\r\nSecond line\r\n"), std::string::npos);
  EXPECT_EQ(seen.find("MSGID"), std::string::npos) << "kludge lines are hidden";
  // The title is one row: the number ends at column 79.
  EXPECT_EQ(session->comm.terminal().RowText(1).size(), 79u);

  // Header 0: times read (offset 6) 0 -> 1, attributes (offset 24) gain bit 4. Nothing else.
  const std::string headers_after = File("msghdr.bbs");
  EXPECT_EQ(Differences(headers, headers_after), (std::vector<size_t>{6, 24}));
  EXPECT_EQ(headers_after[6], 1);
  EXPECT_EQ(headers_after[24], 16);
  // Entry 0 of msgtoidx.bbs now holds " * Received * " as a String[35]; entry 1 is untouched.
  const std::string names_after = File("msgtoidx.bbs");
  EXPECT_EQ(names_after.substr(0, 36), std::string("\x0e * Received * ") + std::string(21, '\0'));
  EXPECT_EQ(names_after.substr(36), names.substr(36));
  EXPECT_EQ(File("msgidx.bbs"), index);
  EXPECT_EQ(File("msgtxt.bbs"), text);
  EXPECT_EQ(File("msginfo.bbs"), info);

  // A message to someone else: only its times read rises.
  ASSERT_TRUE(ShowMessage(*session, harbour, {BaseKind::kHudson, 2, {}}));
  EXPECT_EQ(Differences(headers_after, File("msghdr.bbs")), std::vector<size_t>{187 + 6});
  EXPECT_EQ(File("msgtoidx.bbs"), names_after);
}

TEST_F(ReaderTest, AShortAddresseeIndexIsNotLengthened) {
  PostHudson(1, "Ann Caller", "first");
  PostHudson(1, "Ann Caller", "second");
  std::string names = File("msgtoidx.bbs");
  names.resize(36);
  test::WriteFile(system.dir / "msgtoidx.bbs", names);
  ASSERT_TRUE(ShowMessage(*session, harbour, {BaseKind::kHudson, 2, {}}));
  EXPECT_EQ(File("msgtoidx.bbs"), names);
  EXPECT_NE(File("NODE1.LOG").find("has no entry 2; the received mark is not written"),
            std::string::npos);
}

TEST_F(ReaderTest, AJamMessageToTheHandleIsMarkedReadWithTheDate) {
  PostJam("keepers", "ANNIE", "For the handle");
  const std::string before = File("keepers.JHR");
  const std::string jdx = File("keepers.JDX"), jdt = File("keepers.JDT");
  ASSERT_TRUE(ShowMessage(*session, jam, {BaseKind::kJam, 1, {}}));
  const std::string after = File("keepers.JHR");
  // The header follows the 1024-byte base header: times read at +12, date received at +40,
  // attributes at +52.
  const size_t h = 1024;
  for (size_t at : Differences(before, after)) {
    EXPECT_TRUE((at >= h + 12 && at < h + 16) || (at >= h + 40 && at < h + 44) || at == h + 52)
        << at;
  }
  EXPECT_EQ(U32(after, h + 12), 1u);
  EXPECT_EQ(U32(after, h + 52), 8u);
  EXPECT_EQ(U32(after, h + 40), LocalEpochSeconds(clock.LocalTime()));
  EXPECT_EQ(File("keepers.JDX"), jdx);
  EXPECT_EQ(File("keepers.JDT"), jdt);
  // Shown again: times read rises, the date received stays.
  clock.Advance(std::chrono::hours(2));
  ASSERT_TRUE(ShowMessage(*session, jam, {BaseKind::kJam, 1, {}}));
  const std::string again = File("keepers.JHR");
  EXPECT_EQ(Differences(after, again), (std::vector<size_t>{h + 12}));
}

TEST_F(ReaderTest, PrivateAndDeletedMessages) {
  const uint8_t kPrivate = 8, kDeleted = 1;
  PostHudson(1, "Pat Other", "private to Pat", kPrivate);                  // 1
  PostHudson(1, "annie", "private to the handle", kPrivate);               // 2
  PostHudson(1, "Pat Other", "private from Ann", kPrivate, "ANN CALLER");  // 3
  PostHudson(1, "", "private to nobody", kPrivate);                        // 4
  PostHudson(1, "Ann Caller", "deleted", kDeleted);                        // 5
  const auto shown = [&](const ReadingArea& area, BaseKind base, uint32_t n) {
    return OpenMessage(*session, area, {base, n, {}}).has_value();
  };
  EXPECT_FALSE(shown(harbour, BaseKind::kHudson, 1));
  EXPECT_TRUE(shown(harbour, BaseKind::kHudson, 2));
  EXPECT_TRUE(shown(harbour, BaseKind::kHudson, 3));
  EXPECT_FALSE(shown(harbour, BaseKind::kHudson, 4));
  EXPECT_FALSE(shown(harbour, BaseKind::kHudson, 5));
  EXPECT_FALSE(shown(harbour, BaseKind::kHudson, 9)) << "missing";
  // Without a handle an empty addressee is still nobody's.
  session->caller.user.handle.clear();
  EXPECT_FALSE(shown(harbour, BaseKind::kHudson, 4));
  EXPECT_FALSE(shown(harbour, BaseKind::kHudson, 2));

  PostJam("keepers", "Pat Other", "private", kJamAttributePrivate);          // 1
  PostJam("keepers", "Ann Caller", "private to Ann", kJamAttributePrivate);  // 2
  PostJam("keepers", "Ann Caller", "deleted", kJamAttributeDeleted);         // 3
  PostJam("keepers", "Ann Caller", "hidden", 1u << 26);                      // 4
  PostJam("keepers", "", "private to nobody", kJamAttributePrivate);         // 5
  EXPECT_FALSE(shown(jam, BaseKind::kJam, 1));
  EXPECT_TRUE(shown(jam, BaseKind::kJam, 2));
  EXPECT_FALSE(shown(jam, BaseKind::kJam, 3));
  EXPECT_FALSE(shown(jam, BaseKind::kJam, 4));
  EXPECT_FALSE(shown(jam, BaseKind::kJam, 5));
  EXPECT_FALSE(shown(jam, BaseKind::kJam, 6));
}

TEST_F(ReaderTest, StoredTextNeverActs) {
  test::WriteFile(system.dir / "SECRET.ANS", "the sysop's secret");
  PostHudson(1, "Ann Caller", "Tricks", 0, "Mallory",
             "Look \x0b!SECRET|\r\x01"
             "FAKE: kludge\rclear\x1b[2J\x1b[1;31mred\r\x0bW\x0bO\r");
  caller->TakeNew();
  ASSERT_TRUE(ShowMessage(*session, harbour, {BaseKind::kHudson, 1, {}}));
  Settle();
  const std::string raw = caller->TakeNew();
  EXPECT_EQ(raw.find("secret"), std::string::npos);
  EXPECT_EQ(raw.find("kludge"), std::string::npos);
  EXPECT_NE(raw.find("Look !SECRET|\r\n"), std::string::npos);
  EXPECT_NE(raw.find("clear\x1b[1;31mred\r\n"), std::string::npos)
      << "the colour passes, the clearing not";
  EXPECT_NE(raw.find("WO\r\n"), std::string::npos) << "codes are not expanded";
}

TEST_F(ReaderTest, AWrongJamSignatureIsReportedAndNotShown) {
  PostJam("keepers", "Ann Caller", "whole");
  std::string jhr = File("keepers.JHR");
  jhr[1024] = 'X';
  test::WriteFile(system.dir / "keepers.JHR", jhr);
  EXPECT_FALSE(ShowMessage(*session, jam, {BaseKind::kJam, 1, {}}));
  EXPECT_NE(Seen().find("\r\nInvalid Message - Rebuild Index!\r\n"), std::string::npos);
  EXPECT_EQ(File("keepers.JHR"), jhr) << "nothing is written to a damaged header";
}

TEST_F(ReaderTest, KeysFollowAJamReplyChain) {
  PostJam("keepers", "All", "Start");                                 // 1
  PostJam("keepers", "Bob Writer", "First answer", 0, "Ann", "", 1);  // 2
  PostJam("keepers", "Bob Writer", "Second answer", 0, "Cy", "", 1);  // 3
  const JamBase base = Jam("keepers");
  ASSERT_TRUE(base.SetReplyLink(1, JamBase::Link::kFirstReply, 2).ok);
  ASSERT_TRUE(base.SetReplyLink(2, JamBase::Link::kNextReply, 3).ok);
  // At #2: "+" the next reply #3, "-" its predecessor #2, "<" the replied #1, ">" its first reply
  // #2, then "A" again, a key that is no key ("Z"), NUL, and "S" stops.
  AtPrompts("(S)top: ", {"+", "-", "<", ">", "A", std::string("Z\0", 2) + "S"});
  const ReadLoopResult result = ReadLoop(*session, jam, {BaseKind::kJam, 2, {}}, {});
  EXPECT_TRUE(result.shown);
  EXPECT_EQ(result.action, kReadStop);
  EXPECT_TRUE(result.left_list);
  const std::string seen = Seen();
  EXPECT_EQ(Titles(seen), (std::vector<int>{2, 3, 2, 1, 2, 2})) << seen;
  EXPECT_NE(seen.find("(-) <- prev reply   next reply -> (+)   (<) replied message"),
            std::string::npos);
  EXPECT_NE(seen.find("(A)gain, (N)ext, (P)revious, (R)eply, (E)nter, (H)elp, (!*X/U=), (S)top: "),
            std::string::npos);
  EXPECT_NE(seen.find("Stop\r\n"), std::string::npos) << "the key's echo";
}

TEST_F(ReaderTest, HudsonLinksAreReplyToAndNextReply) {
  PostHudson(1, "All", "Start");                                              // 1
  PostHudson(1, "Bob Writer", "Answer", 0, "Ann Caller", "", 1);              // 2
  PostHudson(3, "Ann Caller", "In an area Ann may not read", 0, "X", "", 1);  // 3, board 3
  ASSERT_TRUE(Hudson().SetNextReply(0, 1, 2).ok);
  // ">" and "<" are JAM links only; "+" goes to #2, "-" back to #1.
  AtPrompts("(S)top: ", {"><+", "-", "N"});
  const ReadLoopResult result = ReadLoop(*session, harbour, {BaseKind::kHudson, 1, {}}, {});
  EXPECT_EQ(result.action, kReadNext);
  EXPECT_EQ(Titles(Seen()), (std::vector<int>{1, 2, 1}));
  // A link into another board is not followed.
  EXPECT_FALSE(OpenMessage(*session, harbour, {BaseKind::kHudson, 3, {}}));
}

TEST_F(ReaderTest, RepliesGoToMessageEntryInTheMessagesArea) {
  PostJam("keepers", "Ann Caller", "Question");
  // Without message entry the caller is told and the message comes again.
  AtPrompts("(S)top: ", {"R", "S"});
  ReadLoop(*session, jam, {BaseKind::kJam, 1, {}}, {});
  EXPECT_NE(Seen().find("Message entry is not available"), std::string::npos);
  EXPECT_EQ(Titles(Seen()), (std::vector<int>{1, 1}));

  std::vector<std::string> calls;
  const MessageEntry entry = [&](int mode, const Message& m) {
    calls.push_back(std::to_string(mode) + " #" + std::to_string(m.ref.number) + " " + m.subject +
                    " in " + std::to_string(session->caller.user.msg_area) + " " +
                    session->areas.message.record.name);
  };
  AtPrompts("(S)top: ", {"r", "E", "P"});
  const ReadLoopResult result = ReadLoop(*session, jam, {BaseKind::kJam, 1, {}}, entry);
  EXPECT_EQ(result.action, kReadPrevious);
  EXPECT_EQ(calls,
            (std::vector<std::string>{"4 #1 Question in 2 Keepers", "5 #1 Question in 2 Keepers"}));
  EXPECT_EQ(session->caller.user.msg_area, 1);
  EXPECT_EQ(session->areas.message.record.name, "Harbour");
}

TEST(ReadList, NextBackStopAndMessagesNotShown) {
  // Message 2 is not shown; the caller reads 0, 1, 3, goes back twice (to 1, then 0), back once
  // more (stays on 0), then on to 1, 3, 4 and past the end.
  const std::vector<int> script = {kReadNext,     kReadNext,     kReadPrevious,
                                   kReadPrevious, kReadPrevious, kReadNext,
                                   kReadHelp,     kReadNext,     kReadNext};
  size_t step = 0;
  std::vector<size_t> visited;
  ReadList(5, 0, [&](size_t i) {
    visited.push_back(i);
    if (i == 2) return ReadLoopResult{};
    return ReadLoopResult{true, script.at(step++), false};
  });
  EXPECT_EQ(visited, (std::vector<size_t>{0, 1, 2, 3, 2, 1, 0, 0, 1, 2, 3, 4}));
  visited.clear();
  ReadList(5, 3, [&](size_t i) {
    visited.push_back(i);
    return ReadLoopResult{true, kReadStop, false};
  });
  EXPECT_EQ(visited, std::vector<size_t>{3});
  ReadList(0, 0, [&](size_t) -> ReadLoopResult {
    ADD_FAILURE();
    return {};
  });
  ReadList(3, 7, [&](size_t) -> ReadLoopResult {
    ADD_FAILURE();
    return {};
  });
}

}  // namespace
}  // namespace vx::messages::testing
