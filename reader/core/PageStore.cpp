#include "reader/core/PageStore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <limits>

namespace reader {
namespace {

constexpr std::uint32_t kLongSlotMark = 0xFFFF;

std::string Describe(const std::filesystem::path& path, const std::string& what, int err) {
  std::string text = path.string() + ": " + what;
  if (err != 0) text += ": " + std::string(std::strerror(err));
  return text;
}

void AppendLe(std::string& out, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

std::uint32_t ReadLe(std::string_view in, std::size_t at, int bytes) {
  std::uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= static_cast<std::uint32_t>(static_cast<unsigned char>(in[at + i])) << (8 * i);
  return v;
}

}  // namespace

const std::string& PageStore::Slot(int index) const {
  if (index < 0 || index >= kSlotCount) throw std::out_of_range("page slot " + std::to_string(index));
  return slots_[static_cast<std::size_t>(index)];
}

void PageStore::SetSlot(int index, std::string bytes) {
  if (index < 0 || index >= kSlotCount) throw std::out_of_range("page slot " + std::to_string(index));
  slots_[static_cast<std::size_t>(index)] = std::move(bytes);
}

PageStore ParseBook(std::string_view file, BookReadReport* report) {
  PageStore store;
  BookReadReport local;
  std::size_t pos = 0;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (file.size() - pos < 2) {
      if (file.empty()) break;  // an empty book file is a valid empty book
      local.damaged = true;
      local.problem = "the file ends before slot " + std::to_string(slot);
      break;
    }
    std::uint64_t length = ReadLe(file, pos, 2);
    pos += 2;
    if (length == kLongSlotMark) {
      if (file.size() - pos < 4) {
        local.damaged = true;
        local.problem = "the file ends inside the length of slot " + std::to_string(slot);
        break;
      }
      length = ReadLe(file, pos, 4);
      pos += 4;
    }
    if (length > file.size() - pos) {
      local.damaged = true;
      local.problem = "slot " + std::to_string(slot) + " claims " + std::to_string(length) +
                      " bytes but only " + std::to_string(file.size() - pos) + " remain";
      break;
    }
    store.SetSlot(slot, std::string(file.substr(pos, static_cast<std::size_t>(length))));
    pos += static_cast<std::size_t>(length);
    local.slotsRead = slot + 1;
  }
  if (report) *report = local;
  return store;
}

std::string SerializeBook(const PageStore& store) {
  std::size_t total = 0;
  for (int i = 0; i < kSlotCount; ++i) total += store.Slot(i).size() + 6;
  std::string out;
  out.reserve(total);
  for (int i = 0; i < kSlotCount; ++i) {
    const std::string& slot = store.Slot(i);
    if (slot.size() > std::numeric_limits<std::uint32_t>::max())
      throw IoError("slot " + std::to_string(i) + " is larger than a book file can hold");
    if (slot.size() < kLongSlotMark) {
      AppendLe(out, static_cast<std::uint32_t>(slot.size()), 2);
    } else {
      AppendLe(out, kLongSlotMark, 2);
      AppendLe(out, static_cast<std::uint32_t>(slot.size()), 4);
    }
    out += slot;
  }
  return out;
}

std::string ReadWholeFile(const std::filesystem::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw IoError(Describe(path, "cannot be opened", errno));
  std::string data;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    throw IoError(Describe(path, "is a folder, not a file", 0));
  }
  if (st.st_size > 0) data.reserve(static_cast<std::size_t>(st.st_size));
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      const int err = errno;
      ::close(fd);
      throw IoError(Describe(path, "cannot be read", err));
    }
    if (got == 0) break;
    data.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fd);
  return data;
}

void WriteFileAtomically(const std::filesystem::path& requested, std::string_view bytes) {
  // A book reached through a symlink is replaced where it really lies; the
  // link itself stays a link.
  std::filesystem::path path = requested;
  std::error_code linkError;
  if (std::filesystem::is_symlink(requested, linkError)) {
    std::filesystem::path real = std::filesystem::weakly_canonical(requested, linkError);
    if (!linkError) path = std::move(real);
  }
  const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
  std::string pattern = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0) throw IoError(Describe(path, "cannot be saved (no temporary file in its folder)", errno));
  auto fail = [&](const char* what) {
    const int err = errno;
    ::close(fd);
    ::unlink(pattern.c_str());
    throw IoError(Describe(path, what, err));
  };
  // Keep the old file's permissions; a new book gets the usual 0644 less umask.
  struct stat old {};
  mode_t mode = 0666;
  if (::stat(path.c_str(), &old) == 0) {
    mode = old.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode &= ~mask;
  }
  if (::fchmod(fd, mode) != 0) fail("cannot be saved (permissions)");
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (put < 0) {
      if (errno == EINTR) continue;
      fail("cannot be saved (write failed)");
    }
    done += static_cast<std::size_t>(put);
  }
  if (::fsync(fd) != 0) fail("cannot be saved (flush failed)");
  if (::close(fd) != 0) {
    const int err = errno;
    ::unlink(pattern.c_str());
    throw IoError(Describe(path, "cannot be saved (close failed)", err));
  }
  if (::rename(pattern.c_str(), path.c_str()) != 0) {
    const int err = errno;
    ::unlink(pattern.c_str());
    throw IoError(Describe(path, "cannot be replaced", err));
  }
  // Make the rename itself durable.
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

PageStore LoadBook(const std::filesystem::path& path, BookReadReport* report) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec) && !ec) {
    if (report) *report = {};
    return {};
  }
  return ParseBook(ReadWholeFile(path), report);
}

void SaveBook(const std::filesystem::path& path, const PageStore& store) {
  WriteFileAtomically(path, SerializeBook(store));
}

}  // namespace reader
