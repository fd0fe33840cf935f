#pragma once

#include <cstdint>
#include <string>

// What became of one byte handed to a port or asked of it: it moved, the time-out expired
// first, the line garbled or lost a byte (framing, parity or overrun, on a port that stops on
// line errors), or the port failed (an adapter unplugged, a terminal hung up), with the
// system's own words for why.
class IoResult {
 public:
  enum class Outcome { Moved, TimedOut, LineError, Failed };

  static IoResult Moved() { return IoResult(Outcome::Moved, {}); }
  static IoResult TimedOut() { return IoResult(Outcome::TimedOut, {}); }
  static IoResult LineError(std::string reason) {
    return IoResult(Outcome::LineError, std::move(reason));
  }
  static IoResult Failed(std::string reason) {
    return IoResult(Outcome::Failed, std::move(reason));
  }

  Outcome What() const { return outcome_; }
  bool Ok() const { return outcome_ == Outcome::Moved; }
  // The byte count a driver reports: 1 when the byte moved, else 0.
  uint32_t Count() const { return Ok() ? 1 : 0; }
  const std::string& Reason() const { return reason_; }

 private:
  IoResult(Outcome outcome, std::string reason) : outcome_(outcome), reason_(std::move(reason)) {}

  Outcome outcome_;
  std::string reason_;
};
