#pragma once

#include "device/ChipCatalog.h"
#include "device/ChipOutcome.h"
#include "device/ChipRequest.h"
#include "device/ProcessListener.h"
#include "platform/Clock.h"
#include "platform/StopSignal.h"
#include "serial/TSerial.h"

// An AT89S5x on the serial-to-SPI adapter, as the window chooses it. Every operation is a
// whole cycle with the target, one ProgrammingSession: open the link, pulse reset through
// RTS, Programming Enable, the chip operation (ChipOperations, the same as the command
// line's), close. The signature is checked against this device's chip.
class AT89S5X {
 public:
  virtual ~AT89S5X();
  AT89S5X(const AT89S5X&) = delete;
  AT89S5X& operator=(const AT89S5X&) = delete;

  // The memory image the device works with: 8 KB for both, a smaller chip's flash mirrored.
  virtual uint32_t GetMemorySize() const = 0;
  // This device's entry in the catalog.
  virtual const ChipCatalog::Chip& Chip() const = 0;

  void SetListener(ProcessListener* newListener) { listener = newListener; }
  // Whether whole-memory transfers leave "readed_memory.bin" and "writed_memory.bin" in the
  // working folder (on by default).
  void SetTraceFiles(bool enabled) { traceFiles = enabled; }

  // Runs `request` on this device's chip. `outcome` says what was found and done, also when
  // it throws (ChipFailure, the link's failures, PortOpenError).
  void Run(ChipRequest request, ChipOutcome& outcome);

  // Asks the operation in progress, or the next one, to end at its next page or during its
  // long waits, with a ChipFailure of kind Stopped; holds until ClearStop(). Any thread.
  void RequestStop() { stop.Raise(); }
  void ClearStop() { stop.Clear(); }

 protected:
  AT89S5X(TSerial* serial, Clock& clock);

 private:
  TSerial* serial;
  ProcessListener* listener = nullptr;
  Clock& clock;
  bool traceFiles = true;
  StopSignal stop;
};
