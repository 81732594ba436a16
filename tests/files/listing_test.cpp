// Whole listings over a socket: the list of the current area with its exact lines, descriptions
// beside and below, comments, numbering across pages, the page pause's tagging and the tagging
// prompt at the end.
#include "file_fixture.h"
#include "files/file_listings.h"

namespace vx::files::testing {
namespace {

const std::string kBar(28, '\xC4');

std::vector<SeedFile> HarbourFiles() {
  return {
      {"TIDES.TXT", 1234, "12-05-26", "Tide tables for the harbour, 2027 edition."},
      {"KNOTS.TXT", 24, "11-20-26", "A pocket guide to six useful knots.\r\nBowline, clove hitch."},
      {"", 0, "", "-- Scripts --"},
      {"BEACON~1.SH", 5120, "12-01-26",
       "A script that checks the beacon lights every night and writes what it found to the "
       "keeper's log."},
  };
}

TEST_F(FileTest, ListingShowsEachFileWithItsDescriptionBeside) {
  WriteAreas({{1, "Harbour", 0, 1, HarbourFiles()}});
  LoadArea(1);
  ListFileArea(*session, tagging->page, "");
  const std::vector<std::string> rows = Screen();
  // The description starts in column 31, where the line ended, and wraps between words within
  // the 48 columns left (80 - 31 - 1); its own line break is kept.
  const std::string indent(31, ' ');
  EXPECT_EQ(rows[0], "Press S to stop, P to pause.");
  EXPECT_NE(caller->received().find("\x1b[0;36m\x1b[40m" + kBar), std::string::npos);
  EXPECT_EQ(rows[2], " 01TIDES.TXT       1k 12-05-26 Tide tables for the harbour, 2027 edition.");
  EXPECT_EQ(rows[3], " 02KNOTS.TXT       0k 11-20-26 A pocket guide to six useful knots.");
  EXPECT_EQ(rows[4], indent + "Bowline, clove hitch.");
  EXPECT_EQ(rows[5], "-- Scripts --");
  EXPECT_EQ(rows[6], " 03BEACON~1.SH     5k 12-01-26 A script that checks the beacon lights every");
  EXPECT_EQ(rows[7], indent + "night and writes what it found to the keeper's");
  EXPECT_EQ(rows[8], indent + "log.");
  EXPECT_EQ(rows[9], "");
  // Numbered files are on the page under their numbers; the comment took none.
  ASSERT_NE(tagging->page.Entry(3), nullptr);
  EXPECT_EQ(tagging->page.Entry(3)->header.name, "BEACON~1.SH");
  EXPECT_EQ(tagging->page.Entry(3)->full_path, AreaDirectory(1) + "BEACON~1.SH");
  EXPECT_EQ(tagging->page.Entry(4), nullptr);
  // The listing colour (colour set 4: light cyan on black) is set before each line; a comment
  // is white on black.
  EXPECT_NE(caller->received().find("\x1b[1;36m\x1b[40m 01TIDES.TXT"), std::string::npos);
  EXPECT_NE(caller->received().find("\x1b[1;37m\x1b[40m-- Scripts --"), std::string::npos);
  EXPECT_EQ(session->terminal.output().listing_mode, 0);
}

TEST_F(FileTest, OtherFormsOfTheLine) {
  WriteAreas({{1, "Harbour", 0, 1, HarbourFiles()}});
  LoadArea(1);
  session->caller.user.date_format = 4;
  // Without @DF or @DU: one line per file, no number, no description. Prefixes change case, the
  // new mark compares with the last call (12-01-26), unknown letters and a lone "@N" stay.
  SetFormat("%NE|^NN|@SB|@TD|@NW|@XX|@FD|@LD @N");
  ListFileArea(*session, tagging->page, "");
  std::vector<std::string> rows = Screen();
  EXPECT_EQ(rows[2], "tides.txt   |TIDES    |   1234|0000|*|@XX|30-Nov-26|05-Dec-26 @N");
  EXPECT_EQ(rows[3], "knots.txt   |KNOTS    |     24|0000| |@XX|30-Nov-26|20-Nov-26 @N");
  EXPECT_EQ(rows[4], "-- Scripts --");
  EXPECT_EQ(rows[5], "beacon~1.sh |BEACON~1 |   5120|0000|*|@XX|30-Nov-26|01-Dec-26 @N");
  EXPECT_EQ(tagging->page.last_number(), 0);
  SetFormat("@UL|^UL|");
  ListFileArea(*session, tagging->page, "");
  rows = Screen();
  EXPECT_EQ(rows[2],
            "Sam Sysop" + std::string(26, ' ') + "|SAM SYSOP" + std::string(26, ' ') + "|");

  // @DU: the number, the line and the description below it as stored.
  SetFormat(" @NE@DU");
  ListFileArea(*session, tagging->page, "");
  rows = Screen();
  EXPECT_EQ(rows[2], " 01 TIDES.TXT   Tide tables for the harbour, 2027 edition.");
  EXPECT_EQ(rows[3], " 02 KNOTS.TXT   A pocket guide to six useful knots.");
  EXPECT_EQ(rows[4], "Bowline, clove hitch.");
  EXPECT_EQ(rows[5], "-- Scripts --");

  // A line that leaves fewer than 20 columns starts the description on the next line.
  SetFormat(std::string(62, '.') + "@NE@DF");
  ListFileArea(*session, tagging->page, "");
  rows = Screen();
  EXPECT_EQ(rows[2], " 04" + std::string(62, '.') + "TIDES.TXT");
  EXPECT_EQ(rows[3], "   Tide tables for the harbour, 2027 edition.");
}

TEST_F(FileTest, StoredTextNeverActs) {
  // A description and an uploader holding ^K! (show a file), ^A (wait for a key), ^L and ESC
  // sequences: shown as the plain text around them, and a value holding a code is not read again.
  test::WriteFile(system.dir / "SECRET.ANS", "the secret");
  WriteAreas({{1,
               "Harbour",
               0,
               1,
               {{"EVIL.TXT", 10, "12-05-26",
                 "Look \x0b!" + system.dir.path() + "/SECRET|\x01 here\x0c \x1b[2J\x1b[31mred"},
                {"AT.TXT", 10, "12-05-26", "x", "@UL\x0b!SECRET|"},
                {"..\\SECRET.AN", 10, "12-05-26", "climbs out"},
                {"\x1b[2JB.TXT", 10, "12-05-26", "escapes"}}}});
  LoadArea(1);
  SetFormat("@NE @DF");
  ListFileArea(*session, tagging->page, "");
  std::vector<std::string> rows = Screen();
  EXPECT_EQ(rows[2], " 01EVIL.TXT     Look !" + system.dir.path() + "/SECRET| here [2J[31mred");
  EXPECT_NE(caller->received().find(" here [2J[31mred"), std::string::npos);
  // Names that are no plain 8.3 names are shown as text, but never opened or tagged.
  EXPECT_EQ(rows[4], " 03..\\SECRET.AN climbs out");
  EXPECT_EQ(rows[5], " 04[2JB.TXT     escapes");
  EXPECT_EQ(tagging->page.Entry(3)->full_path, "");
  EXPECT_EQ(tagging->page.TagListingLine(3), "");
  EXPECT_EQ(tagging->page.TagListingLine(4), "");
  EXPECT_EQ(tagging->list.Count(), 0);
  EXPECT_NE(LogText().find("File area 1: the stored name \"..\\SECRET.AN\" is not a plain file "
                           "name; that file is never opened"),
            std::string::npos);
  SetFormat("@UL|");
  ListFileArea(*session, tagging->page, "");
  rows = Screen();
  EXPECT_EQ(rows[3], "@UL!SECRET|" + std::string(24, ' ') + "|");
  EXPECT_EQ(caller->received().find("the secret"), std::string::npos);
  EXPECT_EQ(caller->received().find("\x1b[31m"), std::string::npos);
}

TEST_F(FileTest, NumbersGoOnOverPagesAndTwoFilesAreTaggedAtThePause) {
  std::vector<SeedFile> files;
  for (int i = 1; i <= 30; ++i) {
    files.push_back({"FILE" + std::to_string(i) + ".ZIP", 2048, "12-02-26",
                     "File number " + std::to_string(i)});
  }
  WriteAreas({{1, "Harbour", 0, 1, files}});
  LoadArea(1);
  SetFormat("@NE @DF");
  std::vector<std::string> at_pause;
  // Each answer waits for the text that follows the one before, so that a prompt still on the
  // screen is not answered twice.
  caller->When("[T]ag", [&] {
    at_pause = caller->Rows();
    caller->Type("T");
    caller->When("Numbers to tag:", [&] {
      caller->Type("1 2,22 0 99 x\r");
      caller->When("[T]ag", [&] {
        caller->Type("Y");
        caller->WhenType("[Q]uit", "Q");
      });
    });
  });
  ListFileArea(*session, tagging->page, "/T");
  const std::vector<std::string> rows = Screen();
  // The pause came before the line that would fill the page (rows 3..23 hold files 1..21).
  ASSERT_FALSE(at_pause.empty());
  EXPECT_EQ(at_pause[23], " 22FILE22.ZIP   File number 22");
  EXPECT_EQ(at_pause[24], "More? [Y]es [N]o [C]ont [T]ag");
  // Files 1, 2 and 22 went to the tag list; numbers 0, 99 (nothing under it) and "x" did nothing.
  ASSERT_EQ(tagging->list.files().size(), 3u);
  EXPECT_EQ(tagging->list.files()[0].header.name, "FILE1.ZIP");
  EXPECT_EQ(tagging->list.files()[1].header.name, "FILE2.ZIP");
  EXPECT_EQ(tagging->list.files()[2].header.name, "FILE22.ZIP");
  EXPECT_EQ(tagging->list.Kilobytes(), 6);
  // The display codes of the tag list: files and kilobytes tagged.
  EXPECT_EQ(session->terminal.ExpandControlCodes("\x0b& \x0b'"), "3 6");
  // The numbering goes on after the pause, and the last file is number 30.
  EXPECT_NE(std::find(rows.begin(), rows.end(), " 30FILE30.ZIP   File number 30"), rows.end());
  EXPECT_EQ(tagging->page.last_number(), 30);
  // A second listing numbers on from 30 and marks the tagged files.
  caller->When("[C]ont", [&] {
    caller->WhenType("[Q]uit", "Q");
    caller->Type("C");
  });
  ListFileArea(*session, tagging->page, "/T");
  EXPECT_NE(caller->received().find("+31FILE1.ZIP    File number 1"), std::string::npos);
  EXPECT_NE(caller->received().find("+52FILE22.ZIP"), std::string::npos);
  EXPECT_NE(caller->received().find(" 53FILE23.ZIP"), std::string::npos);
}

TEST_F(FileTest, NoAtThePauseEndsTheListingAndNinetyNineGoesBackToOne) {
  std::vector<SeedFile> files;
  for (int i = 1; i <= 101; ++i)
    files.push_back({"F" + std::to_string(i) + ".ZIP", 10, "12-02-26", ""});
  WriteAreas({{1, "Harbour", 0, 1, files}});
  LoadArea(1);
  SetFormat("@NE@DF");
  session->caller.user.screen_length = 0;  // no pauses
  ListFileArea(*session, tagging->page, "");
  EXPECT_EQ(tagging->page.last_number(), 2);
  EXPECT_EQ(tagging->page.Entry(1)->header.name, "F100.ZIP");
  EXPECT_EQ(tagging->page.Entry(2)->header.name, "F101.ZIP");
  EXPECT_EQ(tagging->page.Entry(3)->header.name, "F3.ZIP");

  session->caller.user.screen_length = 24;
  caller->When("[C]ont", [&] {
    caller->WhenType("[Q]uit", "Q");
    caller->Type("N");
  });
  ListFileArea(*session, tagging->page, "/T");
  Settle();
  EXPECT_EQ(tagging->page.last_number(), 2 + 22);  // 22 files on the first page
  EXPECT_EQ(session->terminal.output().stop_answer, "");
  EXPECT_EQ(session->terminal.output().listing_mode, 0);
}

TEST_F(FileTest, TheTagPromptTakesNumbersOfThePage) {
  WriteAreas({{1, "Harbour", 0, 1, HarbourFiles()}});
  LoadArea(1);
  session->caller.user.default_protocol = 'X';  // one file at a time
  caller->When("[Q]uit", [&] {
    caller->Type("T");
    caller->When("Numbers to tag:", [&] {
      caller->Type("3 1\r");
      caller->When("No more files", [&] {
        caller->When("[Q]uit", [&] {
          caller->Type("T");
          caller->When("No more files", [&] { caller->WhenType("[Q]uit", "\r"); });
        });
      });
    });
  });
  ListFileArea(*session, tagging->page, "/t");
  const std::string seen = caller->received();
  ASSERT_EQ(tagging->list.files().size(), 1u);
  EXPECT_EQ(tagging->list.files()[0].header.name, "BEACON~1.SH");
  // The second number was refused (one file with this protocol), and so was the second round.
  size_t refusals = 0;
  for (size_t at = seen.find("No more files"); at != std::string::npos;
       at = seen.find("No more files", at + 1)) {
    ++refusals;
  }
  EXPECT_EQ(refusals, 2u);
  EXPECT_NE(seen.find("Tagged: 0, 0; Numbers to tag: "), std::string::npos);
}

TEST_F(FileTest, AnAreaTheCallerMayNotSeeIsNotListed) {
  WriteAreas({{1, "Harbour", 0, 1, HarbourFiles()}, {2, "Keepers only", 100, 1, HarbourFiles()}});
  LoadArea(2);
  ListFileArea(*session, tagging->page, "");
  EXPECT_EQ(Screen()[2], "");
  EXPECT_NE(LogText().find("File area 2 is not open to Ann Caller"), std::string::npos);
  // An area without its database files is logged as not existing.
  std::filesystem::remove(DatabaseFile("hdr", 1));
  LoadArea(1);
  ListFileArea(*session, tagging->page, "");
  EXPECT_NE(LogText().find("Area does not exist: 1"), std::string::npos);
  // An area without a FILES.VX record (VDX entry 0) too.
  LoadArea(7);
  ListFileArea(*session, tagging->page, "");
  EXPECT_NE(LogText().find("Area does not exist: 7"), std::string::npos);
  EXPECT_EQ(tagging->page.last_number(), 0);
}

}  // namespace
}  // namespace vx::files::testing
