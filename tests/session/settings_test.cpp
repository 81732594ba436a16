// The caller's settings functions on a terminal with a scripted line: what each accepts and
// refuses, and what it leaves in the caller's record.
#include "session/settings.h"

#include <gtest/gtest.h>

#include "core/crc32.h"
#include "support/logon_system.h"
#include "terminal/terminal_fixture.h"

namespace vx::session {
namespace {

class SettingsTest : public terminal::testing::TerminalTest {
 protected:
  SettingsTest() {
    for (const auto& [n, text] : test::LogonSystem::Prompts()) {
      if (n > 1 && n != 67 && n != 471) language.Set(n, text, 0);
    }
    user.screen_length = 66;  // no page pauses in these tests
  }
  std::string Sent() { return line.TakeSent(); }
};

TEST_F(SettingsTest, ScreenLengthTakesTenToSixtySix) {
  Type("9\r67\r10\r");
  ChangeScreenLength(terminal, user);
  EXPECT_EQ(user.screen_length, 10);
  const std::string sent = Sent();
  size_t refusals = 0;
  for (size_t at = sent.find("<58 range> 10-66"); at != std::string::npos;
       at = sent.find("<58 range> 10-66", at + 1)) {
    ++refusals;
  }
  EXPECT_EQ(refusals, 2u);
  EXPECT_NE(sent.find("<227 lines set> 10"), std::string::npos);

  user.screen_length = 40;  // 10 lines would bring the page pause into this test
  Type("\r66\r");           // no answer is no length
  ChangeScreenLength(terminal, user, false);
  EXPECT_EQ(user.screen_length, 66);
  EXPECT_EQ(Sent().find("<227 lines set>"), std::string::npos);
}

TEST_F(SettingsTest, ANewUsersPasswordNeedsTheMinimumLengthAndNoCurrentPassword) {
  Type("abc\rabcd\rabcd\r");
  ChangePassword(terminal, user, 4, PasswordCheck::kNewUser);
  EXPECT_EQ(user.password_crc, core::Crc32("ABCD"));
  const std::string sent = Sent();
  EXPECT_EQ(sent.find("<422 current password?>"), std::string::npos);
  EXPECT_NE(sent.find("<47 too short, at least> 4 characters"), std::string::npos);

  // Two answers that differ, then a password of exactly the minimum.
  Type("abcd\rabce\rwxyz\rWXYZ\r");
  ChangePassword(terminal, user, 4, PasswordCheck::kNewUser);
  EXPECT_EQ(user.password_crc, core::Crc32("WXYZ"));
  EXPECT_NE(Sent().find("<33 wrong password>"), std::string::npos);

  // A minimum of 0 still refuses an empty password; one above the field's 15 is taken as 15.
  Type("\rk\rk\r");
  ChangePassword(terminal, user, 0, PasswordCheck::kNewUser);
  EXPECT_EQ(user.password_crc, core::Crc32("K"));
  Type("fifteen-letters\rfifteen-letters\r");
  ChangePassword(terminal, user, 40, PasswordCheck::kNewUser);
  EXPECT_EQ(user.password_crc, core::Crc32("FIFTEEN-LETTERS"));
}

TEST_F(SettingsTest, AKnownCallerGivesTheCurrentPasswordFirst) {
  user.password_crc = core::Crc32("SECRET");
  Type("wrong\r");
  ChangePassword(terminal, user, 4);
  EXPECT_EQ(user.password_crc, core::Crc32("SECRET"));
  EXPECT_NE(Sent().find("<34 too many>"), std::string::npos);

  Type("Secret\r\r");  // an empty new password changes nothing
  ChangePassword(terminal, user, 4);
  EXPECT_EQ(user.password_crc, core::Crc32("SECRET"));

  Type("secret\rharbour\rHARBOUR\r");
  ChangePassword(terminal, user, 4);
  EXPECT_EQ(user.password_crc, core::Crc32("HARBOUR"));
}

TEST(BirthDate, EachDateFormatPutsDayMonthAndYearInItsPlace) {
  EXPECT_EQ(ParseBirthDate("24-12-70", 1), "12-24-70");
  EXPECT_EQ(ParseBirthDate("12-24-70", 2), "12-24-70");
  EXPECT_EQ(ParseBirthDate("70-12-24", 3), "12-24-70");
  EXPECT_EQ(ParseBirthDate("24-Dec-70", 4), "12-24-70");
  EXPECT_EQ(ParseBirthDate("05-jan-01", 4), "01-05-01");
  EXPECT_EQ(ParseBirthDate("12-24-70", 0), "12-24-70");  // no format: as the files store dates
  // Leap years: 2000 was one, 2001 not; 1900 (a year 00 before 80 is 2000 here) is not asked.
  EXPECT_EQ(ParseBirthDate("29-02-00", 1), "02-29-00");
  EXPECT_EQ(ParseBirthDate("29-02-01", 1), std::nullopt);
  EXPECT_EQ(ParseBirthDate("29-02-84", 1), "02-29-84");
  for (const auto& [typed, format] : std::vector<std::pair<std::string, int>>{{"31-04-70", 1},
                                                                              {"00-12-70", 1},
                                                                              {"24-13-70", 1},
                                                                              {"12-24-70", 1},
                                                                              {"1-2-70", 2},
                                                                              {"24/12/70", 1},
                                                                              {"24-Dex-70", 4},
                                                                              {"24-12-70", 4},
                                                                              {"ab-cd-ef", 2},
                                                                              {"", 2},
                                                                              {"24-12-1970", 1},
                                                                              {"24-Dec-70 ", 4}}) {
    EXPECT_EQ(ParseBirthDate(typed, format), std::nullopt) << typed << " in format " << format;
  }
}

TEST_F(SettingsTest, TheBirthDateIsAskedInTheCallersFormatUntilItIsADate) {
  user.date_format = 4;
  Type("24-12-70\r24-dec-70\r");
  AskBirthDate(terminal, user, '[', ']');
  EXPECT_EQ(user.birth_date, "12-24-70");
  const std::string sent = Sent();
  EXPECT_NE(sent.find("<21 born> [DD-Mon-YY]: "), std::string::npos);
  EXPECT_NE(sent.find("<21 born>", sent.find("<21 born>") + 1), std::string::npos);  // asked twice

  user.date_format = 3;
  Type("70-12-24\r");
  AskBirthDate(terminal, user, 0, 0);
  EXPECT_EQ(user.birth_date, "12-24-70");
  EXPECT_NE(Sent().find("<21 born> YY-MM-DD: "), std::string::npos);
}

TEST_F(SettingsTest, TextAnswersAreCapitalisedAndTrimmed) {
  Type("  harbour town \r");
  ChangeLocation(terminal, user);
  EXPECT_EQ(user.location, "Harbour Town");
  Type("the old salt\r");
  ChangeHandle(terminal, user);
  EXPECT_EQ(user.handle, "The Old Salt");
  EXPECT_FALSE(terminal.input().capitalise);  // put back afterwards
}

TEST_F(SettingsTest, APhoneNumberIsKeptOnlyWhenTheCallerConfirmsIt) {
  user.voice_phone = "old";
  Type("555-1234\rN555-9876\rY");
  ChangeVoicePhone(terminal, user);
  EXPECT_EQ(user.voice_phone, "555-9876");
  const std::string sent = Sent();
  EXPECT_NE(sent.find("<17 voice>"), std::string::npos);
  EXPECT_NE(sent.find("555-1234"), std::string::npos);
  Type("12ab34\rY");  // only digits and "-" are taken
  ChangeDataPhone(terminal, user);
  EXPECT_EQ(user.data_phone, "1234");
}

TEST_F(SettingsTest, TheDateFormatIsOneOfFour) {
  Type("7x3");
  ChangeDateFormat(terminal, user);
  EXPECT_EQ(user.date_format, 3);
  const std::string sent = Sent();
  EXPECT_NE(sent.find("1. DD-MM-YY"), std::string::npos);
  EXPECT_NE(sent.find("4. DD-Mon-YY"), std::string::npos);
}

TEST_F(SettingsTest, MailIsForwardedOnlyToAUserOfTheBase) {
  std::vector<uint8_t> users = test::HandUser{.name = "Jane Doe", .handle = "Janey"}.Bytes();
  test::WriteFile(dir / "USERS.BBS", users);
  test::WriteFile(dir / "USERSIDX.BBS", test::IndexEntry(test::crc::kJaneDoe, test::crc::kJaney));
  const core::UserBase base(dir / "USERS.BBS", dir / "USERSIDX.BBS");
  Type("nobody here\r");
  ChangeForwardTo(terminal, user, base);
  EXPECT_EQ(user.forward_to, "");
  EXPECT_NE(Sent().find("<303 no such user>"), std::string::npos);
  Type("janey\r");
  ChangeForwardTo(terminal, user, base);
  EXPECT_EQ(user.forward_to, "Janey");
  EXPECT_NE(Sent().find("<485 forwarded>"), std::string::npos);
  Type("\r");
  ChangeForwardTo(terminal, user, base);
  EXPECT_EQ(user.forward_to, "");
}

TEST_F(SettingsTest, TheAddressIsShownAndChangedOnlyWhenTheCallerWants) {
  user.address1 = "1 Quay";
  Type("N");
  ChangeAddress(terminal, user);
  EXPECT_EQ(user.address1, "1 Quay");
  EXPECT_NE(Sent().find("1 Quay"), std::string::npos);
  Type("Y2 pier road\rharbour\r\r");
  ChangeAddress(terminal, user);
  EXPECT_EQ(user.address1, "2 Pier Road");
  EXPECT_EQ(user.address2, "Harbour");
  EXPECT_EQ(user.address3, "");
}

TEST_F(SettingsTest, OnlyTheLanguagesTheCallerMayUseAreOffered) {
  // LANGUAGE.VX by hand: 1 English (security 0), 2 Deutsch (security 50), 3 Francais (not
  // available), 4 Dansk (security 10).
  std::vector<uint8_t> list(4 * 466, 0);
  const auto record = [&](int r, const std::string& name, bool available, unsigned security) {
    const size_t at = static_cast<size_t>(r - 1) * 466;
    test::PutText(list, at, name);
    list[at + 21] = available ? 1 : 0;
    test::PutText(list, at + 22, name.substr(0, 3));
    test::PutWordAt(list, at + 266, security);
  };
  record(1, "English", true, 0);
  record(2, "Deutsch", true, 50);
  record(3, "Francais", false, 0);
  record(4, "Dansk", true, 10);
  const core::LanguageList installed = core::LanguageList::Parse(list);
  user.security = 10;
  user.language = 1;
  std::vector<int> used;
  Type("2\r3\r4\r");
  ChangeLanguage(terminal, user, installed, "Languages", "Which? ", [&](int r) {
    used.push_back(r);
    return true;
  });
  EXPECT_EQ(used, std::vector<int>{4});
  EXPECT_EQ(user.language, 4);
  const std::string sent = Sent();
  EXPECT_NE(sent.find("1 ..... English"), std::string::npos);
  EXPECT_NE(sent.find("4 ..... Dansk"), std::string::npos);
  EXPECT_EQ(sent.find("Deutsch"), std::string::npos);
  EXPECT_EQ(sent.find("Francais"), std::string::npos);
  EXPECT_NE(sent.find("<58 range> 1-4"), std::string::npos);

  // A language whose file cannot be loaded is not taken.
  Type("1\r");
  ChangeLanguage(terminal, user, installed, "", "", [](int) { return false; });
  EXPECT_EQ(user.language, 4);
}

}  // namespace
}  // namespace vx::session
