// The pieces of a new message that are pure text: the stored lines, the tear and origin lines,
// the quote of a reply, and the options of a message-entry menu entry.
#include "messages/message_text.h"

#include <gtest/gtest.h>

#include "messages/entry_options.h"
#include "messages/quote.h"

namespace vx::messages {
namespace {

TEST(StoredLines, EveryLineEndBecomesOneCarriageReturn) {
  EXPECT_EQ(StoredLines("one\r\ntwo\nthree\rfour"), "one\rtwo\rthree\rfour");
  EXPECT_EQ(StoredLines("a\r\n\r\nb\n\n"), "a\r\rb\r\r");
  // NUL bytes and kludge starts go; Ctrl-Z at the end is a DOS editor's end of file.
  EXPECT_EQ(StoredLines(std::string("x\0y\r\n\x01PID: forged\r\n\x1a\x1a", 22)),
            "xy\rPID: forged\r");
  EXPECT_EQ(StoredLines("mid\x1a"
                        "dle\r\n"),
            "mid\x1a"
            "dle\r");
  EXPECT_EQ(StoredLines(""), "");
  EXPECT_TRUE(IsBlankText(" \t\r\r"));
  EXPECT_FALSE(IsBlankText(" x "));
}

TEST(StoredLines, TearAndOriginLinesNameTheProgramAndTheAddress) {
  EXPECT_EQ(TearAndOriginLines("The Lighthouse", {2, 280, 1, 0}),
            "--- ngVX32 0.982 beta2 (Public) build 1\r * Origin: The Lighthouse (2:280/1)\r");
  EXPECT_EQ(TearAndOriginLines("", {1, 2, 3, 4}),
            "--- ngVX32 0.982 beta2 (Public) build 1\r * Origin:  (1:2/3.4)\r");
}

TEST(StoredLines, ControlCharactersInNamesAndSubjects) {
  for (const char* bad : {"Sam\nSysop", "\x1b[2J", "\x01MSGID", "del\x7f"}) {
    EXPECT_TRUE(HasControlCharacters(bad)) << bad;
  }
  EXPECT_FALSE(HasControlCharacters("Sam Sysop \x80\xff"));
  EXPECT_EQ(WithoutControlCharacters("Re:\x01 fog\r\n"), "Re: fog");
}

QuotedMessage Replied(std::string text) {
  return QuotedMessage{"Keeper Jo", "Sam Sysop", "12-05-26", "10:15", std::move(text)};
}

TEST(Quote, HeaderAndPrefixTakeTheRepliedMessagesNamesDateAndTime) {
  EXPECT_EQ(NameInitials("Keeper Jo"), "KJ");
  EXPECT_EQ(NameInitials(" mary  ann lee"), "mal");
  EXPECT_EQ(NameInitials(""), "");
  const QuotedMessage m = Replied("Hello Sam,\rfog tonight.\r");
  EXPECT_EQ(ExpandQuoteHeader("On ` at ~, # wrote to @:", m),
            "On 12-05-26 at 10:15, Keeper Jo wrote to Sam Sysop:");
  // A name holding a placeholder character is not expanded again.
  QuotedMessage odd = m;
  odd.from = "Mr. @#";
  EXPECT_EQ(ExpandQuoteHeader("# wrote", odd), "Mr. @# wrote");
  EXPECT_EQ(ExpandQuotePrefix(" @> ", "keeper jo"), " KJ> ");
  EXPECT_EQ(ExpandQuotePrefix(" #>", "Keeper Jo"), " kj>");
  EXPECT_EQ(QuoteText("# wrote:", " @> ", m),
            "Keeper Jo wrote:\r\n KJ> Hello Sam,\r\n KJ> fog tonight.\r\n");
  EXPECT_EQ(QuoteText("", ">", m), ">Hello Sam,\r\n>fog tonight.\r\n") << "no header line";
}

TEST(Quote, KludgesAndSeenByLinesStayOutAndLongLinesWrap) {
  const std::string text = std::string("\x01MSGID: 2:280/1 1\r") + "Line one\r\n\r" +
                           "SEEN-BY: 280/1 2\r\x01PATH: 280/1\rlast";
  EXPECT_EQ(QuoteText("", "> ", Replied(text)), "> Line one\r\n> \r\n> last\r\n");

  // A 5,000-character line of words: every quoted line fits the screen, nothing is lost.
  std::string words;
  while (words.size() < 5000) words += "lighthouse ";
  const std::string quote = QuoteText("", " KJ> ", Replied(words + "\r"));
  std::string rejoined;
  size_t start = 0;
  for (size_t end; (end = quote.find("\r\n", start)) != std::string::npos; start = end + 2) {
    const std::string line = quote.substr(start, end - start);
    ASSERT_LE(line.size(), kQuoteWidth) << line;
    ASSERT_EQ(line.substr(0, 5), " KJ> ");
    rejoined += line.substr(5);
  }
  EXPECT_EQ(rejoined, words);
  // A word longer than a line is cut, and a huge message is quoted up to the limit.
  const std::string blob = QuoteText("", ">", Replied(std::string(3 * 1024 * 1024, 'z')));
  EXPECT_LE(blob.size(), kMaxQuoteBytes);
  EXPECT_GT(blob.size(), kMaxQuoteBytes - 100);
  EXPECT_EQ(blob.substr(0, kQuoteWidth + 3), ">" + std::string(kQuoteWidth - 1, 'z') + "\r\n>");
}

TEST(EntryOptions, AreaAddresseeAndLogOff) {
  EntryOptions o = ParseEntryOptions("12 /T=Sam_Sysop /L");
  EXPECT_EQ(o.area, 12u);
  EXPECT_EQ(o.addressee, "Sam Sysop");
  EXPECT_TRUE(o.log_off);
  EXPECT_TRUE(o.problem.empty());
  o = ParseEntryOptions("");
  EXPECT_EQ(o.area, 0u);
  EXPECT_EQ(o.addressee, std::nullopt);
  EXPECT_FALSE(o.log_off);
  // "/M" is the current area; a number after the first word is no area.
  EXPECT_EQ(ParseEntryOptions("7 /m").area, 0u);
  EXPECT_EQ(ParseEntryOptions("/t=jo 7").area, 0u);
  EXPECT_EQ(ParseEntryOptions("/t=jo 7").addressee, "jo");
  // "/T=" without a name names nobody; a long name is cut to the field.
  EXPECT_EQ(ParseEntryOptions("3 /T=").addressee, std::nullopt);
  EXPECT_EQ(ParseEntryOptions("/T=" + std::string(50, 'x')).addressee, std::string(35, 'x'));
}

TEST(EntryOptions, BadDataIsRefused) {
  EXPECT_FALSE(ParseEntryOptions("65536").problem.empty());
  EXPECT_FALSE(ParseEntryOptions("99999999999999999999").problem.empty());
  EXPECT_TRUE(ParseEntryOptions("65535").problem.empty());
  EXPECT_EQ(ParseEntryOptions("0").area, 0u);
  for (const char* name : {"/T=Sam\nSysop", "/T=\x01PID", "/T=x\x1b[A", "/T=del\x7f"}) {
    EXPECT_FALSE(ParseEntryOptions(name).problem.empty()) << name;
  }
}

}  // namespace
}  // namespace vx::messages
