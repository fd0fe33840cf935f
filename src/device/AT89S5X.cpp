#include "device/AT89S5X.h"

#include <cstdio>

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

uint8_t AT89S5X::ReadAnswer() {
  uint8_t answer = 0;
  if (serial->ReadByte(&answer) == 0) {
    throw Exception(serial->OpenedName() +
                    ": the programmer did not answer (no byte within the read time-out); "
                    "check that the adapter is on this port and powered");
  }
  return answer;
}

uint8_t AT89S5X::Exchange(uint8_t byte) {
  serial->WriteByte(byte);
  return ReadAnswer();
}

// Reset pulse on RTS, then Programming Enable; the target echoes 69 in the fourth byte when
// it entered programming mode. Leaves the link open.
void AT89S5X::ProgramEnable() {
  serial->Open();
  serial->SetRts(false);
  Wait(600);
  serial->SetRts(true);
  Wait(600);
  Exchange(0xAC);
  Exchange(0x53);
  Exchange(0x00);
  uint8_t echo = Exchange(0x69);
  if (echo != kProgrammingEnableEcho) {
    throw Exception("the target did not enter programming mode (expected 69, got " + Hex(echo) +
                    "); check the adapter, the target's power and its clock");
  }
  Wait(600);
}

// The answers are left unread: the page writes that follow consume them.
void AT89S5X::ChipErase() {
  Wait(1000);
  for (uint8_t byte : {0xAC, 0x80, 0x00, 0xAC}) serial->WriteByte(byte);
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
  int8_t answer = static_cast<int8_t>(Exchange(0x00));
  // Arithmetic shift: answer bits 2-4 become LB1-LB3.
  return static_cast<int8_t>(answer >> 2);
}

void AT89S5X::WriteLockBits(unsigned char mode) {
  uint8_t instruction = 0xE0;
  if (mode & 0x01) instruction |= 0x02;
  if (mode & 0x02) instruction |= 0x01;
  LinkSession session(*serial);
  ProgramEnable();
  const uint8_t bytes[] = {0xAC, instruction, 0x00, 0x00};
  for (size_t i = 0; i < sizeof bytes; ++i) {
    serial->WriteByte(bytes[i]);
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
      serial->WriteByte(byte);
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
