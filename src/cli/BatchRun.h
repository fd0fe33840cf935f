#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/Programmer.h"
#include "cli/ProgressReporter.h"
#include "platform/Clock.h"
#include "platform/PortOpener.h"

// One command on several ports at once, as a workshop programs a batch of chips: a thread per
// port, each running a whole programming session of its own, so that a port that fails (an
// adapter that does not answer, a chip that does not verify) never stops the others. The
// progress shows one line per port; at the end a table gives each port's result.
//
// The threads share the opener and the clock (both may be used from any thread), the image
// (read only) and the progress board (which guards itself); everything else is a port's own,
// and the main thread reads it only after joining them all.
class BatchRun {
 public:
  // A raised `stop` ends every port's session at its next page.
  BatchRun(const CliOptions& options, PortOpener& opener, Clock& clock, std::ostream& out,
           std::ostream& err, ProgressReporter::Style style, const StopSignal* stop = nullptr);

  // The exit status: 0 when every port succeeded, else the highest of the failures'.
  // Throws CliError (usage) before any port is touched when the input is bad.
  int Run();

  struct PortResult {
    std::string port;
    Programmer::Outcome outcome;
    double seconds = 0;
    int status = 0;       // 0: succeeded
    std::string failure;  // one line, when it failed
    std::string output;   // what the port's command said
  };
  // The table: a heading, then one line per port.
  static std::string Table(const std::vector<PortResult>& results);

 private:
  void RunPort(PortResult& result, const Buffer& image, class ProgressBoard& board, size_t row);

  const CliOptions& options_;
  PortOpener& opener_;
  Clock& clock_;
  std::ostream& out_;
  std::ostream& err_;
  const ProgressReporter::Style style_;
  const StopSignal* stop_;
};
