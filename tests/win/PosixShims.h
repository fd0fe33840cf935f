#pragma once

// The few POSIX calls that the shared tests use, in terms of the Windows C runtime, so the
// same test sources build for Windows. Included ahead of every test source of the Windows
// build by the build itself.
#ifdef _WIN32

#include <direct.h>
#include <io.h>
#include <stdlib.h>
#include <string.h>

inline int setenv(const char* name, const char* value, int overwrite) {
  if (!overwrite && getenv(name) != nullptr) return 0;
  return _putenv_s(name, value) == 0 ? 0 : -1;
}

// An empty value removes the variable from the Windows environment.
inline int unsetenv(const char* name) { return _putenv_s(name, "") == 0 ? 0 : -1; }

inline char* mkdtemp(char* pattern) {
  if (_mktemp_s(pattern, strlen(pattern) + 1) != 0) return nullptr;
  return _mkdir(pattern) == 0 ? pattern : nullptr;
}

// Windows has no user ids, and a file's permission bits do not keep its owner from reading it:
// the tests that lock a file with them take the branch they take for root, who is not kept
// out either.
inline unsigned getuid() { return 0; }

#endif
