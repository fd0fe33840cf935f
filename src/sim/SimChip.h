#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "sim/SimEvent.h"

// The serial-to-SPI adapter with an AT89S51 or AT89S52 behind it, as the datasheets describe
// the serial programming interface. Each byte written is answered by the byte the chip shifts
// out meanwhile. RTS drives the chip's RST: programming needs RTS cleared, then set, then a
// Programming Enable. Thread-safe: the programmer's thread talks to it while a test looks on.
class SimChip {
 public:
  enum class Model { AT89S51, AT89S52 };
  static constexpr uint32_t kFlashSize = 8192;
  // Lock bits as Read Lock Bits reports them: bits 0, 1, 2 = LB1, LB2, LB3.
  static constexpr uint8_t kLB1 = 0x01, kLB2 = 0x02, kLB3 = 0x04;

  SimChip(Model model, Clock& clock);

  // Parses "AT89S51" / "AT89S52" (also lower case); false when it is neither.
  static bool ParseModel(const std::string& name, Model& model);

  // The bridge: the answer to one byte, or nothing when the adapter has gone silent. `at` is
  // when the byte reaches the chip (by default now, on the chip's clock).
  std::optional<uint8_t> Exchange(uint8_t written);
  std::optional<uint8_t> Exchange(uint8_t written, std::chrono::nanoseconds at);
  void SetRts(bool asserted);
  void SetRts(bool asserted, std::chrono::nanoseconds at);

  // Stops answering once `bytes` bytes have been answered (counted from now on).
  void SetSilenceAfter(uint64_t bytes);
  // Without RTS (on a pseudo-terminal), a byte after at least `gap` of silence starts a new
  // instruction and counts as after a reset pulse. Zero turns this off.
  void SetIdleGapReset(std::chrono::milliseconds gap);
  // In lock modes 3 and 4 (LB2 programmed) some chips answer FF to Read Signature.
  void SetSignatureHiddenWhenLocked(bool hidden);
  // Each byte of a page write is self-timed (tSWC): with a time here, a page byte that
  // arrives before the one before it is written is lost (the cell keeps what it held), and
  // counted. Zero (the default, for the serial adapter that paces itself) turns this off.
  void SetByteWriteTime(std::chrono::nanoseconds tswc);
  uint64_t EarlyPageBytes() const;

  // The byte the chip will shift out during the next byte, as the instruction so far decides
  // it: a chip loads it into its output register when the byte before is complete.
  uint8_t NextAnswer(std::chrono::nanoseconds at) const;
  // The bytes at 000H, 100H, 200H that Read Signature answers: another chip of the family, or
  // a part that is no AT89S5x at all (by default the model's own: 1E 51 06, 1E 52 06).
  void SetSignature(const std::array<uint8_t, 3>& bytes);

  std::vector<uint8_t> Flash() const;
  void SetFlash(const std::vector<uint8_t>& bytes);
  uint8_t LockBits() const;
  void SetLockBits(uint8_t bits);
  bool InProgrammingMode() const;

  std::vector<SimEvent> Events() const;
  // Only the bytes written, in order.
  std::vector<uint8_t> WrittenBytes() const;
  void ClearEvents();

 private:
  uint8_t Answer(uint8_t written, std::chrono::nanoseconds at);
  // What the chip shifts out during the next byte (no change), then what the byte does.
  uint8_t Output(std::chrono::nanoseconds at) const;
  uint8_t InstructionOutput() const;
  void Take(uint8_t written, std::chrono::nanoseconds at);
  void Complete4ByteInstruction(std::chrono::nanoseconds at);
  void WritePageByte(uint32_t address, uint8_t written, std::chrono::nanoseconds at);
  uint32_t Mirrored(uint32_t address) const;
  bool Busy(std::chrono::nanoseconds at) const;

  mutable std::mutex mutex_;  // guards every field below
  Clock& clock_;
  Model model_;
  std::array<uint8_t, kFlashSize> flash_;
  uint8_t lockBits_ = 0;
  bool rts_ = false;
  bool rtsCleared_ = false;           // RTS was explicitly cleared and not set since
  bool resetPulsed_ = false;          // RTS went low then high since the last enable
  bool programming_ = false;          // Programming Enable accepted
  std::vector<uint8_t> instruction_;  // bytes of the instruction in progress
  std::chrono::nanoseconds busyUntil_{0};
  std::chrono::nanoseconds byteWriteTime_{0};
  std::chrono::nanoseconds byteWrittenAt_{0};  // when the last page byte's write cycle ends
  uint64_t earlyPageBytes_ = 0;
  std::chrono::nanoseconds lastByteAt_{0};
  bool anyByte_ = false;
  std::chrono::milliseconds idleGap_{0};
  bool signatureHiddenWhenLocked_ = false;
  std::array<uint8_t, 3> signature_;
  std::optional<uint64_t> answersLeft_;
  std::vector<SimEvent> events_;
};
