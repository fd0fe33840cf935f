#pragma once

#include <cstdio>
#include <string>

// Opens `path` for writing binary from its start: a new file gets the permissions 0666 less
// the umask, an existing regular file is truncated. A symbolic link at `path` is not
// followed, and a FIFO or device is not written into: each is refused. Returns null with
// `failure` saying why ("it is a symbolic link", or the system's reason).
FILE* OpenRegularFileForWriting(const std::string& path, std::string& failure);
