#include "device/ProgrammerLinks.h"

#include "device/SerialAdapterLink.h"

std::unique_ptr<ProgrammerLink> ProgrammerLinkFor(TSerial& serial, Clock& clock,
                                                  uint32_t queueBytes,
                                                  const FtdiSpiLink::Options& ftdi) {
  const std::string name = serial.DeviceName();
  if (serial.Opener().LeadsToFtdi(name)) {
    return std::make_unique<FtdiSpiLink>(serial.Opener(), name, clock, ftdi);
  }
  return std::make_unique<SerialAdapterLink>(serial, clock, queueBytes);
}
