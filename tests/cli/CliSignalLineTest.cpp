// isp89-cli stopped by a signal during a write through isp89-sim --pace: it ends at the next
// page (at once on a second signal) with the status the signal calls for, says what the chip
// now holds, and leaves the terminal with the settings it had.
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <thread>

#include "SimProcess.h"

namespace {

speed_t SpeedOf(const std::string& terminal) {
  termios settings{};
  const int fd = open(terminal.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  tcgetattr(fd, &settings);
  close(fd);
  return cfgetospeed(&settings);
}

}  // namespace

TEST(LineSpeed, ASignalStopsAWriteAtAPageAndSaysWhatTheChipHolds) {
  const struct {
    std::vector<int> signals;
    int status;
  } cases[] = {{{SIGINT}, 130},
               {{SIGTERM}, 143},
               {{SIGHUP}, 129},
               {{SIGQUIT}, 131},
               {{SIGINT, SIGINT}, 130}};
  std::vector<uint8_t> image(8192, 0xFF);
  for (size_t i = 0; i < 2048; ++i) image[i] = static_cast<uint8_t>(i * 5 + 3);
  for (const auto& c : cases) {
    ScratchFolder folder;
    ScratchFolder::Write("eight.bin", image);
    SimProcess sim({"--pace", "--chip", "AT89S52", "--keep", "kept.hex"});
    const speed_t before = SpeedOf(sim.Port());
    ChildProcess cli({ISP89_CLI_PATH, "-p", sim.Port(), "write", "eight.bin"});
    ASSERT_TRUE(cli.WaitForErr("writing: 12%", std::chrono::seconds(20))) << cli.Err();
    // Into the middle of page 1 (537 ms long); two signals sent at once would be one to the
    // system, so the second comes a moment later.
    for (int signal : c.signals) {
      std::this_thread::sleep_for(std::chrono::milliseconds(150));
      cli.Signal(signal);
    }
    EXPECT_EQ(c.status, cli.Wait());
    // "stopped (SIGINT): the chip is erased and pages 0-N are written[ (page N+1 may be partly
    // written)]: write again": the pages written whole, and stopped at once, one cut short.
    const std::string& err = cli.Err();
    const size_t said = err.find("the chip is erased and page");
    ASSERT_NE(std::string::npos, said) << err;
    const size_t line = err.rfind('\n', said) + 1;
    EXPECT_EQ(line, err.find("isp89-cli: stopped (SIG", line)) << err;
    const bool cutShort =
        err.find("may be partly written): write again\n", said) != std::string::npos;
    EXPECT_EQ(c.signals.size() > 1, cutShort) << err;
    const size_t range = err.find("pages 0-", said);
    const size_t whole = range == std::string::npos ? 1 : std::stoul(err.substr(range + 8)) + 1;
    EXPECT_EQ(before, SpeedOf(sim.Port())) << "the terminal is left at 4800 baud";
    // The next command's bytes follow the last ones written: then they have reached the chip.
    ExpectCli("-p " + sim.Port() + " signature", 0, ::testing::_, ::testing::_);
    EXPECT_EQ(0, sim.Stop());
    const std::vector<uint8_t> kept = FlashOfHex(ReadText("kept.hex"));
    const size_t touched = whole + (cutShort ? 1 : 0);
    EXPECT_TRUE(std::equal(image.begin(), image.begin() + whole * 256, kept.begin()));
    EXPECT_TRUE(
        std::all_of(kept.begin() + touched * 256, kept.end(), [](uint8_t b) { return b == 0xFF; }));
  }
}
