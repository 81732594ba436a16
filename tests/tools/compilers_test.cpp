// CONFIG.VX, language and menu files as vxcfg writes them, against bytes written out by hand, and
// the language files read back by the node's own reader.
#include <gtest/gtest.h>

#include "core/language.h"
#include "core/record_stream.h"
#include "menus/menu_file.h"
#include "tools/config_text.h"
#include "tools/language_compiler.h"
#include "tools/menu_compiler.h"
#include "tools/source_error.h"

namespace vx::tools {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(ConfigFields, ValuesLandAtTheirPositions) {
  Bytes config(core::kConfigSize, 0);
  ASSERT_EQ(SetConfigField(config, *core::FindConfigField("system_name"), "Lighthouse"), "");
  ASSERT_EQ(SetConfigField(config, *core::FindConfigField("inactivity_timeout"), "0x12C"), "");
  ASSERT_EQ(SetConfigField(config, *core::FindConfigField("mask_echo"), "#"), "");
  ASSERT_EQ(SetConfigField(config, *core::FindConfigField("new_user_flags"), "A1 A8 D2"), "");
  ASSERT_EQ(SetConfigField(config, *core::FindConfigField("address_1"), "2:280/1.7"), "");
  ASSERT_EQ(SetConfigField(config, *core::FindConfigField("name_attempts"), "3"), "");
  // Position p is byte p - 1.
  EXPECT_EQ(config[1258], 10);
  EXPECT_EQ(std::string(config.begin() + 1259, config.begin() + 1269), "Lighthouse");
  EXPECT_EQ(config[1269], 0);
  EXPECT_EQ(config[1479], 0x2C);
  EXPECT_EQ(config[1480], 0x01);
  EXPECT_EQ(config[2694], '#');
  EXPECT_EQ((Bytes{config[1293], config[1294], config[1295], config[1296]}),
            (Bytes{0x81, 0, 0, 0x02}));
  // Address slot 1 starts at position 1179 + 8: zone 2, net 280, node 1, point 7.
  EXPECT_EQ((Bytes(config.begin() + 1186, config.begin() + 1194)),
            (Bytes{2, 0, 0x18, 0x01, 1, 0, 7, 0}));
  EXPECT_EQ(config[5753], 3);
  EXPECT_EQ(config.size(), 6331u);
}

TEST(ConfigFields, RefusesWhatDoesNotFit) {
  Bytes config(core::kConfigSize, 0);
  EXPECT_NE(SetConfigField(config, *core::FindConfigField("system_name"), std::string(31, 'x')),
            "");
  EXPECT_EQ(config[1258], 0);  // nothing was cut and written
  EXPECT_NE(SetConfigField(config, *core::FindConfigField("logon_minutes"), "256"), "");
  EXPECT_NE(SetConfigField(config, *core::FindConfigField("open_bracket"), "[["), "");
  EXPECT_NE(SetConfigField(config, *core::FindConfigField("new_user_flags"), "E1"), "");
  EXPECT_NE(SetConfigField(config, *core::FindConfigField("address_0"), "2/280:1"), "");
  EXPECT_EQ(config, Bytes(core::kConfigSize, 0));
}

TEST(ConfigFields, EveryDefaultIsAValueTheFieldTakes) {
  Bytes config(core::kConfigSize, 0);
  for (const core::ConfigField* f : core::ConfigFields()) {
    EXPECT_EQ(SetConfigField(config, *f, f->default_value), "") << f->name;
    EXPECT_EQ(GetConfigField(config, *f), f->default_value) << f->name;
  }
}

TEST(LanguageCompiler, SmallFileByHand) {
  // Entry 1 has colour 0 (its own colour byte is its anchor); entry 2 has colour 14 and text "AB"
  // with no byte to anchor it except the final byte of the file.
  auto entries = ParseLanguageSource("1 default \"Hi\"\n2 yellow \"AB\"\n", "t.lng");
  CompiledLanguage c = CompileLanguage(entries);
  // N = 3; table 2 + 6 bytes; entry 1 at 8 (0,'H','i'), entry 2 at 11 (14,'A','B'), final byte 14
  // holding 3, the distance from entry 2's start.
  Bytes expected = {3, 0, 8, 0, 8, 0, 14, 0, 0, 'H', 'i', 14, 'A', 'B', 3};
  EXPECT_EQ(c.bytes, expected);
  EXPECT_TRUE(c.colour_in_text.empty());
  core::LanguageTable table;
  table.Load(c.bytes);
  EXPECT_EQ(table.Text(1), "Hi");
  EXPECT_EQ(table.Colour(1), 0);
  EXPECT_EQ(table.Text(2), "AB");
  EXPECT_EQ(table.Colour(2), 14);
}

TEST(LanguageCompiler, NodeReaderGetsTheSourceBack) {
  std::string source =
      "0 white \"Y Yes\\xFF\"\n1 white \"N No\\xFF\"\n"
      "# a comment\n\n"
      "3 lightred \"That name is not known.\"\n"
      "5 yellow \"Join us? Y\"\n"
      "67 white \"YNC More? [Y]es, [N]o, [C]ontinuous \\xFF\"\n"
      "116 lightgreen \"On\"\n117 lightred \"Off\"\n"
      "200 14 \"Control ^K[0E and ^^ caret\"\n"
      "700 0x1F \"last\"\n";
  auto entries = ParseLanguageSource(source, "t.lng");
  CompiledLanguage c = CompileLanguage(entries);
  core::LanguageTable table;
  auto load = table.Load(c.bytes);
  EXPECT_EQ(load.problem, "");
  for (const LanguageEntry& e : entries) {
    bool in_text = std::find(c.colour_in_text.begin(), c.colour_in_text.end(), e.number) !=
                   c.colour_in_text.end();
    bool dropped = std::find(c.colour_dropped.begin(), c.colour_dropped.end(), e.number) !=
                   c.colour_dropped.end();
    if (in_text) {
      EXPECT_FALSE(core::IsValueEntry(e.number)) << e.number;
      EXPECT_EQ(table.Colour(e.number), 0) << e.number;
      EXPECT_EQ(table.Text(e.number), TextWithColourCode(e.text, e.colour)) << e.number;
    } else if (dropped) {
      EXPECT_TRUE(core::IsValueEntry(e.number)) << e.number;
      EXPECT_EQ(table.Colour(e.number), 0) << e.number;
      EXPECT_EQ(table.Text(e.number), e.text) << e.number;
    } else {
      EXPECT_EQ(table.Colour(e.number), e.colour) << e.number;
      EXPECT_EQ(table.Text(e.number), e.text) << e.number;
    }
  }
  EXPECT_EQ(table.Text(4), "");  // absent entries stay empty
  DecodedLanguage d = DecodeLanguageFile(c.bytes);
  EXPECT_TRUE(d.problems.empty());
  EXPECT_EQ(d.entries.size(), entries.size());
}

TEST(LanguageCompiler, ColourCodeGoesWhereThePromptFormsStillWork) {
  EXPECT_EQ(TextWithColourCode("Join? Y", 14), "\x0B[0EJoin? Y");
  EXPECT_EQ(TextWithColourCode("YNC More?\xFF", 15), "YNC \x0B[0FMore?\xFF");
  EXPECT_EQ(TextWithColourCode("YN\xFF", 15), "YN\xFF");  // nothing shown, nothing to colour
  // A long run of entries whose bytes anchor nothing: each falls back and still reads back.
  std::vector<LanguageEntry> entries;
  for (int k = 10; k < 60; ++k) entries.push_back({k, 0x1E, "zz", 0});
  CompiledLanguage c = CompileLanguage(entries);
  core::LanguageTable table;
  table.Load(c.bytes);
  for (int k = 10; k < 60; ++k) {
    bool in_text = std::find(c.colour_in_text.begin(), c.colour_in_text.end(), k) !=
                   c.colour_in_text.end();
    EXPECT_EQ(table.Text(k), in_text ? std::string("\x0B[1Ezz") : std::string("zz"));
    EXPECT_EQ(table.Colour(k), in_text ? 0 : 0x1E);
  }
}

TEST(LanguageCompiler, ValuesNeverCarryAColourCodeInTheirText) {
  // 116 and 117 (on and off) are inserted into other texts. 117, the last entry, is anchored by
  // the final byte; no byte within reach of 116 fits and no ordinary entry follows that could be
  // written another way: it loses its colour rather than carry a code that a field would cut.
  CompiledLanguage c = CompileLanguage(
      ParseLanguageSource("116 lightcyan/blue \"zz\"\n117 lightcyan/blue \"zz\"\n", "t.lng"));
  // N = 118, the table takes 2 + 236 bytes; entries 0..116 point at 238, where 116's colour
  // byte 0 is its own anchor; 117 starts at 241 and the final byte, 244, holds its distance 3.
  Bytes expected = {118, 0};
  for (int k = 0; k <= 116; ++k) expected.insert(expected.end(), {238, 0});
  expected.insert(expected.end(), {244, 0, 0, 'z', 'z', 0x1B, 'z', 'z', 3});
  EXPECT_EQ(c.bytes, expected);
  EXPECT_TRUE(c.colour_in_text.empty());
  EXPECT_EQ(c.colour_dropped, std::vector<int>{116});
  core::LanguageTable table;
  EXPECT_EQ(table.Load(c.bytes).problem, "");
  EXPECT_EQ(table.Text(116), "zz");
  EXPECT_EQ(table.Colour(116), 0);
  EXPECT_EQ(table.Text(117), "zz");
  EXPECT_EQ(table.Colour(117), 0x1B);
  EXPECT_NE(ColourReport(c).find("116"), std::string::npos) << ColourReport(c);

  // Ordinary entries around value entries: each value keeps its colour in its colour byte or
  // goes without; its text is always the source's.
  std::string source;
  for (int k = 240; k < 270; ++k) {
    source += std::to_string(k) + " " + std::to_string(0x10 + k % 15) + " \"" +
              (core::IsValueEntry(k) ? "Day" + std::to_string(k)
                                     : "Some text of entry " + std::to_string(k)) +
              "\"\n";
  }
  auto entries = ParseLanguageSource(source, "t.lng");
  c = CompileLanguage(entries);
  table = core::LanguageTable();
  EXPECT_EQ(table.Load(c.bytes).problem, "");
  for (const LanguageEntry& e : entries) {
    if (!core::IsValueEntry(e.number)) continue;
    EXPECT_EQ(table.Text(e.number), e.text) << e.number;
    const bool dropped = std::count(c.colour_dropped.begin(), c.colour_dropped.end(), e.number);
    EXPECT_EQ(table.Colour(e.number), dropped ? 0 : e.colour) << e.number;
  }
}

TEST(LanguageCompiler, DemoWeekdaysDecodeToPlainNames) {
  const std::string path = std::string(VX_SOURCE_DIR) + "/demo/english.lng";
  auto source = core::ReadWholeFile(path);
  ASSERT_TRUE(source);
  CompiledLanguage c =
      CompileLanguage(ParseLanguageSource(std::string(source->begin(), source->end()), path));
  EXPECT_TRUE(c.colour_dropped.empty()) << ColourReport(c);
  // By the node's reading rule, S(k) = P(k) - B(k), worked out here by hand.
  const Bytes& b = c.bytes;
  auto start = [&b](int k) {
    const size_t p = b[2 + 2 * static_cast<size_t>(k)] | (b[3 + 2 * static_cast<size_t>(k)] << 8);
    return p - b[p];
  };
  const char* const names[7] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                "Thursday", "Friday", "Saturday"};
  for (int day = 0; day < 7; ++day) {
    const int k = 250 + day;
    const std::string data(b.begin() + static_cast<long>(start(k)),
                           b.begin() + static_cast<long>(start(k + 1)));
    ASSERT_FALSE(data.empty());
    EXPECT_EQ(data.substr(1), names[day]) << k;
  }
  // No value entry of the demo holds a control character.
  core::LanguageTable table;
  table.Load(c.bytes);
  for (int k = 0; k <= core::kLastLanguageEntry; ++k) {
    if (!core::IsValueEntry(k)) continue;
    for (char ch : table.Text(k)) EXPECT_GE(static_cast<unsigned char>(ch), 32) << k;
  }
}

TEST(LanguageCompiler, BadSourcesNameTheLine) {
  auto error_of = [](const std::string& source) {
    try {
      ParseLanguageSource(source, "x.lng");
    } catch (const SourceError& e) {
      return std::string(e.what());
    }
    return std::string();
  };
  EXPECT_EQ(error_of("1 white \"a\"\n701 white \"b\"\n"),
            "x.lng:2: entry number \"701\" is not 0 to 700");
  EXPECT_EQ(error_of("1 purple \"a\"\n").substr(0, 8), "x.lng:1:");
  EXPECT_EQ(error_of("1 white \"a\"\n1 white \"b\"\n"),
            "x.lng:2: entry 1 is already given on line 1");
  EXPECT_EQ(error_of("1 white \"unterminated\n"), "x.lng:1: text without closing quote");
  EXPECT_EQ(error_of("1 white \"bad ^1\"\n"), "x.lng:1: unknown control code ^1");
}

TEST(MenuCompiler, EntryRecordByHand) {
  auto menu = ParseMenuSource(
      "menu highlight=yellow prompt_colour=lightcyan prompt=\"^M^ain: \"\n"
      "entry key=M type=gosub data=\"MESSAGE\" colour=lightgray text=\"^M^essages\" security=10 "
      "max_security=200 flags=\"A1\" not_flags=\"D8\" time_left=5 min_speed=2400 "
      "mon=08:00-17:30\n"
      "entry auto=yes type=menu_text_file data=\"MAIN\"\n",
      "t.mnu");
  core::MemoryStream m;
  menus::WriteMenuFile(menu, m);
  const Bytes& b = m.bytes();
  ASSERT_EQ(b.size(), 3u * 464);
  EXPECT_EQ(b[0], 14);
  EXPECT_EQ(b[131], 8);
  EXPECT_EQ(std::string(b.begin() + 132, b.begin() + 140), "^M^ain: ");
  EXPECT_EQ(b[412], 11);
  const size_t e = 464;
  EXPECT_EQ(b[e + 0], 2);                       // gosub
  EXPECT_EQ(b[e + 1] | (b[e + 2] << 8), 10);    // minimum security
  EXPECT_EQ(b[e + 3] | (b[e + 4] << 8), 200);   // maximum security
  EXPECT_EQ(b[e + 8], 0x80);                    // forbidden D8
  EXPECT_EQ(b[e + 9], 0x01);                    // required A1
  EXPECT_EQ(b[e + 13], 5);                      // minutes left
  EXPECT_EQ(b[e + 19] | (b[e + 20] << 8), 2400);
  EXPECT_EQ(b[e + 103 + 2] | (b[e + 104 + 2] << 8), 480);   // Monday start
  EXPECT_EQ(b[e + 117 + 2] | (b[e + 118 + 2] << 8), 1050);  // Monday stop
  EXPECT_EQ(b[e + 131], 10);
  EXPECT_EQ(b[e + 267], 1);
  EXPECT_EQ(b[e + 268], 'M');
  EXPECT_EQ(b[e + 276], 7);
  EXPECT_EQ(std::string(b.begin() + e + 277, b.begin() + e + 284), "MESSAGE");
  EXPECT_EQ(b[e + 412], 7);
  EXPECT_EQ(b[2 * e + 267], 1);
  EXPECT_EQ(b[2 * e + 268], 1);  // ^A: an automatic entry
  // Back through the reader and the source form.
  core::MemoryStream in(b);
  menus::MenuFile back = menus::ReadMenuFile(in);
  EXPECT_EQ(FormatMenuSource(back), FormatMenuSource(ParseMenuSource(FormatMenuSource(back), "x")));
  EXPECT_EQ(menus::DayWindow(back.entries[0], 1).first, "08:00");
}

TEST(MenuCompiler, RefusesTooLongTextsAndUnknownSettings) {
  auto error_of = [](const std::string& source) {
    try {
      ParseMenuSource(source, "m.mnu");
    } catch (const SourceError& e) {
      return std::string(e.what());
    }
    return std::string();
  };
  EXPECT_EQ(error_of("menu prompt=\"x\"\nentry type=goto data=\"" + std::string(136, 'A') + "\"\n"),
            "m.mnu:2: data is 136 characters long; the field holds 135");
  EXPECT_EQ(error_of("menu\nentry type=goto colr=white\n"),
            "m.mnu:2: unknown entry setting \"colr\"");
  EXPECT_EQ(error_of("menu\nentry key=X\n"), "m.mnu:2: the entry has no type");
  EXPECT_EQ(error_of("entry type=goto\n"), "m.mnu:1: the \"menu\" line comes before the entries");
  EXPECT_EQ(error_of("menu\nentry type=goto hours=8-17\n"),
            "m.mnu:2: hours: \"8-17\" is not a time window like 08:00-17:00");
}

}  // namespace
}  // namespace vx::tools
