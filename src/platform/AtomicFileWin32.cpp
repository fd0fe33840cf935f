#include <windows.h>

#include <atomic>
#include <filesystem>
#include <string>

#include "platform/AtomicFile.h"
#include "platform/Exception.h"
#include "platform/Win32Error.h"

namespace {

[[noreturn]] void Fail(const std::string& path, DWORD error) {
  throw Exception("cannot save " + path + ": " + Win32ErrorText(error));
}

bool WriteAll(HANDLE file, const unsigned char* bytes, size_t size) {
  while (size > 0) {
    const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(file, bytes, chunk, &written, nullptr) || written == 0) return false;
    bytes += written;
    size -= written;
  }
  return true;
}

// Beside the target, so that the rename stays on one volume; unique within the machine, and
// short whatever the target's name, which may be near the system's limit.
std::string TemporaryNameFor(const std::string& path) {
  static std::atomic<unsigned> serial{0};
  std::string folder = std::filesystem::path(path).parent_path().string();
  return (folder.empty() ? std::string() : folder + "\\") + ".isp89-" +
         std::to_string(GetCurrentProcessId()) + "-" + std::to_string(serial.fetch_add(1));
}

}  // namespace

namespace {

void ReplaceTarget(const std::string& path, const std::string& target, const void* data,
                   size_t size) {
  const DWORD attributes = GetFileAttributesA(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    throw Exception("cannot save " + path + ": it is a folder, not a regular file");
  }
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    throw Exception("cannot save " + path + ": it is a symbolic link, not a regular file");
  }
  const std::string temporary = TemporaryNameFor(target);
  HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) Fail(path, GetLastError());
  bool ok =
      WriteAll(file, static_cast<const unsigned char*>(data), size) && FlushFileBuffers(file) != 0;
  DWORD error = ok ? ERROR_SUCCESS : GetLastError();
  if (!CloseHandle(file) && ok) {
    ok = false;
    error = GetLastError();
  }
  // Replaces the target in one step; a read-only target is refused, not overridden.
  if (ok && !MoveFileExA(temporary.c_str(), target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    ok = false;
    error = GetLastError();
  }
  if (!ok) {
    DeleteFileA(temporary.c_str());
    Fail(path, error);
  }
}

}  // namespace

// FollowLinks has taken every link: the target is the file itself.
void WriteFileAtomically(const std::string& path, const void* data, size_t size) {
  ReplaceTarget(path, FollowLinks(path), data, size);
}

void ReplaceFileAtomically(const std::string& path, const void* data, size_t size) {
  ReplaceTarget(path, path, data, size);
}

int FolderRefusesNewFiles(const std::string&) { return 0; }
