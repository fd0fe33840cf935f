#include "device/ProgrammingSession.h"

#include <algorithm>
#include <cstdio>

#include "device/ChipFailure.h"
#include "platform/Exception.h"
#include "platform/HexText.h"

namespace {

constexpr uint8_t kProgrammingEnableEcho = 0x69;

}  // namespace

ProgrammingSession::ProgrammingSession(TSerial& serial, Clock& clock, const StopSignal* stop,
                                       uint32_t queueBytes)
    : serial_(serial), clock_(clock), stop_(stop) {
  serial_.Open();
  try {
    if (queueBytes != 0) serial_.SetQueueSizes(queueBytes, queueBytes);
    ProgramEnable();
  } catch (...) {
    serial_.Close();
    throw;
  }
}

ProgrammingSession::~ProgrammingSession() { Close(); }

void ProgrammingSession::Close() { serial_.Close(); }

// Reset pulse on RTS, then Programming Enable; the target answers 69 to the fourth byte when
// it entered programming mode.
void ProgrammingSession::ProgramEnable() {
  serial_.SetRts(false);
  Wait(600);
  serial_.SetRts(true);
  Wait(600);
  // Answers of an earlier operation may still have been on their way when it closed the
  // port; they have all arrived by now and must not pass for the target's.
  serial_.PurgeInput();
  owed_ = 0;
  const uint8_t enable[] = {0xAC, 0x53, 0x00, kProgrammingEnableEcho};
  uint8_t answers[4];
  for (size_t i = 0; i < 4; ++i) answers[i] = Exchange(enable[i]);
  if (std::equal(answers, answers + 4, enable)) {
    throw Exception(serial_.OpenedName() +
                    ": the line echoes every byte (AC 53 00 69 came back as sent): a loopback, "
                    "or an adapter that is not passing bytes to a target; check the adapter "
                    "and its cable to the target");
  }
  if (answers[3] != kProgrammingEnableEcho) {
    throw Exception("the target did not enter programming mode (expected 69, got " +
                    Hex(answers[3], 2) + "); check the adapter, the target's power and its clock");
  }
  Wait(600);
}

int32_t ProgrammingSession::ReadSignature() {
  CollectAnswers();
  int32_t word = 0;
  for (uint8_t address : {0x00, 0x01, 0x02}) {
    Exchange(0x28);
    Exchange(address);
    Exchange(0x00);
    word |= static_cast<int32_t>(Exchange(0x00)) << (8 * address);
  }
  return word;
}

int8_t ProgrammingSession::ReadLockBits() {
  CollectAnswers();
  Exchange(0x24);
  Exchange(0x00);
  Exchange(0x00);
  int8_t answer = static_cast<int8_t>(Exchange(0x00));
  // The fourth answer carries LB1-LB3 in bits 2-4; the arithmetic shift moves them to 0-2.
  return static_cast<int8_t>(answer >> 2);
}

// Write Lock Bits is AC, 1110 00 B1 B2, 00, 00, where B1 B2 = 01, 10, 11 program LB1, LB2,
// LB3: one instruction for each bit, LB1 first, as a lock mode is reached step by step.
void ProgrammingSession::WriteLockBits(unsigned char mode) {
  CollectAnswers();
  std::vector<uint8_t> instructions;
  for (uint8_t bit = 0; bit < 3; ++bit) {
    if (mode & (1u << bit)) instructions.push_back(static_cast<uint8_t>(0xE1 + bit));
  }
  if (instructions.empty()) instructions.push_back(0xE0);  // programs nothing
  for (uint8_t instruction : instructions) WriteLockBitsInstruction(instruction);
}

void ProgrammingSession::WriteLockBitsInstruction(uint8_t instruction) {
  const uint8_t bytes[] = {0xAC, instruction, 0x00, 0x00};
  for (size_t i = 0; i < sizeof bytes; ++i) {
    Send(bytes[i]);
    Wait(2);
    Receive();
    if (i + 1 < sizeof bytes) Wait(2);
  }
}

// A stop is heeded before the instruction and after the chip's erase time (tERASE, 500 ms):
// a chip whose reset is let go in the middle of its erase could be left half erased.
void ProgrammingSession::ChipErase() {
  constexpr uint32_t kEraseTimeMs = 500;
  Wait(1000);
  for (uint8_t byte : {0xAC, 0x80, 0x00, 0xAC}) Send(byte);
  clock_.SleepMs(kEraseTimeMs);
  Wait(1000 - kEraseTimeMs);
}

void ProgrammingSession::ReadPagesStreamed(const std::vector<uint8_t>& pages, uint8_t* into,
                                           TraceFile& trace,
                                           const std::function<void(size_t)>& pageDone) {
  constexpr size_t kInstruction = 2 + kPageSize;
  std::vector<uint8_t> bytes(pages.size() * kInstruction, 0x00);
  for (size_t i = 0; i < pages.size(); ++i) {
    bytes[i * kInstruction] = 0x30;
    bytes[i * kInstruction + 1] = pages[i];
  }
  Stream(bytes, [&](size_t index, uint8_t answer) {
    const size_t page = index / kInstruction, offset = index % kInstruction;
    if (offset < 2) return;  // the answers to 30 and the page number mean nothing
    into[page * kPageSize + offset - 2] = answer;
    trace.Append(answer);
    if (offset + 1 == kInstruction && pageDone) pageDone(page);
  });
}

void ProgrammingSession::WritePage(uint8_t page, const uint8_t* bytes, TraceFile& trace) {
  Send(0x50);
  Receive();
  Send(page);
  Receive();
  for (uint32_t j = 0; j < kPageSize; ++j) {
    trace.Append(bytes[j]);
    Wait(1);
    Send(bytes[j]);
    Wait(1);
    Receive();
  }
}

// Only the waits of the reset pulse, programming enable and the erase heed a stop: the 1 ms
// and 2 ms waits belong to a byte that is on its way, and the page it is in is finished.
void ProgrammingSession::Wait(uint32_t ms) {
  constexpr uint32_t kLongWait = 100;
  if (!stop_ || ms < kLongWait) return clock_.SleepMs(ms);
  if (clock_.SleepUnlessStopped(ms, *stop_)) throw ChipFailure(ChipFailure::Kind::Stopped, {});
}

void ProgrammingSession::CheckStop() const {
  if (stop_ && stop_->Raised()) throw ChipFailure(ChipFailure::Kind::Stopped, {});
}

void ProgrammingSession::CollectAnswers() {
  while (owed_ > 0) Receive();
}

void ProgrammingSession::Stream(const std::vector<uint8_t>& bytes,
                                const std::function<void(size_t, uint8_t)>& take) {
  size_t unwanted = owed_, sent = 0, taken = 0;
  while (taken < bytes.size()) {
    while (sent < bytes.size() && owed_ < kStreamDepth) Send(bytes[sent++]);
    uint8_t answer = Receive();
    if (unwanted > 0) {
      --unwanted;
      continue;
    }
    take(taken++, answer);
  }
}

void ProgrammingSession::Send(uint8_t byte) {
  // A stop asked for at once does not wait for the page to end.
  if (stop_ && stop_->AtOnce()) throw ChipFailure(ChipFailure::Kind::Stopped, {});
  IoResult result = serial_.WriteByte(byte);
  if (!result.Ok()) FailOn(result, Direction::Writing);
  ++owed_;
}

// An answer owed may be held up past one read time-out: a USB-serial adapter hands answers
// over in bursts, and a host that is late to poll it, or a busy machine, makes one burst
// late. Only a silence longer than any latency timer (an FTDI adapter's goes up to 255 ms)
// and such hold-ups means that the programmer is not answering.
uint8_t ProgrammingSession::Receive() {
  const std::chrono::nanoseconds silentAt = clock_.Now() + kSilence;
  uint8_t answer = 0;
  IoResult result = serial_.ReadByte(&answer);
  while (result.What() == IoResult::Outcome::TimedOut && clock_.Now() < silentAt) {
    result = serial_.ReadByte(&answer);
  }
  if (!result.Ok()) FailOn(result, Direction::Reading);
  --owed_;
  return answer;
}

// Writes a byte and reads one answer: its own when nothing else was owed.
uint8_t ProgrammingSession::Exchange(uint8_t byte) {
  const bool lockStep = owed_ == 0;
  const std::chrono::nanoseconds start = clock_.Now();
  Send(byte);
  uint8_t answer = Receive();
  if (lockStep) {
    ++lockStepTiming_.count;
    lockStepTiming_.total += clock_.Now() - start;
  }
  return answer;
}

void ProgrammingSession::FailOn(const IoResult& result, Direction direction) const {
  const std::string& port = serial_.OpenedName();
  if (result.What() == IoResult::Outcome::LineError) {
    throw Exception(port + ": a byte was garbled or lost on the line (" + result.Reason() +
                    "); check the cable and its connectors, keep it away from noise, and try "
                    "again");
  }
  if (result.What() == IoResult::Outcome::Failed) {
    throw Exception(port + ": the port went away (USB adapter unplugged?): " + result.Reason());
  }
  if (direction == Direction::Reading) {
    throw Exception(port +
                    ": the programmer did not answer (no byte for half a second); "
                    "check that the adapter is on this port and powered");
  }
  throw Exception(port +
                  ": the port did not send a byte within the write time-out; check that the "
                  "adapter is connected and that nothing else holds the line");
}
