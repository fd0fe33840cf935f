#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

#include "image/TraceFile.h"
#include "platform/Clock.h"
#include "platform/IoResult.h"
#include "platform/StopSignal.h"
#include "serial/TSerial.h"

// One stay of the target in programming mode: opening the session opens the link, pulses
// reset through RTS and enables programming once; then any sequence of instructions runs; the
// link closes when the session ends, however it ends.
//
// Every byte written is owed one answer, and answers come back in order. A byte may go out
// before the answers of earlier bytes have been read (Chip Erase reads none, a page write
// reads four behind, a streamed read keeps up to four in flight); whatever reads next takes
// the oldest answer owed. An instruction that uses its answers first collects those owed.
//
// Failures throw Exception with the port's name: no answer for kSilence, a port
// that went away, a line that only echoes, a target that did not enter programming mode.
// With a stop signal, the long waits (the reset pulse, programming enable, the erase) end as
// soon as it is raised, with a ChipFailure of kind Stopped; raised at once, it also ends the
// session before its next byte.
class ProgrammingSession {
 public:
  // Bytes a streamed read sends ahead of their answers: enough to keep the line busy both
  // ways, and few enough for any adapter's receive buffer.
  static constexpr size_t kStreamDepth = 4;
  static constexpr uint32_t kPageSize = 256;
  // How long an answer owed may keep away, over several read time-outs of the link, before
  // the programmer counts as not answering.
  static constexpr std::chrono::milliseconds kSilence{500};

  // `queueBytes`, when not 0, asks the driver for queues of that size before programming
  // starts. Throws what Open() throws, and the failures above.
  ProgrammingSession(TSerial& serial, Clock& clock, const StopSignal* stop = nullptr,
                     uint32_t queueBytes = 0);
  ~ProgrammingSession();
  ProgrammingSession(const ProgrammingSession&) = delete;
  ProgrammingSession& operator=(const ProgrammingSession&) = delete;

  // Closes the link now; the session is over.
  void Close();

  // Bits 0-7: signature byte at 000H, 8-15 at 100H, 16-23 at 200H.
  int32_t ReadSignature();
  // Bits 0, 1, 2: LB1, LB2, LB3 (a programmed lock bit reads 1).
  int8_t ReadLockBits();
  // Bit 0 programs LB1, bit 1 LB2, bit 2 LB3, one instruction each, LB1 first.
  void WriteLockBits(unsigned char mode);
  // Chip Erase with a second's wait either side; its four answers stay owed.
  void ChipErase();

  // Read Page for each of `pages`, the clocking bytes (00) streamed ahead of their answers;
  // page pages[i] goes to into + i x 256, and `pageDone(i)` follows each.
  void ReadPagesStreamed(const std::vector<uint8_t>& pages, uint8_t* into, TraceFile& trace,
                         const std::function<void(size_t)>& pageDone);
  // Write Page, 1 ms before and after each data byte, reading after each byte the oldest
  // answer owed; each byte goes to `trace` before it is sent.
  void WritePage(uint8_t page, const uint8_t* bytes, TraceFile& trace);
  // Throws a ChipFailure of kind Stopped when the stop signal is raised.
  void CheckStop() const;
  // Reads every answer still owed: then every byte written is known to have reached the chip.
  void CollectAnswers();

  // The exchanges that waited for their own answer, in all: far more than two byte times
  // each means the answers are held back on their way (a USB adapter's latency timer).
  struct ExchangeTiming {
    uint64_t count = 0;
    std::chrono::nanoseconds total{0};
  };
  const ExchangeTiming& LockStepTiming() const { return lockStepTiming_; }

 private:
  enum class Direction { Reading, Writing };

  void ProgramEnable();
  void WriteLockBitsInstruction(uint8_t instruction);
  // Hands each answer of `bytes`, in order, to `take`; the answers owed from before are
  // read and dropped first.
  void Stream(const std::vector<uint8_t>& bytes, const std::function<void(size_t, uint8_t)>& take);
  void Send(uint8_t byte);
  uint8_t Receive();
  uint8_t Exchange(uint8_t byte);
  [[noreturn]] void FailOn(const IoResult& result, Direction direction) const;
  void Wait(uint32_t ms);

  TSerial& serial_;
  Clock& clock_;
  const StopSignal* stop_;
  size_t owed_ = 0;  // answers of bytes written and not yet read
  ExchangeTiming lockStepTiming_;
};
