#pragma once

#include <cstdint>
#include <vector>

#include "device/ChipFailure.h"
#include "device/ChipOutcome.h"
#include "device/ChipRequest.h"
#include "device/ProcessListener.h"
#include "device/ProgrammingSession.h"

// The chip operations of every front end, on one programming session: the signature first,
// which names the chip and is checked against the chosen one, then the operation with the
// checks around it (read-out protection before a read, a verify and a blank check, the image
// against the chip's flash before a write, read-back after a change). Progress goes to the
// listener; a stop request ends the operation between two pages, or during the session's long
// waits.
//
// Failures throw ChipFailure (see its kinds) or the session's own; the outcome then still
// says what was found and done up to that point.
class ChipOperations {
 public:
  // What is found and done goes to `outcome` as the operation goes.
  ChipOperations(ProgrammingSession& session, ProcessListener* listener, ChipOutcome& outcome);

  void Run(const ChipRequest& request);

 private:
  using Operation = ChipRequest::Operation;

  void Dispatch();
  // The chip the signature names, or with force the chosen one (else the AT89S52).
  void Identify(int32_t word);
  // Only a chip erase clears the lock bits: a chip locked in mode 3 or 4 that may hide its
  // signature is erased first by an erase or a write that asks for it, and its signature read
  // again; without that it is refused (HiddenSignature), unless forced.
  int32_t EraseWhatHidesItsSignature(int32_t word);
  void EraseOnce();
  void CheckReadable();
  void CheckFitsFlash(const Buffer& image) const;

  void ReadFlash();
  void Write();
  void Verify();
  void Erase();
  void BlankCheck();
  void CheckBlank();
  void WriteLockBits();

  // The pages of the chip's own flash; on a 4 KB chip the upper half of an image mirrors it.
  std::vector<uint8_t> FlashPages() const;
  std::vector<uint8_t> PagesWithData(const Buffer& image) const;
  void ReadPages(const std::vector<uint8_t>& pages, Buffer& into, ProcessListener::Phase phase);
  void WritePages(const std::vector<uint8_t>& pages, const Buffer& image);
  // Throws a Mismatch naming the first difference in `pages` and the count.
  void Compare(const Buffer& actual, const Buffer& expected,
               const std::vector<uint8_t>& pages) const;
  // Reads `pages` back into the outcome's readBack and compares them with `expected`.
  void ReadBackAndCompare(const std::vector<uint8_t>& pages, const Buffer& expected,
                          ProcessListener::Phase phase);
  [[noreturn]] void Fail(ChipFailure::Kind kind, ChipFailure::Facts facts) const;
  ChipFailure::Facts SignatureFacts() const;
  void BeginPhase(ProcessListener::Phase phase);
  void Progress(size_t done, size_t total);

  ProgrammingSession& session_;
  ProcessListener* listener_;
  const ChipRequest* request_ = nullptr;
  ChipOutcome& outcome_;
};
