#include "cli/CliApp.h"

#include <new>

#include "cli/CliError.h"
#include "cli/CommandLine.h"
#include "cli/Programmer.h"
#include "cli/ProgressReporter.h"

#ifndef ISP89_VERSION
#define ISP89_VERSION "unknown"
#endif

namespace {

// Every error is one line: the link's two-line open failure becomes "first: second".
std::string OneLine(std::string message) {
  for (size_t at; (at = message.find('\n')) != std::string::npos;) message.replace(at, 1, ": ");
  return message;
}

ProgressReporter::Style StyleFor(const CliOptions& options, bool errIsTerminal) {
  if (options.quiet) return ProgressReporter::Style::Silent;
  return errIsTerminal ? ProgressReporter::Style::Bar : ProgressReporter::Style::Lines;
}

}  // namespace

CliApp::CliApp(PortOpener& opener, Clock& clock) : opener_(opener), clock_(clock) {}

std::string CliApp::VersionText() { return std::string("isp89-cli ") + ISP89_VERSION; }

int CliApp::Run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
                bool errIsTerminal) {
  try {
    CliOptions options = CommandLine::Parse(arguments);
    if (options.command == CliOptions::Command::Help) {
      out << CommandLine::HelpText();
      return 0;
    }
    if (options.command == CliOptions::Command::Version) {
      out << VersionText() << '\n';
      return 0;
    }
    ProgressReporter progress(err, StyleFor(options, errIsTerminal));
    Programmer(options, opener_, clock_, out, err, progress).Run();
    out << std::flush;
    return 0;
  } catch (const CliError& e) {
    err << "isp89-cli: " << OneLine(e.Message()) << '\n';
    return e.Status();
  } catch (const Exception& e) {
    err << "isp89-cli: " << OneLine(e.Message()) << '\n';
    return CliError::kFailed;
  } catch (const std::bad_alloc&) {
    err << "isp89-cli: out of memory\n";
    return CliError::kFailed;
  }
}
