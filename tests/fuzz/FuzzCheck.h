#pragma once

#include <cstdio>
#include <cstdlib>

// A property of a fuzz target that must hold for every input. A failure aborts, which both
// libFuzzer and the replay take as a finding, after saying which property broke.
inline void Require(bool holds, const char* property) {
  if (holds) return;
  std::fprintf(stderr, "fuzz property broken: %s\n", property);
  std::abort();
}
