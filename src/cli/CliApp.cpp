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

CliApp::CliApp(PortResolver& ports, Clock& clock) : ports_(ports), clock_(clock) {}

std::string CliApp::VersionText() { return std::string("isp89-cli ") + ISP89_VERSION; }

int CliApp::Run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
                bool errIsTerminal) {
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
      PortChoice::CheckDistinct(options.ports, ports_);
      return BatchRun(options, ports_, clock_, out, err, StyleFor(options, errIsTerminal)).Run();
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
  Programmer(options, options.ports.front(), ports_, clock_, out, err, progress).Run();
  out << std::flush;
  return 0;
}
