#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "device/ChipCatalog.h"
#include "image/Buffer.h"

// What a chip operation found and did. Filled as the operation goes, so that after a failure
// it still says how far it got: whether the chip was erased, how many pages were written.
struct ChipOutcome {
  static constexpr int kNotDone = -1;

  // As read (again, after an erase that came first): bits 0-7 at 000H, 8-15 at 100H, 16-23
  // at 200H.
  int32_t signature = 0;
  // The chip the signature names; null when it names none.
  const ChipCatalog::Chip* found = nullptr;
  // The chip worked on: the one found or, with force, the chosen one (else the AT89S52).
  const ChipCatalog::Chip* chip = nullptr;
  // With force, the signature named another chip than the chosen one, or none.
  bool forcedPastSignature = false;
  // With force, a read-protected chip was read.
  bool forcedPastProtection = false;
  // The signature read all FF or all 00 and lock bit 2 as programmed: a locked chip may hide
  // its signature, so an erase or a write asked to erase it did so before anything else.
  bool erasedFirst = false;
  int32_t signatureBeforeErase = 0;
  // Chip Erase began: the chip may be erased. Once eraseFinished (the instruction sent and the
  // erase time passed), it is, if the adapter passed the instruction on: the flash is FF and
  // the lock bits are cleared. Its answers, which prove that, come with the next instruction's.
  bool erased = false;
  bool eraseFinished = false;
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
  // The pages written whole, in order; and the one whose write was cut short (a stop at once,
  // a failure of the link), which may be partly written.
  std::vector<uint8_t> writtenPages;
  int pageCutShort = kNotDone;

  // The signature read all FF or all 00 and lock bit 2 programmed: a chip locked in mode 3
  // or 4 may be hiding its signature.
  bool MayHideItsSignature() const {
    return !found && ChipCatalog::IsBlankSignature(signature) && lockBits && (*lockBits & 0x02);
  }
};
