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
    UnknownChip,       // the signature names no supported chip (all 00 or FF: no target)
    ReadProtected,     // lock bit 2 is programmed: the chip reads back as FF
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
    int8_t lockBits = 0;
  };

  ChipFailure(Kind kind, Facts facts);

  Kind What() const { return kind_; }
  const Facts& Of() const { return facts_; }

  // "the target's signature 1E 52 06 is the AT89S52's, not the AT89S51's (1E 51 06)", or for a
  // signature of no chip "the target's signature reads 00 00 00: no target answered: ...".
  static std::string SignatureProblem(const Facts& facts);
  // "LB1=1 LB2=0 LB3=0".
  static std::string LockBitsText(int8_t bits);

 private:
  static std::string Describe(Kind kind, const Facts& facts);

  Kind kind_;
  Facts facts_;
};
