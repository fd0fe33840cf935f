#pragma once

#include "device/AT89S5X.h"
#include "platform/SystemClock.h"

class AT89S52 : public AT89S5X {
 public:
  explicit AT89S52(TSerial* serial, Clock& clock = SystemClock::Instance());
  uint32_t GetMemorySize() const override { return 8192; }
  const ChipCatalog::Chip& Chip() const override;
};
