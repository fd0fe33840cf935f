#include "device/AT89S52.h"

AT89S52::AT89S52(TSerial* serial, Clock& clock) : AT89S5X(serial, clock) {}

const ChipCatalog::Chip& AT89S52::Chip() const { return *ChipCatalog::FindByName("AT89S52"); }
