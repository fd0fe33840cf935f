#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "device/ChipOutcome.h"
#include "device/ChipRequest.h"

// What a chip operation that did not finish (stopped, or the link failed) left in the chip,
// in the command line's words, with what to do about it:
//   "the chip is erased and pages 0-6 are written (page 7 may be partly written): write again"
//   "the chip is unchanged"
// Empty for an operation that changes nothing in the chip (a read, a verify). After a failure
// of the link only what the adapter answered is certain: an erase is, once a page after it
// was written.
class ChipLeftBehind {
 public:
  enum class End { Stopped, LinkFailed };

  static std::string Of(const ChipOutcome& outcome, ChipRequest::Operation operation, End end);
  // "page 3", "pages 0-6", "pages 0-6, 9 and 12-13".
  static std::string Pages(const std::vector<uint8_t>& pages);

 private:
  static std::string AfterWrite(const ChipOutcome& outcome, End end);
  static std::string PagesWritten(const ChipOutcome& outcome);
};
