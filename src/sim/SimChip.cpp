#include "sim/SimChip.h"

#include <algorithm>

namespace {

constexpr uint8_t kEnableEcho = 0x69;
constexpr std::chrono::milliseconds kEraseTime{500};
constexpr uint8_t kFloatingLine = 0xFF;  // MISO reads high while RST is low
constexpr size_t kPageInstructionLength = 2 + 256;

bool IsLockWrite(uint8_t second) { return (second & 0xFC) == 0xE0; }

}  // namespace

SimChip::SimChip(Model model, Clock& clock) : clock_(clock), model_(model) {
  flash_.fill(0xFF);
  signature_ = {0x1E, static_cast<uint8_t>(model == Model::AT89S51 ? 0x51 : 0x52), 0x06};
}

bool SimChip::ParseModel(const std::string& name, Model& model) {
  std::string upper = name;
  std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
  if (upper == "AT89S51")
    model = Model::AT89S51;
  else if (upper == "AT89S52")
    model = Model::AT89S52;
  else
    return false;
  return true;
}

std::optional<uint8_t> SimChip::Exchange(uint8_t written) {
  return Exchange(written, clock_.Now());
}

std::optional<uint8_t> SimChip::Exchange(uint8_t written, std::chrono::nanoseconds at) {
  std::lock_guard<std::mutex> lock(mutex_);
  SimEvent event;
  event.written = written;
  event.time = at;
  bool idle = !anyByte_ || event.time - lastByteAt_ >= idleGap_;
  if (idleGap_.count() > 0 && idle) {
    instruction_.clear();
    resetPulsed_ = true;
  }
  anyByte_ = true;
  lastByteAt_ = event.time;
  if (answersLeft_ && *answersLeft_ == 0) {
    events_.push_back(event);
    return std::nullopt;
  }
  if (answersLeft_) --*answersLeft_;
  event.answer = Answer(written, at);
  event.answered = true;
  events_.push_back(event);
  return event.answer;
}

void SimChip::SetRts(bool asserted) { SetRts(asserted, clock_.Now()); }

void SimChip::SetRts(bool asserted, std::chrono::nanoseconds at) {
  std::lock_guard<std::mutex> lock(mutex_);
  SimEvent event;
  event.kind = SimEvent::Kind::Rts;
  event.rts = asserted;
  event.time = at;
  events_.push_back(event);
  // A reset pulse is RTS cleared, then set: the first set after opening, from an unknown
  // level, is not one.
  if (!asserted) {
    programming_ = false;
    instruction_.clear();
  } else if (rtsCleared_) {
    resetPulsed_ = true;
  }
  rtsCleared_ = !asserted;
  rts_ = asserted;
}

bool SimChip::Busy(std::chrono::nanoseconds at) const { return at < busyUntil_; }

uint8_t SimChip::Answer(uint8_t written, std::chrono::nanoseconds at) {
  const uint8_t answer = Output(at);
  Take(written, at);
  return answer;
}

// The answers never depend on the byte being shifted in at the same time: the chip knows each
// before the byte begins.
uint8_t SimChip::Output(std::chrono::nanoseconds at) const {
  const bool resetHigh = rts_ || idleGap_.count() > 0;
  if (!resetHigh || Busy(at)) return kFloatingLine;
  if (instruction_.empty()) return 0x00;
  return InstructionOutput();
}

uint8_t SimChip::InstructionOutput() const {
  const size_t index = instruction_.size();
  const uint8_t opcode = instruction_[0];
  if (opcode == 0x30 && index >= 2) {
    // With LB2 programmed the chip refuses to be read; it reads back as erased.
    const uint32_t address = (static_cast<uint32_t>(instruction_[1]) << 8) | (index - 2);
    return (lockBits_ & kLB2) ? 0xFF : flash_[Mirrored(address)];
  }
  if (index != 3) return 0x00;
  if (opcode == 0xAC && instruction_[1] == 0x53) {
    return resetPulsed_ || programming_ ? kEnableEcho : 0x00;
  }
  if (opcode == 0x28) {
    const bool hidden = signatureHiddenWhenLocked_ && (lockBits_ & kLB2);
    return instruction_[1] < 3 && !hidden ? signature_[instruction_[1]] : 0xFF;
  }
  // Only the 4th answer carries the lock bits (bits 2, 3, 4); the 3rd is undefined.
  if (opcode == 0x24) return static_cast<uint8_t>(lockBits_ << 2);
  return 0x00;
}

void SimChip::Take(uint8_t written, std::chrono::nanoseconds at) {
  const bool resetHigh = rts_ || idleGap_.count() > 0;
  if (!resetHigh || Busy(at)) return instruction_.clear();
  instruction_.push_back(written);
  const size_t index = instruction_.size() - 1;
  const uint8_t opcode = instruction_[0];
  if (!programming_ && opcode != 0xAC) return instruction_.clear();
  if (opcode == 0x30 || opcode == 0x50) {
    if (opcode == 0x50 && index >= 2) {
      WritePageByte((static_cast<uint32_t>(instruction_[1]) << 8) | (index - 2), written, at);
    }
    if (instruction_.size() == kPageInstructionLength) instruction_.clear();
    return;
  }
  // Only Programming Enable is heard before programming mode.
  if (opcode == 0xAC && index == 1 && written != 0x53 && !programming_) {
    return instruction_.clear();
  }
  if (index == 3) Complete4ByteInstruction(at);
}

void SimChip::Complete4ByteInstruction(std::chrono::nanoseconds at) {
  const uint8_t opcode = instruction_[0];
  const uint8_t second = instruction_[1];
  if (opcode == 0xAC && second == 0x53) {
    if (resetPulsed_) programming_ = true;
    resetPulsed_ = false;
  } else if (opcode == 0xAC && second == 0x80) {
    flash_.fill(0xFF);
    lockBits_ = 0;
    busyUntil_ = at + kEraseTime;
  } else if (opcode == 0xAC && IsLockWrite(second)) {
    // 1110 00 B1 B2: 01 programs LB1, 10 LB2, 11 LB3, 00 nothing.
    static constexpr uint8_t kBitNamed[4] = {0, kLB1, kLB2, kLB3};
    lockBits_ |= kBitNamed[second & 0x03];
  }
  instruction_.clear();
}

// The AT89S51 ignores address bit A12: its upper 4 KB mirror the lower.
uint32_t SimChip::Mirrored(uint32_t address) const {
  return address & (model_ == Model::AT89S51 ? 0x0FFF : 0x1FFF);
}

// Programming clears bits only; LB1 disables it. A byte that comes while the one before is
// still being written is lost.
void SimChip::WritePageByte(uint32_t address, uint8_t written, std::chrono::nanoseconds at) {
  if (byteWriteTime_.count() > 0) {
    if (at < byteWrittenAt_) {
      ++earlyPageBytes_;
      return;
    }
    byteWrittenAt_ = at + byteWriteTime_;
  }
  if (!(lockBits_ & kLB1)) flash_[Mirrored(address)] &= written;
}

uint8_t SimChip::NextAnswer(std::chrono::nanoseconds at) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return Output(at);
}

void SimChip::SetByteWriteTime(std::chrono::nanoseconds tswc) {
  std::lock_guard<std::mutex> lock(mutex_);
  byteWriteTime_ = tswc;
}

uint64_t SimChip::EarlyPageBytes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return earlyPageBytes_;
}

void SimChip::SetSilenceAfter(uint64_t bytes) {
  std::lock_guard<std::mutex> lock(mutex_);
  answersLeft_ = bytes;
}

void SimChip::SetSignatureHiddenWhenLocked(bool hidden) {
  std::lock_guard<std::mutex> lock(mutex_);
  signatureHiddenWhenLocked_ = hidden;
}

void SimChip::SetSignature(const std::array<uint8_t, 3>& bytes) {
  std::lock_guard<std::mutex> lock(mutex_);
  signature_ = bytes;
}

void SimChip::SetIdleGapReset(std::chrono::milliseconds gap) {
  std::lock_guard<std::mutex> lock(mutex_);
  idleGap_ = gap;
}

std::vector<uint8_t> SimChip::Flash() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<uint8_t> bytes(kFlashSize);
  uint32_t mask = model_ == Model::AT89S51 ? 0x0FFF : 0x1FFF;
  for (uint32_t i = 0; i < kFlashSize; ++i) bytes[i] = flash_[i & mask];
  return bytes;
}

void SimChip::SetFlash(const std::vector<uint8_t>& bytes) {
  std::lock_guard<std::mutex> lock(mutex_);
  flash_.fill(0xFF);
  std::copy_n(bytes.begin(), std::min<size_t>(bytes.size(), kFlashSize), flash_.begin());
}

uint8_t SimChip::LockBits() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return lockBits_;
}

void SimChip::SetLockBits(uint8_t bits) {
  std::lock_guard<std::mutex> lock(mutex_);
  lockBits_ = bits & (kLB1 | kLB2 | kLB3);
}

bool SimChip::InProgrammingMode() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return programming_;
}

std::vector<SimEvent> SimChip::Events() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return events_;
}

std::vector<uint8_t> SimChip::WrittenBytes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<uint8_t> bytes;
  for (const SimEvent& event : events_) {
    if (event.kind == SimEvent::Kind::Byte) bytes.push_back(event.written);
  }
  return bytes;
}

void SimChip::ClearEvents() {
  std::lock_guard<std::mutex> lock(mutex_);
  events_.clear();
}
