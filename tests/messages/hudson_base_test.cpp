// The Hudson base as the node uses it, against files written out by hand: reading, the personal
// search, the received marking, the append, reply links, refusals, and two writers at once.
#include "messages/hudson_base.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>

#include "messages/message_time.h"
#include "support/temp_dir.h"

namespace vx::messages {
namespace {

using Bytes = std::vector<uint8_t>;

void PutWordAt(Bytes& b, size_t offset, unsigned value) {
  b.at(offset) = static_cast<uint8_t>(value & 0xFF);
  b.at(offset + 1) = static_cast<uint8_t>(value >> 8);
}
void PutStringAt(Bytes& b, size_t offset, const std::string& text) {
  b.at(offset) = static_cast<uint8_t>(text.size());
  for (size_t i = 0; i < text.size(); ++i) b.at(offset + 1 + i) = static_cast<uint8_t>(text[i]);
}
unsigned WordAt(const std::string& b, size_t offset) {
  return static_cast<uint8_t>(b.at(offset)) | (static_cast<uint8_t>(b.at(offset + 1)) << 8);
}

// A base of two messages, by hand: #5 on board 3 to "Sam Sysop", #6 on board 7 to "Pat".
struct HandMadeBase {
  test::TempDir dir;
  HandMadeBase() {
    Bytes headers(2 * 187, 0);
    for (int k = 0; k < 2; ++k) {
      const size_t h = static_cast<size_t>(k) * 187;
      PutWordAt(headers, h + 0, 5 + static_cast<unsigned>(k));
      PutWordAt(headers, h + 8, static_cast<unsigned>(k));  // start block
      PutWordAt(headers, h + 10, 1);                        // one block
      headers[h + 26] = k == 0 ? 3 : 7;
      PutStringAt(headers, h + 27, "10:15");
      PutStringAt(headers, h + 33, "12-05-26");
      PutStringAt(headers, h + 42, k == 0 ? "Sam Sysop" : "Pat");
      PutStringAt(headers, h + 78, "Writer");
      PutStringAt(headers, h + 114, k == 0 ? "First" : "Second");
    }
    test::WriteFile(dir / "msghdr.bbs", headers);
    Bytes text(2 * 256, 0);
    PutStringAt(text, 0, "Hello Sam\r");
    PutStringAt(text, 256, "Hi Pat\r");
    test::WriteFile(dir / "msgtxt.bbs", text);
    test::WriteFile(dir / "msgidx.bbs", Bytes{5, 0, 3, 6, 0, 7});
    Bytes names(2 * 36, 0);
    PutStringAt(names, 0, "Sam Sysop");
    PutStringAt(names, 36, "Pat");
    test::WriteFile(dir / "msgtoidx.bbs", names);
    Bytes info(406, 0);
    PutWordAt(info, 0, 5);
    PutWordAt(info, 2, 6);
    PutWordAt(info, 4, 2);
    PutWordAt(info, 6 + 2 * 2, 1);  // board 3
    PutWordAt(info, 6 + 2 * 6, 1);  // board 7
    test::WriteFile(dir / "msginfo.bbs", info);
  }
  std::string Path() const { return dir.path() + "/"; }
};

std::tm Noon() {
  std::tm t{};
  t.tm_year = 126;
  t.tm_mon = 11;
  t.tm_mday = 6;
  t.tm_hour = 12;
  t.tm_min = 5;
  t.tm_sec = 9;
  return t;
}

TEST(HudsonBase, ReadsAHandMadeBase) {
  HandMadeBase made;
  platform::Environment env;
  HudsonBase base(made.Path(), env);
  std::string problem;
  const HudsonInfo info = base.ReadInfo(&problem);
  EXPECT_EQ(problem, "");
  EXPECT_EQ(info.high, 6);
  EXPECT_EQ(info.board_active[2], 1);
  EXPECT_EQ(base.HeaderCount(), 2u);
  const HudsonHeader second = *base.ReadHeader(1);
  EXPECT_EQ(second.number, 6);
  EXPECT_EQ(second.subject, "Second");
  EXPECT_EQ(base.ReadText(second), "Hi Pat\r");
  EXPECT_EQ(base.FindMessage(6), std::optional<uint64_t>(1));
  EXPECT_EQ(base.FindMessage(9), std::nullopt);
  EXPECT_EQ(base.FindPersonal("SAM SYSOP", ""), std::vector<uint64_t>{0});
  EXPECT_EQ(base.FindPersonal("Nobody", "pat"), std::vector<uint64_t>{1});
  // A caller without a handle matches no empty entry.
  Bytes names(3 * 36, 0);
  PutStringAt(names, 0, "Sam Sysop");
  test::WriteFile(made.dir / "msgtoidx.bbs", names);
  EXPECT_EQ(base.FindPersonal("Nobody", ""), std::vector<uint64_t>{});
}

TEST(HudsonBase, DamagedFilesReadAsWhatIsThere) {
  HandMadeBase made;
  platform::Environment env;
  HudsonBase base(made.Path(), env);
  test::WriteFile(made.dir / "msginfo.bbs", Bytes{1, 0, 2});
  std::string problem;
  EXPECT_EQ(base.ReadInfo(&problem).low, 1);
  EXPECT_NE(problem.find("3 bytes"), std::string::npos);
  // A header whose blocks run past msgtxt.bbs gives the text that exists.
  HudsonHeader wild = *base.ReadHeader(0);
  wild.start_block = 1;
  wild.block_count = 65535;
  EXPECT_EQ(base.ReadText(wild), "Hi Pat\r");
  EXPECT_EQ(base.ReadHeader(2), std::nullopt);
  ::unlink((made.dir / "msgtoidx.bbs").c_str());
  EXPECT_TRUE(base.FindPersonal("Sam Sysop", "").empty());
}

TEST(HudsonBase, MarkingReceivedTouchesOnlyItsBytes) {
  HandMadeBase made;
  platform::Environment env;
  HudsonBase base(made.Path(), env);
  const std::string headers = test::ReadFile(made.dir / "msghdr.bbs");
  const std::string names = test::ReadFile(made.dir / "msgtoidx.bbs");
  // Shown to somebody else: only the times-read word (offset 6) changes.
  ASSERT_TRUE(base.MarkReceived(0, "Someone Else", "").ok);
  std::string after = test::ReadFile(made.dir / "msghdr.bbs");
  EXPECT_EQ(WordAt(after, 6), 1u);
  after[6] = headers[6];
  EXPECT_EQ(after, headers);
  EXPECT_EQ(test::ReadFile(made.dir / "msgtoidx.bbs"), names);
  // Shown to its addressee (by any letter case): attribute bit 4 and the received mark.
  ASSERT_TRUE(base.MarkReceived(0, "sam sysop", "").ok);
  after = test::ReadFile(made.dir / "msghdr.bbs");
  EXPECT_EQ(WordAt(after, 6), 2u);
  EXPECT_EQ(after[24], 16);
  std::string expected_names = names;
  expected_names.replace(0, 36, std::string("\x0e * Received * ") + std::string(21, '\0'));
  EXPECT_EQ(test::ReadFile(made.dir / "msgtoidx.bbs"), expected_names);
  EXPECT_TRUE(base.FindPersonal("Sam Sysop", "").empty());
  // Marked again, the attribute stays as it is.
  ASSERT_TRUE(base.MarkReceived(0, "Sam Sysop", "").ok);
  EXPECT_EQ(test::ReadFile(made.dir / "msghdr.bbs")[24], 16);
}

TEST(HudsonBase, AnAppendWritesEachFileAtItsPlace) {
  HandMadeBase made;
  platform::Environment env;
  HudsonBase base(made.Path(), env);
  HudsonPost post;
  post.from = "Ann Caller";
  post.to = "Sam Sysop";
  post.subject = "Lamp";
  post.text = std::string(300, 'x') + "\r";
  post.attributes = 96;
  post.board = 3;
  post.reply_to = 5;
  post.address = {2, 280, 1, 0};
  post.now = Noon();
  post.version = "0.982";
  const PostResult result = base.WriteMessage(post);
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(result.number, 7u);
  EXPECT_EQ(result.header_index, 2u);

  const std::string stored = "\x01MSGID: 2:280/1 " + LowerHex(LocalEpochSeconds(Noon())) + "\r" +
                             "\x01PID: ngVX32 0.982\r" +
                             "\x01NOTE: This message was sent by ngFarlink32 for Win95\r" +
                             std::string(300, 'x') + "\r";
  ASSERT_GT(stored.size(), 255u * 1);
  ASSERT_LT(stored.size(), 255u * 2 + 1);
  const std::string text = test::ReadFile(made.dir / "msgtxt.bbs");
  ASSERT_EQ(text.size(), 4u * 256);  // two blocks behind the two there were
  EXPECT_EQ(static_cast<uint8_t>(text[512]), 255);
  EXPECT_EQ(text.substr(513, 255), stored.substr(0, 255));
  EXPECT_EQ(static_cast<uint8_t>(text[768]), stored.size() - 255);
  EXPECT_EQ(text.substr(769, stored.size() - 255), stored.substr(255));

  const std::string h = test::ReadFile(made.dir / "msghdr.bbs").substr(2 * 187);
  ASSERT_EQ(h.size(), 187u);
  EXPECT_EQ(WordAt(h, 0), 7u);
  EXPECT_EQ(WordAt(h, 2), 5u);    // replies to #5
  EXPECT_EQ(WordAt(h, 4), 0u);
  EXPECT_EQ(WordAt(h, 8), 2u);    // start block
  EXPECT_EQ(WordAt(h, 10), 2u);   // blocks
  EXPECT_EQ(WordAt(h, 16), 280u);
  EXPECT_EQ(WordAt(h, 18), 1u);
  EXPECT_EQ(h[21], 2);            // origin zone
  EXPECT_EQ(static_cast<uint8_t>(h[24]), 96);
  EXPECT_EQ(h[26], 3);
  EXPECT_EQ(h.substr(27, 6), std::string("\x05" "12:05"));
  EXPECT_EQ(h.substr(33, 9), std::string("\x08" "12-06-26"));
  EXPECT_EQ(h.substr(42, 10), std::string("\x09Sam Sysop"));
  EXPECT_EQ(h.substr(78, 11), std::string("\x0a" "Ann Caller"));
  EXPECT_EQ(h.substr(114, 5), std::string("\x04Lamp"));
  EXPECT_EQ(h.substr(119), std::string(68, '\0'));

  EXPECT_EQ(test::ReadFile(made.dir / "msgidx.bbs").substr(6), std::string("\x07\x00\x03", 3));
  EXPECT_EQ(test::ReadFile(made.dir / "msgtoidx.bbs").substr(72),
            std::string("\x09Sam Sysop") + std::string(26, '\0'));
  const std::string info = test::ReadFile(made.dir / "msginfo.bbs");
  EXPECT_EQ(WordAt(info, 0), 5u);  // the lowest number is left
  EXPECT_EQ(WordAt(info, 2), 7u);
  EXPECT_EQ(WordAt(info, 4), 3u);
  EXPECT_EQ(WordAt(info, 6 + 2 * 2), 2u);

  // The reply link of #5 (header 0) points at the new message; nothing else of it changes.
  const std::string before = test::ReadFile(made.dir / "msghdr.bbs");
  ASSERT_TRUE(base.SetNextReply(0, 5, 7).ok);
  std::string after = test::ReadFile(made.dir / "msghdr.bbs");
  EXPECT_EQ(WordAt(after, 4), 7u);
  after[4] = before[4];
  EXPECT_EQ(after, before);
  EXPECT_FALSE(base.SetNextReply(1, 5, 7).ok) << "header 1 is #6, not #5";
}

TEST(HudsonBase, AReplyLinksTheRepliedHeaderOnly) {
  HandMadeBase made;
  // Bytes after the subject's length that DOS tools left: they must survive the link.
  std::string headers = test::ReadFile(made.dir / "msghdr.bbs");
  headers[114 + 10] = 'q';
  test::WriteFile(made.dir / "msghdr.bbs", Bytes(headers.begin(), headers.end()));
  platform::Environment env;
  HudsonBase base(made.Path(), env);
  HudsonPost post;
  post.from = "Ann Caller";
  post.to = "Writer";
  post.subject = "Re: First";
  post.text = "Yes.\r";
  post.attributes = 96;
  post.board = 3;
  post.reply_to = 5;
  post.link_header = 0;
  post.now = Noon();
  const PostResult result = base.WriteMessage(post);
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_TRUE(result.link_problem.empty()) << result.link_problem;
  EXPECT_EQ(result.number, 7u);
  std::string after = test::ReadFile(made.dir / "msghdr.bbs");
  ASSERT_EQ(after.size(), 3u * 187);
  EXPECT_EQ(WordAt(after, 4), 7u);            // #5's next reply
  EXPECT_EQ(WordAt(after, 2 * 187 + 2), 5u);  // the reply's previous reply
  after[4] = headers[4];
  after[5] = headers[5];
  EXPECT_EQ(after.substr(0, 2 * 187), headers);

  // Header 1 holds #6, not #5: the message is stored, the link is not set.
  post.link_header = 1;
  const PostResult unlinked = base.WriteMessage(post);
  ASSERT_TRUE(unlinked.ok);
  EXPECT_NE(unlinked.link_problem.find("another message"), std::string::npos);
  EXPECT_EQ(WordAt(test::ReadFile(made.dir / "msghdr.bbs"), 187 + 4), 0u);
  post.link_header = 40;
  EXPECT_NE(base.WriteMessage(post).link_problem.find("gone"), std::string::npos);
}

TEST(HudsonBase, PostsThatCannotBeStoredAreRefusedWithNothingWritten) {
  HandMadeBase made;
  platform::Environment env;
  HudsonBase base(made.Path(), env);
  HudsonPost post;
  post.to = "x";
  post.board = 0;
  const auto files = [&] {
    std::string all;
    for (const char* name : {"msghdr.bbs", "msgtxt.bbs", "msgidx.bbs", "msgtoidx.bbs", "msginfo.bbs"})
      all += test::ReadFile(made.dir / name) + "|";
    return all;
  };
  const std::string before = files();
  EXPECT_FALSE(base.WriteMessage(post).ok);
  post.board = 201;
  EXPECT_FALSE(base.WriteMessage(post).ok);
  // The highest number already fills the 16-bit field.
  Bytes info(406, 0);
  PutWordAt(info, 2, 32767);
  test::WriteFile(made.dir / "msginfo.bbs", info);
  post.board = 3;
  const std::string full = files();
  const PostResult result = base.WriteMessage(post);
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.error.find("used up"), std::string::npos) << result.error;
  EXPECT_EQ(files(), full);
  (void)before;
}

TEST(HudsonBase, TwoWritersGetDistinctConsecutiveNumbers) {
  test::TempDir dir;
  platform::Environment env;
  HudsonBase base(dir.path() + "/", env);
  constexpr int kEach = 100;
  pid_t children[2];
  for (int c = 0; c < 2; ++c) {
    children[c] = ::fork();
    if (children[c] == 0) {
      HudsonPost post;
      post.from = "Writer " + std::to_string(c);
      post.to = "All";
      post.board = 1;
      post.now = Noon();
      for (int i = 0; i < kEach; ++i) {
        post.subject = std::to_string(c) + "/" + std::to_string(i);
        post.text = "text of " + post.subject + "\r";
        if (!base.WriteMessage(post).ok) _exit(1);
      }
      _exit(0);
    }
  }
  for (pid_t pid : children) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  ASSERT_EQ(base.HeaderCount(), 2u * kEach);
  std::set<int> numbers;
  for (uint64_t k = 0; k < base.HeaderCount(); ++k) {
    const HudsonHeader h = *base.ReadHeader(k);
    numbers.insert(h.number);
    const std::string text = base.ReadText(h);
    const std::string own = "text of " + h.subject + "\r";
    ASSERT_GE(text.size(), own.size());
    EXPECT_EQ(text.substr(text.size() - own.size()), own) << "header " << k << " shows another text";
  }
  EXPECT_EQ(numbers.size(), 2u * kEach);
  EXPECT_EQ(*numbers.begin(), 1);
  EXPECT_EQ(*numbers.rbegin(), 2 * kEach);
  const HudsonInfo info = base.ReadInfo();
  EXPECT_EQ(info.high, 2 * kEach);
  EXPECT_EQ(info.active, 2 * kEach);
  EXPECT_EQ(info.board_active[0], 2 * kEach);
  EXPECT_EQ(base.ReadIndex().size(), 2u * kEach);
}

}  // namespace
}  // namespace vx::messages
