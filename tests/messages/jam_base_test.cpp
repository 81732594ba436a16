// A JAM base as the node uses it: a base written out by hand is read as the format says, posts
// land where the format puts them (checked by a small reader of the published format written here,
// not with our own record code), reply chains end, and two writers never share a number.
#include "messages/jam_base.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <map>
#include <optional>
#include <set>

#include "messages/message_time.h"
#include "support/temp_dir.h"

namespace vx::messages {
namespace {

using Bytes = std::vector<uint8_t>;

// --- An independent reader of the published JAM format. ---
uint32_t U32(const std::string& b, size_t at) {
  uint32_t v = 0;
  std::memcpy(&v, b.data() + at, 4);  // little-endian host
  return v;
}
uint16_t U16(const std::string& b, size_t at) {
  uint16_t v = 0;
  std::memcpy(&v, b.data() + at, 2);
  return v;
}
uint32_t PlainCrc(const std::string& text) {  // bitwise CRC-32, no table, no final inversion
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char c : text) {
    crc ^= c;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return crc;
}
std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}
struct CheckedMessage {
  uint32_t number, reply_to, first_reply, next_reply, attributes;
  std::map<uint16_t, std::string> fields;
  std::string text;
};
// Checks a whole base and returns its messages by number; any fault fails the test.
std::map<uint32_t, CheckedMessage> CheckBase(const std::string& base) {
  std::map<uint32_t, CheckedMessage> out;
  const std::string jhr = test::ReadFile(base + ".JHR");
  const std::string jdx = test::ReadFile(base + ".JDX");
  const std::string jdt = test::ReadFile(base + ".JDT");
  EXPECT_GE(jhr.size(), 1024u);
  if (jhr.size() < 1024) return out;
  EXPECT_EQ(jhr.substr(0, 4), std::string("JAM\0", 4));
  const uint32_t active = U32(jhr, 12), base_number = U32(jhr, 20);
  EXPECT_EQ(jdx.size() % 8, 0u);
  for (size_t i = 0; i * 8 + 8 <= jdx.size(); ++i) {
    const uint32_t crc = U32(jdx, i * 8), offset = U32(jdx, i * 8 + 4);
    if (offset == 0xFFFFFFFFu) continue;
    EXPECT_GE(offset, 1024u);
    EXPECT_LE(offset + 76u, jhr.size());
    if (offset + 76u > jhr.size()) continue;
    EXPECT_EQ(jhr.substr(offset, 4), std::string("JAM\0", 4)) << "index " << i;
    CheckedMessage m;
    m.number = U32(jhr, offset + 48);
    EXPECT_EQ(m.number, base_number + i) << "index record " << i << " points at another number";
    EXPECT_EQ(U16(jhr, offset + 4), 1);
    const uint32_t length = U32(jhr, offset + 8);
    m.reply_to = U32(jhr, offset + 24);
    m.first_reply = U32(jhr, offset + 28);
    m.next_reply = U32(jhr, offset + 32);
    m.attributes = U32(jhr, offset + 52);
    const uint32_t text_offset = U32(jhr, offset + 60), text_length = U32(jhr, offset + 64);
    EXPECT_LE(uint64_t{text_offset} + text_length, jdt.size());
    m.text = jdt.substr(text_offset, text_length);
    size_t at = offset + 76, used = 0;
    while (used < length) {
      const uint16_t id = U16(jhr, at);
      const uint32_t size = U32(jhr, at + 4);
      m.fields[id] = jhr.substr(at + 8, size);
      at += 8 + size;
      used += 8 + size;
    }
    EXPECT_EQ(used, length) << "subfields of #" << m.number;
    EXPECT_EQ(crc, PlainCrc(Lower(m.fields[3]))) << "receiver checksum of #" << m.number;
    out[m.number] = m;
  }
  EXPECT_EQ(active, out.size());
  return out;
}
// --- End of the independent reader. ---

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

JamPost Post(const std::string& to, const std::string& subject, uint32_t reply_to = 0) {
  JamPost post;
  post.from = "Ann Caller";
  post.to = to;
  post.subject = subject;
  post.text = "Body of " + subject + "\r";
  post.attributes = 1 + 0x1000000;
  post.reply_to = reply_to;
  post.address = {2, 280, 1, 3};
  post.now = Noon();
  post.version = "0.982";
  return post;
}

TEST(JamBase, NameChecksumIsOfTheLowerCasedName) {
  EXPECT_EQ(JamBase::NameCrc("all"), 0xC4E78E22u);
  EXPECT_EQ(JamBase::NameCrc("ALL"), 0xC4E78E22u);
  EXPECT_EQ(JamBase::NameCrc("Sam Sysop"), PlainCrc("sam sysop"));
}

TEST(JamBase, TheFirstPostMakesTheBaseAsTheFormatSays) {
  test::TempDir dir;
  platform::Environment env;
  const std::string path = dir / "ECHO";
  JamBase base(path, env);
  const PostResult result = base.WriteMessage(Post("All", "Hello"));
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(result.number, 1u);

  const std::string jhr = test::ReadFile(path + ".JHR");
  std::tm midnight = Noon();
  midnight.tm_hour = midnight.tm_min = midnight.tm_sec = 0;
  EXPECT_EQ(U32(jhr, 4), LocalEpochSeconds(midnight));
  EXPECT_EQ(U32(jhr, 8), 2u);   // a new base's counter 1, and 1 more for the post
  EXPECT_EQ(U32(jhr, 12), 1u);  // active messages after the post
  EXPECT_EQ(U32(jhr, 16), 0u);
  EXPECT_EQ(U32(jhr, 20), 1u);
  EXPECT_EQ(jhr.substr(24, 1000), std::string(1000, '\0'));
  // The header right behind the base header.
  EXPECT_EQ(U16(jhr, 1024 + 6), 1);  // the reserved word
  const std::string origin = "2:280/1.3";
  const std::string msgid = origin + " " + LowerHex(LocalEpochSeconds(Noon()));
  const uint32_t fields = static_cast<uint32_t>(origin.size() + 5 + 10 + 3 + msgid.size() + 5 +
                                                std::string("ngVX32 0.982").size());
  EXPECT_EQ(U32(jhr, 1024 + 8), fields + 56);
  EXPECT_EQ(U32(jhr, 1024 + 36), LocalEpochSeconds(Noon()));
  EXPECT_EQ(U32(jhr, 1024 + 40), 0u);
  EXPECT_EQ(U32(jhr, 1024 + 60), 0u);  // text at the start of .JDT
  EXPECT_EQ(jhr.size(), 1024u + 76 + fields + 56);

  const auto messages = CheckBase(path);
  ASSERT_EQ(messages.size(), 1u);
  const CheckedMessage& m = messages.at(1);
  EXPECT_EQ(m.fields.at(0), origin);
  EXPECT_EQ(m.fields.at(1), "0:0/0");
  EXPECT_EQ(m.fields.at(2), "Ann Caller");
  EXPECT_EQ(m.fields.at(4), msgid);
  EXPECT_EQ(m.fields.at(6), "Hello");
  EXPECT_EQ(m.fields.at(7), "ngVX32 0.982");
  EXPECT_EQ(m.text, "\x01NOTE: This message was sent by ngFarlink32 for Win95\rBody of Hello\r");
  EXPECT_EQ(m.attributes, 0x1000001u);
}

TEST(JamBase, RepliesLinkAndChainsEnd) {
  test::TempDir dir;
  platform::Environment env;
  const std::string path = dir / "ECHO";
  JamBase base(path, env);
  ASSERT_TRUE(base.WriteMessage(Post("All", "Thread")).ok);
  ASSERT_TRUE(base.WriteMessage(Post("Ann", "Re: Thread", 1)).ok);
  ASSERT_TRUE(base.WriteMessage(Post("Ann", "Re: Thread", 1)).ok);
  ASSERT_TRUE(base.SetReplyLink(1, JamBase::Link::kFirstReply, 2).ok);
  ASSERT_TRUE(base.SetReplyLink(2, JamBase::Link::kNextReply, 3).ok);
  EXPECT_EQ(base.FindLastReply(1), 3u);
  EXPECT_EQ(base.FindReplyPredecessor(1, 2), 1u);
  EXPECT_EQ(base.FindReplyPredecessor(1, 3), 2u);
  EXPECT_EQ(base.FindReplyPredecessor(1, 9), 0u);
  EXPECT_EQ(base.FindLastReply(3), 0u);
  const auto messages = CheckBase(path);
  EXPECT_EQ(messages.at(1).first_reply, 2u);
  EXPECT_EQ(messages.at(2).next_reply, 3u);
  EXPECT_EQ(messages.at(3).reply_to, 1u);

  // Loops written by a broken tosser end: 3 -> 2 and 1 -> 1.
  ASSERT_TRUE(base.SetReplyLink(3, JamBase::Link::kNextReply, 2).ok);
  EXPECT_NE(base.FindLastReply(1), 0u);
  EXPECT_EQ(base.FindReplyPredecessor(1, 7), 0u);
  ASSERT_TRUE(base.SetReplyLink(1, JamBase::Link::kFirstReply, 1).ok);
  EXPECT_EQ(base.FindReplyPredecessor(1, 7), 0u);
  EXPECT_FALSE(base.SetReplyLink(9, JamBase::Link::kNextReply, 1).ok);
}

JamPost Reply(uint32_t to_number, std::optional<uint64_t> read_at = std::nullopt) {
  JamPost post = Post("Bob", "Re: Thread", to_number);
  post.link_reply = true;
  post.replied_offset = read_at;
  return post;
}

TEST(JamBase, AReplyJoinsTheEndOfItsThreadAndChangesNothingElse) {
  test::TempDir dir;
  platform::Environment env;
  const std::string path = dir / "THREAD";
  JamBase base(path, env);
  ASSERT_TRUE(base.WriteMessage(Post("All", "Thread")).ok);
  // The first reply becomes #1's first reply, the second the first reply's next reply.
  const PostResult first = base.WriteMessage(Reply(1));
  ASSERT_TRUE(first.ok && first.link_problem.empty()) << first.link_problem;
  const PostResult second = base.WriteMessage(Reply(1));
  ASSERT_TRUE(second.ok && second.link_problem.empty()) << second.link_problem;
  std::string jhr = test::ReadFile(path + ".JHR");
  const std::string jdx = test::ReadFile(path + ".JDX");
  const uint32_t h1 = U32(jdx, 4), h2 = U32(jdx, 12), h3 = U32(jdx, 20);
  EXPECT_EQ(U32(jhr, h1 + 28), 2u);
  EXPECT_EQ(U32(jhr, h2 + 32), 3u);
  EXPECT_EQ(U32(jhr, h3 + 24), 1u);

  // A third reply, to the header where #1 was read: the second reply's next-reply field (its
  // header + 32) is the only byte of the headers before it that changes, with the base header's
  // modification counter (8) and active count (12).
  const PostResult third = base.WriteMessage(Reply(1, h1));
  ASSERT_TRUE(third.ok && third.link_problem.empty()) << third.link_problem;
  EXPECT_EQ(third.number, 4u);
  const std::string after = test::ReadFile(path + ".JHR");
  ASSERT_GT(after.size(), jhr.size());
  for (size_t i = 0; i < jhr.size(); ++i) {
    const bool may_change = (i >= 8 && i < 16) || (i >= h3 + 32 && i < h3 + 36);
    if (!may_change) {
      EXPECT_EQ(after[i], jhr[i]) << "byte " << i;
    }
  }
  EXPECT_EQ(U32(after, h3 + 32), 4u);
  EXPECT_EQ(U32(after, 8), U32(jhr, 8) + 1);
  EXPECT_EQ(U32(after, 12), 4u);
  EXPECT_EQ(CheckBase(path).at(4).reply_to, 1u);
}

TEST(JamBase, AReplyWhoseThreadIsDamagedIsStoredWithoutItsLink) {
  test::TempDir dir;
  platform::Environment env;
  const std::string path = dir / "LOOP";
  JamBase base(path, env);
  ASSERT_TRUE(base.WriteMessage(Post("All", "Thread")).ok);
  ASSERT_TRUE(base.WriteMessage(Reply(1)).ok);
  ASSERT_TRUE(base.WriteMessage(Reply(1)).ok);
  // A tosser left a loop: #3 -> #2 -> #3.
  ASSERT_TRUE(base.SetReplyLink(3, JamBase::Link::kNextReply, 2).ok);
  const std::string jhr = test::ReadFile(path + ".JHR");
  const PostResult looped = base.WriteMessage(Reply(1));
  ASSERT_TRUE(looped.ok);
  EXPECT_NE(looped.link_problem.find("loops"), std::string::npos) << looped.link_problem;
  const std::string after = test::ReadFile(path + ".JHR");
  EXPECT_EQ(after.substr(16, jhr.size() - 16), jhr.substr(16)) << "no link was written";

  // The replied header is no longer where the reader found it.
  const PostResult moved = base.WriteMessage(Reply(2, 1024 + 4));
  ASSERT_TRUE(moved.ok);
  EXPECT_NE(moved.link_problem.find("no longer"), std::string::npos) << moved.link_problem;
  // A reply to a message that is not there.
  const PostResult missing = base.WriteMessage(Reply(99));
  ASSERT_TRUE(missing.ok);
  EXPECT_FALSE(missing.link_problem.empty());
  EXPECT_EQ(CheckBase(path).size(), 6u);
}

TEST(JamBase, TwoWritersReplyingToOneThreadMakeOneChain) {
  test::TempDir dir;
  platform::Environment env;
  const std::string path = dir / "BUSYTHREAD";
  ASSERT_TRUE(JamBase(path, env).WriteMessage(Post("All", "Thread")).ok);
  constexpr int kEach = 40;
  pid_t children[2];
  for (int c = 0; c < 2; ++c) {
    children[c] = ::fork();
    if (children[c] == 0) {
      JamBase base(path, env);
      for (int i = 0; i < kEach; ++i) {
        const PostResult r = base.WriteMessage(Reply(1));
        if (!r.ok || !r.link_problem.empty()) _exit(1);
      }
      _exit(0);
    }
  }
  for (pid_t pid : children) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  const auto messages = CheckBase(path);
  ASSERT_EQ(messages.size(), 2u * kEach + 1);
  // From #1's first reply along the next replies: every reply once, in the order written.
  std::vector<uint32_t> chain;
  for (uint32_t n = messages.at(1).first_reply; n != 0 && chain.size() <= 2 * kEach;
       n = messages.at(n).next_reply) {
    chain.push_back(n);
  }
  ASSERT_EQ(chain.size(), 2u * kEach);
  for (size_t i = 0; i < chain.size(); ++i) EXPECT_EQ(chain[i], i + 2);
}

TEST(JamBase, ABaseNumberOtherThanOneFindsTheRightMessages) {
  test::TempDir dir;
  platform::Environment env;
  const std::string path = dir / "OLD";
  JamBase base(path, env);
  ASSERT_TRUE(base.WriteMessage(Post("All", "first")).ok);
  std::string jhr = test::ReadFile(path + ".JHR");
  jhr[20] = 100;  // the tosser renumbered: the base starts at 100
  test::WriteFile(path + ".JHR", Bytes(jhr.begin(), jhr.end()));
  const PostResult second = base.WriteMessage(Post("All", "second"));
  ASSERT_TRUE(second.ok);
  EXPECT_EQ(second.number, 101u);
  EXPECT_EQ(base.ReadMessageNumber(101)->subject, "second");
  EXPECT_EQ(base.ReadMessageNumber(1), std::nullopt);
}

TEST(JamBase, MarkingReceivedOnlyForTheAddressee) {
  test::TempDir dir;
  platform::Environment env;
  const std::string path = dir / "ECHO";
  JamBase base(path, env);
  ASSERT_TRUE(base.WriteMessage(Post("Sam Sysop", "For you")).ok);
  const uint64_t offset = *base.HeaderOffset(1);
  std::tm later = Noon();
  later.tm_hour = 13;
  ASSERT_TRUE(base.MarkReceived(offset, "Other One", "", later).ok);
  std::string jhr = test::ReadFile(path + ".JHR");
  EXPECT_EQ(U32(jhr, offset + 12), 1u);
  EXPECT_EQ(U32(jhr, offset + 52) & 8, 0u);
  ASSERT_TRUE(base.MarkReceived(offset, "Jim", "SAM SYSOP", later).ok);
  jhr = test::ReadFile(path + ".JHR");
  EXPECT_EQ(U32(jhr, offset + 12), 2u);
  EXPECT_EQ(U32(jhr, offset + 52), 0x1000001u + 8);
  EXPECT_EQ(U32(jhr, offset + 40), LocalEpochSeconds(later));
  // Already read: the attributes and date stay, times read still rises.
  std::tm even_later = later;
  even_later.tm_hour = 14;
  ASSERT_TRUE(base.MarkReceived(offset, "Sam Sysop", "", even_later).ok);
  jhr = test::ReadFile(path + ".JHR");
  EXPECT_EQ(U32(jhr, offset + 12), 3u);
  EXPECT_EQ(U32(jhr, offset + 40), LocalEpochSeconds(later));
}

TEST(JamBase, TheModificationCounterWrapsToZero) {
  test::TempDir dir;
  platform::Environment env;
  const std::string path = dir / "WRAP";
  JamBase base(path, env);
  ASSERT_TRUE(base.WriteMessage(Post("All", "one")).ok);
  std::string jhr = test::ReadFile(path + ".JHR");
  for (int i = 8; i < 12; ++i) jhr[static_cast<size_t>(i)] = '\xff';
  test::WriteFile(path + ".JHR", Bytes(jhr.begin(), jhr.end()));
  ASSERT_TRUE(base.WriteMessage(Post("All", "two")).ok);
  EXPECT_EQ(U32(test::ReadFile(path + ".JHR"), 8), 0u);
}

TEST(JamBase, DamagedBasesAreReadSafely) {
  test::TempDir dir;
  platform::Environment env;
  const std::string path = dir / "BAD";
  JamBase base(path, env);
  ASSERT_TRUE(base.WriteMessage(Post("All", "one")).ok);
  // Index records of all ones, inside the base header and past the end.
  const std::string jdx = test::ReadFile(path + ".JDX");
  Bytes index(jdx.begin(), jdx.end());
  for (uint32_t offset : {0xFFFFFFFFu, 100u, 0x7FFFFFF0u}) {
    for (int i = 0; i < 4; ++i) index.push_back(0);
    for (int i = 0; i < 4; ++i) index.push_back(static_cast<uint8_t>(offset >> (8 * i)));
  }
  test::WriteFile(path + ".JDX", index);
  for (uint32_t n = 2; n <= 4; ++n) EXPECT_EQ(base.HeaderOffset(n), std::nullopt) << n;
  // A header with a wrong signature.
  std::string jhr = test::ReadFile(path + ".JHR");
  jhr[1024] = 'X';
  test::WriteFile(path + ".JHR", Bytes(jhr.begin(), jhr.end()));
  std::string problem;
  EXPECT_EQ(base.ReadMessage(1024, &problem), std::nullopt);
  EXPECT_EQ(problem, "Invalid Message - Rebuild Index!");
  EXPECT_FALSE(base.MarkReceived(1024, "All", "", Noon()).ok);
  // A short .JHR refuses posts instead of writing into a damaged base.
  test::WriteFile(path + ".JHR", std::string(100, 'J'));
  EXPECT_FALSE(base.WriteMessage(Post("All", "two")).ok);
  EXPECT_EQ(test::ReadFile(path + ".JHR"), std::string(100, 'J'));
  // A text length past the end of .JDT reads what is there.
  JamMessageHeader header;
  header.text_offset = 5;
  header.text_length = 0xFFFFFFFFu;
  EXPECT_EQ(base.ReadText(header), test::ReadFile(path + ".JDT").substr(5));
  // An odd .JLR.
  test::WriteFile(path + ".JLR", std::string(20, '\x01'));
  EXPECT_EQ(base.FindLastRead(0x01010101u)->last_read, 0x01010101u);
  EXPECT_EQ(base.FindLastRead(7), std::nullopt);
}

TEST(JamBase, TwoWritersGetDistinctConsecutiveNumbers) {
  test::TempDir dir;
  platform::Environment env;
  const std::string path = dir / "BUSY";
  constexpr int kEach = 100;
  pid_t children[2];
  for (int c = 0; c < 2; ++c) {
    children[c] = ::fork();
    if (children[c] == 0) {
      JamBase base(path, env);
      for (int i = 0; i < kEach; ++i) {
        if (!base.WriteMessage(Post("Reader " + std::to_string(i), std::to_string(c) + "/" +
                                                                      std::to_string(i))).ok) {
          _exit(1);
        }
      }
      _exit(0);
    }
  }
  for (pid_t pid : children) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  const auto messages = CheckBase(path);
  ASSERT_EQ(messages.size(), 2u * kEach);
  EXPECT_EQ(messages.begin()->first, 1u);
  EXPECT_EQ(messages.rbegin()->first, 2u * kEach);
  for (const auto& [number, m] : messages) {
    EXPECT_EQ(m.text.substr(m.text.find('\r') + 1), "Body of " + m.fields.at(6) + "\r") << number;
  }
  const std::string jhr = test::ReadFile(path + ".JHR");
  EXPECT_EQ(U32(jhr, 8), 2u * kEach + 1);  // 1 for the new base, and 1 for each post
}

}  // namespace
}  // namespace vx::messages
