// A command stopped by a signal (SignalStop raises the stop) ends at its next page, or at its
// next byte when stopped again, with the exit status the signal calls for and what the chip
// now holds; on virtual time, so that each stop lands at a known point.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli/CliApp.h"
#include "platform/StopSignal.h"
#include "platform/VirtualClock.h"
#include "sim/SimPortResolver.h"
#include "support/ScratchFolder.h"

namespace {

using std::chrono::milliseconds;

// Raises the stop once virtual time has reached the armed moment.
class StoppingClock : public VirtualClock {
 public:
  explicit StoppingClock(StopSignal& stop) : stop_(stop) {}
  void Arm(milliseconds at, int code, bool atOnce) {
    at_ = at;
    code_ = code;
    atOnce_ = atOnce;
  }
  void SleepMs(uint32_t ms) override {
    VirtualClock::SleepMs(ms);
    RaiseWhenDue();
  }
  void SleepUntil(std::chrono::nanoseconds deadline) override {
    VirtualClock::SleepUntil(deadline);
    RaiseWhenDue();
  }

 private:
  void RaiseWhenDue() {
    if (Now() < at_ || stop_.Raised()) return;
    atOnce_ ? stop_.RaiseAtOnce(code_) : stop_.Raise(code_);
  }

  StopSignal& stop_;
  milliseconds at_{0};
  int code_ = 0;
  bool atOnce_ = false;
};

// Four pages of data. On the 4800-baud line the write takes 1.85 s to enable programming and
// read the signature, 2 s to erase, then 537 ms a page (258 bytes), and as long to read each
// back.
std::vector<uint8_t> FourPages() {
  std::vector<uint8_t> bytes(8192, 0xFF);
  for (size_t i = 0; i < 1024; ++i) bytes[i] = static_cast<uint8_t>(i * 3 + 1);
  return bytes;
}

std::vector<uint8_t> Page(const std::vector<uint8_t>& flash, size_t page) {
  return std::vector<uint8_t>(flash.begin() + page * 256, flash.begin() + (page + 1) * 256);
}

// The flash after `pages` whole pages of FourPages() were written to an erased chip.
std::vector<uint8_t> Written(size_t pages) {
  std::vector<uint8_t> flash(8192, 0xFF);
  std::copy_n(FourPages().begin(), pages * 256, flash.begin());
  return flash;
}

}  // namespace

TEST(CliStop, EndsAtThePageWithTheSignalsStatusAndSaysWhatTheChipHolds) {
  const std::vector<uint8_t> old(8192, 0x00);
  const struct {
    std::string command;
    int atMs, code;
    bool atOnce;
    std::string err;
    std::vector<uint8_t> flash;
  } cases[] = {
      {"write", 0, 130, false, "stopped (SIGINT): the chip is unchanged", old},
      {"write", 2300, 143, false,
       "stopped (SIGTERM): the chip may be erased, or not yet: write again", old},
      {"write", 4600, 129, false,
       "stopped (SIGHUP): the chip is erased and pages 0-1 are written: write again", Written(2)},
      {"write",
       4500,
       130,
       true,
       "stopped (SIGINT): the chip is erased and page 0 is written (page 1 may be partly "
       "written): write again",
       {}},  // page 1 partly written
      {"write", 7000, 131, false,
       "stopped (SIGQUIT): the chip is erased and written (pages 0-3), but not verified: verify "
       "it, or write again",
       Written(4)},
      {"read", 3000, 130, false, "stopped (SIGINT): no file was written", old},
  };
  for (const auto& c : cases) {
    ScratchFolder folder;
    ScratchFolder::Write("four.bin", FourPages());
    StopSignal stop;
    StoppingClock clock(stop);
    SimPortResolver resolver(clock);
    SimLine::Options line;
    line.baudRate = 4800;
    resolver.SetSimLineOptions(line);
    resolver.SimChipFor("sim:AT89S52")->SetFlash(old);
    clock.Arm(milliseconds(c.atMs), c.code, c.atOnce);
    std::ostringstream out, err;
    const int status =
        CliApp(resolver, clock, &stop)
            .Run({"-q", "-p", "sim:AT89S52", c.command, "four.bin"}, out, err, false);
    EXPECT_EQ(c.code, status) << c.err;
    EXPECT_EQ("isp89-cli: " + c.err + "\n", err.str());
    // The last bytes sent are still on the line: they reach the chip.
    resolver.SimLineFor("sim:AT89S52")->NextEvent(clock.Now() + std::chrono::seconds(1));
    const std::vector<uint8_t> flash = resolver.SimChipFor("sim:AT89S52")->Flash();
    if (c.atOnce) {
      // Page 0 whole, page 1 cut short, the rest still erased.
      EXPECT_EQ(Page(Written(1), 0), Page(flash, 0));
      EXPECT_NE(Page(Written(2), 1), Page(flash, 1));
      EXPECT_EQ(Page(Written(0), 2), Page(flash, 2));
    } else {
      EXPECT_EQ(c.flash, flash) << c.err;
    }
    // A stopped read leaves the file it would have replaced as it was.
    EXPECT_EQ(FourPages(), ScratchFolder::Read("four.bin")) << c.err;
  }
}
