#pragma once
// An installed book lies in a folder its reader may not write. Packing there
// would do all the work and then fail at the save, so both packing entry
// points ask first and tell the author plainly where the book can be built.
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

namespace reader {

// Empty when a new Data.dat can be put into folder (the save writes a new
// file beside the old one and renames it, so only the folder's permission
// counts); otherwise the sentence that says why the book cannot be saved.
inline std::string BookSaveBlocker(const std::filesystem::path& folder) {
  if (::access(folder.c_str(), W_OK | X_OK) == 0) return {};
  const int error = errno;
  std::string text = "the book cannot be saved in " + folder.string() + ": ";
  if (error == EACCES || error == EROFS || error == EPERM)
    return text + "the folder is write-protected (an installed book is); copy Data and Lor2 to a folder you may "
                  "write and pack the book there";
  return text + std::strerror(error);
}

}  // namespace reader
