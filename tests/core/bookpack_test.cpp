// Runs the built bookpack executable and checks what it prints, writes and
// returns.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "reader/core/Base64.h"
#include "reader/core/PageStore.h"
#include "tests/core/Scratch.h"
#include "reader/packing/Packing.h"

#ifndef BOOKPACK_EXE
#error "BOOKPACK_EXE must name the bookpack executable"
#endif

namespace {

namespace fs = std::filesystem;

using testing_scratch::ScratchFolder;

void WriteFile(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

std::string ReadFile(const fs::path& path) { return reader::ReadWholeFile(path); }

// The bytes of a literal that holds NULs.
template <std::size_t N>
std::string Bytes(const char (&literal)[N]) {
  return std::string(literal, N - 1);
}

std::string ShellQuote(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'')
      out += "'\\''";
    else
      out.push_back(c);
  }
  return out + "'";
}

struct Result {
  int exit = -1;
  std::string out;
  std::string err;
};

class BookpackRun {
 public:
  // A shell command run before the tool (a limit, for instance).
  std::string prefix;

  Result operator()(const std::vector<std::string>& args) const {
    // A tool that blocks fails the test instead of hanging it.
    std::string command = prefix + " timeout 20 " + ShellQuote(BOOKPACK_EXE);
    for (const std::string& arg : args) command += " " + ShellQuote(arg);
    const fs::path out = scratch_.Path() / "stdout";
    const fs::path err = scratch_.Path() / "stderr";
    command += " >" + ShellQuote(out.string()) + " 2>" + ShellQuote(err.string()) + " </dev/null";
    const int status = std::system(command.c_str());
    Result result;
    if (status != -1 && WIFEXITED(status)) result.exit = WEXITSTATUS(status);
    result.out = ReadFile(out);
    result.err = ReadFile(err);
    return result;
  }

 private:
  ScratchFolder scratch_;
};

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// An application folder with an outline of one section and three pages
// (titles in Windows-1251), the matching page files and an older book.
void MakeAppFolder(const fs::path& dir) {
  // "Раздел" / "Первая", "Вторая", "Третья" in Windows-1251.
  WriteFile(reader::OutlinePath(dir),
            "\xD0\xE0\xE7\xE4\xE5\xEB\t\r\n"
            "`\xCF\xE5\xF0\xE2\xE0\xFF\ta.html\r\n"
            "`\xC2\xF2\xEE\xF0\xE0\xFF\tb.html\r\n"
            "`\xD2\xF0\xE5\xF2\xFC\xFF\tc.html\r\n");
  WriteFile(reader::PageFolderPath(dir) / "a.html", "<p>first</p>");
  WriteFile(reader::PageFolderPath(dir) / "B.html", Bytes("\0\x01\xFE\xFF binary"));
  WriteFile(reader::PageFolderPath(dir) / "c.html", "<p>third</p>\r\n");
  reader::PageStore old;
  old.SetSlot(0, "slot zero survives");
  old.SetSlot(5, "beyond the files");
  WriteFile(reader::BookPath(dir), reader::SerializeBook(old) + "old tail");
}

TEST(BookpackCli, HelpAndUsageErrors) {
  BookpackRun run;
  Result help = run({"--help"});
  EXPECT_EQ(help.exit, 0);
  EXPECT_NE(help.out.find("Usage: bookpack"), std::string::npos);
  for (const char* command : {"build", "list", "extract", "contents", "check"})
    EXPECT_NE(help.out.find(command), std::string::npos) << command;

  EXPECT_EQ(run({}).exit, 2);
  Result unknown = run({"pack", "x"});
  EXPECT_EQ(unknown.exit, 2);
  EXPECT_NE(unknown.err.find("unknown command 'pack'"), std::string::npos) << unknown.err;
  EXPECT_EQ(run({"list"}).exit, 2);
  EXPECT_EQ(run({"extract", "book.dat"}).exit, 2);
}

TEST(BookpackCli, BuildWritesWhatTheWindowButtonsWrite) {
  ScratchFolder a;
  ScratchFolder b;
  MakeAppFolder(a.Path());
  MakeAppFolder(b.Path());

  // The window: load, first button, second button.
  reader::PageStore store = reader::LoadBook(reader::BookPath(a.Path()));
  reader::RunContentsBuilder(a.Path(), store);
  reader::RunPageFolderPass(a.Path(), store);

  BookpackRun run;
  const Result result = run({"build", b.Path().string()});
  EXPECT_EQ(result.exit, 0) << result.err;
  EXPECT_TRUE(result.err.empty()) << result.err;
  EXPECT_NE(result.out.find("3 pages"), std::string::npos) << result.out;
  const std::string written = ReadFile(reader::BookPath(b.Path()));
  EXPECT_EQ(written, ReadFile(reader::BookPath(a.Path())));

  const reader::PageStore saved = reader::ParseBook(written);
  EXPECT_EQ(saved.Slot(0), "slot zero survives");
  EXPECT_EQ(saved.Slot(5), "beyond the files");
  // Page order ignores case: a, B, c.
  EXPECT_EQ(reader::Base64ToBytes(saved.Slot(2)), Bytes("\0\x01\xFE\xFF binary"));
  EXPECT_EQ(saved.Slot(139), reader::BuildContents(ReadFile(reader::OutlinePath(b.Path()))));
}

TEST(BookpackCli, BuildReportsMissingInputsAndIoErrors) {
  BookpackRun run;
  {
    ScratchFolder dir;
    MakeAppFolder(dir.Path());
    fs::remove(reader::OutlinePath(dir.Path()));
    const Result result = run({"build", dir.Path().string()});
    EXPECT_EQ(result.exit, 1);
    EXPECT_NE(result.err.find("names.txt: missing"), std::string::npos) << result.err;
    EXPECT_FALSE(fs::exists(reader::OutlinePath(dir.Path())));
    EXPECT_EQ(reader::LoadBook(reader::BookPath(dir.Path())).Slot(139), "");
  }
  {
    ScratchFolder dir;
    MakeAppFolder(dir.Path());
    // Cut the old book inside slot 5: what came before still loads.
    const std::string whole = ReadFile(reader::BookPath(dir.Path()));
    WriteFile(reader::BookPath(dir.Path()), whole.substr(0, 2 + 18 + 2 * 4 + 2 + 3));
    const std::string damaged = whole.substr(0, 2 + 18 + 2 * 4 + 2 + 3);
    WriteFile(reader::BookPath(dir.Path()), damaged);
    const Result result = run({"build", dir.Path().string()});
    EXPECT_EQ(result.exit, 1);
    EXPECT_NE(result.err.find("Data.dat: damaged"), std::string::npos) << result.err;
    EXPECT_EQ(reader::LoadBook(reader::BookPath(dir.Path())).Slot(0), "slot zero survives");
    // The old bytes stay beside the new book, under the name the message gives.
    const fs::path kept = reader::BookPath(dir.Path()).string() + ".damaged";
    EXPECT_NE(result.err.find("kept as " + kept.string()), std::string::npos) << result.err;
    EXPECT_EQ(ReadFile(kept), damaged);
  }
  {
    ScratchFolder dir;
    MakeAppFolder(dir.Path());
    fs::remove(reader::BookPath(dir.Path()));
    fs::create_directory(reader::BookPath(dir.Path()));
    const Result result = run({"build", dir.Path().string()});
    EXPECT_EQ(result.exit, 2);
    EXPECT_NE(result.err.find("Data.dat"), std::string::npos) << result.err;
  }
  {
    ScratchFolder dir;
    const Result result = run({"build", (dir.Path() / "nowhere").string()});
    EXPECT_EQ(result.exit, 2);
    EXPECT_NE(result.err.find("nowhere: not a folder"), std::string::npos) << result.err;
  }
}

class BookpackBookFile : public ::testing::Test {
 protected:
  void SetUp() override {
    reader::PageStore store;
    store.SetSlot(0, "\tstray");  // starts below level 0: neither a page nor a list
    store.SetSlot(1, reader::BytesToBase64(page1_));
    store.SetSlot(2, reader::BytesToBase64("<p>two</p>"));
    store.SetSlot(3, "not base64 at all");
    store.SetSlot(139, reader::BuildContents("\xD0\xE0\xE7\xE4\xE5\xEB\t\r\n`One\tnote\r\n`Two\t\r\n"));
    file_ = dir_.Path() / "Data.dat";
    WriteFile(file_, reader::SerializeBook(store));
  }

  ScratchFolder dir_;
  fs::path file_;
  const std::string page1_ = Bytes("<html>\0\r\n\xFF\x98</html>");
  BookpackRun run_;
};

TEST(BookpackCli, OddFilesAreRefusedWithoutBlocking) {
  // A FIFO or a device where a file is expected: refused by name, at once.
  BookpackRun run;
  ScratchFolder dir;
  MakeAppFolder(dir.Path());
  const fs::path book = reader::BookPath(dir.Path());
  const fs::path outline = reader::OutlinePath(dir.Path());
  struct Case {
    fs::path odd;
    std::vector<std::string> args;
    int exit;
  } cases[] = {
      {book, {"list", book.string()}, 2},
      {book, {"extract", book.string(), "1"}, 2},
      {book, {"contents", book.string()}, 2},
      {book, {"build", dir.Path().string()}, 2},
      {outline, {"build", dir.Path().string()}, 2},
      {outline, {"check", dir.Path().string()}, 1},
  };
  for (bool fifo : {true, false}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.args[0] + " " + c.odd.filename().string() + (fifo ? " FIFO" : " device"));
      // Before the folder is made again: writing into a FIFO would block.
      fs::remove(book);
      fs::remove(outline);
      MakeAppFolder(dir.Path());
      fs::remove(c.odd);
      if (fifo)
        ASSERT_EQ(::mkfifo(c.odd.c_str(), 0600), 0);
      else
        fs::create_symlink("/dev/zero", c.odd);
      const Result result = run(c.args);
      EXPECT_EQ(result.exit, c.exit);
      EXPECT_NE((result.err + result.out).find(c.odd.string() + ": is a"), std::string::npos) << result.err;
      EXPECT_NE((result.err + result.out).find("not a regular file"), std::string::npos) << result.err;
    }
  }
}

TEST(BookpackCli, OutOfMemoryNamesTheFileAndTheStep) {
  // One sparse file of 1 GiB (costs no disk) read under a 200 MB limit: as
  // the book file, and as one page of a build, whose old book stays.
  ScratchFolder dir;
  MakeAppFolder(dir.Path());
  const fs::path bigBook = dir.Path() / "big.dat";
  const fs::path bigPage = reader::PageFolderPath(dir.Path()) / "b2.html";
  for (const fs::path& big : {bigBook, bigPage}) {
    WriteFile(big, "");
    fs::resize_file(big, std::uintmax_t{1} << 30);
  }
  const std::string oldBook = ReadFile(reader::BookPath(dir.Path()));
  struct Case {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{"list", bigBook.string()}, "out of memory while reading the book file " + bigBook.string()},
      {{"build", dir.Path().string()}, "out of memory while reading the page file " + bigPage.string()},
  };
  BookpackRun run;
  run.prefix = "ulimit -v 200000;";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0]);
    const Result result = run(c.args);
    EXPECT_EQ(result.exit, 2);
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    EXPECT_EQ(ReadFile(reader::BookPath(dir.Path())), oldBook);
  }
}

TEST(BookpackCli, PageFolderEntriesBuildCannotPackAsTheyStand) {
  // Each row puts one entry into the page folder of a clean book. A link
  // is packed only when it reaches a regular file inside the book's folder;
  // any other link fails the build, which then leaves the book as it was.
  // A FIFO is no page: left out, said so, and nothing waits on it.
  ScratchFolder outside;
  const fs::path secret = outside.Path() / "secret.txt";
  WriteFile(secret, "the author's private file");
  WriteFile(outside.Path() / "pages" / "x.html", "<p>elsewhere</p>");
  struct Case {
    const char* name;
    std::function<void(const fs::path& dir)> plant;
    int exit;              // of build and of check
    bool bookReplaced;
    std::string message;   // in what both print; "" for a clean run
  } cases[] = {
      {"link outside the book", [&](const fs::path& dir) { fs::create_symlink(secret, dir / "Lor2" / "d.html"); },
       1, false, "Lor2/d.html: a symbolic link to " + secret.string() + ", outside the book's folder"},
      {"link inside the book",
       [](const fs::path& dir) {
         WriteFile(dir / "Data" / "shared.html", "<p>shared</p>");
         fs::remove(dir / "Lor2" / "c.html");
         fs::create_symlink("../Data/shared.html", dir / "Lor2" / "c.html");
       },
       0, true, ""},
      {"link to a device", [](const fs::path& dir) { fs::create_symlink("/dev/zero", dir / "Lor2" / "d.html"); }, 1,
       false, "Lor2/d.html: a symbolic link to /dev/zero, which is a device, not a regular file"},
      {"page folder leading out of the book",
       [&](const fs::path& dir) {
         fs::remove_all(dir / "Lor2");
         fs::create_directory_symlink(outside.Path() / "pages", dir / "Lor2");
       },
       1, false, "Lor2/x.html: lies in " + (outside.Path() / "pages").string() + ", outside the book's folder"},
      {"FIFO", [](const fs::path& dir) { ASSERT_EQ(::mkfifo((dir / "Lor2" / "d.html").c_str(), 0600), 0); }, 1, true,
       "Lor2/d.html: is a named pipe (FIFO), not a regular file; it is no page and was left out"},
  };
  BookpackRun run;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchFolder dir;
    MakeAppFolder(dir.Path());
    c.plant(dir.Path());
    const std::string oldBook = ReadFile(reader::BookPath(dir.Path()));

    const Result check = run({"check", dir.Path().string()});
    EXPECT_EQ(check.exit, c.exit) << check.out;
    EXPECT_NE(check.out.find(c.message), std::string::npos) << check.out;

    const Result build = run({"build", dir.Path().string()});
    EXPECT_EQ(build.exit, c.exit) << build.err;
    EXPECT_NE(build.err.find(c.message), std::string::npos) << build.err;
    const std::string book = ReadFile(reader::BookPath(dir.Path()));
    if (!c.bookReplaced) {
      EXPECT_EQ(book, oldBook);
      EXPECT_NE(build.err.find("Data.dat: not saved"), std::string::npos) << build.err;
      continue;
    }
    const reader::PageStore saved = reader::ParseBook(book);
    EXPECT_EQ(reader::Base64ToBytes(saved.Slot(1)), "<p>first</p>");
    EXPECT_EQ(reader::Base64ToBytes(saved.Slot(3)), ReadFile(dir.Path() / "Lor2" / "c.html"));
    EXPECT_EQ(saved.Slot(4), "") << "an entry left out takes no slot";
  }
}

TEST_F(BookpackBookFile, ListShowsEverySlotWithItsKind) {
  const Result result = run_({"list", file_.string()});
  EXPECT_EQ(result.exit, 0) << result.err;
  const std::vector<std::string> lines = SplitLines(result.out);
  ASSERT_EQ(lines.size(), 140u);
  const reader::PageStore store = reader::LoadBook(file_);
  for (int i = 0; i < 140; ++i) {
    std::istringstream fields(lines[static_cast<std::size_t>(i)]);
    int index = -1;
    std::size_t length = 0;
    std::string kind;
    fields >> index >> length >> kind;
    EXPECT_EQ(index, i);
    EXPECT_EQ(length, store.Slot(i).size()) << i;
    const char* expected = i == 0 ? "other" : i <= 2 ? "page" : i == 3 ? "contents" : i == 139 ? "contents" : "empty";
    EXPECT_EQ(kind, expected) << i;
  }
  const Result missing = run_({"list", (dir_.Path() / "none.dat").string()});
  EXPECT_EQ(missing.exit, 2);
  EXPECT_NE(missing.err.find("none.dat: no such file"), std::string::npos) << missing.err;
}

TEST_F(BookpackBookFile, ExtractWritesThePageBytesUntouched) {
  const Result page = run_({"extract", file_.string(), "1"});
  EXPECT_EQ(page.exit, 0) << page.err;
  EXPECT_EQ(page.out, page1_);

  const Result empty = run_({"extract", file_.string(), "4"});
  EXPECT_EQ(empty.exit, 1);
  EXPECT_NE(empty.err.find("slot 4 is empty"), std::string::npos) << empty.err;
  const Result notPage = run_({"extract", file_.string(), "139"});
  EXPECT_EQ(notPage.exit, 1);
  EXPECT_NE(notPage.err.find("does not hold a page"), std::string::npos) << notPage.err;
  EXPECT_TRUE(notPage.out.empty());
  for (const char* bad : {"140", "-1", "1x", ""}) EXPECT_EQ(run_({"extract", file_.string(), bad}).exit, 2) << bad;
}

TEST_F(BookpackBookFile, ContentsShowsTheOutline) {
  const Result result = run_({"contents", file_.string()});
  EXPECT_EQ(result.exit, 0) << result.err;
  EXPECT_EQ(result.out, "\xD0\xA0\xD0\xB0\xD0\xB7\xD0\xB4\xD0\xB5\xD0\xBB [0]\n"  // "Раздел" in UTF-8
                        "  1-bet One [1] note\n"
                        "  2-bet Two [2]\n");

  // Slot 139 holding a page is not a contents list.
  reader::PageStore store = reader::LoadBook(file_);
  store.SetSlot(139, reader::BytesToBase64("<p>page 139</p>"));
  WriteFile(file_, reader::SerializeBook(store));
  const Result page = run_({"contents", file_.string()});
  EXPECT_EQ(page.exit, 1);
  EXPECT_NE(page.err.find("holds a page"), std::string::npos) << page.err;
  EXPECT_EQ(SplitLines(run_({"list", file_.string()}).out).at(139).substr(13), "page");

  // A list whose levels are right but whose table would be too large to
  // show is called too large: one long name repeated in every child's path.
  std::string huge = std::string(70000, 'N') + "\r\n";
  for (int child = 0; child < 4000; ++child) huge += "\tc\r\n";
  store.SetSlot(139, huge);
  WriteFile(file_, reader::SerializeBook(store));
  const Result large = run_({"contents", file_.string()});
  EXPECT_EQ(large.exit, 1);
  EXPECT_NE(large.err.find("too large"), std::string::npos) << large.err;
  store.SetSlot(139, "A\r\n\t\tdeep");
  WriteFile(file_, reader::SerializeBook(store));
  EXPECT_NE(run_({"contents", file_.string()}).err.find("one level at a time"), std::string::npos);
}

class BookpackCheck : public ::testing::Test {
 protected:
  void SetUp() override { MakeAppFolder(dir_.Path()); }
  Result Check() { return run_({"check", dir_.Path().string()}); }
  void Outline(const std::string& bytes) { WriteFile(reader::OutlinePath(dir_.Path()), bytes); }

  ScratchFolder dir_;
  BookpackRun run_;
};

TEST_F(BookpackCheck, CleanFolderPasses) {
  const Result result = Check();
  EXPECT_EQ(result.exit, 0) << result.out;
  EXPECT_NE(result.out.find("no problems found, 3 pages"), std::string::npos) << result.out;
}

TEST_F(BookpackCheck, OutlineProblemsNameFileAndLine) {
  // Line 2 has no TAB, line 3 holds 0x98, line 4 a NUL in its title (which
  // would shift its page number out of place; the NUL after line 1's second
  // TAB is dropped with that text), line 5 sits two levels below line 4.
  Outline(Bytes("Part\t\tgone\0\r\n`One\r\n`Tw\x98o\tb.html\r\nOth\0er\t\r\n``Deep\tc.html\r\n"));
  const Result result = Check();
  EXPECT_EQ(result.exit, 1);
  const std::string names = reader::OutlinePath(dir_.Path()).string();
  EXPECT_NE(result.out.find(names + ":2: no TAB"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find(names + ":3: byte 0x98"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find(names + ":5: two or more levels deeper"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find(names + ":4: a NUL byte in the title or the text; the entry's fields would shift"),
            std::string::npos)
      << result.out;
  EXPECT_EQ(result.out.find(names + ":1: a NUL"), std::string::npos) << result.out;
  EXPECT_EQ(result.out.find("page files but"), std::string::npos) << "3 entries for 3 files: " << result.out;
}

TEST_F(BookpackCheck, Utf8OutlineAndLoneLineFeeds) {
  Outline("\xD0\xA0\xD0\xB0\xD0\xB7\xD0\xB4\xD0\xB5\xD0\xBB\t\n`A\ta.html\n`B\tb.html\n`C\tc.html\n");
  const Result result = Check();
  EXPECT_EQ(result.exit, 1);
  EXPECT_NE(result.out.find("saved as UTF-8"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("lone CR or LF"), std::string::npos) << result.out;
}

TEST_F(BookpackCheck, PageFolderProblems) {
  // One file too many, and an entry naming a file at another place.
  WriteFile(reader::PageFolderPath(dir_.Path()) / "d.html", "<p>extra</p>");
  Outline("Part\t\r\n`A\tc.html\r\n`B\tB.html\r\n`C\ta.html\r\n");
  Result result = Check();
  EXPECT_EQ(result.exit, 1);
  EXPECT_NE(result.out.find("4 page files but 3 page entries"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("page entry 1 names c.html, which is page 3"), std::string::npos) << result.out;

  fs::remove_all(reader::PageFolderPath(dir_.Path()));
  result = Check();
  EXPECT_EQ(result.exit, 1);
  EXPECT_NE(result.out.find("Lor2: missing"), std::string::npos) << result.out;

  fs::remove(reader::OutlinePath(dir_.Path()));
  result = Check();
  EXPECT_NE(result.out.find("names.txt: missing"), std::string::npos) << result.out;

  EXPECT_EQ(run_({"check", (dir_.Path() / "nowhere").string()}).exit, 2);
}

TEST_F(BookpackCheck, UnreadablePageFile) {
  // Mode 0000; root reads any file, so as root the tool runs as nobody, in
  // a folder it may write.
  const fs::path page = reader::PageFolderPath(dir_.Path()) / "c.html";
  fs::permissions(page, fs::perms::none);
  if (::geteuid() == 0) {
    fs::permissions(dir_.Path(), fs::perms::all);
    fs::permissions(reader::BookPath(dir_.Path()), fs::perms::all);
    run_.prefix = "setpriv --reuid=65534 --regid=65534 --clear-groups";
  }
  const Result result = Check();
  EXPECT_EQ(result.exit, 1);
  EXPECT_NE(result.out.find("c.html: cannot be opened"), std::string::npos) << result.out;

  // build stores the readable pages, keeps the old slot 3 and says which file failed.
  const Result build = run_({"build", dir_.Path().string()});
  EXPECT_EQ(build.exit, 1);
  EXPECT_NE(build.err.find("c.html: cannot be opened"), std::string::npos) << build.err;
  EXPECT_EQ(reader::LoadBook(reader::BookPath(dir_.Path())).Slot(3), "");
  EXPECT_EQ(reader::Base64ToBytes(reader::LoadBook(reader::BookPath(dir_.Path())).Slot(1)), "<p>first</p>");
}

TEST(BookpackSampleBook, ChecksCleanAndPacks) {
  BookpackRun run;
  const Result check = run({"check", SAMPLE_BOOK_DIR});
  EXPECT_EQ(check.exit, 0) << check.out;

  ScratchFolder dir;
  fs::copy(SAMPLE_BOOK_DIR "/Data", dir.Path() / "Data", fs::copy_options::recursive);
  fs::copy(SAMPLE_BOOK_DIR "/Lor2", dir.Path() / "Lor2", fs::copy_options::recursive);
  ASSERT_EQ(run({"build", dir.Path().string()}).exit, 0);
  const reader::PageStore book = reader::LoadBook(reader::BookPath(dir.Path()));
  const std::vector<std::string> pages = reader::ListPageFolder(dir.Path() / "Lor2");
  ASSERT_GE(pages.size(), 24u);
  for (std::size_t i = 0; i < pages.size(); ++i)
    EXPECT_EQ(reader::Base64ToBytes(book.Slot(static_cast<int>(i) + 1)), ReadFile(dir.Path() / "Lor2" / pages[i]));
  const Result contents = run({"contents", reader::BookPath(dir.Path()).string()});
  EXPECT_EQ(contents.exit, 0) << contents.err;
  // Every page entry points at its own slot, the last one at the last page.
  EXPECT_NE(contents.out.find(std::to_string(pages.size()) + "-bet "), std::string::npos);
}

}  // namespace
