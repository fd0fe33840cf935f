#pragma once

#include <cstdint>
#include <string>

#include "device/ChipCatalog.h"
#include "device/ChipRequest.h"
#include "image/ImageCheck.h"
#include "platform/Exception.h"

// Why a chip operation did not do what was asked, as facts that each front end words in its
// own way (with its own remedies: a command-line option, a menu). what() states the facts
// plainly, for a front end that has nothing to add.
class ChipFailure : public Exception {
 public:
  enum class Kind {
    OtherChip,         // the signature names a supported chip, not the one chosen
    UnknownChip,       // the signature names no supported chip
    HiddenSignature,   // all FF or 00 with lock bit 2 programmed: a locked chip may hide it
    ReadProtected,     // lock bit 2 is programmed: the chip reads back as FF (operation: what
                       // it refused, Read, Verify or BlankCheck)
    ImageFolds,        // the image has data beyond the chip's flash that would land on it
    Mismatch,          // the chip does not hold what it should
    LockBitsNotTaken,  // a lock bit asked for does not read back as programmed
    Stopped,           // the user asked the operation to stop
  };

  struct Facts {
    int32_t signature = 0;
    const ChipCatalog::Chip* found = nullptr;  // the chip the signature names
    const ChipCatalog::Chip* chip = nullptr;   // the chip chosen, or worked on
    // Mismatch: which check, over how many bytes, and the differences.
    ChipRequest::Operation operation = ChipRequest::Operation::Verify;
    uint32_t compared = 0;
    ImageCheck::Difference difference;
    uint32_t foldingAddress = 0;  // ImageFolds
    unsigned lockMode = 0;        // LockBitsNotTaken: asked for, and read back
    int8_t lockBits = 0;          // also UnknownChip, HiddenSignature: as read, when read
  };

  ChipFailure(Kind kind, Facts facts);

  Kind What() const { return kind_; }
  const Facts& Of() const { return facts_; }

  // "the target's signature 1E 52 06 is the AT89S52's, not the AT89S51's (1E 51 06)", or for a
  // signature of no chip "the target's signature reads 1E 73 01: this is not ...".
  static std::string SignatureProblem(const Facts& facts);
  // For a signature of all FF or 00 with lock bit 2 programmed: "the target's signature reads
  // FF FF FF and lock bit 2 is programmed: ...".
  static std::string HiddenSignatureProblem(const Facts& facts);
  // "LB1=1 LB2=0 LB3=0".
  static std::string LockBitsText(int8_t bits);
  // What reading back FF costs `operation`: "which is no copy of its flash" for a read.
  static std::string ReadProtectionCost(ChipRequest::Operation operation);

 private:
  static std::string Describe(Kind kind, const Facts& facts);

  Kind kind_;
  Facts facts_;
};
