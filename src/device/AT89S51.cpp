#include "device/AT89S51.h"

AT89S51::AT89S51(TSerial* serial, Clock& clock) : AT89S5X(serial, clock) {}

const ChipCatalog::Chip& AT89S51::Chip() const { return *ChipCatalog::FindByName("AT89S51"); }
