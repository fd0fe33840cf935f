#pragma once

#include <cstddef>
#include <string>

// Writes `size` bytes to `path` through a temporary file in the target's folder that is then
// renamed over the target, so an existing file is never left half-written. Throws Exception
// naming the path and the system's reason.
//
// A symbolic link at `path` is followed: the file it names is the one replaced, and the link
// stays. A target that exists but is no regular file (a device such as /dev/null, a FIFO, a
// socket, a folder) is refused, as renaming over it would replace it. A new file gets the
// permissions 0666 less the umask; a replaced one keeps its permissions, and its owner and
// group where the process may set them. The temporary name is short, so a target whose name
// is near the system's limit can still be saved.
void WriteFileAtomically(const std::string& path, const void* data, size_t size);

// As WriteFileAtomically, but the name `path` itself is replaced: a symbolic link there is
// refused like a FIFO ("it is a symbolic link"), never followed, and a file with other names
// (a hard link) keeps its content under those. A new file gets the permissions 0666 less the
// umask.
void ReplaceFileAtomically(const std::string& path, const void* data, size_t size);

// The file that `path` leads to: symbolic links followed (relative ones from the link's
// folder), as far as they go; the last may name nothing yet. Throws Exception for a loop.
std::string FollowLinks(const std::string& path);

// 0 when this process may create files in `folder`, else the system's error number (EACCES
// for a folder of another user, EROFS for a read-only file system). Windows tells this only
// by trying, so there it is always 0 and the save itself reports the reason.
int FolderRefusesNewFiles(const std::string& folder);
