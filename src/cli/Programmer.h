#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "cli/CliError.h"
#include "cli/CliOptions.h"
#include "cli/ProgressReporter.h"
#include "device/ChipCatalog.h"
#include "device/ChipFailure.h"
#include "device/ChipOutcome.h"
#include "device/ChipRequest.h"
#include "device/ProgrammingSession.h"
#include "image/Buffer.h"
#include "platform/Clock.h"
#include "platform/PortOpener.h"
#include "platform/StopSignal.h"
#include "serial/TSerial.h"

// Runs one command of the command line on the target behind one port, as one chip operation
// (ChipOperations) in one programming session, and says what came of it: results and what
// was done go to `out` (the latter not with -q); warnings and progress to `notes`. Throws
// CliError or PortOpenError on failure; a failure after the chip was changed says what the
// chip now holds. A raised `stop` ends the command at its next page (at its next byte when
// raised at once), and its code, when not 0, is the exit status.
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
             std::ostream& out, std::ostream& notes, ProgressReporter& progress,
             const StopSignal* stop = nullptr);
  ~Programmer();

  // Checks what can be checked without the chip, so that a bad file or folder leaves every
  // chip untouched: the output folder of a read, the input file of a write or a verify,
  // which it returns (an empty image for the other commands).
  Buffer Prepare() const;
  // The command, on the image Prepare() returned.
  void Run(const Buffer& image);
  // Prepare(), then Run().
  void Run();
  Outcome Result() const;

 private:
  ChipRequest RequestFor(const Buffer& image) const;
  // The session and the operation in it, with the note on slow exchanges.
  void Operate(const ChipRequest& request);
  // What the outcome says to the user, after the command or its failure.
  void Report();
  void ReportSignature();
  void ReportRead();
  void ReportWrite();
  void NoteWhatWasForced() const;
  // The command line's words for a failure of the chip operation.
  CliError Worded(const ChipFailure& failure) const;
  CliError WordedStop() const;
  std::string AfterErasingFirst() const;
  std::string HiddenSignatureRemedy() const;
  // A failure of the link, with what the chip now holds.
  CliError WordedLinkFailure(const Exception& failure) const;

  void CheckOutputFolder() const;
  Buffer LoadInput() const;
  void Note(const std::string& text) const;
  void NoteSpeedAdvice(const std::string& advice) const;

  const CliOptions& options_;
  Clock& clock_;
  std::ostream& out_;
  std::ostream& notes_;
  ProgressReporter& progress_;
  const StopSignal* stop_;
  TSerial serial_;
  ChipOutcome chip_;
};
