#pragma once

// The command-line programs as separate processes: isp89-cli runs, isp89-sim serves a
// pseudo-terminal. ISP89_CLI_PATH and ISP89_SIM_PATH name the programs.

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "CliHelpers.h"
#include "support/ChildProcess.h"

struct Outcome {
  int status;
  std::string out, err;
  int killedBy = 0;  // the signal that ended the program, if one did
};

// isp89-cli run with the arguments of `line`.
inline Outcome Cli(const std::string& line, ChildStreams streams = {}) {
  std::vector<std::string> arguments = Words(line);
  arguments.insert(arguments.begin(), ISP89_CLI_PATH);
  ChildProcess cli(arguments, streams);
  const int status = cli.Wait();
  return {status, cli.Out(), cli.Err(), cli.KilledBy()};
}

// Runs `line` and checks the status and what went to each stream, each check naming the line.
inline Outcome ExpectCli(const std::string& line, int status, const Text& out, const Text& err,
                         ChildStreams streams = {}) {
  Outcome outcome = Cli(line, streams);
  EXPECT_EQ(status, outcome.status) << line << "\n" << outcome.err;
  EXPECT_THAT(outcome.out, out) << line;
  EXPECT_THAT(outcome.err, err) << line;
  return outcome;
}

// isp89-sim started with `options`; Port() is the path it printed first.
class SimProcess {
 public:
  explicit SimProcess(std::vector<std::string> options, ChildStreams streams = {}) {
    options.insert(options.begin(), ISP89_SIM_PATH);
    process_ = std::make_unique<ChildProcess>(options, streams);
    if (!streams.closeOut) port_ = process_->ReadLine(std::chrono::milliseconds(5000));
  }
  const std::string& Port() const { return port_; }
  // SIGTERM, as a user's Ctrl-C or a service manager would stop it; the exit status.
  int Stop() {
    process_->Signal(SIGTERM);
    return process_->Wait();
  }
  // Its exit status, once it ends by itself.
  int Wait() { return process_->Wait(); }
  const std::string& Err() const { return process_->Err(); }

 private:
  std::unique_ptr<ChildProcess> process_;
  std::string port_;
};
