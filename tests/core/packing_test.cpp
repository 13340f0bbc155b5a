#include "reader/packing/Packing.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "reader/core/Base64.h"
#include "reader/core/PageStore.h"
#include "tests/core/Scratch.h"

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using reader::BuildContents;

using testing_scratch::ScratchFolder;

void WriteFile(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out << bytes;
  ASSERT_TRUE(out.good()) << path;
}

// A page file this process cannot read: mode 0000, and while it lives the
// process reads as nobody when it runs as root (root reads any file). The
// scratch folder is opened to nobody for that.
class UnreadableFile {
 public:
  UnreadableFile(const fs::path& scratch, const fs::path& path) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "secret";
    fs::permissions(path, fs::perms::none);
    if (::geteuid() != 0) return;
    fs::permissions(scratch, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec |
                                 fs::perms::group_read | fs::perms::others_read);
    dropped_ = ::setegid(65534) == 0 && ::seteuid(65534) == 0;
  }
  ~UnreadableFile() {
    if (dropped_ && (::seteuid(0) != 0 || ::setegid(0) != 0)) std::abort();
  }
  UnreadableFile(const UnreadableFile&) = delete;
  UnreadableFile& operator=(const UnreadableFile&) = delete;

 private:
  bool dropped_ = false;
};

reader::PageStore StoreWithMarks() {
  reader::PageStore store;
  for (int i = 0; i < reader::kSlotCount; ++i) store.SetSlot(i, "old slot " + std::to_string(i));
  return store;
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) out += "\r\n";
    out += lines[i];
  }
  return out;
}

// --- contents builder ------------------------------------------------------

TEST(PackingBuildContents, PageAndHeadingEntries) {
  // Six one-backtick pages, then a two-backtick line as the seventh page.
  std::vector<std::string> in;
  for (int i = 1; i <= 6; ++i) in.push_back("`P" + std::to_string(i) + "\tx");
  in.push_back("``A\tB");
  const std::string out = BuildContents(Lines(in));
  std::vector<std::string> expected;
  for (int i = 1; i <= 6; ++i)
    expected.push_back("\t" + std::to_string(i) + "-bet P" + std::to_string(i) + "\0x\0"s + std::to_string(i));
  expected.push_back("\t\t7-bet A\0B\0"s "7");
  EXPECT_EQ(out, Lines(expected));

  // A heading before any page carries page 0; after pages, the last number.
  EXPECT_EQ(BuildContents("A\tB"), "A\0B\0"s "0");
  EXPECT_EQ(BuildContents("`P\tx\r\n``Q\ty\r\nH\tz"),
            Lines({"\t1-bet P\0x\0"s "1", "\t\t2-bet Q\0y\0"s "2", "H\0z\0"s "2"}));
}

TEST(PackingBuildContents, BackticksAnywhereCountAndVanish) {
  // Two backticks, one in each field: depth 2, both removed.
  EXPECT_EQ(BuildContents("A`\tB`C"), "\t\t1-bet A\0BC\0"s "1");
  // Text after a second TAB is not part of any field.
  EXPECT_EQ(BuildContents("`A\tB\tC"), "\t1-bet A\0B\0"s "1");
  // An empty title or second text still makes a full entry.
  EXPECT_EQ(BuildContents("`\t"), "\t1-bet \0\0"s "1");
}

TEST(PackingBuildContents, LineWithoutTabStaysAsReadButUsesANumber) {
  const std::string out = BuildContents("`A\tx\r\n``NoTab`\r\n`B\ty\r\nPlain heading\r\nH\tz");
  EXPECT_EQ(out, Lines({"\t1-bet A\0x\0"s "1", "``NoTab`", "\t3-bet B\0y\0"s "3", "Plain heading",
                        "H\0z\0"s "3"}));
  // A line of backticks only has nothing left to split, yet counts too.
  EXPECT_EQ(BuildContents("``\r\n`C\tw"), Lines({"``", "\t2-bet C\0w\0"s "2"}));
}

TEST(PackingBuildContents, EmptyLinesAndLineEnds) {
  EXPECT_EQ(BuildContents(""), "");
  EXPECT_EQ(BuildContents("`A\tx\r\n\r\n`B\ty"), Lines({"\t1-bet A\0x\0"s "1", "", "\t2-bet B\0y\0"s "2"}));
  // A final CR LF gives a last, empty line, kept.
  EXPECT_EQ(BuildContents("A\tB\r\n"), "A\0B\0"s "0\r\n");
  EXPECT_EQ(BuildContents("\r\n\r\n"), "\r\n\r\n");
  // Only CR LF separates lines; a lone LF or CR is text of the line.
  EXPECT_EQ(BuildContents("`A\tx\ny\rz"), "\t1-bet A\0x\ny\rz\0"s "1");
}

TEST(PackingBuildContents, Windows1251BytesPassThrough) {
  // "Глава" / "Введение" in Windows-1251; no byte is touched.
  const std::string heading = "\xC3\xEB\xE0\xE2\xE0";
  const std::string page = "\xC2\xE2\xE5\xE4\xE5\xED\xE8\xE5";
  EXPECT_EQ(BuildContents(heading + "\t\r\n`" + page + "\t\xFF"),
            Lines({heading + "\0\0"s "0", "\t1-bet " + page + "\0\xFF\0"s "1"}));
}

// --- outline and page folder -------------------------------------------------

TEST(PackingOutline, MissingEmptyAndUnreadable) {
  ScratchFolder dir;
  const fs::path names = reader::OutlinePath(dir.Path());
  bool found = true;
  EXPECT_EQ(reader::ReadOutline(names, &found), "");
  EXPECT_FALSE(found);
  EXPECT_FALSE(fs::exists(names)) << "a missing outline must not be created";

  WriteFile(names, "A\tB\r\n");
  EXPECT_EQ(reader::ReadOutline(names, &found), "A\tB\r\n");
  EXPECT_TRUE(found);

  fs::remove(names);
  fs::create_directory(names);
  try {
    reader::ReadOutline(names);
    FAIL() << "a folder in place of the outline must throw";
  } catch (const reader::IoError& error) {
    EXPECT_NE(std::string(error.what()).find("names.txt"), std::string::npos) << error.what();
  }
}

TEST(PackingPageOrder, CaseFoldingForAsciiAndCyrillic) {
  using reader::PageNameLess;
  EXPECT_TRUE(PageNameLess("A.html", "b.html"));
  EXPECT_TRUE(PageNameLess("a.html", "B.html"));
  EXPECT_FALSE(PageNameLess("b.html", "A.html"));
  // Cyrillic: "а" < "Б" < "в"; "Я" folds to "я".
  EXPECT_TRUE(PageNameLess("\xD0\xB0", "\xD0\x91"));
  EXPECT_TRUE(PageNameLess("\xD0\x91", "\xD0\xB2"));
  EXPECT_TRUE(PageNameLess("\xD1\x8E", "\xD0\xAF"));  // ю < Я
  // Equal folded names are ordered by their bytes, so "A" before "a" and
  // "Ё" (D0 81) before "ё" (D1 91); no two different names compare equal.
  EXPECT_TRUE(PageNameLess("A", "a"));
  EXPECT_FALSE(PageNameLess("a", "A"));
  EXPECT_TRUE(PageNameLess("\xD0\x81", "\xD1\x91"));
  EXPECT_FALSE(PageNameLess("\xD1\x91", "\xD0\x81"));
  EXPECT_FALSE(PageNameLess("same", "same"));
  // A prefix comes first.
  EXPECT_TRUE(PageNameLess("page", "PAGE2"));
  // Malformed UTF-8 still orders, after every well-formed letter.
  EXPECT_TRUE(PageNameLess("\xD1\x8F", "\xFF"));
  EXPECT_FALSE(PageNameLess("\xFF", "\xD1\x8F"));
}

TEST(PackingPageOrder, ListsRegularVisibleFilesSorted) {
  ScratchFolder dir;
  const fs::path lor2 = dir.Path() / "Lor2";
  for (const char* name : {"b.html", "A.html", "a.html", "\xD0\x91.html", "\xD0\xB0.html", "10.html", "9.html",
                           ".hidden.html"})
    WriteFile(lor2 / name, name);
  fs::create_directory(lor2 / "sub");
  bool found = false;
  const std::vector<std::string> names = reader::ListPageFolder(lor2, &found);
  EXPECT_TRUE(found);
  const std::vector<std::string> expected = {"10.html", "9.html", "A.html", "a.html",
                                             "b.html", "\xD0\xB0.html", "\xD0\x91.html"};
  EXPECT_EQ(names, expected);

  EXPECT_TRUE(reader::ListPageFolder(dir.Path() / "missing", &found).empty());
  EXPECT_FALSE(found);
}

// --- page folder pass ---------------------------------------------------------

TEST(PackingPageFolderPass, FillsSlotsInOrderAndIgnoresTheOverflow) {
  ScratchFolder dir;
  const fs::path lor2 = dir.Path() / "Lor2";
  for (int i = 1; i <= 140; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "%03d.html", i);
    WriteFile(lor2 / name, "<p>page " + std::to_string(i) + "</p>");
  }
  reader::PageStore store = StoreWithMarks();
  const reader::PackReport report = reader::PackPageFolder(lor2, store);
  EXPECT_TRUE(report.folderFound);
  EXPECT_EQ(report.files.size(), 140u);
  EXPECT_EQ(report.slotsStored, 139);
  EXPECT_TRUE(report.failed.empty());
  EXPECT_EQ(report.ignored, std::vector<std::string>{"140.html"});
  EXPECT_TRUE(report.contentsReplaced);
  EXPECT_EQ(store.Slot(0), "old slot 0");
  for (int i = 1; i <= 139; ++i)
    EXPECT_EQ(store.Slot(i), reader::BytesToBase64("<p>page " + std::to_string(i) + "</p>")) << i;
}

TEST(PackingPageFolderPass, SlotsBeyondTheFilesKeepTheirContents) {
  ScratchFolder dir;
  const fs::path lor2 = dir.Path() / "Lor2";
  WriteFile(lor2 / "1.html", "one");
  WriteFile(lor2 / "2.html", std::string("\0\xFF\r\n", 4));
  WriteFile(lor2 / "3.html", "");
  reader::PageStore store = StoreWithMarks();
  const reader::PackReport report = reader::PackPageFolder(lor2, store);
  EXPECT_EQ(report.slotsStored, 3);
  EXPECT_FALSE(report.contentsReplaced);
  EXPECT_EQ(store.Slot(1), reader::BytesToBase64("one"));
  EXPECT_EQ(reader::Base64ToBytes(store.Slot(2)), std::string("\0\xFF\r\n", 4));
  // An empty page file is an empty page, not the previous file's page.
  EXPECT_EQ(store.Slot(3), "");
  for (int i : {0, 4, 100, 138, 139}) EXPECT_EQ(store.Slot(i), "old slot " + std::to_string(i));
}

TEST(PackingPageFolderPass, UnreadableFileKeepsItsSlotAndIsReported) {
  ScratchFolder dir;
  const fs::path lor2 = dir.Path() / "Lor2";
  WriteFile(lor2 / "01.html", "first");
  WriteFile(lor2 / "03.html", "third");
  reader::PageStore store = StoreWithMarks();
  reader::PackReport report;
  {
    const UnreadableFile unreadable(dir.Path(), lor2 / "02.html");
    report = reader::PackPageFolder(lor2, store);
  }
  EXPECT_EQ(store.Slot(1), reader::BytesToBase64("first"));
  EXPECT_EQ(store.Slot(2), "old slot 2") << "the failed file must not take the previous file's page";
  EXPECT_EQ(store.Slot(3), reader::BytesToBase64("third"));
  EXPECT_EQ(report.slotsStored, 2);
  ASSERT_EQ(report.failed.size(), 1u);
  EXPECT_EQ(report.failed[0].file, "02.html");
  EXPECT_NE(report.failed[0].reason.find("02.html"), std::string::npos) << report.failed[0].reason;
}

TEST(PackingPageFolderPass, EmptyOrMissingFolderWritesTheLoadedBookBack) {
  for (bool createFolder : {true, false}) {
    ScratchFolder dir;
    if (createFolder) fs::create_directory(dir.Path() / "Lor2");
    const reader::PageStore original = StoreWithMarks();
    WriteFile(reader::BookPath(dir.Path()), reader::SerializeBook(original));
    reader::PageStore store = reader::LoadBook(reader::BookPath(dir.Path()));
    const reader::PackReport report = reader::RunPageFolderPass(dir.Path(), store);
    EXPECT_EQ(report.folderFound, createFolder);
    EXPECT_EQ(report.slotsStored, 0);
    EXPECT_EQ(store, original);
    EXPECT_EQ(reader::ReadWholeFile(reader::BookPath(dir.Path())), reader::SerializeBook(original));
  }
}

TEST(PackingButtons, ContentsBuilderThenPassThenSave) {
  ScratchFolder dir;
  WriteFile(reader::OutlinePath(dir.Path()), "Part\t\r\n`Intro\ta\r\n`Next\tb\r\n");
  WriteFile(reader::PageFolderPath(dir.Path()) / "01.html", "<p>1</p>");
  WriteFile(reader::PageFolderPath(dir.Path()) / "02.html", "<p>2</p>");
  reader::PageStore store = StoreWithMarks();
  bool found = false;
  const std::string contents = reader::RunContentsBuilder(dir.Path(), store, &found);
  EXPECT_TRUE(found);
  EXPECT_EQ(contents, BuildContents("Part\t\r\n`Intro\ta\r\n`Next\tb\r\n"));
  EXPECT_EQ(store.Slot(reader::kContentsSlot), contents);
  EXPECT_FALSE(fs::exists(reader::BookPath(dir.Path()))) << "the builder writes nothing";

  reader::RunPageFolderPass(dir.Path(), store);
  const reader::PageStore saved = reader::LoadBook(reader::BookPath(dir.Path()));
  EXPECT_EQ(saved, store);
  EXPECT_EQ(saved.Slot(2), reader::BytesToBase64("<p>2</p>"));
  EXPECT_EQ(saved.Slot(139), contents);
  // The save leaves no temporary file behind.
  for (const auto& entry : fs::directory_iterator(dir.Path()))
    EXPECT_EQ(entry.path().filename().string().find(".Data.dat"), std::string::npos) << entry.path();

  // Without an outline the list comes out empty and slot 139 is emptied.
  fs::remove(reader::OutlinePath(dir.Path()));
  EXPECT_EQ(reader::RunContentsBuilder(dir.Path(), store, &found), "");
  EXPECT_FALSE(found);
  EXPECT_EQ(store.Slot(reader::kContentsSlot), "");
  EXPECT_FALSE(fs::exists(reader::OutlinePath(dir.Path())));
}

// --- failed saves -----------------------------------------------------------------

TEST(PackingSave, FailedSaveThrowsAndLeavesTheOldBook) {
  // A folder where the book should be makes the final rename fail even for root.
  ScratchFolder dir;
  fs::create_directories(reader::BookPath(dir.Path()));
  WriteFile(reader::BookPath(dir.Path()) / "inside", "keep");
  reader::PageStore store = StoreWithMarks();
  try {
    reader::RunPageFolderPass(dir.Path(), store);
    FAIL() << "the save must not fail silently";
  } catch (const reader::IoError& error) {
    EXPECT_NE(std::string(error.what()).find("Data.dat"), std::string::npos) << error.what();
  }
  EXPECT_EQ(reader::ReadWholeFile(reader::BookPath(dir.Path()) / "inside"), "keep");
  for (const auto& entry : fs::directory_iterator(dir.Path()))
    EXPECT_EQ(entry.path().filename().string().find(".Data.dat"), std::string::npos) << entry.path();
}

TEST(PackingSave, ReadOnlyFolderKeepsTheOldBook) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  ScratchFolder dir;
  const std::string old = reader::SerializeBook(StoreWithMarks());
  WriteFile(reader::BookPath(dir.Path()), old);
  fs::permissions(dir.Path(), fs::perms::owner_read | fs::perms::owner_exec);
  reader::PageStore store;
  EXPECT_THROW(reader::SaveBook(reader::BookPath(dir.Path()), store), reader::IoError);
  EXPECT_EQ(reader::ReadWholeFile(reader::BookPath(dir.Path())), old);
}

}  // namespace
