// Display files: where they are found, how they are shown line by line, and what a damaged or
// hostile file does.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <random>
#include <string>

#include "terminal_fixture.h"

namespace vx::terminal::testing {
namespace {

class DisplayFileTest : public TerminalTest {
 protected:
  DisplayFileTest() {
    std::filesystem::create_directories(dir / "text");
    std::filesystem::create_directories(dir / "lang2");
    config.text_path = (dir / "text").string() + "/";
    // LANGUAGE.VX with two languages; the second has its own text path.
    std::string record1(core::kLanguageRecordSize, '\0');
    std::string record2(core::kLanguageRecordSize, '\0');
    PutString(record1, 0, "English");
    PutString(record2, 0, "Deutsch");
    // Language paths are String[60]: the second language reaches its directory through a short
    // link.
    link = "/tmp/vxlang" + std::to_string(::getpid());
    std::filesystem::remove(link);
    std::filesystem::create_directory_symlink(dir / "lang2", link);
    PutString(record2, 144, link + "/");
    const std::string bytes = record1 + record2;
    languages = core::LanguageList::Parse(std::vector<uint8_t>(bytes.begin(), bytes.end()));
  }
  ~DisplayFileTest() override { std::filesystem::remove(link); }
  static void PutString(std::string& record, size_t offset, const std::string& text) {
    record[offset] = static_cast<char>(text.size());
    record.replace(offset + 1, text.size(), text);
  }
  void Write(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  std::string link;
};

TEST_F(DisplayFileTest, LookupGoesLanguageThenTextThenSystemPath) {
  Write(dir / "NEWS.ANS", "system");
  Write(dir / "text" / "NEWS.ANS", "text");
  Write(dir / "lang2" / "NEWS.ANS", "language");
  user.language = 2;
  terminal.ShowTextFile("NEWS");
  EXPECT_EQ(line.TakeSent(), "language");
  std::filesystem::remove(dir / "lang2" / "NEWS.ANS");
  terminal.ShowTextFile("NEWS");
  EXPECT_EQ(line.TakeSent(), "text");
  std::filesystem::remove(dir / "text" / "NEWS.ANS");
  terminal.ShowTextFile("NEWS");
  EXPECT_EQ(line.TakeSent(), "system");
  // The first language has no text path of its own.
  Write(dir / "lang2" / "NEWS.ANS", "language");
  user.language = 1;
  terminal.ShowTextFile("NEWS");
  EXPECT_EQ(line.TakeSent(), "system");
  terminal.ShowTextFile("MISSING");
  EXPECT_EQ(line.TakeSent(), "");
}

TEST_F(DisplayFileTest, TheTerminalTypeChoosesTheVariant) {
  Write(dir / "LOGO.ANS", "ansi");
  Write(dir / "LOGO.AVT", "avatar");
  Write(dir / "LOGO", "plain");
  terminal.ShowTextFile("LOGO");
  EXPECT_EQ(line.TakeSent(), "ansi");
  terminal.output().terminal_type = 2;
  terminal.ShowTextFile("logo");  // names are found whatever their case
  EXPECT_EQ(line.TakeSent(), "avatar");
  terminal.output().terminal_type = 3;
  terminal.ShowTextFile("LOGO");
  EXPECT_EQ(line.TakeSent(), "plain");
  EXPECT_TRUE(terminal.DisplayFileExists((dir / "LOGO").string()));
  EXPECT_FALSE(terminal.DisplayFileExists((dir / "text").string()));  // a directory is no file
}

TEST_F(DisplayFileTest, LinesAreShownWithoutAFinalLineEnd) {
  Write(dir / "A.ANS", "one\r\ntwo\r\n");
  Write(dir / "B.ANS", "one\ntwo");
  Write(dir / "C.ANS", "art\r\n\x1aSAUCE00 binary record");
  terminal.ShowTextFile("A");
  EXPECT_EQ(line.TakeSent(), "one\r\ntwo");
  terminal.ShowTextFile("B");
  EXPECT_EQ(line.TakeSent(), "one\r\ntwo");
  terminal.ShowTextFile("C");
  EXPECT_EQ(line.TakeSent(), "art");
}

TEST_F(DisplayFileTest, NoAtTheMorePromptStopsTheFileAtThatLine) {
  std::string text;
  for (int i = 1; i <= 40; ++i) text += "line " + std::to_string(i) + "\r\n";
  Write(dir / "LONG.ANS", text);
  Type("N");
  terminal.ShowTextFile("LONG");
  const std::string sent = line.TakeSent();
  EXPECT_NE(sent.find("line 24"), std::string::npos);  // shown; its line end was held back
  EXPECT_EQ(sent.find("line 25"), std::string::npos);
  EXPECT_EQ(terminal.output().stop_answer, "");  // the file's end cleared the listing state
  EXPECT_EQ(Row(24), "line 24");
}

TEST_F(DisplayFileTest, IncludedFilesAndTheirLimits) {
  Write(dir / "OUTER.ANS", "<\x0b!INNER|>");
  Write(dir / "INNER.ANS", "inner");
  terminal.ShowTextFile("OUTER");
  EXPECT_EQ(line.TakeSent(), "<inner>");
  // A file that includes itself stops after a few levels.
  Write(dir / "SELF.ANS", "x\x0b!SELF|");
  terminal.ShowTextFile("SELF");
  EXPECT_EQ(line.TakeSent(), std::string(Terminal::kMaxFileNesting, 'x'));
  // Names never leave the directories they are looked up in.
  Write(dir / "text" / "SECRET.ANS", "secret");
  config.text_path = (dir / "text" / "sub").string() + "/";
  terminal.Display("\x0b!../SECRET|");
  terminal.ShowTextFile("/etc/passwd");
  terminal.ShowTextFile("C:SECRET");
  EXPECT_EQ(line.TakeSent(), "");
}

TEST_F(DisplayFileTest, JunkAndHugeLinesAreShownWithoutHarm) {
  std::mt19937 random(7);
  std::string junk(300 * 1024, '\0');
  for (char& c : junk) c = static_cast<char>(random() % 255 + 1);
  for (char& c : junk) {
    if (c == '\x1a' || c == '\x01' || c == '\x0c' || c == '\x17') c = '.';  // no waits, no end
  }
  junk.replace(1000, 4, "\x0b[zz");
  junk.replace(2000, 3, "\x0b!x");
  junk.replace(3000, 10, "\x1b[99999;9");
  Write(dir / "JUNK.ANS", junk);
  user.screen_length = 0;
  terminal.ShowTextFile("JUNK");
  EXPECT_GE(line.sent().size(), 200u * 1024);
  EXPECT_LE(screen().cursor_row(), 25);
}

TEST_F(DisplayFileTest, PositionedDisplayMovesOnAndEchoColoursAreRecorded) {
  Write(dir / "MENU.ANS", "\x1b[1;36m\x1b[44mMenu");
  terminal.output().positioned_display = true;
  terminal.ShowTextFile("MENU");
  EXPECT_EQ(screen().cursor_column(), 5);
  EXPECT_EQ(terminal.output().echo_foreground, 11);
  EXPECT_EQ(terminal.output().echo_background, 1);
}

TEST_F(DisplayFileTest, PressEnterWaitsForAKey) {
  language.Set(257, "Press a key", 0x0E);
  terminal.input().auto_accept = true;
  Type("\rk");
  terminal.PressEnter();
  EXPECT_EQ(line.sent(), "\x1b[0;37m\x1b[40m\x1b[1;33m\x1b[40mPress a key\x1b[0;37m\x1b[40m\r\n");
  EXPECT_EQ(terminal.pending_keys(), 0u);
}

}  // namespace
}  // namespace vx::terminal::testing
