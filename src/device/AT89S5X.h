#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "device/ProcessListener.h"
#include "image/Buffer.h"
#include "platform/Clock.h"
#include "serial/TSerial.h"

// An AT89S5x on the serial-to-SPI adapter. Every public operation is a whole cycle with the
// target, one ProgrammingSession: open the link, pulse reset through RTS, Programming Enable,
// the instructions, close. Each byte written is answered by one byte.
//
// Failures throw Exception: the port cannot be opened or goes away, the adapter does not
// answer, the line only echoes, the target does not enter programming mode. The link is then
// closed, the trace file closed, and no completion is notified.
class AT89S5X {
 public:
  virtual ~AT89S5X();
  AT89S5X(const AT89S5X&) = delete;
  AT89S5X& operator=(const AT89S5X&) = delete;

  virtual uint32_t GetMemorySize() const = 0;
  uint32_t PageCount() const { return pageCount; }

  void SetListener(ProcessListener* newListener) { listener = newListener; }
  Buffer* GetReadImage() { return readImage.get(); }
  // Whether whole-memory transfers leave "readed_memory.bin" and "writed_memory.bin" in the
  // working folder (on by default).
  void SetTraceFiles(bool enabled) { traceFiles = enabled; }

  // Bits 0-7: signature byte at 000H, 8-15 at 100H, 16-23 at 200H.
  int32_t ReadSignature();
  // Bits 0, 1, 2: LB1, LB2, LB3 (a programmed lock bit reads 1).
  int8_t ReadLockBits();
  // Bit 0 programs LB1, bit 1 LB2, bit 2 LB3; other bits are ignored.
  void WriteLockBits(unsigned char mode);
  // The whole code memory into the read image, page by page.
  void ReadMemory();
  // Chip Erase, then the first PageCount() x 256 bytes of `image`, page by page.
  void WriteMemory(const Buffer& image);
  // Chip Erase alone: flash to FF, lock bits cleared.
  void Erase();

  // Asks a ReadMemory() or WriteMemory() in progress, or the next one, to end before its next
  // page with an Exception that says it was stopped; holds until ClearStop(). Any thread.
  void RequestStop() { stopRequested.store(true); }
  void ClearStop() { stopRequested.store(false); }

 protected:
  AT89S5X(TSerial* serial, Clock& clock);
  // Called by each variant's constructor, once GetMemorySize() answers for it.
  void SetUpMemory();

 private:
  static constexpr uint32_t kPageSize = 256;

  int ProgressAfterPage(uint32_t page, float step) const;
  void Report(int value, int kind);
  void CheckStop(uint32_t pagesDone, const char* consequence) const;

  TSerial* serial;
  std::unique_ptr<Buffer> readImage;
  ProcessListener* listener = nullptr;
  uint32_t pageCount = 0;
  Clock& clock;
  bool traceFiles = true;
  std::atomic<bool> stopRequested{false};
};
