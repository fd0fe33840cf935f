#pragma once

#include <cstdint>
#include <memory>

#include "device/FtdiSpiLink.h"
#include "device/ProgrammerLink.h"
#include "platform/Clock.h"
#include "serial/TSerial.h"

// The link to the programmer a port name leads to: an FTDI chip driven directly when the
// link's opener says the name leads to one ("ftdi:A50285BI", "sim-ftdi"), else the
// serial-to-SPI adapter on the serial port. `queueBytes` asks a serial port's driver for
// queues of that size; `ftdi` says how an FTDI chip is wired and the target's crystal.
std::unique_ptr<ProgrammerLink> ProgrammerLinkFor(TSerial& serial, Clock& clock,
                                                  uint32_t queueBytes = 0,
                                                  const FtdiSpiLink::Options& ftdi = {});
