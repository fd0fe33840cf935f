#pragma once

#include <chrono>
#include <cstdint>

// One thing the simulated adapter saw: a byte written to it (with its answer, if it gave one)
// or a change of RTS, and when.
struct SimEvent {
  enum class Kind { Byte, Rts };

  Kind kind = Kind::Byte;
  uint8_t written = 0;
  uint8_t answer = 0;
  bool answered = false;
  bool rts = false;
  std::chrono::nanoseconds time{0};
};
