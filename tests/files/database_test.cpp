// The file database against bytes written out by hand from its layout: reading header, index and
// description files, what AddFile appends, reads bounded by damaged files, two nodes appending at
// once and a failed append taken back.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "core/dos_date.h"
#include "core/node_log.h"
#include "files/add_file.h"
#include "files/file_database.h"
#include "files/file_search.h"
#include "platform/clock.h"
#include "support/temp_dir.h"

namespace vx::files {
namespace {

using Bytes = std::vector<uint8_t>;

void Put(Bytes& b, size_t offset, std::initializer_list<uint8_t> values) {
  for (uint8_t v : values) b.at(offset++) = v;
}
void PutText(Bytes& b, size_t offset, const std::string& text) {
  b.at(offset) = static_cast<uint8_t>(text.size());
  for (size_t i = 0; i < text.size(); ++i) b.at(offset + 1 + i) = static_cast<uint8_t>(text[i]);
}
Bytes Cat(const std::vector<Bytes>& parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}
Bytes TextBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

// 12-05-26 and 11-30-26 as packed dates: (2026 - 1980) << 9 | month << 5 | day in the high word.
constexpr uint8_t kDec5Low = 0x85, kDec5High = 0x5D;
constexpr uint8_t kNov30Low = 0x7E, kNov30High = 0x5D;

// A header record by hand: TIDES.TXT, 1234 bytes, CRC 11223344, uploader Sam Sysop, uploaded
// 12-05-26, file date 11-30-26, last download 12-05-26, 7 downloads, attribute 2, "abc" at 72,
// "xyz" as the second text at 88, cost 5, description at `offset`.
Bytes TidesHeader(int32_t offset) {
  Bytes h(194, 0);
  PutText(h, 0, "TIDES.TXT");
  Put(h, 13, {0xD2, 0x04, 0x00, 0x00});
  Put(h, 17, {0x44, 0x33, 0x22, 0x11});
  PutText(h, 21, "Sam Sysop");
  Put(h, 57, {0, 0, kDec5Low, kDec5High});
  Put(h, 61, {0, 0, kNov30Low, kNov30High});
  Put(h, 65, {0, 0, kDec5Low, kDec5High});
  Put(h, 69, {7, 0});
  Put(h, 71, {2});
  PutText(h, 72, "abc");
  PutText(h, 88 + 16, "xyz");
  Put(h, 168, {5, 0});
  const auto u = static_cast<uint32_t>(offset);
  Put(h, 170,
      {static_cast<uint8_t>(u), static_cast<uint8_t>(u >> 8), static_cast<uint8_t>(u >> 16),
       static_cast<uint8_t>(u >> 24)});
  return h;
}

Bytes IndexRecord(const std::string& name, std::initializer_list<uint8_t> date, int32_t offset) {
  Bytes x(41, 0);
  PutText(x, 0, name);
  Put(x, 13, date);
  const auto u = static_cast<uint32_t>(offset);
  Put(x, 37,
      {static_cast<uint8_t>(u), static_cast<uint8_t>(u >> 8), static_cast<uint8_t>(u >> 16),
       static_cast<uint8_t>(u >> 24)});
  return x;
}

class DatabaseTest : public ::testing::Test {
 protected:
  DatabaseTest() : log(clock, env) {
    log.SetFileName(dir / "NODE.LOG");
    filebase = dir.path() + "/filebase/";
  }
  std::string File(const char* kind, int area) const {
    return filebase + kind + "/fdb" + std::to_string(area) + "." + kind;
  }
  void Write(int area, const Bytes& headers, const Bytes& index, const Bytes& texts) {
    test::WriteFile(File("hdr", area), headers);
    test::WriteFile(File("idx", area), index);
    test::WriteFile(File("txt", area), texts);
  }
  Bytes Read(const char* kind, int area) const {
    const std::string text = test::ReadFile(File(kind, area));
    return Bytes(text.begin(), text.end());
  }
  std::string LogText() const { return test::ReadFile(dir / "NODE.LOG"); }

  test::TempDir dir;
  platform::ManualClock clock;
  platform::Environment env;
  core::NodeLog log;
  std::string filebase;
};

TEST_F(DatabaseTest, RecordsReadFromBytesWrittenByHand) {
  const Bytes texts = TextBytes(std::string("Old\0Tide tables\r\nfor the harbour\0", 33));
  Write(3, TidesHeader(4), IndexRecord("TIDES.TXT", {0, 0, kDec5Low, kDec5High}, 4), texts);
  EXPECT_EQ(DatabasePaths("C:\\BBS\\FDB\\", 3).header, "C:\\BBS\\FDB\\hdr\\fdb3.hdr");
  EXPECT_EQ(DatabasePaths("C:\\BBS\\FDB\\", 3).index, "C:\\BBS\\FDB\\idx\\fdb3.idx");
  EXPECT_EQ(DatabasePaths("C:\\BBS\\FDB", 3).descriptions, "C:\\BBS\\FDB\\txt\\fdb3.txt");

  DatabaseProblems problems(log, 3);
  const auto db = FileDatabase::Open(filebase, 3, env, problems);
  ASSERT_TRUE(db);
  ASSERT_EQ(db->header_count(), 1u);
  ASSERT_EQ(db->index_count(), 1u);
  const ListedFile f = db->ReadFileHeader(1, "C:\\BBS\\FILES\\tides", problems);
  EXPECT_EQ(f.header.name, "TIDES.TXT");
  EXPECT_EQ(f.header.size, 1234u);
  EXPECT_EQ(f.header.crc, 0x11223344u);
  EXPECT_EQ(f.header.uploader, "Sam Sysop");
  EXPECT_EQ(core::UnpackDate(f.header.upload_date), "12-05-26");
  EXPECT_EQ(core::UnpackDate(f.header.file_date), "11-30-26");
  EXPECT_EQ(core::UnpackDate(f.header.last_download), "12-05-26");
  EXPECT_EQ(f.header.times_downloaded, 7);
  EXPECT_EQ(f.header.attributes, 2);
  EXPECT_EQ(f.header.text72, "abc");
  EXPECT_EQ(f.header.texts88[1], "xyz");
  EXPECT_EQ(f.header.cost, 5);
  EXPECT_EQ(f.header.description_offset, 4);
  EXPECT_EQ(f.description, "Tide tables\r\nfor the harbour");
  EXPECT_EQ(f.full_path, "C:\\BBS\\FILES\\TIDES\\TIDES.TXT");
  EXPECT_EQ(f.area, 3u);
  EXPECT_EQ(db->IndexName(1), "TIDES.TXT");
  EXPECT_EQ(db->IndexUploadDate(1), core::PackDate("12-05-26"));
  EXPECT_EQ(db->IndexDescriptionOffset(1), 4);
  EXPECT_EQ(problems.count(), 0);

  // The writer gives the same bytes back.
  core::MemoryStream out;
  WriteFileHeaderRecord(f.header, out);
  EXPECT_EQ(out.bytes(), TidesHeader(4));
}

TEST_F(DatabaseTest, DamagedDatabasesAreReadWithinTheirFiles) {
  // Two and a half header records, one index record (the counts disagree), and descriptions at
  // -5, past the end, without an end byte; a name length byte of 13; a name that climbs out of
  // its directory.
  Bytes h1 = TidesHeader(-5);
  Bytes h2 = TidesHeader(1000);
  Bytes h3 = TidesHeader(2);
  h3[0] = 13;  // the name field holds 12 characters at most
  Put(h3, 1, {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J', 'K', 'L'});
  Bytes partial(50, 0x41);
  Write(4, Cat({h1, h2, h3, partial}), IndexRecord("TIDES.TXT", {0, 0, kDec5Low, kDec5High}, -5),
        TextBytes("abcdef"));
  {
    DatabaseProblems problems(log, 4);
    const auto db = FileDatabase::Open(filebase, 4, env, problems);
    ASSERT_TRUE(db);
    EXPECT_EQ(db->header_count(), 3u);
    EXPECT_EQ(db->paired_count(), 1u);
    EXPECT_EQ(db->ReadFileHeader(1, "/srv/files", problems).description, "");
    EXPECT_EQ(db->ReadFileHeader(2, "/srv/files", problems).description, "");
    const ListedFile third = db->ReadFileHeader(3, "/srv/files", problems);
    EXPECT_EQ(third.header.name, "ABCDEFGHIJKL");
    EXPECT_EQ(third.description, "cdef") << "to the end of the file";
    EXPECT_EQ(third.full_path, "") << "not an 8.3 name";
  }
  const std::string text = LogText();
  EXPECT_NE(text.find("File area 4: the header file is 632 bytes long, not a whole number of "
                      "194-byte records; its last 50 bytes are not read"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("the header file holds 3 records and the index file 1"), std::string::npos);
  EXPECT_NE(text.find("the description of TIDES.TXT is said to start at -5, outside"),
            std::string::npos);
  EXPECT_NE(text.find("said to start at 1000"), std::string::npos);
  EXPECT_NE(text.find("the description of ABCDEFGHIJKL at 2 has no end byte; it is taken to the "
                      "end of the file"),
            std::string::npos);
  EXPECT_EQ(text.find("is not a plain file name"), std::string::npos) << "the sixth is counted";
  EXPECT_NE(text.find("File area 4: 1 further problems in the file database"), std::string::npos);

  // Paths that must not be opened.
  EXPECT_EQ(FullFilePath("C:\\FILES\\", "..\\CONFIG.VX"), "");
  EXPECT_EQ(FullFilePath("/srv/files/", "../CONFIG.VX"), "");
  EXPECT_EQ(FullFilePath("/srv/files/", "A\x1b.TXT"), "");
  EXPECT_EQ(FullFilePath("", "README.TXT"), "") << "an empty path is not the root";
  EXPECT_EQ(FullFilePath("  ", "README.TXT"), "");
  EXPECT_EQ(FullFilePath("/srv/Files", "readme.txt"), "/srv/Files/README.TXT");
  EXPECT_EQ(FullFilePath("c:\\files", "readme.txt"), "C:\\FILES\\README.TXT");

  // Missing files: no header or no descriptions is no area; a missing index reads as empty.
  DatabaseProblems problems(log, 5);
  EXPECT_FALSE(FileDatabase::Open(filebase, 5, env, problems));
  test::WriteFile(File("hdr", 6), TidesHeader(-1));
  test::WriteFile(File("txt", 6), Bytes{});
  const auto db = FileDatabase::Open(filebase, 6, env, problems);
  ASSERT_TRUE(db);
  EXPECT_EQ(db->paired_count(), 0u);
  EXPECT_EQ(db->ReadFileHeader(1, "/x/", problems).description, "");
}

TEST_F(DatabaseTest, AddFileAppendsTheBytesOfTheLayout) {
  // One file there already, its description "Old" at 0.
  Write(3, TidesHeader(0), IndexRecord("TIDES.TXT", {0, 0, kDec5Low, kDec5High}, 0),
        TextBytes(std::string("Old\0", 4)));
  NewFileEntry entry;
  entry.name = "uploads/readme.txt";  // the directory part is dropped
  entry.size = 300;
  entry.uploader = "Ann\x0b Caller";
  entry.upload_date = core::PackDate("12-05-26");
  entry.file_date = core::PackDate("11-30-26");
  entry.attribute = 1;
  entry.description = "Line one\x0b!X|\r\nLine two\x1b[2J";
  entry.area = 3;
  const AddFileResult result = AddFile(filebase, entry, env, log, {});
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(result.name, "README.TXT");
  EXPECT_EQ(result.record, 2u);
  EXPECT_EQ(result.description_offset, 4);

  Bytes header(194, 0);
  PutText(header, 0, "README.TXT");
  Put(header, 13, {0x2C, 0x01, 0, 0});
  PutText(header, 21, "Ann Caller");
  Put(header, 57, {0, 0, kDec5Low, kDec5High});
  Put(header, 61, {0, 0, kNov30Low, kNov30High});
  Put(header, 65, {0, 0, kDec5Low, kDec5High});
  Put(header, 71, {1});
  Put(header, 170, {4, 0, 0, 0});
  EXPECT_EQ(Read("hdr", 3), Cat({TidesHeader(0), header}));
  EXPECT_EQ(Read("idx", 3), Cat({IndexRecord("TIDES.TXT", {0, 0, kDec5Low, kDec5High}, 0),
                                 IndexRecord("README.TXT", {0, 0, kDec5Low, kDec5High}, 4)}));
  EXPECT_EQ(Read("txt", 3), TextBytes(std::string("Old\0Line one!X|\r\nLine two[2J\0", 29)));

  // A new area's files and directories are made; a torn record at the end is written over.
  entry.area = 9;
  entry.name = "B.ZIP";
  entry.description = "";
  test::WriteFile(File("idx", 9), Bytes(20, 0xEE));
  const AddFileResult first = AddFile(filebase, entry, env, log, {});
  ASSERT_TRUE(first.ok) << first.error;
  EXPECT_EQ(first.record, 1u);
  EXPECT_EQ(Read("idx", 9).size(), 41u);
  EXPECT_EQ(Read("hdr", 9).size(), 194u);
  EXPECT_EQ(Read("txt", 9), Bytes{0});

  // Names that are no DOS names are refused and nothing is written.
  entry.name = "..";
  EXPECT_FALSE(AddFile(filebase, entry, env, log, {}).ok);
  entry.name = "a long name.text";
  const AddFileResult refused = AddFile(filebase, entry, env, log, {});
  EXPECT_FALSE(refused.ok);
  EXPECT_NE(LogText().find("File not added to area 9: \"a long name.text\" is not a DOS file name"),
            std::string::npos);
  EXPECT_EQ(Read("hdr", 9).size(), 194u);
}

TEST_F(DatabaseTest, AddFileGivesALongNameItsShortNameAndFillsAShorterFile) {
  const std::string uploads = dir.path() + "/uploads";
  test::WriteFile(uploads + "/Beacon Check.sh", "#!/bin/sh\n");
  test::WriteFile(uploads + "/BEACON~1.SH", "taken");
  // The header file holds one record more than the index (a DOS tool stopped half way).
  Write(2, Cat({TidesHeader(-1), TidesHeader(-1)}),
        IndexRecord("TIDES.TXT", {0, 0, kDec5Low, kDec5High}, -1), Bytes{});
  NewFileEntry entry;
  entry.name = "Beacon Check.sh";
  entry.directory = uploads;
  entry.area = 2;
  const AddFileResult result = AddFile(filebase, entry, env, log, {});
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(result.name, "BEACON~2.SH");
  EXPECT_EQ(test::ReadFile(uploads + "/BEACON~2.SH"), "#!/bin/sh\n");
  EXPECT_EQ(test::ReadFile(uploads + "/BEACON~1.SH"), "taken");
  EXPECT_FALSE(test::Exists(uploads + "/Beacon Check.sh"));
  EXPECT_EQ(result.record, 3u);
  const Bytes index = Read("idx", 2);
  ASSERT_EQ(index.size(), 3u * 41);
  // Record 2 of the index is an empty filler; record 3 is the new file in both files.
  EXPECT_EQ(Bytes(index.begin() + 41, index.begin() + 82), IndexRecord("", {0, 0, 0, 0}, -1));
  EXPECT_EQ(index[82], 11);
  EXPECT_EQ(Read("hdr", 2).size(), 3u * 194);
  EXPECT_NE(LogText().find("the header file held 2 records and the index file 1"),
            std::string::npos);
  // A file that is not there is not added.
  entry.name = "gone.txt";
  EXPECT_FALSE(AddFile(filebase, entry, env, log, {}).ok);
}

TEST_F(DatabaseTest, TheTextSearchTakesAnyCaseAndOnlyItsOwnDescription) {
  // Descriptions longer than eight bytes go through the word-wide upper-casing; characters from
  // 128 up are not letters to it. Record 3's offset is past the end; record 4 has none.
  std::string texts = "caf\xe9 au lait in the harbour";
  texts += '\0';
  const auto second = static_cast<int32_t>(texts.size());
  texts += "\xe1\xe2\xe3 HARB";
  texts += '\0';
  texts += "OUR text without end";
  Write(1, Cat({TidesHeader(0), TidesHeader(second), TidesHeader(-1), TidesHeader(-1)}),
        Cat({IndexRecord("A.TXT", {}, 0), IndexRecord("B.TXT", {}, second),
             IndexRecord("C.TXT", {}, 900), IndexRecord("D.TXT", {}, -1)}),
        TextBytes(texts));
  DatabaseProblems problems(log, 1);
  const auto db = FileDatabase::Open(filebase, 1, env, problems);
  ASSERT_TRUE(db);
  const auto hits = [&](const std::string& text) {
    std::vector<uint64_t> found;
    ScanArea(*db, SearchCriterion::Text(text), problems, [&](uint64_t k) {
      found.push_back(k);
      return true;
    });
    return found;
  };
  EXPECT_EQ(hits("HARBOUR"), (std::vector<uint64_t>{1})) << "not across the end of B's text";
  EXPECT_EQ(hits("CAF\xe9 AU"), (std::vector<uint64_t>{1}));
  EXPECT_EQ(hits("\xe1\xe2"), (std::vector<uint64_t>{2}));
  EXPECT_EQ(hits("\xc1"), (std::vector<uint64_t>{}));
  EXPECT_EQ(hits("WITHOUT END"), (std::vector<uint64_t>{}));
  EXPECT_NE(LogText().find("the index gives the description of C.TXT the offset 900"),
            std::string::npos);
  // The name and date searches.
  std::vector<uint64_t> found;
  ScanArea(*db, SearchCriterion::Name("?.TXT"), problems, [&](uint64_t k) {
    found.push_back(k);
    return k < 2;  // the caller stops after the second
  });
  EXPECT_EQ(found, (std::vector<uint64_t>{1, 2}));
}

// Adds `count` files named <prefix><i>.TXT with the description "<prefix> <i>".
void AddMany(const std::string& filebase, char prefix, int count) {
  platform::ManualClock clock;
  platform::Environment env;
  core::NodeLog log(clock, env);
  for (int i = 0; i < count; ++i) {
    NewFileEntry entry;
    entry.name = std::string(1, prefix) + std::to_string(i) + ".TXT";
    entry.size = static_cast<uint32_t>(i);
    entry.description = std::string(1, prefix) + " " + std::to_string(i);
    entry.area = 1;
    if (!AddFile(filebase, entry, env, log, {}).ok) ::_exit(1);
  }
  ::_exit(0);
}

TEST_F(DatabaseTest, TwoNodesAddingAtOnceLeaveRecordsThatAgree) {
  std::vector<pid_t> children;
  for (char prefix : {'A', 'B'}) {
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) AddMany(filebase, prefix, 500);
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  DatabaseProblems problems(log, 1);
  const auto db = FileDatabase::Open(filebase, 1, env, problems);
  ASSERT_TRUE(db);
  ASSERT_EQ(db->header_count(), 1000u);
  ASSERT_EQ(db->index_count(), 1000u);
  EXPECT_EQ(problems.count(), 0);
  std::map<std::string, int> seen;
  for (uint64_t k = 1; k <= 1000; ++k) {
    const ListedFile f = db->ReadFileHeader(k, "/srv/", problems);
    const std::string name = f.header.name;
    ASSERT_EQ(db->IndexName(k), name);
    ASSERT_EQ(db->IndexDescriptionOffset(k), f.header.description_offset);
    // Each offset points at the file's own description.
    const std::string number = name.substr(1, name.find('.') - 1);
    ASSERT_EQ(f.description, name.substr(0, 1) + " " + number) << k;
    ++seen[name];
  }
  EXPECT_EQ(seen.size(), 1000u);
  EXPECT_EQ(problems.count(), 0);
}

TEST_F(DatabaseTest, AFailedAppendIsTakenBackAndReported) {
  Write(1, Cat({TidesHeader(0), TidesHeader(0), TidesHeader(0)}),
        Cat({IndexRecord("A.TXT", {0, 0, kDec5Low, kDec5High}, 0),
             IndexRecord("B.TXT", {0, 0, kDec5Low, kDec5High}, 0),
             IndexRecord("C.TXT", {0, 0, kDec5Low, kDec5High}, 0)}),
        TextBytes(std::string("Old\0", 4)));
  const Bytes headers = Read("hdr", 1), index = Read("idx", 1), texts = Read("txt", 1);
  // The disk is full once a file would pass 600 bytes: the description fits, the header does not.
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{600, 600};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    NewFileEntry entry;
    entry.name = "D.TXT";
    entry.description = "A description that is written and taken back";
    entry.area = 1;
    const AddFileResult result = AddFile(filebase, entry, env, log, {});
    ::_exit(!result.ok && result.error.find("writing the file database failed") != std::string::npos
                ? 0
                : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(Read("hdr", 1), headers);
  EXPECT_EQ(Read("idx", 1), index);
  EXPECT_EQ(Read("txt", 1), texts);
  EXPECT_NE(LogText().find("File not added to area 1: writing the file database failed"),
            std::string::npos);
}

}  // namespace
}  // namespace vx::files
