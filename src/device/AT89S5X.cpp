#include "device/AT89S5X.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "image/TraceFile.h"
#include "platform/Exception.h"

namespace {

constexpr uint32_t kPageSize = 256;
constexpr uint8_t kProgrammingEnableEcho = 0x69;

std::string Hex(uint8_t byte) {
  char text[3];
  std::snprintf(text, sizeof text, "%02X", byte);
  return text;
}

}  // namespace

// Keeps the link open for one operation and closes it on every way out, exceptions included.
class AT89S5X::LinkSession {
 public:
  explicit LinkSession(TSerial& serial) : serial_(serial) { serial_.Open(); }
  ~LinkSession() { serial_.Close(); }
  void Close() { serial_.Close(); }

 private:
  TSerial& serial_;
};

AT89S5X::AT89S5X(TSerial* serial, Clock& clock) : serial(serial), clock(clock) {}

AT89S5X::~AT89S5X() = default;

void AT89S5X::SetUpMemory() {
  pageCount = GetMemorySize() >> 8;
  readImage = std::make_unique<Buffer>(GetMemorySize());
}

void AT89S5X::FailOn(const IoResult& result, Direction direction) const {
  const std::string& port = serial->OpenedName();
  if (result.What() == IoResult::Outcome::Failed) {
    throw Exception(port + ": the port went away (USB adapter unplugged?): " + result.Reason());
  }
  if (direction == Direction::Reading) {
    throw Exception(port +
                    ": the programmer did not answer (no byte within the read time-out); "
                    "check that the adapter is on this port and powered");
  }
  throw Exception(port +
                  ": the port did not send a byte within the write time-out; check that the "
                  "adapter is connected and that nothing else holds the line");
}

uint8_t AT89S5X::ReadAnswer() {
  uint8_t answer = 0;
  IoResult result = serial->ReadByte(&answer);
  if (!result.Ok()) FailOn(result, Direction::Reading);
  return answer;
}

void AT89S5X::Send(uint8_t byte) {
  IoResult result = serial->WriteByte(byte);
  if (!result.Ok()) FailOn(result, Direction::Writing);
}

uint8_t AT89S5X::Exchange(uint8_t byte) {
  const std::chrono::nanoseconds start = clock.Now();
  Send(byte);
  uint8_t answer = ReadAnswer();
  ++lockStepTiming.count;
  lockStepTiming.total += clock.Now() - start;
  return answer;
}

// Reset pulse on RTS, then Programming Enable; the target answers 69 to the fourth byte when
// it entered programming mode. Leaves the link open.
void AT89S5X::ProgramEnable() {
  serial->Open();
  serial->SetRts(false);
  Wait(600);
  serial->SetRts(true);
  Wait(600);
  // Answers of an earlier operation may still have been on their way when it closed the
  // port; they have all arrived by now and must not pass for the target's.
  serial->PurgeInput();
  const uint8_t enable[] = {0xAC, 0x53, 0x00, kProgrammingEnableEcho};
  uint8_t answers[4];
  for (size_t i = 0; i < 4; ++i) answers[i] = Exchange(enable[i]);
  if (std::equal(answers, answers + 4, enable)) {
    throw Exception(serial->OpenedName() +
                    ": the line echoes every byte (AC 53 00 69 came back as sent): a loopback, "
                    "or an adapter that is not passing bytes to a target; check the adapter "
                    "and its cable to the target");
  }
  if (answers[3] != kProgrammingEnableEcho) {
    throw Exception("the target did not enter programming mode (expected 69, got " +
                    Hex(answers[3]) + "); check the adapter, the target's power and its clock");
  }
  Wait(600);
}

// The answers are left unread: the page writes that follow consume them.
void AT89S5X::ChipErase() {
  Wait(1000);
  for (uint8_t byte : {0xAC, 0x80, 0x00, 0xAC}) Send(byte);
  Wait(1000);
}

int32_t AT89S5X::ReadSignature() {
  LinkSession session(*serial);
  ProgramEnable();
  int32_t word = 0;
  for (uint8_t address : {0x00, 0x01, 0x02}) {
    Exchange(0x28);
    Exchange(address);
    Exchange(0x00);
    word |= static_cast<int32_t>(Exchange(0x00)) << (8 * address);
  }
  session.Close();
  Report(100, ProcessListener::NOTIFY_PROGRESS);
  return word;
}

int8_t AT89S5X::ReadLockBits() {
  LinkSession session(*serial);
  ProgramEnable();
  Exchange(0x24);
  Exchange(0x00);
  Exchange(0x00);
  int8_t answer = static_cast<int8_t>(Exchange(0x00));
  // The fourth answer carries LB1-LB3 in bits 2-4; the arithmetic shift moves them to 0-2.
  return static_cast<int8_t>(answer >> 2);
}

// Write Lock Bits is AC, 1110 00 B1 B2, 00, 00, where B1 B2 = 01, 10, 11 program LB1, LB2,
// LB3: one instruction for each bit, LB1 first, as a lock mode is reached step by step.
void AT89S5X::WriteLockBits(unsigned char mode) {
  std::vector<uint8_t> instructions;
  for (uint8_t bit = 0; bit < 3; ++bit) {
    if (mode & (1u << bit)) instructions.push_back(static_cast<uint8_t>(0xE1 + bit));
  }
  if (instructions.empty()) instructions.push_back(0xE0);  // programs nothing
  LinkSession session(*serial);
  ProgramEnable();
  for (uint8_t instruction : instructions) WriteLockBitsInstruction(instruction);
}

void AT89S5X::WriteLockBitsInstruction(uint8_t instruction) {
  const uint8_t bytes[] = {0xAC, instruction, 0x00, 0x00};
  for (size_t i = 0; i < sizeof bytes; ++i) {
    Send(bytes[i]);
    Wait(2);
    ReadAnswer();
    if (i + 1 < sizeof bytes) Wait(2);
  }
}

// A device without a listener still works; it just reports to no one.
void AT89S5X::Report(int value, int kind) {
  if (listener) listener->Notify(value, kind);
}

int AT89S5X::ProgressAfterPage(uint32_t page, float step) const {
  return static_cast<int>(static_cast<float>(page) * step);
}

void AT89S5X::ReadMemory() {
  TraceFile trace(TraceFile::kReadName, traceFiles);
  const float step = 100.0f / static_cast<float>(pageCount);
  LinkSession session(*serial);
  ProgramEnable();
  for (uint32_t page = 0; page < pageCount; ++page) {
    Exchange(0x30);
    Exchange(static_cast<uint8_t>(page));
    // Each data byte is clocked out with the byte received just before it.
    uint8_t exchange = 0x00;
    for (uint32_t j = 0; j < kPageSize; ++j) {
      exchange = Exchange(exchange);
      trace.Append(exchange);
      (*readImage)[page * kPageSize + j] = exchange;
    }
    Report(ProgressAfterPage(page, step), ProcessListener::NOTIFY_PROGRESS);
  }
  Report(100, ProcessListener::NOTIFY_FINISHED);
}

void AT89S5X::WriteMemory(const Buffer& image) {
  TraceFile trace(TraceFile::kWriteName, traceFiles);
  const float step = 100.0f / static_cast<float>(pageCount);
  LinkSession session(*serial);
  serial->SetQueueSizes(GetMemorySize() + 10, GetMemorySize() + 10);
  ProgramEnable();
  ChipErase();
  // From here each read takes the answer to the byte written four exchanges before, as the
  // Chip Erase answers were left unread.
  for (uint32_t page = 0; page < pageCount; ++page) {
    Exchange(0x50);
    Exchange(static_cast<uint8_t>(page));
    for (uint32_t j = 0; j < kPageSize; ++j) {
      uint8_t byte = image[page * kPageSize + j];
      trace.Append(byte);
      Wait(1);
      Send(byte);
      Wait(1);
      ReadAnswer();
    }
    Report(ProgressAfterPage(page, step), ProcessListener::NOTIFY_PROGRESS);
  }
  session.Close();
  Report(100, ProcessListener::NOTIFY_FINISHED);
}

void AT89S5X::Erase() {
  LinkSession session(*serial);
  ProgramEnable();
  ChipErase();
}
