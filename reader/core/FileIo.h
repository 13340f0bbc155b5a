#pragma once
// Whole-file reading and replacing for the book, its outline, its pages and
// the page file. Everything here names the file in its errors, never blocks
// on a FIFO or a device, and never leaves a half-written file or a stray
// temporary behind.
#include <sys/types.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

namespace reader {

struct IoError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The bytes of a regular file (a symlink to one is followed unless
// followSymlink is false, when a symlink at the name is refused). A FIFO, a
// device, a socket or a folder is refused without being read or blocked
// on, and no more than the size the file had when opened is read.
std::string ReadWholeFile(const std::filesystem::path& path, bool followSymlink = true);

struct ReplaceOptions {
  // Follow a symlink at the name and replace the file it points to.
  bool followSymlink = true;
  // Refuse when an existing file at the name is not a regular file or is
  // write-protected (CheckReplaceable).
  bool respectExisting = true;
  // Flush to disk before the rename and after it.
  bool durable = true;
  // Mode of the new file; negative keeps the old file's mode (or gives 0666
  // less the umask to a new file).
  int mode = -1;
};

// Replaces the file with exactly these bytes: a temporary file in the same
// folder is written and renamed over the name, so whatever stood there (a
// hard link, a symlink when not followed) is replaced and never written
// through, and an interrupted save leaves the old file whole. The
// temporary is unnamed while it is written where the file system allows it;
// otherwise it has a name that records its process, and temporaries of
// this user whose process is gone are removed by the next replace.
void ReplaceFile(const std::filesystem::path& path, std::string_view bytes, const ReplaceOptions& options = {});

// Throws IoError when an existing file at the name may not be replaced: it
// is not a regular file, no one has a write bit on it, or its permissions
// forbid this user to write it (a symlink at the name is followed, or
// refused as no regular file). A missing file passes.
void CheckReplaceable(const std::filesystem::path& path, bool followSymlink = true);

// Removes this user's temporaries for `name` in `folder` left by processes
// that no longer run; returns how many were removed.
int RemoveStaleTemporaries(const std::filesystem::path& folder, const std::string& name);

// Keeps the file's current bytes under a name beside it (`name` +
// `suffix`, then `name` + `suffix` + "-2", "-3", ...) and returns that path.
// When one of those files already holds exactly these bytes it is the copy
// and nothing new is made; an existing file is never overwritten.
std::filesystem::path KeepBeside(const std::filesystem::path& path, const std::string& suffix);

namespace detail {
// Tests turn this off to exercise the named temporaries that file systems
// without unnamed files get.
extern bool allowUnnamedTemporaries;
}  // namespace detail

}  // namespace reader
