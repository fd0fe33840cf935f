#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "device/FtdiSpiLink.h"
#include "device/ProgrammerLink.h"
#include "device/SessionWaits.h"
#include "image/TraceFile.h"
#include "platform/Clock.h"
#include "platform/StopSignal.h"
#include "serial/TSerial.h"

// One stay of the target in programming mode: opening the session opens the link, resets the
// target and enables programming once; then any sequence of instructions runs; the link
// closes when the session ends, however it ends.
//
// The session speaks the chips' serial programming instructions and keeps the datasheet's
// waits (tERASE after Chip Erase, tSWC after each page byte) and the checks (69 after
// Programming Enable, a line that echoes, a target that stays silent); the link (see
// ProgrammerLink) moves the bytes and adds its own hardware's pacing. Every byte sent is owed
// one answer; whatever reads next takes the oldest answer owed, and an instruction that uses
// its answers first collects those owed.
//
// Failures throw Exception with the port's name: no answer for kSilence, a port
// that went away, a line that only echoes, a target that did not enter programming mode.
// With a stop signal, the long waits (the reset pulse, programming enable, the erase) end as
// soon as it is raised, with a ChipFailure of kind Stopped; raised at once, it also ends the
// session before its next byte.
class ProgrammingSession {
 public:
  static constexpr uint32_t kPageSize = 256;
  static constexpr std::chrono::milliseconds kSilence = ProgrammerLink::kSilence;

  // On `link`, which the caller keeps. Throws what the link's Open() throws, and the
  // failures above.
  ProgrammingSession(ProgrammerLink& link, Clock& clock, const StopSignal* stop = nullptr);
  // On the link `serial`'s port name leads to (ProgrammerLinkFor), made and kept here.
  ProgrammingSession(TSerial& serial, Clock& clock, const StopSignal* stop = nullptr,
                     uint32_t queueBytes = 0, const FtdiSpiLink::Options& ftdi = {});
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
  // Chip Erase and its tERASE; its four answers stay owed.
  void ChipErase();

  // Read Page for each of `pages`, the clocking bytes (00) streamed ahead of their answers;
  // page pages[i] goes to into + i x 256, and `pageDone(i)` follows each.
  void ReadPagesStreamed(const std::vector<uint8_t>& pages, uint8_t* into, TraceFile& trace,
                         const std::function<void(size_t)>& pageDone);
  // Write Page, each data byte given its tSWC; each byte goes to `trace` before it is sent.
  // When it returns, the page has reached the chip; its answers stay owed.
  void WritePage(uint8_t page, const uint8_t* bytes, TraceFile& trace);
  // Throws a ChipFailure of kind Stopped when the stop signal is raised.
  void CheckStop() const;
  // Reads every answer still owed: then every byte sent is known to have reached the chip.
  void CollectAnswers();

  // How the user could make the link faster, from what this session saw; empty if nothing.
  std::string SpeedAdvice() const { return link_.SpeedAdvice(); }

 private:
  using Instruction = std::array<uint8_t, 4>;

  void Start();
  void ProgramEnable();
  // The instruction's four answers: each read before the next byte on a lock-step link, else
  // all four sent first.
  Instruction Run(const Instruction& bytes);
  void WriteLockBitsInstruction(uint8_t instruction);
  // Hands each answer of `bytes`, in order, to `take`; the answers owed from before are
  // read and dropped first.
  void Stream(const std::vector<uint8_t>& bytes, const std::function<void(size_t, uint8_t)>& take);

  std::unique_ptr<ProgrammerLink> ownLink_;
  ProgrammerLink& link_;
  SessionWaits waits_;
};
