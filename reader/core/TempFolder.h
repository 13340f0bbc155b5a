#pragma once
// The user's private temporary folder for the page file. A shared /tmp is no
// place for a fixed file name: anyone could pre-create it or plant a symlink
// there, so only a folder owned by the user with mode 0700 is accepted.
#include <filesystem>
#include <string>
#include <string_view>

#include "reader/core/PageStore.h"

namespace reader {

// $XDG_RUNTIME_DIR when it is set, owned by the user and mode 0700;
// otherwise a folder of our own, mode 0700, under $TMPDIR or /tmp: the fixed
// name ownName-<uid>, reused only when it is owned by the user, mode 0700
// and not a symlink; when that name is taken by anything else, a fresh
// folder ownName-<uid>.XXXXXX made by mkdtemp. Throws IoError when no such
// folder can be had.
std::filesystem::path TempFolder();

// Same rules with explicit inputs, for tests.
std::filesystem::path TempFolderFrom(const char* runtimeDir, const char* tmpDir, std::string_view ownName);

// Replaces the file with exactly these bytes, mode 0600: a new file renamed
// over the name, so nothing standing at the name (hard link, symlink, FIFO)
// is written through or followed. Throws IoError naming the file.
void WritePrivateFile(const std::filesystem::path& path, std::string_view bytes);

}  // namespace reader
