#include "device/ProgrammingSession.h"

#include <algorithm>

#include "device/ProgrammerLinks.h"
#include "platform/Exception.h"
#include "platform/HexText.h"

namespace {

constexpr uint8_t kProgrammingEnableEcho = 0x69;
// tERASE, and tSWC (64 oscillator periods + 400 us) for the slowest clock a chip programs
// with, 3 MHz, so that it holds for every crystal.
constexpr std::chrono::milliseconds kEraseTime{500};
constexpr std::chrono::nanoseconds kByteWriteTime{64 * 1000000000LL / 3000000 + 400000};

}  // namespace

ProgrammingSession::ProgrammingSession(ProgrammerLink& link, Clock& clock, const StopSignal* stop)
    : link_(link), waits_(clock, stop) {
  Start();
}

ProgrammingSession::ProgrammingSession(TSerial& serial, Clock& clock, const StopSignal* stop,
                                       uint32_t queueBytes, const FtdiSpiLink::Options& ftdi)
    : ownLink_(ProgrammerLinkFor(serial, clock, queueBytes, ftdi)),
      link_(*ownLink_),
      waits_(clock, stop) {
  Start();
}

void ProgrammingSession::Start() {
  link_.Open();
  try {
    ProgramEnable();
  } catch (...) {
    link_.Close();
    throw;
  }
}

ProgrammingSession::~ProgrammingSession() { Close(); }

void ProgrammingSession::Close() { link_.Close(); }

ProgrammingSession::Instruction ProgrammingSession::Run(const Instruction& bytes) {
  Instruction answers{};
  if (link_.LockStep()) {
    for (size_t i = 0; i < bytes.size(); ++i) answers[i] = link_.Exchange(bytes[i]);
    return answers;
  }
  for (uint8_t byte : bytes) link_.Send(byte);
  for (uint8_t& answer : answers) answer = link_.Receive();
  return answers;
}

// Reset, then Programming Enable; the target answers 69 to the fourth byte when it entered
// programming mode.
void ProgrammingSession::ProgramEnable() {
  link_.ResetTarget(waits_);
  const Instruction enable = {0xAC, 0x53, 0x00, kProgrammingEnableEcho};
  const Instruction answers = Run(enable);
  if (answers == enable) {
    throw Exception(link_.Name() + ": " + link_.EchoCause() +
                    " (AC 53 00 69 came back as sent): " + link_.EchoAdvice());
  }
  if (answers[3] != kProgrammingEnableEcho) {
    throw Exception("the target did not enter programming mode (expected 69, got " +
                    Hex(answers[3], 2) + "); check the adapter, the target's power and its clock");
  }
  waits_.Wait(link_.Pace().afterEnable);
}

int32_t ProgrammingSession::ReadSignature() {
  CollectAnswers();
  int32_t word = 0;
  for (uint8_t address : {0x00, 0x01, 0x02}) {
    word |= static_cast<int32_t>(Run({0x28, address, 0x00, 0x00})[3]) << (8 * address);
  }
  return word;
}

int8_t ProgrammingSession::ReadLockBits() {
  CollectAnswers();
  const int8_t answer = static_cast<int8_t>(Run({0x24, 0x00, 0x00, 0x00})[3]);
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
  link_.Settle();
}

// A lock bit is programmed in a write cycle, as a code byte is.
void ProgrammingSession::WriteLockBitsInstruction(uint8_t instruction) {
  const uint8_t bytes[] = {0xAC, instruction, 0x00, 0x00};
  const uint32_t gap = link_.Pace().aroundLockByte;
  for (size_t i = 0; i < sizeof bytes; ++i) {
    const bool last = i + 1 == sizeof bytes;
    link_.Send(bytes[i], last ? kByteWriteTime : std::chrono::nanoseconds{0});
    waits_.Wait(gap);
    if (link_.LockStep()) link_.Receive();
    if (!last) waits_.Wait(gap);
  }
}

// A stop is heeded before the instruction and after the chip's erase time (tERASE): a chip
// whose reset is let go in the middle of its erase could be left half erased.
void ProgrammingSession::ChipErase() {
  waits_.Wait(link_.Pace().beforeErase);
  const uint8_t bytes[] = {0xAC, 0x80, 0x00, 0xAC};
  for (size_t i = 0; i < sizeof bytes; ++i) {
    link_.Send(bytes[i], i + 1 == sizeof bytes ? kEraseTime : std::chrono::nanoseconds{0});
  }
  link_.Settle();
  waits_.Wait(link_.Pace().afterErase);
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
  const bool lockStep = link_.LockStep();
  const uint32_t around = link_.Pace().aroundPageByte;
  link_.Send(0x50);
  if (lockStep) link_.Receive();
  link_.Send(page);
  if (lockStep) link_.Receive();
  for (uint32_t j = 0; j < kPageSize; ++j) {
    waits_.CheckStopAtOnce();
    trace.Append(bytes[j]);
    waits_.Wait(around);
    link_.Send(bytes[j], kByteWriteTime);
    waits_.Wait(around);
    if (lockStep) link_.Receive();
  }
  link_.Settle();
}

void ProgrammingSession::CheckStop() const { waits_.CheckStop(); }

void ProgrammingSession::CollectAnswers() {
  while (link_.Owed() > 0) link_.Receive();
}

void ProgrammingSession::Stream(const std::vector<uint8_t>& bytes,
                                const std::function<void(size_t, uint8_t)>& take) {
  const size_t depth = link_.StreamDepth();
  size_t unwanted = link_.Owed(), sent = 0, taken = 0;
  while (taken < bytes.size()) {
    while (sent < bytes.size() && link_.Owed() < depth) {
      waits_.CheckStopAtOnce();
      link_.Send(bytes[sent++]);
    }
    uint8_t answer = link_.Receive();
    if (unwanted > 0) {
      --unwanted;
      continue;
    }
    take(taken++, answer);
  }
}
