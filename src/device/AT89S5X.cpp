#include "device/AT89S5X.h"

#include "device/ProgrammingSession.h"
#include "image/TraceFile.h"
#include "platform/Exception.h"

// Each operation is one programming session: the link is open from its reset pulse to its
// end, and closed on every way out.

AT89S5X::AT89S5X(TSerial* serial, Clock& clock) : serial(serial), clock(clock) {}

AT89S5X::~AT89S5X() = default;

void AT89S5X::SetUpMemory() {
  pageCount = GetMemorySize() >> 8;
  readImage = std::make_unique<Buffer>(GetMemorySize());
}

int32_t AT89S5X::ReadSignature() {
  ProgrammingSession session(*serial, clock);
  int32_t word = session.ReadSignature();
  session.Close();
  Report(100, ProcessListener::NOTIFY_PROGRESS);
  return word;
}

int8_t AT89S5X::ReadLockBits() {
  ProgrammingSession session(*serial, clock);
  return session.ReadLockBits();
}

void AT89S5X::WriteLockBits(unsigned char mode) {
  ProgrammingSession session(*serial, clock);
  session.WriteLockBits(mode);
}

// A device without a listener still works; it just reports to no one.
void AT89S5X::Report(int value, int kind) {
  if (listener) listener->Notify(value, kind);
}

int AT89S5X::ProgressAfterPage(uint32_t page, float step) const {
  return static_cast<int>(static_cast<float>(page) * step);
}

void AT89S5X::CheckStop(uint32_t pagesDone, const char* consequence) const {
  if (!stopRequested.load()) return;
  throw Exception("stopped by the user after " + std::to_string(pagesDone) + " of " +
                  std::to_string(pageCount) + " pages; " + consequence);
}

void AT89S5X::ReadMemory() {
  TraceFile trace(TraceFile::kReadName, traceFiles);
  const float step = 100.0f / static_cast<float>(pageCount);
  ProgrammingSession session(*serial, clock);
  for (uint32_t page = 0; page < pageCount; ++page) {
    CheckStop(page, "nothing was read");
    session.ReadPageChained(static_cast<uint8_t>(page), &(*readImage)[page * kPageSize], trace);
    Report(ProgressAfterPage(page, step), ProcessListener::NOTIFY_PROGRESS);
  }
  Report(100, ProcessListener::NOTIFY_FINISHED);
}

void AT89S5X::WriteMemory(const Buffer& image) {
  TraceFile trace(TraceFile::kWriteName, traceFiles);
  const float step = 100.0f / static_cast<float>(pageCount);
  ProgrammingSession session(*serial, clock, GetMemorySize() + 10);
  session.ChipErase();
  // From here each read takes the answer to the byte written four exchanges before, as the
  // Chip Erase answers were left unread.
  for (uint32_t page = 0; page < pageCount; ++page) {
    CheckStop(page, "the chip is partly written");
    session.WritePage(static_cast<uint8_t>(page), &image[page * kPageSize], trace);
    Report(ProgressAfterPage(page, step), ProcessListener::NOTIFY_PROGRESS);
  }
  session.Close();
  Report(100, ProcessListener::NOTIFY_FINISHED);
}

void AT89S5X::Erase() {
  ProgrammingSession session(*serial, clock);
  session.ChipErase();
}
