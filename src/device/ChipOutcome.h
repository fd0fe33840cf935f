#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "device/ChipCatalog.h"
#include "image/Buffer.h"

// What a chip operation found and did. Filled as the operation goes, so that after a failure
// it still says how far it got: whether the chip was erased, how many pages were written.
struct ChipOutcome {
  static constexpr int kNotDone = -1;

  // As read first: bits 0-7 at 000H, 8-15 at 100H, 16-23 at 200H.
  int32_t signature = 0;
  // The chip the signature names; null when it names none.
  const ChipCatalog::Chip* found = nullptr;
  // The chip worked on: the one found or, with force, the chosen one (else the AT89S52).
  const ChipCatalog::Chip* chip = nullptr;
  // With force, the signature named another chip than the chosen one, or none.
  bool forcedPastSignature = false;
  // With force, a read-protected chip was read.
  bool forcedPastProtection = false;
  // The signature named no chip and lock bit 2 read as programmed: a locked chip may hide its
  // signature, so an erase or a write erased it before anything else.
  bool erasedFirst = false;
  // Chip Erase ran: the flash is FF and the lock bits are cleared.
  bool erased = false;
  // The lock bits as last read, or 0 after an erase: bits 0, 1, 2 = LB1, LB2, LB3.
  std::optional<int8_t> lockBits;
  // Read: the 8 KB the chip holds (on a 4 KB chip the upper half mirrors the lower).
  std::shared_ptr<const Buffer> image;
  // Verify, Blank check and the read-back of a write: the chip's bytes that were compared, FF
  // in the pages that were not read (erased ones, or above a 4 KB chip's flash). Kept after a
  // mismatch, so that a front end can show them beside the bytes expected.
  std::shared_ptr<const Buffer> readBack;
  int pagesWritten = kNotDone;
  int pagesToWrite = kNotDone;
  int pagesVerified = kNotDone;
};
