#pragma once

#include <cstddef>
#include <string>

// Writes `size` bytes to `path` through a temporary file in the same folder that is then
// renamed over the target, so an existing file is never left half-written. Throws Exception
// naming the path and the system's reason.
void WriteFileAtomically(const std::string& path, const void* data, size_t size);
