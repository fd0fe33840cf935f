#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/ProgressReporter.h"
#include "device/ChipCatalog.h"
#include "device/ProgrammingSession.h"
#include "image/Buffer.h"
#include "platform/Clock.h"
#include "platform/PortOpener.h"
#include "serial/TSerial.h"

// Runs one command of the command line on the target behind one port, in one programming
// session: the signature first, which names the chip, then the command's instructions, with
// the checks around them (read-out protection before a read, read-back after a write or an
// erase). Results and what was done go to `out` (the latter not with -q); warnings and
// progress to `notes`. Throws CliError, PortOpenError or the device's Exception on failure.
// Programmers of different ports may run on threads of their own at once.
class Programmer {
 public:
  // What was done, for the table of a run on several ports; -1: not done.
  struct Outcome {
    std::string chip;
    int pagesWritten = -1;
    int pagesVerified = -1;
  };

  Programmer(const CliOptions& options, const std::string& port, PortOpener& opener, Clock& clock,
             std::ostream& out, std::ostream& notes, ProgressReporter& progress);
  ~Programmer();

  // Checks what can be checked without the chip, so that a bad file or folder leaves every
  // chip untouched: the output folder of a read, the input file of a write or a verify,
  // which it returns (an empty image for the other commands).
  Buffer Prepare() const;
  // The command, on the image Prepare() returned.
  void Run(const Buffer& image);
  // Prepare(), then Run().
  void Run();
  const Outcome& Result() const { return outcome_; }

 private:
  void RunCommand(ProgrammingSession& session, const Buffer& image);
  void Signature(int32_t word);
  void Read(ProgrammingSession& session);
  void Write(ProgrammingSession& session, const Buffer& image);
  void Verify(ProgrammingSession& session, const Buffer& image);
  void Erase(ProgrammingSession& session);
  void Lock(ProgrammingSession& session);

  // The chip the signature names, or the one -d names; a signature that is neither stops
  // the command unless --force.
  void Identify(int32_t word);
  // Erase and write clear the lock bits anyway: a chip in lock mode 3 or 4 that hides its
  // signature is erased first, and its signature read again.
  int32_t EraseWhatHidesItsSignature(ProgrammingSession& session, int32_t word);
  void EraseOnce(ProgrammingSession& session);
  void CheckReadable(ProgrammingSession& session);
  void CheckOutputFolder() const;
  Buffer LoadInput() const;
  void CheckFitsFlash(const Buffer& image) const;
  // The pages of the chip's own flash; on a 4 KB chip the upper half of the image mirrors it.
  std::vector<uint8_t> FlashPages() const;
  std::vector<uint8_t> PagesWithData(const Buffer& image) const;
  void ReadPages(ProgrammingSession& session, const std::vector<uint8_t>& pages, Buffer& into,
                 const std::string& label);
  void WritePages(ProgrammingSession& session, const std::vector<uint8_t>& pages,
                  const Buffer& image);
  // Throws "<check> failed: ..." naming the first difference in `pages` and the count.
  void Compare(const Buffer& actual, const Buffer& expected, const std::vector<uint8_t>& pages,
               const std::string& what, const std::string& check) const;
  std::string LockText(int8_t bits) const;
  void Note(const std::string& text) const;
  void NoteSlowExchanges(const ProgrammingSession::ExchangeTiming& timing) const;

  const CliOptions& options_;
  Clock& clock_;
  std::ostream& out_;
  std::ostream& notes_;
  ProgressReporter& progress_;
  TSerial serial_;
  const ChipCatalog::Chip* chip_ = nullptr;
  bool erased_ = false;
  Outcome outcome_;
};
