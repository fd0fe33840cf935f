#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "serial/TSerial.h"

class AT89S5X;

// What is known about each supported chip, as data: the signature it answers, its name, the
// flash it really has, and how to make its device object. One table, so that adding a chip is
// adding a line.
class ChipCatalog {
 public:
  struct Chip {
    const char* name;
    // Bytes at 000H, 100H, 200H.
    uint8_t signature[3];
    // Flash that is really there; the device handles 8 KB either way, and on a smaller chip
    // the upper addresses mirror the lower ones.
    uint32_t flashSize;
    std::unique_ptr<AT89S5X> (*create)(TSerial* serial, Clock& clock);

    int32_t SignatureWord() const;
  };

  static const std::vector<Chip>& Chips();
  // The chip whose signature this is (word as ReadSignature returns it), or null.
  static const Chip* FindBySignature(int32_t signatureWord);
  // By name, case-insensitive ("at89s52"), or null.
  static const Chip* FindByName(const std::string& name);
  // "1E 52 06".
  static std::string SignatureText(int32_t signatureWord);
  // Why a signature names no chip, for the user, once the target has entered programming
  // mode (so a chip is there).
  static std::string ExplainUnknown(int32_t signatureWord);
  // All FF or all 00: what a chip that hides its signature reads, and a chip that is not read.
  static bool IsBlankSignature(int32_t signatureWord);
  // "AT89S51, AT89S52", or with " or " before the last: "AT89S51 or AT89S52".
  static std::string Names(const char* lastSeparator = ", ");
};
