#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>

#include "platform/AtomicFile.h"
#include "platform/Exception.h"
#include "platform/FileKind.h"

namespace {

[[noreturn]] void Fail(const std::string& path, int error) {
  throw Exception("cannot save " + path + ": " + std::strerror(error));
}

bool WriteAll(int fd, const unsigned char* bytes, size_t size) {
  while (size > 0) {
    ssize_t written = write(fd, bytes, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

std::string FolderOf(const std::string& file) {
  std::string folder = std::filesystem::path(file).parent_path().string();
  return folder.empty() ? "." : folder;
}

// A short name beside the target (".isp89-" and six letters), whatever the target's length;
// created with `mode`, which the system reduces by the umask, as for any new file.
int CreateTemporary(const std::string& folder, std::string& name, mode_t mode) {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device seed;
  std::minstd_rand random(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string leaf = ".isp89-";
    for (int i = 0; i < 6; ++i) leaf += kLetters[random() % (sizeof kLetters - 1)];
    name = folder + "/" + leaf;
    int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

// The replaced file's owner first: changing the owner may clear set-id bits, which the mode
// then puts back. An owner the process may not give (not root) stays the process's own.
void KeepOwnerAndMode(int fd, const struct stat& existing) {
  if (fchown(fd, existing.st_uid, existing.st_gid) != 0) {
    (void)!fchown(fd, static_cast<uid_t>(-1), existing.st_gid);
  }
  fchmod(fd, existing.st_mode & 07777);
}

}  // namespace

namespace {

// Writes `target` through a new file renamed over it; `path` names it in messages. The rename
// replaces the name, whatever it was: a link's target and a hard link's other names keep
// what they hold.
void ReplaceTarget(const std::string& path, const std::string& target, const void* data,
                   size_t size) {
  struct stat existing {};
  const bool replacing = lstat(target.c_str(), &existing) == 0;
  if (replacing && !S_ISREG(existing.st_mode)) {
    auto type = std::filesystem::symlink_status(target).type();
    throw Exception("cannot save " + path + ": it is " + FileKindText(type) +
                    ", not a regular file");
  }
  // A replaced file may be private (a 0600 firmware dump): its copy starts private too and
  // takes the old owner and mode before any byte goes in, so it is never readable by more
  // people than the file it replaces.
  std::string temporary;
  int fd = CreateTemporary(FolderOf(target), temporary, replacing ? 0600 : 0666);
  if (fd < 0) Fail(path, errno);
  if (replacing) KeepOwnerAndMode(fd, existing);
  bool ok = WriteAll(fd, static_cast<const unsigned char*>(data), size) && fsync(fd) == 0;
  int error = errno;
  // A write by a process without the right to keep set-id bits clears them: put them back.
  if (replacing && (existing.st_mode & (S_ISUID | S_ISGID))) fchmod(fd, existing.st_mode & 07777);
  if (close(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (ok && std::rename(temporary.c_str(), target.c_str()) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    unlink(temporary.c_str());
    Fail(path, error);
  }
}

}  // namespace

void WriteFileAtomically(const std::string& path, const void* data, size_t size) {
  ReplaceTarget(path, FollowLinks(path), data, size);
}

void ReplaceFileAtomically(const std::string& path, const void* data, size_t size) {
  ReplaceTarget(path, path, data, size);
}

int FolderRefusesNewFiles(const std::string& folder) {
  return faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0 ? 0 : errno;
}
