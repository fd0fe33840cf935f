#include "cli/BatchRun.h"

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <thread>

#include "cli/FailureMessage.h"
#include "cli/ProgressBoard.h"
#include "platform/ControlEscapes.h"

namespace {

std::string Count(int count) { return count < 0 ? "-" : std::to_string(count); }

std::string Seconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f s", seconds);
  return text;
}

std::string Padded(std::string text, size_t width, bool right = false) {
  if (text.size() >= width) return text;
  const std::string fill(width - text.size(), ' ');
  return right ? fill + text : text + fill;
}

// Each line of `text`, after "port: ".
std::string Prefixed(const std::string& port, const std::string& text) {
  std::istringstream lines(text);
  std::string prefixed;
  for (std::string line; std::getline(lines, line);) prefixed += port + ": " + line + '\n';
  return prefixed;
}

}  // namespace

BatchRun::BatchRun(const CliOptions& options, PortOpener& opener, Clock& clock, std::ostream& out,
                   std::ostream& err, ProgressReporter::Style style, const StopSignal* stop)
    : options_(options),
      opener_(opener),
      clock_(clock),
      out_(out),
      err_(err),
      style_(style),
      stop_(stop) {}

int BatchRun::Run() {
  std::vector<PortResult> results(options_.ports.size());
  const Buffer image = [&] {
    std::ostringstream said;
    ProgressReporter silent(said, ProgressReporter::Style::Silent);
    Buffer prepared =
        Programmer(options_, options_.ports.front(), opener_, clock_, said, said, silent).Prepare();
    err_ << said.str();
    return prepared;
  }();
  ProgressBoard board(err_, style_, options_.ports);
  std::vector<std::thread> threads;
  for (size_t i = 0; i < results.size(); ++i) {
    results[i].port = options_.ports[i];
    threads.emplace_back([&, i] { RunPort(results[i], image, board, i); });
  }
  for (std::thread& thread : threads) thread.join();
  int status = 0;
  for (const PortResult& result : results) {
    out_ << Prefixed(EscapeControlCharacters(result.port), result.output);
    status = std::max(status, result.status);
  }
  out_ << Table(results) << std::flush;
  return status;
}

// The port's warnings go to its own buffer with its output, and reach the user after the
// table's ports are all done: several threads writing to one stream would mix their lines.
void BatchRun::RunPort(PortResult& result, const Buffer& image, ProgressBoard& board, size_t row) {
  const auto start = clock_.Now();
  std::ostringstream said;
  try {
    ProgressReporter progress(board, row, style_);
    Programmer programmer(options_, result.port, opener_, clock_, said, said, progress, stop_);
    try {
      programmer.Run(image);
    } catch (...) {
      result.outcome = programmer.Result();
      throw;
    }
    result.outcome = programmer.Result();
  } catch (const std::exception& failure) {
    result.status = FailureMessage::StatusOf(failure);
    result.failure = FailureMessage::Of(failure);
  }
  result.seconds = std::chrono::duration<double>(clock_.Now() - start).count();
  result.output = said.str();
  board.Finish(row, result.status == 0 ? "done" : "failed");
}

std::string BatchRun::Table(const std::vector<PortResult>& results) {
  size_t portWidth = 4, chipWidth = 4;
  for (const PortResult& result : results) {
    portWidth = std::max(portWidth, EscapeControlCharacters(result.port).size());
    chipWidth = std::max(chipWidth, result.outcome.chip.size());
  }
  std::string table = Padded("port", portWidth) + "  " + Padded("chip", chipWidth) +
                      "  written  verified      time  result\n";
  for (const PortResult& result : results) {
    const std::string chip = result.outcome.chip.empty() ? "-" : result.outcome.chip;
    table += Padded(EscapeControlCharacters(result.port), portWidth) + "  " +
             Padded(chip, chipWidth) + "  " + Padded(Count(result.outcome.pagesWritten), 7, true) +
             "  " + Padded(Count(result.outcome.pagesVerified), 8, true) + "  " +
             Padded(Seconds(result.seconds), 8, true) + "  " +
             (result.status == 0 ? "ok" : "failed: " + result.failure) + '\n';
  }
  return table;
}
