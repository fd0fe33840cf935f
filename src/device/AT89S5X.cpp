#include "device/AT89S5X.h"

#include "device/ChipOperations.h"

AT89S5X::AT89S5X(TSerial* serial, Clock& clock) : serial(serial), clock(clock) {}

AT89S5X::~AT89S5X() = default;

void AT89S5X::Run(ChipRequest request, ChipOutcome& outcome) {
  request.chosen = &Chip();
  request.traceFiles = traceFiles;
  // The driver's queues hold a whole image, as a write sends one.
  const uint32_t queueBytes =
      request.operation == ChipRequest::Operation::Write ? GetMemorySize() + 10 : 0;
  outcome = ChipOutcome{};
  ProgrammingSession session(*serial, clock, &stop, queueBytes);
  ChipOperations(session, listener, outcome).Run(request);
}
