#pragma once

#include "device/AT89S5X.h"
#include "platform/SystemClock.h"

// 4 KB of flash on the chip, but handled as 8 KB like its larger sibling: the chip ignores
// address bit A12, so the upper half mirrors the lower.
class AT89S51 : public AT89S5X {
 public:
  explicit AT89S51(TSerial* serial, Clock& clock = SystemClock::Instance());
  uint32_t GetMemorySize() const override { return 8192; }
  const ChipCatalog::Chip& Chip() const override;
};
