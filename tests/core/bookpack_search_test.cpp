// `bookpack search` run as a user runs it, on the packed sample book: what
// it prints, in which order, and its exit status for hits, none and misuse.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "reader/core/FileIo.h"
#include "reader/packing/Packing.h"
#include "tests/core/Scratch.h"

namespace {

struct Case {
  std::vector<std::string> args;  // after "search"; "BOOK" stands for the packed book
  int exit;
  std::string firstLineStart;  // stdout's first line starts with it
  std::size_t lines;           // lines on stdout
  std::string err;             // part of stderr
};

TEST(BookpackSearch, HitsNoneAndMisuse) {
  testing_scratch::ScratchFolder scratch;
  const std::string book = (scratch.Path() / "Data.dat").string();
  reader::PageStore store;
  store.SetSlot(reader::kContentsSlot,
                reader::BuildContents(reader::ReadOutline(reader::OutlinePath(SAMPLE_BOOK_DIR))));
  reader::PackPageFolder(reader::PageFolderPath(SAMPLE_BOOK_DIR), store);
  reader::SaveBook(book, store);

  const Case cases[] = {
      // The page named after the words first; the matched words marked.
      {{"BOOK", "глиняные", "таблички"}, 0, "4\t4-bet Глиняные жетоны и первые таблички Месопотамии\t", 3, ""},
      {{"--limit", "1", "BOOK", "египетские иероглифы"}, 0, "8\t8-bet Египетские иероглифы\t", 1, ""},
      {{"BOOK", "--limit=2", "иероглифами"}, 0, "", 2, ""},
      {{"BOOK", "синхрофазотрон"}, 1, "", 0, "nothing found"},
      {{"BOOK", "\"глиняные таблички"}, 0, "", 2, ""},  // an unclosed quote: a phrase to the end
      {{"BOOK", "!?"}, 1, "", 0, "nothing found"},
      {{"BOOK"}, 2, "", 0, "needs a query"},
      {{}, 2, "", 0, "needs a book file"},
      {{"BOOK", "--limit", "0", "x"}, 2, "", 0, "--limit must be"},
      {{"BOOK", "x", "--limit"}, 2, "", 0, "--limit needs"},
      {{(scratch.Path() / "missing.dat").string(), "x"}, 2, "", 0, "no such file"},
  };
  for (const Case& c : cases) {
    std::string command = "timeout 60 '" BOOKPACK_EXE "' search";
    std::string shown;
    for (const std::string& arg : c.args) {
      command += " '" + (arg == "BOOK" ? book : arg) + "'";
      shown += " " + arg;
    }
    const auto out = scratch.Path() / "out";
    const auto err = scratch.Path() / "err";
    command += " >'" + out.string() + "' 2>'" + err.string() + "' </dev/null";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status)) << shown;
    EXPECT_EQ(WEXITSTATUS(status), c.exit) << shown;
    const std::string stdoutText = reader::ReadWholeFile(out);
    const std::string stderrText = reader::ReadWholeFile(err);
    EXPECT_TRUE(stdoutText.starts_with(c.firstLineStart)) << shown << "\n" << stdoutText;
    std::size_t lines = 0;
    for (char ch : stdoutText) lines += ch == '\n';
    EXPECT_EQ(lines, c.lines) << shown << "\n" << stdoutText;
    EXPECT_NE(stderrText.find(c.err), std::string::npos) << shown << "\n" << stderrText;
    if (c.exit == 0) {
      EXPECT_NE(stdoutText.find('*'), std::string::npos) << "no match marked:" << shown;
    }
  }
}

}  // namespace
