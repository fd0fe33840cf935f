#pragma once

#include <memory>
#include <ostream>
#include <string>

#include "cli/CliOptions.h"
#include "cli/ProgressReporter.h"
#include "device/AT89S5X.h"
#include "device/ChipCatalog.h"
#include "image/Buffer.h"
#include "platform/Clock.h"
#include "platform/PortOpener.h"
#include "serial/TSerial.h"

// Runs one command of the command line on the target: the device operations with the checks
// around them (signature before a write or an erase, read-back after it). Results and what
// was done go to `out` (the latter not with -q); warnings and progress to `notes`. Throws
// CliError or the device's Exception on failure.
class Programmer {
 public:
  Programmer(const CliOptions& options, PortOpener& opener, Clock& clock, std::ostream& out,
             std::ostream& notes, ProgressReporter& progress);
  ~Programmer();

  void Run();

 private:
  void Signature();
  void Read();
  void Write();
  void Verify();
  void Erase();
  void Lock();

  void UseChip(const ChipCatalog::Chip& chip);
  // Which chip the target is, from -d or the signature; with `guard` (write, erase) a
  // signature that is not the chosen device's stops the command unless --force.
  void Identify(bool guard);
  Buffer LoadInput() const;
  void CheckFitsFlash(const Buffer& image) const;
  void ReadBack(const std::string& label);
  // Throws "<check> failed: ..." naming the first difference and the count.
  void Compare(const Buffer& expected, const std::string& what, const std::string& check) const;
  std::string LockText(int8_t bits) const;
  void NoteSlowExchanges() const;
  void Note(const std::string& text) const;

  const CliOptions& options_;
  Clock& clock_;
  std::ostream& out_;
  std::ostream& notes_;
  ProgressReporter& progress_;
  std::unique_ptr<PortOpener> fixedOpener_;  // when the port is a path or a sim name
  std::unique_ptr<TSerial> serial_;
  const ChipCatalog::Chip* chip_ = nullptr;
  std::unique_ptr<AT89S5X> device_;
};
