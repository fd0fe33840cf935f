// The programs' standard streams, as separate processes against isp89-sim: a stream closed
// at start, or a pipe whose reader has gone. Their words never reach the wire, and a command
// that could not say what it did does not end with 0.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SimProcess.h"
#include "support/ScratchFolder.h"

namespace {

// Eight pages: the progress lines between them ("writing: 12%") are no whole instructions.
std::vector<uint8_t> EightPages() {
  std::vector<uint8_t> bytes(2048);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
  return bytes;
}

ChildProcess::Streams Closed(bool out, bool err) {
  ChildProcess::Streams streams;
  streams.closeOut = out;
  streams.closeErr = err;
  return streams;
}

std::string LastLine(const std::string& text) {
  const size_t start = text.rfind('\n', text.size() < 2 ? 0 : text.size() - 2);
  return start == std::string::npos ? text : text.substr(start + 1);
}

}  // namespace

// A port opened as descriptor 1 or 2 would carry the program's messages into the chip: the
// verify after each command finds the flash holding the file and nothing else.
TEST(CliStandardStreams, AClosedOrBrokenStreamNeverReachesTheWireAndFailsTheStatus) {
  ScratchFolder folder;
  ScratchFolder::Write("P1.bin", EightPages());
  ChildProcess::Streams readerGone;
  readerGone.outReaderGone = true;
  const struct {
    const char* what;
    std::vector<std::string> command;
    ChildProcess::Streams streams;
    int status;
    std::string lastError;  // the standard error's last line, when it is open
  } cases[] = {
      {"standard output closed",
       {"write", "P1.bin"},
       Closed(true, false),
       1,
       "isp89-cli: cannot write to the standard output (closed, or its reader has gone): what "
       "the command said is lost\n"},
      {"standard error closed", {"write", "P1.bin"}, Closed(false, true), 1, ""},
      {"reader gone",
       {"-q", "read", "-"},
       readerGone,
       1,
       "isp89-cli: cannot write the image to the standard output\n"},
  };
  for (const auto& c : cases) {
    SimProcess sim({"--chip", "AT89S52"});
    std::vector<std::string> command = {"-p", sim.Port()};
    command.insert(command.end(), c.command.begin(), c.command.end());
    Outcome outcome = Cli(command, c.streams);
    EXPECT_EQ(c.status, outcome.status) << c.what;
    EXPECT_EQ(0, outcome.killedBy) << c.what;
    EXPECT_EQ(c.lastError, LastLine(outcome.err)) << c.what;
    if (c.command.back() == "P1.bin") {
      Outcome verify = Cli({"-q", "-p", sim.Port(), "verify", "P1.bin"});
      EXPECT_EQ(0, verify.status) << c.what << ": " << verify.err;
    }
    EXPECT_EQ(0, sim.Stop()) << c.what;
  }
}

// isp89-sim tells its terminal's path on its standard output: without one it cannot serve.
TEST(CliStandardStreams, ASimulatorWhosePathCannotBeToldEndsAtOnce) {
  SimProcess sim({"--chip", "AT89S52"}, Closed(true, false));
  EXPECT_EQ(1, sim.Wait());
  EXPECT_EQ(0u, sim.Err().find("isp89-sim: cannot write the terminal's path (/dev/pts/"))
      << sim.Err();
}
