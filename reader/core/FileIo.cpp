#include "reader/core/FileIo.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace reader {

namespace detail {
bool allowUnnamedTemporaries = true;
}

namespace {

namespace fs = std::filesystem;

std::string Describe(const fs::path& path, const std::string& what, int err) {
  std::string text = path.string() + ": " + what;
  if (err != 0) text += ": " + std::string(std::strerror(err));
  return text;
}

// What stands at a name when it is not a regular file, for a message.
std::string KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "is a folder";
  if (S_ISFIFO(mode)) return "is a named pipe (FIFO)";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "is a device";
  if (S_ISSOCK(mode)) return "is a socket";
  if (S_ISLNK(mode)) return "is a symbolic link";
  return "is a special file";
}

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  // Closes now and reports the close's own error (a delayed write error
  // shows up here on some file systems).
  int Close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result;
  }

 private:
  int fd_;
};

// 0 on success, otherwise the errno of the failed write.
int WriteAll(int fd, std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (put < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    done += static_cast<std::size_t>(put);
  }
  return 0;
}

mode_t CurrentUmask() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

std::string TemporaryPrefix(std::string_view name) { return "." + std::string(name) + ".tmp-"; }

// The temporary's name records the process, so a later save can tell a
// temporary of a killed save from one that is still being written.
std::string NewTemporaryName(std::string_view name) {
  static std::atomic<unsigned long long> counter{0};
  constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  unsigned long long seed = static_cast<unsigned long long>(
                                std::chrono::steady_clock::now().time_since_epoch().count()) ^
                            (counter.fetch_add(1) * 0x9E3779B97F4A7C15ull);
  std::string suffix;
  for (int i = 0; i < 6; ++i) {
    suffix.push_back(kDigits[seed % 36]);
    seed /= 36;
  }
  return TemporaryPrefix(name) + std::to_string(::getpid()) + "-" + suffix;
}

// Process id recorded in a temporary's name, or -1 when it is no such name.
long TemporaryOwner(std::string_view entry, std::string_view name) {
  const std::string prefix = TemporaryPrefix(name);
  if (entry.size() <= prefix.size() || entry.substr(0, prefix.size()) != prefix) return -1;
  std::string_view rest = entry.substr(prefix.size());
  const std::size_t dash = rest.find('-');
  if (dash == 0 || dash == std::string_view::npos || dash > 9 || rest.size() - dash - 1 != 6) return -1;
  long pid = 0;
  for (char c : rest.substr(0, dash)) {
    if (c < '0' || c > '9') return -1;
    pid = pid * 10 + (c - '0');
  }
  for (char c : rest.substr(dash + 1))
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z'))) return -1;
  return pid > 0 ? pid : -1;
}

bool ProcessRuns(long pid) { return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM; }

// Writes the bytes into an unnamed file of the folder and links it in
// under a temporary name; empty when the file system or the system cannot.
std::string WriteUnnamed(int dirfd, const fs::path& path, std::string_view name, std::string_view bytes, mode_t mode,
                         bool durable) {
  if (!detail::allowUnnamedTemporaries) return {};
  Descriptor fd(::openat(dirfd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
  if (fd.get() < 0) return {};
  if (::fchmod(fd.get(), mode) != 0) throw IoError(Describe(path, "cannot be saved (permissions)", errno));
  if (const int err = WriteAll(fd.get(), bytes)) throw IoError(Describe(path, "cannot be saved (write failed)", err));
  if (durable && ::fsync(fd.get()) != 0) throw IoError(Describe(path, "cannot be saved (flush failed)", errno));
  const std::string self = "/proc/self/fd/" + std::to_string(fd.get());
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string temporary = NewTemporaryName(name);
    // Linking through /proc needs no privilege; AT_EMPTY_PATH does, and is
    // the way when /proc is not mounted.
    if (::linkat(AT_FDCWD, self.c_str(), dirfd, temporary.c_str(), AT_SYMLINK_FOLLOW) == 0 ||
        ::linkat(fd.get(), "", dirfd, temporary.c_str(), AT_EMPTY_PATH) == 0)
      return temporary;
    if (errno != EEXIST) return {};
  }
  return {};
}

std::string WriteNamed(int dirfd, const fs::path& path, std::string_view name, std::string_view bytes, mode_t mode,
                       bool durable) {
  std::string temporary;
  int raw = -1;
  for (int attempt = 0; attempt < 100 && raw < 0; ++attempt) {
    temporary = NewTemporaryName(name);
    raw = ::openat(dirfd, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (raw < 0 && errno != EEXIST) break;
  }
  if (raw < 0) throw IoError(Describe(path, "cannot be saved (no temporary file in its folder)", errno));
  Descriptor fd(raw);
  auto fail = [&](const char* what, int err) {
    ::unlinkat(dirfd, temporary.c_str(), 0);
    throw IoError(Describe(path, what, err));
  };
  if (::fchmod(fd.get(), mode) != 0) fail("cannot be saved (permissions)", errno);
  if (const int err = WriteAll(fd.get(), bytes)) fail("cannot be saved (write failed)", err);
  if (durable && ::fsync(fd.get()) != 0) fail("cannot be saved (flush failed)", errno);
  if (fd.Close() != 0) fail("cannot be saved (close failed)", errno);
  return temporary;
}

// False when the name is taken.
bool CopyInto(const fs::path& from, const fs::path& to, mode_t mode) {
  const std::string bytes = ReadWholeFile(from);
  Descriptor fd(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
  if (fd.get() < 0 && errno == EEXIST) return false;
  if (fd.get() < 0) throw IoError(Describe(to, "cannot be created", errno));
  const int err = WriteAll(fd.get(), bytes);
  if (err != 0 || ::fsync(fd.get()) != 0 || fd.Close() != 0) {
    const int saved = err != 0 ? err : errno;
    ::unlink(to.c_str());
    throw IoError(Describe(to, "cannot be written", saved));
  }
  return true;
}

}  // namespace

std::string ReadWholeFile(const fs::path& path, bool followSymlink) {
  // Looked at before it is opened: opening a FIFO waits for a writer, and
  // opening some devices does something by itself.
  struct stat st {};
  if ((followSymlink ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st)) != 0)
    throw IoError(Describe(path, "cannot be opened", errno));
  if (!S_ISREG(st.st_mode)) throw IoError(Describe(path, KindOf(st.st_mode) + ", not a regular file; it was not read", 0));
  // Non-blocking all the same: the name may be swapped between the look
  // and the open.
  Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (followSymlink ? 0 : O_NOFOLLOW)));
  if (fd.get() < 0) throw IoError(Describe(path, "cannot be opened", errno));
  if (::fstat(fd.get(), &st) != 0) throw IoError(Describe(path, "cannot be examined", errno));
  if (!S_ISREG(st.st_mode)) throw IoError(Describe(path, KindOf(st.st_mode) + ", not a regular file; it was not read", 0));
  // A file that grows while it is read is read to the size it had.
  std::string data(static_cast<std::size_t>(st.st_size), '\0');
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t got = ::read(fd.get(), data.data() + done, data.size() - done);
    if (got < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
      throw IoError(Describe(path, "cannot be read", errno));
    }
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  data.resize(done);
  // One read past the size, kept nowhere: a file that cannot be read at
  // all (some kernel files report size 0) must fail, not read as empty.
  char probe = 0;
  while (::read(fd.get(), &probe, 1) < 0) {
    if (errno != EINTR && errno != EAGAIN) throw IoError(Describe(path, "cannot be read", errno));
  }
  return data;
}

void CheckReplaceable(const fs::path& path, bool followSymlink) {
  struct stat st {};
  if ((followSymlink ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st)) != 0) return;
  if (!S_ISREG(st.st_mode))
    throw IoError(Describe(path, KindOf(st.st_mode) + ", not a regular file; it was left as it is", 0));
  const std::string howToAllow = "; it was left as it is. To allow the save, make the file writable (chmod u+w " +
                                 path.string() + ")";
  // Root passes every permission check, so the bits themselves say it: a
  // file no one may write was protected on purpose, and renaming over it
  // (which asks only the folder) would undo that.
  if ((st.st_mode & 0222) == 0) throw IoError(path.string() + ": is write-protected (no one may write it)" + howToAllow);
  if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
    throw IoError(Describe(path, "is write-protected (this user may not write it)" + howToAllow, errno));
}

int RemoveStaleTemporaries(const fs::path& folder, const std::string& name) {
  const int dirfd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirfd < 0) return 0;
  DIR* dir = ::fdopendir(dirfd);
  if (!dir) {
    ::close(dirfd);
    return 0;
  }
  int removed = 0;
  while (const dirent* entry = ::readdir(dir)) {
    const long pid = TemporaryOwner(entry->d_name, name);
    if (pid <= 0 || ProcessRuns(pid)) continue;
    // Only a plain file of this user: a name that merely looks like ours,
    // in a folder shared with others, is not ours to remove.
    struct stat st {};
    if (::fstatat(dirfd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (!S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) continue;
    if (::unlinkat(dirfd, entry->d_name, 0) == 0) ++removed;
  }
  ::closedir(dir);
  return removed;
}

void ReplaceFile(const fs::path& requested, std::string_view bytes, const ReplaceOptions& options) {
  fs::path path = requested;
  if (options.followSymlink) {
    // A file reached through a symlink is replaced where it really lies;
    // the link itself stays a link.
    std::error_code linkError;
    if (fs::is_symlink(requested, linkError)) {
      fs::path real = fs::weakly_canonical(requested, linkError);
      if (!linkError) path = std::move(real);
    }
  }
  const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
  const std::string name = path.filename().string();

  // The link, when followed, is resolved already.
  if (options.respectExisting) CheckReplaceable(path, false);
  struct stat old {};
  const bool exists = ::lstat(path.c_str(), &old) == 0;
  mode_t mode = 0;
  if (options.mode >= 0)
    mode = static_cast<mode_t>(options.mode);
  else if (exists && S_ISREG(old.st_mode))
    mode = old.st_mode & 07777;
  else
    mode = 0666 & ~CurrentUmask();

  RemoveStaleTemporaries(folder, name);
  Descriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() < 0) throw IoError(Describe(path, "cannot be saved (its folder cannot be opened)", errno));

  std::string temporary = WriteUnnamed(dir.get(), path, name, bytes, mode, options.durable);
  if (temporary.empty()) temporary = WriteNamed(dir.get(), path, name, bytes, mode, options.durable);
  if (::renameat(dir.get(), temporary.c_str(), dir.get(), name.c_str()) != 0) {
    const int err = errno;
    ::unlinkat(dir.get(), temporary.c_str(), 0);
    throw IoError(Describe(path, "cannot be replaced", err));
  }
  // Makes the rename itself durable.
  if (options.durable) ::fsync(dir.get());
}

fs::path KeepBeside(const fs::path& path, const std::string& suffix) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) throw IoError(Describe(path, "cannot be kept", errno));
  constexpr int kNames = 1000;
  const auto nameFor = [&](int k) {
    fs::path candidate = path;
    candidate += suffix + (k == 1 ? std::string() : "-" + std::to_string(k));
    return candidate;
  };
  // A copy already kept is looked for first, so that keeping the same bytes
  // again (a save that failed and was tried again) adds no file.
  std::string bytes;
  bool bytesRead = false;
  for (int k = 1; k < kNames; ++k) {
    const fs::path candidate = nameFor(k);
    struct stat other {};
    if (::lstat(candidate.c_str(), &other) != 0 || !S_ISREG(other.st_mode) || other.st_size != st.st_size) continue;
    if (other.st_dev == st.st_dev && other.st_ino == st.st_ino) return candidate;
    try {
      if (!bytesRead) {
        bytes = ReadWholeFile(path);
        bytesRead = true;
      }
      if (ReadWholeFile(candidate, false) == bytes) return candidate;
    } catch (const IoError&) {
      // An unreadable candidate is no copy; a free name is taken below.
    }
  }
  for (int k = 1; k < kNames; ++k) {
    const fs::path candidate = nameFor(k);
    // A second name for the same bytes: nothing to copy, and the later
    // rename over the first name leaves this one with the old bytes.
    if (::linkat(AT_FDCWD, path.c_str(), AT_FDCWD, candidate.c_str(), AT_SYMLINK_FOLLOW) == 0) return candidate;
    if (errno == EEXIST) continue;
    if (CopyInto(path, candidate, st.st_mode & 07777)) return candidate;
  }
  throw IoError(Describe(path, "cannot be kept (no free name beside it)", 0));
}

}  // namespace reader
