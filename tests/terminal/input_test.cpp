// Keys and line inputs: the key handler's editing rules, the field rules, type-ahead and the
// hot-key prompts.
#include <gtest/gtest.h>

#include <string>

#include "platform/process_exit.h"
#include "terminal_fixture.h"

namespace vx::terminal::testing {
namespace {

using InputTest = TerminalTest;

TEST_F(InputTest, BackspaceOnAnEmptyFieldDoesNothing) {
  terminal.input().request.maximum = 5;
  EXPECT_EQ(terminal.KeyInput(8), 0);
  EXPECT_EQ(line.sent(), "");
  terminal.input().request.maximum = 0;

  Type("\bab\b\bc\r");
  EXPECT_EQ(terminal.InputLine(10), "c");
  // The field, then "a", "b", two erasures and "c"; the first backspace echoed nothing.
  const std::string field = std::string(10, ' ') + "\x1b[1;1H";
  EXPECT_EQ(line.sent(), field + "ab\b \b\b \bc");
}

TEST_F(InputTest, NumOnlyAcceptsMinusAnywhere) {
  Type("1-2x-3 \r");
  EXPECT_EQ(terminal.InputDigits(10), "1-2-3");
  EXPECT_EQ(line.sent().find('x'), std::string::npos);
  Type("\r");
  EXPECT_EQ(terminal.InputNumber(5, 42), 42);
  Type("-17\r");
  EXPECT_EQ(terminal.InputNumber(5, 42), -17);
  Type("0\r");
  EXPECT_EQ(terminal.InputNumber(5, 42), 0);
}

TEST_F(InputTest, AFieldThatWouldReachColumn80EndsAtColumn79) {
  terminal.Display(std::string(70, '.'));
  line.TakeSent();
  Type(std::string(20, 'z') + "\r");
  const std::string text = terminal.InputLine(20);
  EXPECT_EQ(text, std::string(9, 'z'));
  // Nine cells, columns 71 to 79; the cursor waits on column 80.
  EXPECT_EQ(Row(1), std::string(70, '.') + std::string(9, 'z'));
  EXPECT_EQ(screen().cursor_column(), 79);
  // A field that just fits is left alone.
  terminal.Display("\r\n" + std::string(69, '.'));
  Type(std::string(10, 'q') + "\r");
  EXPECT_EQ(terminal.InputLine(10), std::string(10, 'q'));
}

TEST_F(InputTest, OneKeyInputAtTheLastColumnStillWaitsForItsKey) {
  terminal.input().auto_accept = true;
  terminal.Display(std::string(79, '.'));
  Type("k");
  EXPECT_EQ(terminal.GetKey(), 'k');
}

TEST_F(InputTest, EnterEndsOnlyWithoutAutoAccept) {
  Type("ab\r");
  EXPECT_EQ(terminal.InputMasked(1), "a");  // "b" is beyond the maximum
  terminal.input().auto_accept = true;
  Type("xy");
  EXPECT_EQ(terminal.InputMasked(1), "x");
  EXPECT_EQ(terminal.InputMasked(1), "y");
}

TEST_F(InputTest, GetKeyIgnoresEnterAndEchoesNothing) {
  terminal.input().echo_character = "*";
  terminal.input().auto_accept = true;
  Type("\r\rq");
  EXPECT_EQ(terminal.GetKey(), 'q');
  EXPECT_EQ(line.sent(), "");
  EXPECT_EQ(terminal.input().echo_character, "*");
}

TEST_F(InputTest, MaskedInputEchoesTheEchoCharacter) {
  terminal.input().echo_character = "*";
  Type("se\bcret\r");
  EXPECT_EQ(terminal.InputMasked(8), "scret");
  const std::string sent = line.TakeSent();
  EXPECT_EQ(sent.find('s'), std::string::npos);
  EXPECT_NE(sent.find("**\b \b****"), std::string::npos);
  // Without an echo character nothing is drawn, echoed or erased.
  terminal.input().echo_character.clear();
  Type("ab\bc\r");
  EXPECT_EQ(terminal.InputMasked(8), "ac");
  EXPECT_EQ(line.sent(), "");
}

TEST_F(InputTest, TypeAheadIsKeptForTheNextRequests) {
  // A whole line and more arrives in one packet.
  Type(std::string("first\r\nsecond\r\0third\r", 21));
  EXPECT_EQ(terminal.InputLine(20), "first");
  EXPECT_EQ(terminal.InputLine(20), "second");
  EXPECT_EQ(terminal.InputLine(20), "third");
  EXPECT_EQ(terminal.pending_keys(), 0u);
  Type("left over");
  terminal.FlushInput();
  EXPECT_EQ(terminal.pending_keys(), 0u);
  EXPECT_EQ(line.input_count(), 0u);
}

TEST_F(InputTest, AKeyFloodCostsNoMoreThanTheBound) {
  for (int i = 0; i < 64; ++i) Type(std::string(64 * 1024, 'f'));
  for (int i = 0; i < 1024 * 1024; ++i) terminal.LocalKey('g');
  EXPECT_LE(terminal.pending_keys(), Terminal::kReceiveHardLimit);
  EXPECT_EQ(terminal.input().idle_seconds, 0);
  terminal.FlushInput();
  Type("ok\r");
  EXPECT_EQ(terminal.InputLine(5), "ok");
}

TEST_F(InputTest, ControlCharactersStayOutOfTypedLines) {
  Type(
      "a\x0b!x|\x06"
      "A\x1b\r");
  EXPECT_EQ(terminal.InputLine(20), "a!x|A");
  terminal.input().auto_accept = true;
  Type("\x1b");
  EXPECT_EQ(terminal.GetKey(), '\x1b');  // a single key may be anything
}

TEST_F(InputTest, NameModeCapitalisesWords) {
  terminal.SetNameMode(true);
  Type("jOHN  van der berg\r");
  EXPECT_EQ(terminal.InputLine(35), "JOHN  Van Der Berg");
  terminal.SetNameMode(false);
}

TEST_F(InputTest, WordWrapCarriesThePartialWord) {
  terminal.input().word_wrap = true;
  Type("the quick brown");
  EXPECT_EQ(terminal.InputLine(12), "the quick ");
  EXPECT_EQ(terminal.input().carried_text, "br");
  // The carried word starts the next line, where the keys typed on go on with it.
  Type(" fox\r");
  EXPECT_EQ(terminal.InputLine(12), "brown fox");
  EXPECT_EQ(terminal.input().carried_text, "");
  Type("abcdefghijklmnop");
  EXPECT_EQ(terminal.InputLine(12), "abcdefghijkl");  // no blank: nothing to carry
}

TEST_F(InputTest, HotKeyPromptAnswers) {
  language.Set(200, "YN= Choose\xff", 0);
  language.Set(201, "Q Quit\xff", 0);
  Type("\r");
  EXPECT_EQ(terminal.AskChoice(200), 4);
  Type("\r");
  EXPECT_EQ(terminal.AskChoice(201), 1);
  Type("x=");
  EXPECT_EQ(terminal.AskChoice(200), 3);
  Type("n");
  EXPECT_EQ(terminal.AskChoice(200), 2);  // lower case counts as upper case
  Type("q");
  EXPECT_EQ(terminal.AskChoice(201), 1);
  EXPECT_FALSE(terminal.input().auto_accept);
  EXPECT_FALSE(terminal.input().capitalise);
}

TEST_F(InputTest, TheHintPrecedesOnlyTheFirstHotKeyPrompt) {
  language.Set(200, "YN= Choose\xff", 0);
  language.Set(201, "Q Quit\xff", 0);
  Type("y");
  terminal.AskChoice(200);
  EXPECT_EQ(line.TakeSent(), "[y/n/=]? Choose");
  Type("q");
  terminal.AskChoice(201);
  EXPECT_EQ(line.TakeSent(), "Quit");
  terminal.input().hint = true;
  Type("q");
  terminal.AskChoice(201);
  EXPECT_EQ(line.TakeSent(), "[Q]? Quit");
}

TEST_F(InputTest, YesNoPromptWithItsDefault) {
  language.Set(300, "Continue  Y", 0);
  language.Set(301, "Delete it N", 0x0F);
  Type("\r");
  EXPECT_EQ(terminal.AskChoice(300), 1);
  EXPECT_EQ(line.TakeSent(), "Continue [Y/n]? \x1b[1;32m\x1b[40mYes");
  Type("\r");
  EXPECT_EQ(terminal.AskPrompt(301), 2);
  EXPECT_EQ(line.TakeSent(), "\x1b[1;37m\x1b[40mDelete it [y/N]? \x1b[1;31m\x1b[40mNo");
  Type("zy");
  EXPECT_EQ(terminal.AskChoice(301), 1);
}

TEST_F(InputTest, EmptyYesAndNoEntriesFallBackToYAndN) {
  language.Set(0, "", 0);
  language.Set(1, "", 0);
  language.Set(300, "Sure?Y", 0);
  Type("n");
  EXPECT_EQ(terminal.AskChoice(300), 2);
  EXPECT_EQ(line.TakeSent(), "Sure? [Y/n]? ");
  Type("Y");
  EXPECT_EQ(terminal.AskChoice(300), 1);
}

TEST_F(InputTest, GetHotKeyWaitsForAListedKey) {
  Type("xzA");
  EXPECT_EQ(terminal.GetHotKey("ab"), 'A');
  Type("q\r");
  EXPECT_EQ(terminal.GetHotKey("b\r"), '\r');
  EXPECT_EQ(line.sent(), "");
}

TEST_F(InputTest, TheSessionCanEndTheCallInsideAWait) {
  terminal.input().echo_character = "#";
  platform::Timer tick(loop, std::chrono::seconds(1), [] {});
  tick.SetEnabled(true);
  int polls = 0;
  terminal.SetPollHook([&] {
    if (++polls == 3) platform::EndProcess(7);
  });
  Type("ab");
  try {
    terminal.GetKey();
    FAIL() << "the wait returned";
  } catch (const platform::ProcessExit& exit) {
    EXPECT_EQ(exit.code, 7);
  }
  EXPECT_EQ(terminal.input().request.maximum, 0);
  EXPECT_EQ(terminal.input().echo_character, "#");
}

TEST_F(InputTest, APromptInsideAWaitingInputLeavesItAsItWas) {
  language.Set(300, "Still there?Y", 0);
  int answer = 0;
  platform::Timer warning(loop, std::chrono::seconds(5), [&] {
    warning.SetEnabled(false);
    Type("n");
    answer = terminal.AskChoice(300);
    Type("c\r");
  });
  warning.SetEnabled(true);
  Type("ab");
  EXPECT_EQ(terminal.InputLine(10), "abc");
  EXPECT_EQ(answer, 2);
}

TEST_F(InputTest, KeysReachTheLineEvenWhenNoRequestIsActive) {
  terminal.input().idle_seconds = 12;
  EXPECT_EQ(terminal.KeyInput('a'), 'a');
  EXPECT_EQ(terminal.input().last_key, 'a');
  EXPECT_EQ(terminal.input().idle_seconds, 0);
  EXPECT_EQ(terminal.input().request.buffer, "");
  terminal.input().idle_seconds = 5;
  Type("w");
  EXPECT_EQ(terminal.input().idle_seconds, 0);
  EXPECT_EQ(terminal.TakeKeyNoWait(), 'w');
  EXPECT_EQ(terminal.TakeKeyNoWait(), std::nullopt);
}

}  // namespace
}  // namespace vx::terminal::testing

namespace vx::terminal::testing {
namespace {

TEST_F(InputTest, ADiversionTakesTheCallersTypingAndLeavesNoKeys) {
  std::string diverted;
  Type("ab");  // typed ahead of the diversion: it belongs to it
  terminal.DivertReceived([&](std::string_view text) { diverted += text; });
  Type("c\r\nd");
  EXPECT_EQ(diverted, "abc\rd");
  EXPECT_EQ(terminal.pending_keys(), 0u);
  terminal.DivertReceived({});
  Type("e\r");
  EXPECT_EQ(terminal.InputLine(5), "e");
  EXPECT_EQ(diverted, "abc\rd");
}

}  // namespace
}  // namespace vx::terminal::testing
