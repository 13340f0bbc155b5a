// The private folder for the page file and the page file's writer: nothing
// in a shared /tmp may redirect or read what the reader writes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "reader/core/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using reader::IoError;

class TempFolderTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "temp_folder_test.XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    base_ = pattern;
    ownName_ = "reader-test";
    own_ = base_ / (ownName_ + "-" + std::to_string(::geteuid()));
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(base_, ec);
  }

  static mode_t ModeOf(const fs::path& p) {
    struct stat st {};
    if (::lstat(p.c_str(), &st) != 0) return 0;
    return st.st_mode & 07777;
  }
  fs::path MakeFolder(const std::string& name, mode_t mode) {
    const fs::path p = base_ / name;
    fs::create_directory(p);
    ::chmod(p.c_str(), mode);
    return p;
  }
  static std::string Read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  static void Write(const fs::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << bytes;
  }

  fs::path base_;
  std::string ownName_;
  fs::path own_;
};

TEST_F(TempFolderTest, PrivateRuntimeFolderIsUsed) {
  const fs::path runtime = MakeFolder("runtime", 0700);
  EXPECT_EQ(reader::TempFolderFrom(runtime.c_str(), base_.c_str(), ownName_), runtime);
  EXPECT_FALSE(fs::exists(own_));
}

TEST_F(TempFolderTest, UnsafeRuntimeFolderFallsBackToOwnFolder) {
  const fs::path open = MakeFolder("runtime", 0755);
  const fs::path target = MakeFolder("private", 0700);
  const fs::path link = base_ / "runtime-link";
  fs::create_directory_symlink(target, link);
  const fs::path missing = base_ / "missing";
  for (const char* runtime : {open.c_str(), link.c_str(), missing.c_str(), "", static_cast<const char*>(nullptr)}) {
    SCOPED_TRACE(runtime ? runtime : "(unset)");
    EXPECT_EQ(reader::TempFolderFrom(runtime, base_.c_str(), ownName_), own_);
    EXPECT_TRUE(fs::is_directory(fs::symlink_status(own_)));
    EXPECT_EQ(ModeOf(own_), 0700u);
  }
}

TEST_F(TempFolderTest, RuntimeFolderOfAnotherUserIsRefused) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to hand a folder to another user";
  const fs::path runtime = MakeFolder("runtime", 0700);
  ASSERT_EQ(::chown(runtime.c_str(), 65534, 65534), 0);
  EXPECT_EQ(reader::TempFolderFrom(runtime.c_str(), base_.c_str(), ownName_), own_);
}

TEST_F(TempFolderTest, OwnFolderIsCreatedPrivateDespiteAWideUmask) {
  const mode_t previous = ::umask(0);
  const fs::path got = reader::TempFolderFrom(nullptr, base_.c_str(), ownName_);
  ::umask(previous);
  EXPECT_EQ(got, own_);
  EXPECT_EQ(ModeOf(own_), 0700u);
  // Found again on the next start.
  EXPECT_EQ(reader::TempFolderFrom(nullptr, base_.c_str(), ownName_), own_);
}

TEST_F(TempFolderTest, OwnNameTakenBySomeoneElseGivesAFreshPrivateFolder) {
  // Whatever stands at the fixed name first, it is left as it is, and each
  // start gets a new folder of its own that nobody could have prepared.
  const fs::path target = MakeFolder("elsewhere", 0700);
  struct Case {
    const char* what;
    std::function<void()> squat;
    std::function<void()> untouched;
  } cases[] = {
      {"a folder open to others", [&] { MakeFolder(own_.filename().string(), 0777); },
       [&] { EXPECT_EQ(ModeOf(own_), 0777u); }},
      {"a symlink to a private folder", [&] { fs::create_directory_symlink(target, own_); },
       [&] {
         EXPECT_TRUE(fs::is_empty(target));
         EXPECT_EQ(ModeOf(target), 0700u);
       }},
      {"a file", [&] { Write(own_, "not a folder"); }, [&] { EXPECT_EQ(Read(own_), "not a folder"); }},
      {"another user's private folder",
       [&] {
         MakeFolder(own_.filename().string(), 0700);
         if (::geteuid() == 0) ASSERT_EQ(::chown(own_.c_str(), 65534, 65534), 0);
         else ::chmod(own_.c_str(), 0750);  // without root: a mode that is not ours
       },
       [&] { EXPECT_TRUE(fs::is_empty(own_)); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(own_);
    c.squat();
    const fs::path got = reader::TempFolderFrom(nullptr, base_.c_str(), ownName_);
    EXPECT_EQ(got.parent_path(), base_);
    EXPECT_EQ(got.filename().string().rfind(own_.filename().string() + ".", 0), 0u) << got;
    struct stat st {};
    ASSERT_EQ(::lstat(got.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_uid, ::geteuid());
    EXPECT_EQ(ModeOf(got), 0700u);
    EXPECT_TRUE(fs::is_empty(got));
    EXPECT_NE(reader::TempFolderFrom(nullptr, base_.c_str(), ownName_), got) << "the fresh name must not repeat";
    c.untouched();
  }
}

TEST_F(TempFolderTest, PrivateFileIsCreatedWithMode0600) {
  const fs::path page = base_ / "tmp.html";
  const mode_t previous = ::umask(0);
  reader::WritePrivateFile(page, "<html>");
  ::umask(previous);
  EXPECT_EQ(ModeOf(page), 0600u);
  EXPECT_EQ(Read(page), "<html>");
  // A file left readable by an earlier run is made private.
  ::chmod(page.c_str(), 0644);
  reader::WritePrivateFile(page, "again");
  EXPECT_EQ(ModeOf(page), 0600u);
}

TEST_F(TempFolderTest, ShortPageAfterLongLeavesNoTrace) {
  const fs::path page = base_ / "tmp.html";
  reader::WritePrivateFile(page, std::string(50000, 'L'));
  const std::string shortPage = std::string("<p>\0\xFF</p>", 9);
  reader::WritePrivateFile(page, shortPage);
  EXPECT_EQ(Read(page), shortPage);
  reader::WritePrivateFile(page, "");
  EXPECT_EQ(fs::file_size(page), 0u);
}

TEST_F(TempFolderTest, WhateverStandsAtTheNameIsReplacedNotWrittenThrough) {
  // A hard link, a symlink (dangling too) and a FIFO planted at the page
  // file's name: the page replaces the name, the planted target is untouched
  // and nothing blocks.
  const fs::path victim = base_ / "victim.txt";
  Write(victim, "precious");
  ::chmod(victim.c_str(), 0644);
  const fs::path planted = base_ / "planted.html";
  const std::function<void(const fs::path&)> plants[] = {
      [&](const fs::path& page) { fs::create_hard_link(victim, page); },
      [&](const fs::path& page) { fs::create_symlink(victim, page); },
      [&](const fs::path& page) { fs::create_symlink(planted, page); },
      [&](const fs::path& page) { ASSERT_EQ(::mkfifo(page.c_str(), 0600), 0); },
  };
  for (std::size_t k = 0; k < std::size(plants); ++k) {
    SCOPED_TRACE(k);
    const fs::path page = base_ / "tmp.html";
    fs::remove(page);
    plants[k](page);
    reader::WritePrivateFile(page, "page " + std::to_string(k));
    EXPECT_EQ(Read(page), "page " + std::to_string(k));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(page)));
    EXPECT_EQ(ModeOf(page), 0600u);
    EXPECT_EQ(Read(victim), "precious");
    EXPECT_EQ(ModeOf(victim), 0644u);
    EXPECT_FALSE(fs::exists(planted));
  }
  EXPECT_EQ(fs::hard_link_count(victim), 1u);
}

TEST_F(TempFolderTest, UnwritablePlacesThrowNamingTheFile) {
  const fs::path inMissing = base_ / "missing" / "tmp.html";
  EXPECT_THROW(reader::WritePrivateFile(inMissing, "x"), IoError);
  const fs::path folder = MakeFolder("tmp.html", 0700);
  try {
    reader::WritePrivateFile(folder, "x");
    FAIL() << "wrote over a folder";
  } catch (const IoError& e) {
    EXPECT_NE(std::string(e.what()).find(folder.string()), std::string::npos) << e.what();
  }
  EXPECT_TRUE(fs::is_directory(folder));
}

}  // namespace
