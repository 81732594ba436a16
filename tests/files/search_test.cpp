// Whole searches over a socket: by name, by text and by date, their options, the S and P keys,
// areas the caller may not see, tagging by name and a caller who hangs up in the middle.
#include "file_fixture.h"
#include "files/file_listings.h"
#include "files/tag_prompt.h"

namespace vx::files::testing {
namespace {

class SearchTest : public FileTest {
 protected:
  SearchTest() {
    WriteAreas({
        {1,
         "Harbour",
         0,
         1,
         {{"TIDES.TXT", 1234, "12-05-26", "Tide tables for the harbour."},
          {"KNOTS.TXT", 24, "11-20-26", "A pocket guide to knots.\r\nBowline, clove hitch."},
          {"", 0, "", "-- Scripts --"},
          {"BEACON~1.SH", 5120, "12-01-26", "Checks the beacon lights."}}},
        {2,
         "Charts",
         0,
         2,
         {{"CHART1.GIF", 40000, "12-03-26", "Chart of the HARBOUR entrance."},
          {"README", 10, "10-01-26", "Read me first."}}},
        {3, "Keepers only", 100, 1, {{"SECRET.TXT", 10, "12-06-26", "Harbour secrets."}}},
    });
    LoadArea(1);
  }

  // Every row of the screen that holds text.
  std::vector<std::string> Shown() {
    std::vector<std::string> rows;
    for (const std::string& r : Screen()) {
      if (!r.empty()) rows.push_back(r);
    }
    return rows;
  }
  std::vector<std::string> Listed() {  // the rows after the search line and the heading
    std::vector<std::string> rows = Shown();
    return rows.size() > 3 ? std::vector<std::string>(rows.begin() + 3, rows.end())
                           : std::vector<std::string>();
  }
};

TEST_F(SearchTest, ByName) {
  caller->Type("*.txt\r");
  SearchFileName(*session, tagging->page, "");
  std::vector<std::string> rows = Shown();
  ASSERT_GE(rows.size(), 3u);
  EXPECT_EQ(rows[0], "Looking for files named: *.TXT");
  EXPECT_EQ(rows[1], "Press S to stop, P to pause.");
  EXPECT_EQ(std::vector<std::string>(rows.begin() + 3, rows.end()),
            (std::vector<std::string>{
                "1    ... Harbour",
                " 01TIDES.TXT       1k 12-05-26 Tide tables for the harbour.",
                " 02KNOTS.TXT       0k 11-20-26 A pocket guide to knots.",
                "                               Bowline, clove hitch.",
                "2    ... Charts",
            }));
  // The area and its name in their colours: white on black, yellow.
  EXPECT_NE(caller->received().find("\x1b[1;37m\x1b[40m1    ... \x1b[1;33mHarbour"),
            std::string::npos);

  caller->Type("BEACON*.*\r");
  SearchFileName(*session, tagging->page, "");
  EXPECT_EQ(Listed(), (std::vector<std::string>{
                          "1    ... Harbour",
                          " 03BEACON~1.SH     5k 12-01-26 Checks the beacon lights.",
                          "2    ... Charts",
                      }));
  caller->Type("*\r");
  SearchFileName(*session, tagging->page, "");
  EXPECT_EQ(Listed(), (std::vector<std::string>{
                          "1    ... Harbour",
                          "2    ... Charts",
                          " 04README          0k 10-01-26 Read me first.",
                      }));
  caller->Type("*.*\r");
  SearchFileName(*session, tagging->page, "");
  EXPECT_EQ(Listed().size(), 2u + 6u) << "every file the caller may see, no comment";
  // An empty answer ends the search at once.
  caller->Type("\r");
  SearchFileName(*session, tagging->page, "");
  EXPECT_EQ(tagging->page.last_number(), 9);
}

TEST_F(SearchTest, ByTextAndOptions) {
  caller->Type("harbour\r");
  SearchFileText(*session, tagging->page, "");
  EXPECT_EQ(Shown()[0], "Looking for text: HARBOUR");
  EXPECT_EQ(Listed(), (std::vector<std::string>{
                          "1    ... Harbour",
                          " 01TIDES.TXT       1k 12-05-26 Tide tables for the harbour.",
                          "2    ... Charts",
                          " 02CHART1.GIF     39k 12-03-26 Chart of the HARBOUR entrance.",
                      }));
  // Only the current area; only area 2; only the areas of group 2; an area that is no number.
  caller->Type("e\r");
  SearchFileText(*session, tagging->page, "/F");
  EXPECT_EQ(Listed().front(), "1    ... Harbour");
  EXPECT_EQ(Listed().back(), " 05BEACON~1.SH     5k 12-01-26 Checks the beacon lights.");
  caller->Type("e\r");
  SearchFileText(*session, tagging->page, "/f=2");
  EXPECT_EQ(Listed().front(), "2    ... Charts");
  EXPECT_EQ(Listed().size(), 3u);
  caller->Type("e\r");
  caller->WhenType("[Q]uit", "Q");
  SearchFileText(*session, tagging->page, "/FG=2 /T");  // /T: the tagging prompt follows
  EXPECT_EQ(Listed().front(), "2    ... Charts");
  caller->Type("e\r");
  SearchFileText(*session, tagging->page, "/FG");
  EXPECT_EQ(Listed().front(), "1    ... Harbour");
  caller->Type("e\r");
  SearchFileText(*session, tagging->page, "/F=abc");
  EXPECT_EQ(Listed().size(), 0u);
  EXPECT_NE(LogText().find("File search: no area number in \"/F=abc\""), std::string::npos);
}

TEST_F(SearchTest, NewFilesSinceTheLastCallOrADate) {
  // The last call was on 12-01-26 (the logon has set LastDate to today): a file of that day is new.
  caller->Type("S");
  ListNewFiles(*session, tagging->page, "");
  EXPECT_EQ(Shown()[0], "Files new since: 12-01-26");
  EXPECT_EQ(Listed(), (std::vector<std::string>{
                          "1    ... Harbour",
                          " 01TIDES.TXT       1k 12-05-26 Tide tables for the harbour.",
                          " 02BEACON~1.SH     5k 12-01-26 Checks the beacon lights.",
                          "2    ... Charts",
                          " 03CHART1.GIF     39k 12-03-26 Chart of the HARBOUR entrance.",
                      }));
  // A date in the caller's format (day first); one that is no date is asked again.
  session->caller.user.date_format = 1;
  caller->When("DD-MM-YY", [&] {
    caller->Type("30-02-27\r");
    caller->When("That is not a date.", [&] { caller->Type("04-12-26\r"); });
  });
  caller->Type("D");
  ListNewFiles(*session, tagging->page, "");
  EXPECT_EQ(Shown()[0], "Files new since: 04-12-26");
  EXPECT_EQ(Listed(), (std::vector<std::string>{
                          "1    ... Harbour",
                          " 04TIDES.TXT       1k 05-12-26 Tide tables for the harbour.",
                          "2    ... Charts",
                      }));
  // An empty date ends the function.
  caller->Type("D\r");
  ListNewFiles(*session, tagging->page, "");
  EXPECT_EQ(tagging->page.last_number(), 4);
}

TEST_F(SearchTest, TheConfigurationOffersTaggingInTheNewFilesList) {
  // The byte at position 3151 (offset 3150) switches it on; the byte before it (offset 3149, the
  // end of the file-base path field) does not.
  system.config.at(3149) = 1;
  // Likewise the listing format is the text at position 3259: a length byte at position 3258
  // (offset 3257) changes nothing.
  system.config.at(3257) = 3;
  system.WriteConfig();
  session->caller.user.screen_length = 5;
  std::string prompt;
  caller->When("More?", [&] {
    prompt = caller->Rows()[caller->Cursor().first - 1];
    caller->Type("C");
  });
  caller->Type("S");
  ListNewFiles(*session, tagging->page, "");
  EXPECT_EQ(prompt, "More? [Y,n,c]");
  EXPECT_NE(caller->received().find(" 01TIDES.TXT       1k 12-05-26 Tide tables"),
            std::string::npos);
  system.config.at(3149) = 0;
  system.config.at(3150) = 1;
  system.WriteConfig();
  session->terminal.output().non_stop = false;  // as the next menu function starts
  caller->When("More?", [&] {
    prompt = caller->Rows()[caller->Cursor().first - 1];
    caller->Type("C");
  });
  caller->Type("S");
  ListNewFiles(*session, tagging->page, "");
  EXPECT_EQ(prompt, "More? [Y]es [N]o [C]ont [T]ag");
}

TEST_F(SearchTest, STheStopsAfterTheAreaAndPHoldsIt) {
  caller->Type("*.*\rS");
  SearchFileName(*session, tagging->page, "");
  std::vector<std::string> rows = Listed();
  EXPECT_EQ(rows.front(), "1    ... Harbour");
  EXPECT_EQ(rows.back(), " 03BEACON~1.SH     5k 12-01-26 Checks the beacon lights.");

  // P holds the search until the next key, which is taken (not left for the next prompt).
  caller->Type("*.*\rPx");
  SearchFileName(*session, tagging->page, "");
  EXPECT_EQ(Listed().back(), " 08README          0k 10-01-26 Read me first.");
  EXPECT_EQ(session->terminal.pending_keys(), 0u);
  // Any other key is passed over.
  caller->Type("*.*\rq");
  SearchFileName(*session, tagging->page, "");
  EXPECT_EQ(Listed().back(), " 13README          0k 10-01-26 Read me first.");
}

TEST_F(SearchTest, NoAtAPauseEndsTheWholeSearch) {
  session->caller.user.screen_length = 6;
  caller->WhenType("More?", "N");
  caller->Type("*.*\r");
  SearchFileName(*session, tagging->page, "");
  for (const std::string& row : Screen()) EXPECT_EQ(row.find("Charts"), std::string::npos);
  EXPECT_EQ(session->terminal.output().stop_answer, "");
}

TEST_F(SearchTest, AnAreaAboveTheCallersSecurityIsHiddenFromEverySearch) {
  caller->Type("SECRET.TXT\r");
  SearchFileName(*session, tagging->page, "/F=3");
  caller->Type("secrets\r");
  SearchFileText(*session, tagging->page, "");
  caller->Type("S");
  ListNewFiles(*session, tagging->page, "/FG=1");
  caller->Type("*.*\rNNNNNN");  // five files are offered; a sixth N would answer one more
  TagByName(*session, tagging->page);
  Settle();
  EXPECT_EQ(caller->received().find("Keepers"), std::string::npos);
  EXPECT_EQ(caller->received().find("SECRET.TXT  "), std::string::npos);
  EXPECT_EQ(caller->received().find("Found: SECRET"), std::string::npos);
  EXPECT_EQ(caller->received().find("Harbour secrets"), std::string::npos);

  // The sysop sees it.
  session->caller.user.security = 100;
  caller->Type("secrets\r");
  SearchFileText(*session, tagging->page, "");
  EXPECT_NE(caller->received().find("3    ... \x1b[1;33mKeepers only"), std::string::npos);
}

TEST_F(SearchTest, TaggingByName) {
  // Each match is offered; Y tags it, N passes it over, S stops the scan.
  int offers = 0;
  std::function<void()> answer = [&] {
    ++offers;
    caller->Type(offers == 1 ? "Y" : offers == 2 ? "N" : "S");
    if (offers < 3) caller->When("Tag this file?", answer);
  };
  caller->When("Names to tag:", [&] {
    caller->Type("*.txt beacon*.*\r");
    caller->When("Tag this file?", answer);
  });
  TagByName(*session, tagging->page);
  Settle();
  EXPECT_EQ(offers, 3);
  ASSERT_EQ(tagging->list.files().size(), 1u);
  EXPECT_EQ(tagging->list.files()[0].header.name, "TIDES.TXT");
  EXPECT_EQ(tagging->list.files()[0].full_path, AreaDirectory(1) + "TIDES.TXT");
  EXPECT_NE(caller->received().find("Found: TIDES.TXT (Harbour)"), std::string::npos);
  EXPECT_NE(caller->received().find("The search has ended."), std::string::npos);
  EXPECT_EQ(caller->received().find("CHART1"), std::string::npos);
}

TEST_F(SearchTest, ACallerWhoHangsUpEndsTheSearch) {
  session->terminal.SetPollHook([this] {
    if (!session->comm.CarrierDetect()) throw platform::ProcessExit{0};
  });
  caller->When("Press S", [&] { caller->Close(); });
  caller->Type("*.*\r");
  EXPECT_THROW(SearchFileName(*session, tagging->page, ""), platform::ProcessExit);
  EXPECT_EQ(session->terminal.output().listing_mode, 0);
}

}  // namespace
}  // namespace vx::files::testing
