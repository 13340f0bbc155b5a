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
  if (IsPrivateFolder(own)) return own;
  // The fixed name is taken by someone else (another user's folder, a wrong
  // mode, a symlink, a file). It is left alone, and a fresh folder with an
  // unguessable name takes its place: mkdtemp makes it 0700 and ours, so no
  // one can have put anything there in advance.
  std::string pattern = own.string() + ".XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr)
    throw IoError(own.string() + ": is not a private folder of this user, and no folder of our own could be made "
                  "beside it: " + std::strerror(errno));
  return pattern;
}

std::filesystem::path TempFolder() {
  return TempFolderFrom(std::getenv("XDG_RUNTIME_DIR"), std::getenv("TMPDIR"), "studyguide-reader");
}

void WritePrivateFile(const std::filesystem::path& path, std::string_view bytes) {
  // A new file renamed over the name: whatever stood there (a hard link to
  // another file, a symlink, a FIFO) is replaced, never written through or
  // waited on. The page is rewritten on every display and is worth nothing
  // after a crash, so it is not flushed to disk.
  ReplaceOptions options;
  options.followSymlink = false;
  options.respectExisting = false;
  options.durable = false;
  options.mode = 0600;
  ReplaceFile(path, bytes, options);
}

}  // namespace reader
