// The page store and the book file: slot layout, the long-slot escape,
// damaged files and the atomic save.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "reader/core/PageStore.h"
#include "tests/core/Scratch.h"

// The largest single allocation while a probe is on, so a test can tell a
// parser that trusts a length field from one that checks it first.
namespace {
std::atomic<bool> gProbeAllocations{false};
std::atomic<std::size_t> gLargestAllocation{0};
}  // namespace

void* operator new(std::size_t size) {
  if (gProbeAllocations.load(std::memory_order_relaxed) && size > gLargestAllocation.load())
    gLargestAllocation = size;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
// The replacement new above allocates with malloc, so free is the match;
// the compiler cannot see that pairing across the two replacements.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using reader::IoError;
using reader::kSlotCount;
using reader::PageStore;

using testing_scratch::ScratchFolder;

void WriteRaw(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Le16(unsigned v) { return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)}; }
std::string Le32(std::uint32_t v) { return Le16(v & 0xFFFF) + Le16(v >> 16); }

std::string RandomBytes(std::mt19937& rng, std::size_t n) {
  std::uniform_int_distribution<int> byte(0, 255);
  std::string out(n, '\0');
  for (char& c : out) c = static_cast<char>(byte(rng));
  return out;
}

PageStore FilledStore(unsigned seed, std::size_t maxSize) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<std::size_t> size(0, maxSize);
  PageStore store;
  for (int i = 0; i < kSlotCount; ++i) store.SetSlot(i, RandomBytes(rng, size(rng)));
  return store;
}

std::vector<std::string> SlotsOf(const PageStore& store) {
  std::vector<std::string> slots;
  for (int i = 0; i < kSlotCount; ++i) slots.push_back(store.Slot(i));
  return slots;
}

// ---------------------------------------------------------------- layout

TEST(BookFileLayout, ZeroByteFileIsAnEmptyBook) {
  reader::BookReadReport report;
  report.damaged = true;
  const PageStore store = reader::ParseBook("", &report);
  EXPECT_FALSE(report.damaged);
  EXPECT_EQ(store, PageStore{});
  for (int i = 0; i < kSlotCount; ++i) EXPECT_EQ(store.Slot(i), "");
}

TEST(BookFileLayout, SmallBookHasExactBytes) {
  PageStore store;
  store.SetSlot(0, "AB");
  store.SetSlot(5, "xyz\0\xFF"s);
  store.SetSlot(139, "\t\xC3\xEB\0"s "1\r\n"s);
  std::string expected;
  for (int i = 0; i < kSlotCount; ++i) expected += Le16(static_cast<unsigned>(store.Slot(i).size())) + store.Slot(i);
  const std::string file = reader::SerializeBook(store);
  EXPECT_EQ(file, expected);
  EXPECT_EQ(file.size(), 2u * 140 + 2 + 5 + 7);
  EXPECT_EQ(file.substr(0, 4), "\x02\x00" "AB"s);
  EXPECT_EQ(file.substr(4, 2), "\x00\x00"s);  // slot 1 is empty
  EXPECT_EQ(reader::SerializeBook(PageStore{}), std::string(280, '\0'));
}

TEST(BookFileLayout, AllSlotsFilledRoundTrip) {
  const PageStore store = FilledStore(42, 3000);
  reader::BookReadReport report;
  const PageStore back = reader::ParseBook(reader::SerializeBook(store), &report);
  EXPECT_EQ(SlotsOf(back), SlotsOf(store));
  EXPECT_FALSE(report.damaged);
  EXPECT_EQ(report.slotsRead, 140);
}

TEST(BookFileLayout, LongSlotsUseTheEscape) {
  // 65,534 is the longest slot with a plain length; from 65,535 on the
  // length field holds 0xFFFF and the real length follows in 32 bits.
  struct Case {
    std::size_t size;
    std::string header;
  } cases[] = {
      {65534, "\xFE\xFF"s},
      {65535, "\xFF\xFF"s + Le32(65535)},
      {70000, "\xFF\xFF\x70\x11\x01\x00"s},
  };
  std::mt19937 rng(3);
  for (const Case& c : cases) {
    SCOPED_TRACE("slot of " + std::to_string(c.size));
    PageStore store;
    store.SetSlot(0, RandomBytes(rng, c.size));
    store.SetSlot(1, "after");
    store.SetSlot(139, "last");
    const std::string file = reader::SerializeBook(store);
    EXPECT_EQ(file.substr(0, c.header.size()), c.header);
    EXPECT_EQ(file.substr(c.header.size(), c.size), store.Slot(0));
    EXPECT_EQ(file.substr(c.header.size() + c.size, 7), "\x05\x00" "after"s);
    EXPECT_EQ(file.size(), c.header.size() + c.size + 2 * 139 + 5 + 4);
    reader::BookReadReport report;
    EXPECT_EQ(reader::ParseBook(file, &report), store);
    EXPECT_FALSE(report.damaged);
  }
}

TEST(BookFileLayout, BytesAfterTheLastSlotAreIgnored) {
  const PageStore store = FilledStore(8, 200);
  for (const std::string& tail : {"x"s, "\xFF\xFF\xFF\xFF\xFF\xFF"s, std::string(10000, '\x7F')}) {
    reader::BookReadReport report;
    EXPECT_EQ(reader::ParseBook(reader::SerializeBook(store) + tail, &report), store);
    EXPECT_FALSE(report.damaged);
    EXPECT_EQ(report.slotsRead, 140);
  }
}

TEST(BookFileLayout, SlotIndexOutsideTheStoreThrows) {
  PageStore store;
  EXPECT_THROW(store.Slot(-1), std::out_of_range);
  EXPECT_THROW(store.Slot(140), std::out_of_range);
  EXPECT_THROW(store.SetSlot(-1, "x"), std::out_of_range);
  EXPECT_THROW(store.SetSlot(140, "x"), std::out_of_range);
  EXPECT_NO_THROW(store.SetSlot(139, "x"));
  EXPECT_EQ(store.Slot(139), "x");
}

// ---------------------------------------------------------------- damage

// Offsets at which each slot of a serialized book ends.
std::vector<std::size_t> SlotEnds(const PageStore& store) {
  std::vector<std::size_t> ends;
  std::size_t at = 0;
  for (int i = 0; i < kSlotCount; ++i) {
    const std::size_t n = store.Slot(i).size();
    at += (n < 0xFFFF ? 2 : 6) + n;
    ends.push_back(at);
  }
  return ends;
}

void ExpectCutsReadWholeSlotsOnly(const PageStore& store) {
  const std::string file = reader::SerializeBook(store);
  const std::vector<std::size_t> ends = SlotEnds(store);
  ASSERT_EQ(ends.back(), file.size());
  for (std::size_t cut = 0; cut < file.size(); ++cut) {
    reader::BookReadReport report;
    const PageStore got = reader::ParseBook(std::string_view(file).substr(0, cut), &report);
    int whole = 0;
    while (whole < kSlotCount && ends[whole] <= cut) ++whole;
    ASSERT_EQ(report.slotsRead, whole) << "cut " << cut;
    ASSERT_EQ(report.damaged, cut != 0) << "cut " << cut;
    if (cut != 0) {
      ASSERT_FALSE(report.problem.empty());
    }
    for (int i = 0; i < kSlotCount; ++i)
      ASSERT_EQ(got.Slot(i), i < whole ? store.Slot(i) : "") << "cut " << cut << " slot " << i;
  }
}

TEST(BookFileDamage, EveryCutPointReadsTheSlotsBeforeIt) {
  PageStore store;
  for (int i : {0, 1, 2, 7, 100, 138, 139}) store.SetSlot(i, std::string(static_cast<std::size_t>(i % 5 + 1), 'a' + i % 26));
  ExpectCutsReadWholeSlotsOnly(store);
}

TEST(BookFileDamage, CutsAroundALongSlot) {
  PageStore store;
  store.SetSlot(0, "head");
  store.SetSlot(1, std::string(70000, 'L'));
  store.SetSlot(2, "tail");
  const std::string file = reader::SerializeBook(store);
  // Inside the escape's 32-bit length, inside the long slot, right after it.
  for (std::size_t cut : {7u, 8u, 9u, 10u, 11u, 12u, 13u, 5000u, 70011u, 70012u, 70013u, 70014u}) {
    reader::BookReadReport report;
    const PageStore got = reader::ParseBook(std::string_view(file).substr(0, cut), &report);
    EXPECT_TRUE(report.damaged) << cut;
    EXPECT_EQ(got.Slot(0), "head") << cut;
    EXPECT_EQ(got.Slot(1), cut >= 70012 ? store.Slot(1) : "") << cut;
    EXPECT_EQ(got.Slot(2), "") << cut;
    EXPECT_EQ(report.slotsRead, cut >= 70012 ? 2 : 1) << cut;
  }
}

TEST(BookFileDamage, LengthPastTheEndKeepsEarlierSlots) {
  reader::BookReadReport report;
  const PageStore got = reader::ParseBook("\x02\x00" "ok" "\x05\x00" "AB"s, &report);
  EXPECT_TRUE(report.damaged);
  EXPECT_EQ(report.slotsRead, 1);
  EXPECT_EQ(got.Slot(0), "ok");
  EXPECT_EQ(got.Slot(1), "");
}

TEST(BookFileDamage, HugeClaimedLengthFailsWithoutAllocating) {
  const std::string file = "\x03\x00" "one" "\x03\x00" "two" "\xFF\xFF\xF0\xFF\xFF\xFF" "short"s;
  gLargestAllocation = 0;
  gProbeAllocations = true;
  reader::BookReadReport report;
  const PageStore got = reader::ParseBook(file, &report);
  gProbeAllocations = false;
  EXPECT_LT(gLargestAllocation.load(), 1u << 20);
  EXPECT_TRUE(report.damaged);
  EXPECT_EQ(report.slotsRead, 2);
  EXPECT_EQ(got.Slot(0), "one");
  EXPECT_EQ(got.Slot(1), "two");
  EXPECT_EQ(got.Slot(2), "");
  EXPECT_NE(report.problem.find("slot 2"), std::string::npos) << report.problem;
}

// ---------------------------------------------------------------- files

TEST(BookFileSave, SaveAndLoadRoundTrip) {
  ScratchFolder dir;
  const fs::path book = dir.Path() / "Data.dat";
  const PageStore store = FilledStore(11, 5000);
  reader::SaveBook(book, store);
  EXPECT_EQ(reader::ReadWholeFile(book), reader::SerializeBook(store));
  reader::BookReadReport report;
  EXPECT_EQ(reader::LoadBook(book, &report), store);
  EXPECT_FALSE(report.damaged);
}

TEST(BookFileSave, MissingBookLoadsEmpty) {
  ScratchFolder dir;
  reader::BookReadReport report;
  report.damaged = true;
  EXPECT_EQ(reader::LoadBook(dir.Path() / "Data.dat", &report), PageStore{});
  EXPECT_FALSE(report.damaged);
}

TEST(BookFileSave, UnreadableBookThrowsNamingTheFile) {
  ScratchFolder dir;
  const fs::path folderAsBook = dir.Path() / "Data.dat";
  fs::create_directory(folderAsBook);
  try {
    reader::LoadBook(folderAsBook);
    FAIL() << "a folder loaded as a book";
  } catch (const IoError& e) {
    EXPECT_NE(std::string(e.what()).find(folderAsBook.string()), std::string::npos) << e.what();
  }
}

TEST(BookFileSave, SavingOverALargerFileLeavesOnlyTheNewBook) {
  ScratchFolder dir;
  const fs::path book = dir.Path() / "Data.dat";
  reader::SaveBook(book, FilledStore(1, 4000));
  const auto largeSize = fs::file_size(book);
  PageStore small;
  small.SetSlot(1, "page one");
  small.SetSlot(139, "contents");
  reader::SaveBook(book, small);
  EXPECT_LT(fs::file_size(book), largeSize);
  EXPECT_EQ(reader::ReadWholeFile(book), reader::SerializeBook(small));
  EXPECT_EQ(reader::LoadBook(book), small);
}

std::vector<std::string> FolderEntries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

void ExpectIoErrorNaming(const fs::path& path, const std::function<void()>& action) {
  try {
    action();
    ADD_FAILURE() << "no IoError for " << path;
  } catch (const IoError& e) {
    EXPECT_NE(std::string(e.what()).find(path.string()), std::string::npos) << e.what();
  }
}

TEST(BookFileSave, FailedSavesThrowAndLeaveEverythingAsItWas) {
  ScratchFolder dir;
  const PageStore store = FilledStore(2, 100);
  // The book's name is taken by a folder with a file in it.
  const fs::path folderAsBook = dir.Path() / "Data.dat";
  fs::create_directory(folderAsBook);
  WriteRaw(folderAsBook / "keep.txt", "kept");
  ExpectIoErrorNaming(folderAsBook, [&] { reader::SaveBook(folderAsBook, store); });
  EXPECT_TRUE(fs::is_directory(folderAsBook));
  EXPECT_EQ(reader::ReadWholeFile(folderAsBook / "keep.txt"), "kept");
  // The folder of the book does not exist.
  const fs::path nowhere = dir.Path() / "missing" / "Data.dat";
  ExpectIoErrorNaming(nowhere, [&] { reader::SaveBook(nowhere, store); });
  EXPECT_FALSE(fs::exists(nowhere.parent_path()));
  // No temporary file is left behind.
  EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"Data.dat"});
}

TEST(BookFileSave, WriteFailureKeepsTheOldBook) {
  // A file size limit stops the write half way, for root as for anyone.
  ScratchFolder dir;
  const fs::path book = dir.Path() / "Data.dat";
  const PageStore old = FilledStore(4, 50);
  reader::SaveBook(book, old);
  const std::string oldBytes = reader::ReadWholeFile(book);

  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit limited = saved;
  limited.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
  bool threw = false;
  std::string message;
  try {
    reader::SaveBook(book, FilledStore(5, 3000));
  } catch (const IoError& e) {
    threw = true;
    message = e.what();
  }
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previousHandler);

  EXPECT_TRUE(threw);
  EXPECT_NE(message.find(book.string()), std::string::npos) << message;
  EXPECT_EQ(reader::ReadWholeFile(book), oldBytes);
  EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"Data.dat"});
}

TEST(BookFileSave, KeepsThePermissionsOfTheOldFile) {
  ScratchFolder dir;
  const fs::path book = dir.Path() / "Data.dat";
  WriteRaw(book, "old");
  ASSERT_EQ(::chmod(book.c_str(), 0640), 0);
  reader::SaveBook(book, FilledStore(6, 10));
  struct stat st {};
  ASSERT_EQ(::stat(book.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);

  // A new book gets the usual mode less the umask, not mkstemp's 0600.
  const fs::path fresh = dir.Path() / "New.dat";
  const mode_t previous = ::umask(022);
  reader::SaveBook(fresh, PageStore{});
  ::umask(previous);
  ASSERT_EQ(::stat(fresh.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0644u);
}

}  // namespace

namespace {

TEST(BookFileSave, ABookReachedThroughASymlinkIsReplacedWhereItLies) {
  ScratchFolder folder;
  const fs::path real = folder.Path() / "books" / "Data.dat";
  fs::create_directories(real.parent_path());
  WriteRaw(real, "old");
  const fs::path link = folder.Path() / "Data.dat";
  fs::create_symlink(real, link);
  const PageStore store = FilledStore(7, 100);
  reader::SaveBook(link, store);
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(SlotsOf(reader::LoadBook(real)), SlotsOf(store));
}

}  // namespace

// ---------------------------------------------------------------- odd files, kills, protection

namespace {

TEST(BookFiles, OnlyRegularFilesAreReadAndNothingBlocks) {
  ScratchFolder dir;
  const fs::path fifo = dir.Path() / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const fs::path folder = dir.Path() / "folder";
  fs::create_directory(folder);
  const fs::path device = dir.Path() / "zero";
  fs::create_symlink("/dev/zero", device);
  for (const fs::path& odd : {fifo, folder, device}) {
    SCOPED_TRACE(odd);
    for (const auto& read : std::vector<std::function<void()>>{[&] { reader::ReadWholeFile(odd); },
                                                              [&] { reader::LoadBook(odd); }}) {
      try {
        read();
        ADD_FAILURE() << "read";
      } catch (const IoError& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find(odd.string()), std::string::npos) << message;
        EXPECT_NE(message.find("not a regular file"), std::string::npos) << message;
      }
    }
  }
}

std::string DamagedBookBytes() { return reader::SerializeBook(FilledStore(9, 300)).substr(0, 5000); }

TEST(BookFileSave, ABookThatDoesNotReadWholeIsKeptBesideTheNewOne) {
  ScratchFolder dir;
  const fs::path book = dir.Path() / "Data.dat";
  const PageStore store = FilledStore(10, 100);
  fs::path kept;
  struct Case {
    std::string old;
    std::string keptName;  // empty: nothing kept
  } cases[] = {
      {DamagedBookBytes(), "Data.dat.damaged"},
      {DamagedBookBytes() + "x", "Data.dat.damaged-2"},  // the first name is taken
      {DamagedBookBytes(), "Data.dat.damaged"},          // the same bytes again: kept once
      {DamagedBookBytes() + "x", "Data.dat.damaged-2"},
      {reader::SerializeBook(store), ""},                // a whole book is simply replaced
      {"", ""},                                          // so is an empty one
  };
  for (const Case& c : cases) {
    WriteRaw(book, c.old);
    reader::SaveBook(book, store, &kept);
    EXPECT_EQ(reader::LoadBook(book), store);
    if (c.keptName.empty()) {
      EXPECT_TRUE(kept.empty()) << kept;
    } else {
      EXPECT_EQ(kept, dir.Path() / c.keptName);
      EXPECT_EQ(reader::ReadWholeFile(kept), c.old);
    }
  }
  EXPECT_EQ(FolderEntries(dir.Path()), (std::vector<std::string>{"Data.dat", "Data.dat.damaged", "Data.dat.damaged-2"}));
}

TEST(BookFileSave, AWriteProtectedBookIsRefusedAndLeftAsItIs) {
  // A book without write permission for this user, saved by nobody (as
  // root: in a child that has become nobody, the owner of the folder, so the
  // folder itself allows the rename), and a book without any write bit,
  // saved by root too, who passes every permission check.
  constexpr uid_t kNobody = 65534;
  const bool root = ::geteuid() == 0;
  struct Case {
    std::string old;
    mode_t mode;
    bool asNobody;
    const char* message;
  } cases[] = {
      {reader::SerializeBook(FilledStore(12, 50)), 0444, true, "write-protected"},
      {DamagedBookBytes(), 0444, true, "write-protected"},
      {reader::SerializeBook(FilledStore(12, 50)), 0444, false, "make the file writable"},
      {DamagedBookBytes(), 0440, false, "write-protected (no one may write it)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.mode) + (c.asNobody ? " as nobody" : " as this user"));
    ScratchFolder dir;
    const fs::path book = dir.Path() / "Data.dat";
    WriteRaw(book, c.old);
    ASSERT_EQ(::chmod(book.c_str(), c.mode), 0);
    if (root && c.asNobody) {
      ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
      ASSERT_EQ(::chown(dir.Path().c_str(), kNobody, kNobody), 0);
      ASSERT_EQ(::chown(book.c_str(), kNobody, kNobody), 0);
    }
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      if (root && c.asNobody && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) ::_exit(3);
      try {
        reader::SaveBook(book, FilledStore(13, 50));
        ::_exit(1);
      } catch (const IoError& e) {
        const std::string message = e.what();
        ::_exit(message.find(book.string()) != std::string::npos && message.find(c.message) != std::string::npos
                    ? 0
                    : 2);
      }
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
    EXPECT_EQ(reader::ReadWholeFile(book), c.old);
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"Data.dat"});
  }
}

pid_t FinishedProcess() {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(0);
  ::waitpid(pid, nullptr, 0);
  return pid;
}

TEST(BookFileSave, OnlyOwnStaleTemporariesAreRemoved) {
  ScratchFolder dir;
  const std::string dead = std::to_string(FinishedProcess());
  const std::string stale = ".Data.dat.tmp-" + dead + "-abc123";
  const std::vector<std::string> kept = {
      ".Data.dat.tmp-" + std::to_string(::getpid()) + "-abc123",  // a save still running
      ".Data.dat.tmp-" + dead + "-abc1234",                       // not a name we give
      ".Other.dat.tmp-" + dead + "-abc123",                       // another file's
  };
  for (const std::string& name : kept) WriteRaw(dir.Path() / name, "x");
  WriteRaw(dir.Path() / stale, "stale");
  if (::geteuid() == 0) {
    // Another user's temporary in a shared folder is not ours to remove.
    const std::string foreign = ".Data.dat.tmp-" + dead + "-zzz999";
    WriteRaw(dir.Path() / foreign, "theirs");
    ASSERT_EQ(::chown((dir.Path() / foreign).c_str(), 65534, 65534), 0);
  }
  reader::SaveBook(dir.Path() / "Data.dat", PageStore{});
  std::vector<std::string> expected = kept;
  expected.push_back("Data.dat");
  if (::geteuid() == 0) expected.push_back(".Data.dat.tmp-" + dead + "-zzz999");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(FolderEntries(dir.Path()), expected);
}

// True once the child holds its temporary: a named one shows in the
// folder, an unnamed one only among the child's open files.
bool HoldsTemporary(pid_t child, const fs::path& folder, bool unnamed) {
  std::error_code ec;
  if (!unnamed) {
    for (const auto& e : fs::directory_iterator(folder, ec))
      if (e.path().filename().string().starts_with(".Data.dat.tmp-")) return true;
    return false;
  }
  for (const auto& e : fs::directory_iterator("/proc/" + std::to_string(child) + "/fd", ec)) {
    const std::string target = fs::read_symlink(e.path(), ec).string();
    if (target.starts_with(folder.string()) && target.ends_with("(deleted)")) return true;
  }
  return false;
}

TEST(BookFileSave, KilledSavesLeaveNothingAfterTheNextSave) {
  const PageStore small = FilledStore(14, 20);
  const PageStore large = FilledStore(15, 40000);
  for (bool unnamed : {true, false}) {
    SCOPED_TRACE(unnamed ? "unnamed temporaries" : "named temporaries");
    ScratchFolder dir;
    const fs::path book = dir.Path() / "Data.dat";
    reader::SaveBook(book, small);
    for (int kill = 0; kill < 8; ++kill) {
      const pid_t child = ::fork();
      ASSERT_GE(child, 0);
      if (child == 0) {
        reader::detail::allowUnnamedTemporaries = unnamed;
        for (;;) reader::SaveBook(book, large);
      }
      // Killed while its temporary is being written.
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
      while (!HoldsTemporary(child, dir.Path(), unnamed) && std::chrono::steady_clock::now() < deadline) {
      }
      ::kill(child, SIGKILL);
      ::waitpid(child, nullptr, 0);
      reader::BookReadReport report;
      const PageStore now = reader::LoadBook(book, &report);
      ASSERT_FALSE(report.damaged) << "a torn book after kill " << kill;
      ASSERT_TRUE(now == small || now == large);
    }
    const std::size_t strays = FolderEntries(dir.Path()).size() - 1;
    if (unnamed) EXPECT_EQ(strays, 0u) << "an unnamed temporary vanishes with its process";
    else EXPECT_GT(strays, 0u) << "the kills should have left named temporaries";
    reader::SaveBook(book, small);
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"Data.dat"});
    EXPECT_EQ(reader::LoadBook(book), small);
  }
}

}  // namespace
