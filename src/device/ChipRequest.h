#pragma once

#include <memory>

#include "device/ChipCatalog.h"
#include "image/Buffer.h"

// One operation on the chip behind a port, as a front end asks for it: what to do, on which
// chip, with which image, and how far to check the result.
struct ChipRequest {
  enum class Operation {
    Signature,      // the three signature bytes, and the chip they name
    ReadLockBits,   // LB1 to LB3
    WriteLockBits,  // program the bits of lockMode, then read them back
    Read,           // the whole flash into an image
    Write,          // erase, write the pages of the image that hold data, read them back
    Verify,         // compare the flash with the image
    Erase,          // Chip Erase, then a blank check
    BlankCheck,     // check that the flash is erased
  };
  // What is read back after a change: nothing, what was changed (the pages written, the lock
  // bits, the erased flash), or for a write the whole flash, the erased rest included.
  enum class Check { None, Changed, Whole };

  explicit ChipRequest(Operation what = Operation::Signature) : operation(what) {}

  Operation operation;
  // The chip the user chose; null: the one the signature names. Every operation but Signature
  // stops before it changes or reads anything when the signature names another chip.
  const ChipCatalog::Chip* chosen = nullptr;
  // Write, Verify: the image, 8192 bytes; byte i goes to address i.
  std::shared_ptr<const Buffer> image;
  // WriteLockBits: bit 0 LB1, bit 1 LB2, bit 2 LB3.
  unsigned lockMode = 0;
  Check check = Check::Changed;
  // Go on with a chip whose signature is not the chosen one's or no known one's (as the chosen
  // chip, else as the 8 KB AT89S52), and read a read-protected chip.
  bool force = false;
  // Erase, Write: a chip whose signature reads all FF or all 00 with lock bit 2 programmed
  // may be a locked one hiding its signature; erase it first and read the signature again.
  // Force does the same.
  bool eraseLocked = false;
  // Leave "readed_memory.bin" and "writed_memory.bin" in the working folder.
  bool traceFiles = false;
};
