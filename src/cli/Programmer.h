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

// Runs one command of the command line on the target, in one programming session: the
// signature first, which names the chip, then the command's instructions, with the checks
// around them (read-out protection before a read, read-back after a write or an erase).
// Results and what was done go to `out` (the latter not with -q); warnings and progress to
// `notes`. Throws CliError or the device's Exception on failure.
class Programmer {
 public:
  Programmer(const CliOptions& options, PortOpener& opener, Clock& clock, std::ostream& out,
             std::ostream& notes, ProgressReporter& progress);
  ~Programmer();

  void Run();

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
  std::unique_ptr<PortOpener> fixedOpener_;  // when the port is a path or a sim name
  std::unique_ptr<TSerial> serial_;
  const ChipCatalog::Chip* chip_ = nullptr;
};
