#include "reader/core/TempFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace reader {
namespace {

bool IsPrivateFolder(const std::filesystem::path& folder) {
  struct stat st {};
  if (::lstat(folder.c_str(), &st) != 0) return false;
  return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 07777) == 0700;
}

}  // namespace

std::filesystem::path TempFolderFrom(const char* runtimeDir, const char* tmpDir, std::string_view ownName) {
  if (runtimeDir && *runtimeDir && IsPrivateFolder(runtimeDir)) return runtimeDir;
  const std::filesystem::path base = (tmpDir && *tmpDir) ? tmpDir : "/tmp";
  const std::filesystem::path own = base / (std::string(ownName) + "-" + std::to_string(::geteuid()));
  if (::mkdir(own.c_str(), 0700) != 0 && errno != EEXIST)
    throw IoError(own.string() + ": cannot be created: " + std::strerror(errno));
  if (!IsPrivateFolder(own))
    throw IoError(own.string() + ": exists but is not a private folder of this user (owner, mode 0700, no symlink)");
  return own;
}

std::filesystem::path TempFolder() {
  return TempFolderFrom(std::getenv("XDG_RUNTIME_DIR"), std::getenv("TMPDIR"), "studyguide-reader");
}

void WritePrivateFile(const std::filesystem::path& path, std::string_view bytes) {
  // Not truncated at open: whatever sits at the name is checked first, and a
  // FIFO planted there cannot block the open.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
  if (fd < 0) throw IoError(path.string() + ": cannot be written: " + std::strerror(errno));
  auto fail = [&](const std::string& what, int err) {
    ::close(fd);
    throw IoError(path.string() + ": " + what + (err ? std::string(": ") + std::strerror(err) : std::string()));
  };
  struct stat st {};
  if (::fstat(fd, &st) != 0) fail("cannot be examined", errno);
  if (!S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) fail("is not a regular file of this user", 0);
  if ((st.st_mode & 07777) != 0600 && ::fchmod(fd, 0600) != 0) fail("cannot be made private", errno);
  if (::ftruncate(fd, 0) != 0) fail("cannot be emptied", errno);
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (put < 0) {
      if (errno == EINTR) continue;
      fail("cannot be written", errno);
    }
    done += static_cast<std::size_t>(put);
  }
  if (::close(fd) != 0) throw IoError(path.string() + ": cannot be written: " + std::strerror(errno));
}

}  // namespace reader
