// The programs' standard streams, as separate processes against isp89-sim: a stream closed at
// start, or a pipe whose reader has gone. A port opened as descriptor 1 or 2 would carry the
// program's words into the chip (the progress lines between eight pages are no whole
// instructions); none may end with 0 having not said what it did.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SimProcess.h"
#include "support/ScratchFolder.h"

TEST(CliStandardStreams, AClosedOrBrokenStreamNeverReachesTheWireAndFailsTheStatus) {
  ScratchFolder folder;
  std::vector<uint8_t> eightPages(2048);
  for (size_t i = 0; i < eightPages.size(); ++i) eightPages[i] = static_cast<uint8_t>(i * 7 + 1);
  ScratchFolder::Write("P1.bin", eightPages);
  ChildStreams outClosed, errClosed, readerGone;
  outClosed.closeOut = true;
  errClosed.closeErr = true;
  readerGone.outReaderGone = true;
  const struct {
    std::string command;
    ChildStreams streams;
    std::string lastError;  // the standard error's last line, when it is open
  } cases[] = {
      {"write P1.bin", outClosed,
       "isp89-cli: cannot write to the standard output (closed, or its reader has gone): what "
       "the command said is lost\n"},
      {"write P1.bin", errClosed, ""},
      {"-q read -", readerGone, "isp89-cli: cannot write the image to the standard output\n"},
  };
  for (const auto& c : cases) {
    SimProcess sim({"--chip", "AT89S52"});
    Outcome outcome = Cli("-p " + sim.Port() + " " + c.command, c.streams);
    EXPECT_EQ(1, outcome.status) << c.lastError;
    EXPECT_EQ(0, outcome.killedBy) << "not ended by SIGPIPE";
    const size_t last = outcome.err.rfind('\n', outcome.err.size() - 2);
    EXPECT_EQ(c.lastError, outcome.err.substr(last == std::string::npos ? 0 : last + 1));
    if (c.command == "write P1.bin") {
      EXPECT_EQ(0, Cli("-q -p " + sim.Port() + " verify P1.bin").status) << c.lastError;
    }
    EXPECT_EQ(0, sim.Stop());
  }
}

// isp89-sim cannot serve without telling its terminal's path, nor keep the flash in a place
// where it could never save it: both are found at start.
TEST(CliStandardStreams, ASimulatorThatCouldNotServeAsAskedEndsAtOnce) {
  ChildStreams outClosed, none;
  outClosed.closeOut = true;
  const struct {
    std::string options;
    ChildStreams streams;
    int status;
    std::string err;  // its start
  } cases[] = {
      {"--chip AT89S52", outClosed, 1, "isp89-sim: cannot write the terminal's path"},
      {"--keep /nonexistent/kept.hex", none, 2,
       "isp89-sim: --keep: cannot save /nonexistent/kept.hex: there is no folder /nonexistent"},
  };
  for (const auto& c : cases) {
    SimProcess sim(Words(c.options), c.streams);
    EXPECT_EQ(c.status, sim.Wait()) << c.err;
    EXPECT_EQ(0u, sim.Err().find(c.err)) << sim.Err();
  }
}
