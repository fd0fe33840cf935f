#include "cli/CliApp.h"

#include "cli/BatchRun.h"
#include "cli/CliError.h"
#include "cli/CommandLine.h"
#include "cli/FailureMessage.h"
#include "cli/PortChoice.h"
#include "cli/PortListing.h"
#include "cli/Programmer.h"
#include "cli/ProgressReporter.h"

#ifndef ISP89_VERSION
#define ISP89_VERSION "unknown"
#endif

namespace {

ProgressReporter::Style StyleFor(const CliOptions& options, bool errIsTerminal) {
  if (options.quiet) return ProgressReporter::Style::Silent;
  return errIsTerminal ? ProgressReporter::Style::Bar : ProgressReporter::Style::Lines;
}

}  // namespace

CliApp::CliApp(PortResolver& ports, Clock& clock, const StopSignal* stop)
    : ports_(ports), clock_(clock), stop_(stop) {}

std::string CliApp::VersionText() { return std::string("isp89-cli ") + ISP89_VERSION; }

int CliApp::Run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
                bool errIsTerminal) {
  return Reported(RunCommand(arguments, out, err, errIsTerminal), out, err);
}

// A command whose words did not all reach the user has not told what it did: it succeeded
// only in part. Its own failure, if any, was told already and keeps its status.
int CliApp::Reported(int status, std::ostream& out, std::ostream& err) {
  out.flush();
  if (!out && status == 0) {
    err << "isp89-cli: cannot write to the standard output (closed, or its reader has gone): "
           "what the command said is lost\n";
  }
  err.flush();
  return status == 0 && (!out || !err) ? CliError::kFailed : status;
}

int CliApp::RunCommand(const std::vector<std::string>& arguments, std::ostream& out,
                       std::ostream& err, bool errIsTerminal) {
  try {
    CliOptions options = CommandLine::Parse(arguments);
    switch (options.command) {
      case CliOptions::Command::Help:
        out << CommandLine::HelpText();
        return 0;
      case CliOptions::Command::Version:
        out << VersionText() << '\n';
        return 0;
      case CliOptions::Command::Ports:
        out << PortListing::Format(PortListing::Collect(ports_)) << std::flush;
        return 0;
      default:
        break;
    }
    for (const std::string& port : options.ports) PortChoice::Check(port, ports_);
    if (options.ports.size() > 1) {
      PortChoice::CheckDistinct(options.portsGiven, ports_);
      return BatchRun(options, ports_, clock_, out, err, StyleFor(options, errIsTerminal), stop_)
          .Run();
    }
    return RunOnOnePort(options, out, err, errIsTerminal);
  } catch (const std::exception& failure) {
    err << "isp89-cli: " << FailureMessage::Of(failure) << '\n';
    return FailureMessage::StatusOf(failure);
  }
}

int CliApp::RunOnOnePort(const CliOptions& options, std::ostream& out, std::ostream& err,
                         bool errIsTerminal) {
  ProgressReporter progress(err, StyleFor(options, errIsTerminal));
  Programmer(options, options.ports.front(), ports_, clock_, out, err, progress, stop_).Run();
  out << std::flush;
  return 0;
}
